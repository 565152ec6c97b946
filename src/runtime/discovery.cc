#include "runtime/discovery.h"

#include "report/trace.h"

namespace tarn {

const char* const kJavaSoftJdkKey = "Software\\JavaSoft\\Java Development Kit\\";
const char* const kJavaSoftJreKey = "Software\\JavaSoft\\Java Runtime Environment\\";
const char* const kJrockitJreKey = "Software\\JRockit\\Java Runtime Environment\\";
const char* const kJrockitJdkKey = "Software\\JRockit\\Java Development Kit\\";

bool registeredFolder(Machine& machine, Registry& registry, const std::string& key,
                      const std::string& subkey, std::string* folder) {
  std::string javaHome;
  if (!registry.readString(key + subkey, "JavaHome", &javaHome) || javaHome.empty())
    return false;
  *folder = withTrailingSeparator(javaHome, machine.lead);
  // A registered JDK is used through its private runtime.
  if (isJdkKey(key)) *folder += kPrivateSubfolder;
  return true;
}

bool probeVersionKey(Machine& machine, Registry& registry, const RuntimeRules& rules,
                     const std::string& key, const std::string& subkey, std::string* home,
                     bool* serverVm) {
  std::string folder;
  if (!registeredFolder(machine, registry, key, subkey, &folder)) return false;
  bool server = false;
  if (chooseJvmDll(*machine.system, folder, probeType(rules, key), &server).empty()) return false;
  *home = folder;
  *serverVm = server;
  return true;
}

void collectFromKey(Machine& machine, Registry& registry, const RuntimeRules& rules,
                    const std::string& key, std::vector<JreCandidate>* candidates,
                    RuntimeFiles* files, uint16_t machineType,
                    std::vector<RuntimeRefusal>* refusals) {
  std::vector<std::string> names;
  if (!registry.subkeyNames(key, &names)) return;
  for (const std::string& name : names) {
    JreCandidate candidate;
    candidate.version.parse(name, 0);
    Verdict verdict = Verdict::Accepted;
    if (!withinLimits(rules, candidate.version))
      verdict = Verdict::OutOfLimits;
    else if (!probeVersionKey(machine, registry, rules, key, name, &candidate.home,
                              &candidate.serverVm))
      verdict = Verdict::NoVmLibrary;
    else if (files && foreignArchitecture(
                          machineType, *files,
                          chooseJvmDll(*machine.system, candidate.home, probeType(rules, key))))
      verdict = Verdict::ForeignArchitecture;
    if (tracing() || (refusals && verdict != Verdict::Accepted)) {
      std::string home = candidate.home;
      if (home.empty()) registeredFolder(machine, registry, key, name, &home);
      noteRuntime(*machine.system, files, machineType, rules,
                  std::string(registry.rootName()) + "\\" + key + name, key, home,
                  candidate.version, verdict, refusals);
    }
    if (verdict != Verdict::Accepted) continue;
    candidate.preferred = isPreferred(rules, key);
    candidates->push_back(candidate);
  }
}

}  // namespace tarn
