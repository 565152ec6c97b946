#include "runtime/runtime_verdict.h"

#include "os/sort_few.h"
#include "report/messages.h"
#include "report/trace.h"
#include "runtime/discovery.h"

namespace tarn {

namespace {

// At most this many runtimes turned down are listed; the trace has them all.
const size_t kListedRefusals = 5;

bool isAllZero(const JavaVersion& v) {
  for (int32_t part : v.parts)
    if (part != 0) return false;
  return true;
}

const char* architectureName(uint16_t machine) {
  switch (machine) {
    case 0x14c: return "x86";
    case 0x8664: return "x86_64";
    case 0xaa64: return "arm64";
    default: return "unknown";
  }
}

// The VM library's machine type, else the release file's OS_ARCH in the
// same words.
std::string runtimeArchitecture(RuntimeFiles& files, const std::string& home,
                                const std::string& library) {
  const uint16_t machine = library.empty() ? 0 : libraryMachine(files, library);
  if (machine != 0) return architectureName(machine);
  const std::string arch = home.empty() ? std::string() : releaseValue(files.read(home), "OS_ARCH");
  if (arch == "amd64") return "x86_64";
  if (arch == "i386" || arch == "i586" || arch == "i686") return "x86";
  if (arch == "aarch64") return "arm64";
  return arch.empty() ? loadMessage(IDS_UNKNOWN_ARCHITECTURE) : arch;
}

// Why keySearched is false for the key.
std::string notSearchedReason(const RuntimeRules& rules, const std::string& key) {
  const bool javaSoft = isJavaSoftKey(key);
  if (javaSoft && !(rules.sunAllowed || rules.sunPreferred))
    return formatMessage(IDS_VENDOR_NOT_ACCEPTED, "JavaSoft");
  if (!javaSoft && !(rules.jrockitAllowed || rules.jrockitPreferred))
    return formatMessage(IDS_VENDOR_NOT_ACCEPTED, "JRockit");
  return formatMessage(IDS_KIND_NOT_ACCEPTED, isJdkKey(key) ? "JDKs" : "JREs");
}

// Why the runtime was turned down, with the limit or names it failed on;
// "" when it was accepted.
std::string verdictReason(System& system, RuntimeFiles& files, uint16_t machineType,
                          const RuntimeRules& rules, const std::string& key,
                          const std::string& home, const std::string& library,
                          const JavaVersion& version, Verdict verdict) {
  switch (verdict) {
    case Verdict::Accepted: return std::string();
    case Verdict::OutOfLimits:
      if (compare(version, rules.minimum) < 0)
        return formatMessage(IDS_BELOW_MINIMUM, format(rules.minimum));
      return formatMessage(IDS_ABOVE_MAXIMUM, format(rules.maximum));
    case Verdict::NoVmLibrary: {
      if (home.empty()) return loadMessage(IDS_NO_FOLDER_REGISTERED);
      const size_t jre = std::char_traits<char>::length(kPrivateSubfolder);
      if (!system.isDirectory(home))
        return loadMessage(isJdkKey(key) && home.size() > jre &&
                                   home.compare(home.size() - jre, jre, kPrivateSubfolder) == 0 &&
                                   system.isDirectory(home.substr(0, home.size() - jre))
                               ? IDS_JDK_WITHOUT_JRE
                               : IDS_NO_SUCH_FOLDER);
      if (rules.jvmType == JvmType::Server && !chooseJvmDll(system, home, JvmType::Default).empty())
        return loadMessage(IDS_NO_SERVER_VM);
      return loadMessage(IDS_NO_VM_LIBRARY);
    }
    case Verdict::ForeignArchitecture:
      return formatMessage(IDS_FOREIGN_ARCHITECTURE,
                           architectureName(libraryMachine(files, library)),
                           architectureName(machineType));
    case Verdict::NotSearched: return notSearchedReason(rules, key);
    case Verdict::SameHome: return loadMessage(IDS_SAME_FOLDER);
  }
  return std::string();
}

}  // namespace

bool isJdkKey(const std::string& key) { return key == kJavaSoftJdkKey || key == kJrockitJdkKey; }
bool isJavaSoftKey(const std::string& key) {
  return key == kJavaSoftJdkKey || key == kJavaSoftJreKey;
}

JvmType probeType(const RuntimeRules& rules, const std::string& key) {
  if (key == kJavaSoftJreKey && rules.jvmType == JvmType::FavorServer) return JvmType::Default;
  return rules.jvmType;
}

bool isPreferred(const RuntimeRules& rules, const std::string& key) {
  bool kind = isJdkKey(key) ? rules.jdkWanted : rules.jreWanted;
  bool vendor = isJavaSoftKey(key) ? rules.sunPreferred : rules.jrockitPreferred;
  return kind && vendor;
}

bool withinLimits(const RuntimeRules& rules, const JavaVersion& version) {
  if (compare(version, rules.minimum) < 0) return false;
  return isAllZero(rules.maximum) || compare(version, rules.maximum) <= 0;
}

bool keySearched(const RuntimeRules& rules, const std::string& key) {
  bool kind = rules.favorMode || (isJdkKey(key) ? rules.jdkWanted : rules.jreWanted);
  bool vendor = isJavaSoftKey(key) ? (rules.sunAllowed || rules.sunPreferred)
                                   : (rules.jrockitAllowed || rules.jrockitPreferred);
  return kind && vendor;
}

void traceKeyNotSearched(const RuntimeRules& rules, const std::string& key) {
  if (!tracing()) return;
  trace("%s %ss: not searched, %s", isJavaSoftKey(key) ? "JavaSoft" : "JRockit",
        isJdkKey(key) ? "JDK" : "JRE", notSearchedReason(rules, key).c_str());
}

void noteRuntime(System& system, RuntimeFiles* files, uint16_t machineType,
                 const RuntimeRules& rules, const std::string& origin, const std::string& key,
                 const std::string& home, const JavaVersion& version, Verdict verdict,
                 std::vector<RuntimeRefusal>* refusals) {
  const bool listed = refusals && verdict != Verdict::Accepted && verdict != Verdict::SameHome;
  if (!tracing() && !listed) return;
  DiskRuntimeFiles disk;
  RuntimeFiles& read = files ? *files : disk;
  std::string library;
  if (!home.empty()) library = chooseJvmDll(system, home, probeType(rules, key));
  const std::string reason =
      verdictReason(system, read, machineType, rules, key, home, library, version, verdict);
  // A folder of no known version without any VM library is no runtime (a
  // distribution's documentation folder beside the real ones).
  if (listed && (version.count > 0 ||
                 (!home.empty() && !chooseJvmDll(system, home, JvmType::Default).empty())))
    refusals->push_back({version, runtimeArchitecture(read, home, library), home, origin, reason});
  trace("runtime %s: home %s, version %s, %s %s, VM types %s, library %s: %s%s", origin.c_str(),
        home.empty() ? "unknown" : home.c_str(), format(version).c_str(),
        isJavaSoftKey(key) ? "JavaSoft" : "JRockit", isJdkKey(key) ? "JDK" : "JRE",
        vmTypes(system, home).c_str(), library.empty() ? "none" : library.c_str(),
        reason.empty() ? "accepted" : "turned down: ", reason.c_str());
}

std::string refusalList(std::vector<RuntimeRefusal> refusals, LeadByteTest lead) {
  // Newest first, equals in the order found.
  sortFew(refusals, [](const RuntimeRefusal& a, const RuntimeRefusal& b) {
    return compare(a.version, b.version) > 0;
  });
  // A runtime registered in several places is one runtime: its first,
  // newest-sorted, entry stands for it.
  std::vector<RuntimeRefusal> listed;
  for (const RuntimeRefusal& refusal : refusals) {
    bool seen = false;
    for (const RuntimeRefusal& earlier : listed)
      seen = seen || (!refusal.home.empty() && sameHome(earlier.home, refusal.home, lead));
    if (!seen) listed.push_back(refusal);
  }
  if (listed.empty()) return loadMessage(IDS_NO_RUNTIME_FOUND);
  std::string text = loadMessage(IDS_RUNTIMES_FOUND);
  for (size_t i = 0; i < listed.size() && i < kListedRefusals; ++i) {
    const RuntimeRefusal& refusal = listed[i];
    text += "\n" + formatMessage(IDS_RUNTIME_FOUND, format(refusal.version), refusal.architecture,
                                 refusal.home.empty() ? refusal.origin : refusal.home,
                                 refusal.reason);
  }
  if (listed.size() > kListedRefusals)
    text += "\n" + formatMessage(IDS_MORE_RUNTIMES, std::to_string(listed.size() - kListedRefusals));
  return text;
}

}  // namespace tarn
