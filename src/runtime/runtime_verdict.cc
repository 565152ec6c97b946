#include "runtime/runtime_verdict.h"

#include "report/trace.h"
#include "runtime/discovery.h"

namespace tarn {

namespace {

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

// Why keySearched is false for the key.
const char* notSearchedReason(const RuntimeRules& rules, const std::string& key) {
  const bool javaSoft = isJavaSoftKey(key);
  if (javaSoft && !(rules.sunAllowed || rules.sunPreferred))
    return "vendor JavaSoft not accepted by VM Provider";
  if (!javaSoft && !(rules.jrockitAllowed || rules.jrockitPreferred))
    return "vendor JRockit not accepted by VM Provider";
  return isJdkKey(key) ? "JDKs not accepted by JVM Source" : "JREs not accepted by JVM Source";
}

// The verdict in words, followed by *detail: the limit or names it failed on.
const char* verdictText(System& system, RuntimeFiles* files, uint16_t machineType,
                        const RuntimeRules& rules, const std::string& key, const std::string& home,
                        const std::string& library, const JavaVersion& version, Verdict verdict,
                        std::string* detail) {
  switch (verdict) {
    case Verdict::Accepted: return "accepted";
    case Verdict::OutOfLimits:
      if (compare(version, rules.minimum) < 0) {
        *detail = format(rules.minimum);
        return "turned down: below the minimum version ";
      }
      *detail = format(rules.maximum);
      return "turned down: above the maximum version ";
    case Verdict::NoVmLibrary: {
      if (home.empty()) return "turned down: no folder registered";
      const size_t jre = std::char_traits<char>::length(kPrivateSubfolder);
      if (!system.isDirectory(home))
        return isJdkKey(key) && home.size() > jre &&
                       home.compare(home.size() - jre, jre, kPrivateSubfolder) == 0 &&
                       system.isDirectory(home.substr(0, home.size() - jre))
                   ? "turned down: a JDK without its jre folder"
                   : "turned down: the folder does not exist";
      if (rules.jvmType == JvmType::Server && !chooseJvmDll(system, home, JvmType::Default).empty())
        return "turned down: no server VM, which JVM Type=server asks for";
      return "turned down: no VM library";
    }
    case Verdict::ForeignArchitecture:
      *detail = architectureName(files ? libraryMachine(*files, library) : 0);
      detail->append(", this launcher loads ").append(architectureName(machineType));
      return "turned down: its VM library is built for ";
    case Verdict::NotSearched:
      *detail = notSearchedReason(rules, key);
      return "turned down: ";
    case Verdict::SameHome: return "turned down: the same folder as an earlier runtime";
  }
  return "";
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
        isJdkKey(key) ? "JDK" : "JRE", notSearchedReason(rules, key));
}

void traceRuntime(System& system, RuntimeFiles* files, uint16_t machineType,
                  const RuntimeRules& rules, const std::string& origin, const std::string& key,
                  const std::string& home, const JavaVersion& version, Verdict verdict) {
  std::string library;
  if (!home.empty()) library = chooseJvmDll(system, home, probeType(rules, key));
  std::string detail;
  const char* reason = verdictText(system, files, machineType, rules, key, home, library, version,
                                   verdict, &detail);
  trace("runtime %s: home %s, version %s, %s %s, VM types %s, library %s: %s%s", origin.c_str(),
        home.empty() ? "unknown" : home.c_str(), format(version).c_str(),
        isJavaSoftKey(key) ? "JavaSoft" : "JRockit", isJdkKey(key) ? "JDK" : "JRE",
        vmTypes(system, home).c_str(), library.empty() ? "none" : library.c_str(), reason,
        detail.c_str());
}

}  // namespace tarn
