#include "runtime/selection.h"

#include "config/config_paths.h"
#include "os/sort_few.h"
#include "report/messages.h"
#include "report/trace.h"
#include "runtime/runtime_verdict.h"

namespace tarn {

namespace {

// Negative when a ranks before b.
int rank(const RuntimeRules& rules, const JreCandidate& a, const JreCandidate& b) {
  if (rules.favorMode && a.preferred != b.preferred) return a.preferred ? -1 : 1;
  if (rules.jvmType == JvmType::FavorServer && a.serverVm != b.serverVm)
    return a.serverVm ? -1 : 1;
  return -compare(a.version, b.version);
}

bool usableArchitecture(uint16_t machineType, RuntimeFiles& files, const std::string& library) {
  if (!foreignArchitecture(machineType, files, library)) return true;
  reportError(IDS_JVM_WRONG_ARCHITECTURE, library);
  return false;
}

int runtimeNotFoundId(const RuntimeRules& rules) {
  return rules.jvmType == JvmType::Server ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
}

// The sorted candidates and why the picked one won.
void traceOrder(const RuntimeRules& rules, const std::vector<JreCandidate>& candidates,
                size_t picked) {
  std::string order;
  for (const JreCandidate& candidate : candidates) {
    if (!order.empty()) order += ", ";
    order.append(candidate.home).append(" (").append(format(candidate.version)).append(")");
  }
  trace("runtimes in order (%s%snewest first): %s",
        rules.favorMode ? "preferred kind and vendor first, " : "",
        rules.jvmType == JvmType::FavorServer ? "server VMs first, " : "", order.c_str());
  const char* why = rules.preferredVersions.empty()
                        ? "the first in order"
                        : "the first in order, no preferred version found";
  const char* entryText = "";
  for (const std::string& entry : rules.preferredVersions) {
    JavaVersion pattern;
    pattern.parse(entry, 0);
    if (!matches(candidates[picked].version, pattern)) continue;
    why = "the first of preferred version ";
    entryText = entry.c_str();
    break;
  }
  trace("runtime chosen: %s, %s%s", candidates[picked].home.c_str(), why, entryText);
}

}  // namespace

void sortCandidates(const RuntimeRules& rules, std::vector<JreCandidate>* candidates) {
  sortFew(*candidates, [&](const JreCandidate& a, const JreCandidate& b) {
    return rank(rules, a, b) < 0;
  });
}

size_t pickCandidate(const RuntimeRules& rules, const std::vector<JreCandidate>& candidates) {
  for (const std::string& entry : rules.preferredVersions) {
    JavaVersion pattern;
    pattern.parse(entry, 0);
    for (size_t i = 0; i < candidates.size(); ++i)
      if (matches(candidates[i].version, pattern)) return i;
  }
  return 0;
}

bool searchRegistry(const RuntimeRules& rules, RuntimeSource& source, JreCandidate* chosen,
                    std::vector<RuntimeRefusal>* refusals) {
  std::vector<JreCandidate> candidates;
  for (const char* key : {kJavaSoftJdkKey, kJavaSoftJreKey, kJrockitJreKey, kJrockitJdkKey}) {
    if (keySearched(rules, key))
      source.collect(rules, key, &candidates, refusals);
    else
      traceKeyNotSearched(rules, key);
  }
  source.collectOthers(rules, &candidates, refusals);
  if (candidates.empty()) {
    trace("no installed runtime accepted");
    return false;
  }
  sortCandidates(rules, &candidates);
  size_t picked = pickCandidate(rules, candidates);
  if (tracing()) traceOrder(rules, candidates, picked);
  *chosen = candidates[picked];
  return true;
}

std::string runtimeNotFoundMessage(const RuntimeRules& rules) {
  return formatMessage(runtimeNotFoundId(rules),
                       versionRequirementText(rules.minimum, rules.maximum));
}

void rememberRuntimeFolder(Machine& machine, const LauncherSettings& settings,
                           const std::string& folder) {
  std::string path;
  if (!configFilePath(machine, &path)) return;
  if (machine.system->isNtPlatform() && !settings.isService)
    path = userConfigFilePath(machine, settings.productName, settings.productCode, true);
  if (path.empty()) {
    trace("JRE Path %s: not remembered, no per-user folder", folder.c_str());
    return;
  }
  // A failed write is not reported: the choice is just not remembered.
  bool written =
      machine.profiles->writeString("Java Runtime Environment", "JRE Path", folder, path);
  trace("JRE Path %s: %s %s", folder.c_str(), written ? "remembered in" : "could not be written to",
        path.c_str());
}

bool selectRuntimeWith(Machine& machine, const LauncherSettings& settings,
                       const TargetArchitecture& architecture, RuntimeSource& source,
                       RuntimeChooser& chooser, std::string* jvmPathOut) {
  System& system = *machine.system;
  const RuntimeRules& rules = settings.rules;
  std::string& jvmPath = *jvmPathOut;

  // A configured folder and a private runtime are taken whatever their
  // version; a configured folder without a VM is skipped silently.
  // One of another architecture would fail to load with a bare error code.
  DiskRuntimeFiles files;
  if (!rules.jrePath.empty()) {
    jvmPath = chooseJvmDll(system, withTrailingSeparator(rules.jrePath, machine.lead),
                           rules.jvmType);
    trace("JRE Path %s: %s", rules.jrePath.c_str(),
          jvmPath.empty() ? "no VM library of the JVM Type below it, skipped"
                          : "taken whatever its version");
    if (!jvmPath.empty()) return usableArchitecture(architecture.machine, files, jvmPath);
  }

  // Without a private runtime the bare relative VM paths are not tried: they
  // would load whatever VM library lies in the folder the user started from.
  std::string home;
  if (findPrivateJre(machine, &home) && !home.empty()) {
    jvmPath = chooseJvmDll(system, home, rules.jvmType);
    trace(
        "private runtime %s: %s", home.c_str(),
        jvmPath.empty() ? "no VM library of the JVM Type, skipped" : "taken whatever its version");
    if (!jvmPath.empty()) return usableArchitecture(architecture.machine, files, jvmPath);
  } else {
    trace("private runtime: none beside the executable");
  }

  // The registered runtime is loaded with the configured VM type, so a
  // public runtime picked under FavorServer gets its server VM if it has one.
  JreCandidate chosen;
  std::vector<RuntimeRefusal> refusals;
  if (searchRegistry(rules, source, &chosen, &refusals)) {
    jvmPath = chooseJvmDll(system, chosen.home, rules.jvmType);
    if (!jvmPath.empty()) return true;
    trace("runtime %s: no VM library of the JVM Type", chosen.home.c_str());
  }

  std::string folder;
  std::string picked;
  const RuntimeNotFound notice{runtimeNotFoundMessage(rules), settings.downloadPage,
                               refusalList(refusals, machine.lead)};
  trace("no runtime fits: message %d, %s", runtimeNotFoundId(rules), notice.message.c_str());
  int choice = chooser.choose(notice, rules.jvmType, &folder, &picked);
  if (choice != 1 || picked.empty()) {
    trace("no runtime folder picked");
    return false;
  }
  trace("runtime folder picked: %s", folder.c_str());
  // A folder that could never load is not remembered either.
  if (!usableArchitecture(architecture.machine, files, picked)) return false;
  jvmPath = picked;
  rememberRuntimeFolder(machine, settings, folder);
  return true;
}

}  // namespace tarn
