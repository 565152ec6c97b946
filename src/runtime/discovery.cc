#include "runtime/discovery.h"

#include <algorithm>

#include "os/file_bytes.h"
#include "os/little_endian.h"
#include "process/module_path.h"
#include "report/trace.h"

namespace tarn {

namespace {

#ifdef _WIN32
const char* const kVmFolders[] = {"bin\\client\\", "bin\\classic\\", "bin\\hotspot\\",
                                  "bin\\server\\", "bin\\jrockit\\"};
const char* const kServerFolder = "bin\\server\\";
const char* const kJvmLibrary = "jvm.dll";
const char* const kRuntimeLibraries[] = {"bin\\java.dll"};
const char* const kPrivateSubfolder = "jre\\";
const char* const kCompiler = "bin\\javac.exe";
#else
// Runtimes up to 8 put the VM folders below lib/amd64/, later ones below lib/.
const char* const kVmFolders[] = {"lib/client/",       "lib/amd64/client/",
                                  "lib/classic/",      "lib/amd64/classic/",
                                  "lib/hotspot/",      "lib/amd64/hotspot/",
                                  "lib/server/",       "lib/amd64/server/",
                                  "lib/jrockit/",      "lib/amd64/jrockit/"};
const char* const kServerFolders[] = {"lib/server/", "lib/amd64/server/"};
const char* const kJvmLibrary = "libjvm.so";
const char* const kRuntimeLibraries[] = {"lib/libjava.so", "lib/amd64/libjava.so"};
const char* const kPrivateSubfolder = "jre/";
const char* const kCompiler = "bin/javac";
#endif

bool isServerFolder(const std::string& folder) {
#ifdef _WIN32
  return folder == kServerFolder;
#else
  for (const char* server : kServerFolders)
    if (folder == server) return true;
  return false;
#endif
}

bool tryFolder(System& system, const std::string& home, const std::string& folder,
               std::string* path, bool* serverVm) {
  std::string candidate = home + folder + kJvmLibrary;
  if (!system.fileExists(candidate)) return false;
  *path = candidate;
  if (serverVm) *serverVm = isServerFolder(folder);
  return true;
}

bool holdsRuntimeLibrary(System& system, const std::string& folder) {
  for (const char* library : kRuntimeLibraries)
    if (system.fileExists(folder + library)) return true;
  return false;
}

bool isJdkKey(const std::string& key) { return key == kJavaSoftJdkKey || key == kJrockitJdkKey; }
bool isJavaSoftKey(const std::string& key) {
  return key == kJavaSoftJdkKey || key == kJavaSoftJreKey;
}

// A JavaSoft public runtime is probed for its default VM under
// FavorServer, so one with a client VM does not count as a server runtime.
JvmType probeType(const RuntimeRules& rules, const std::string& key) {
  if (key == kJavaSoftJreKey && rules.jvmType == JvmType::FavorServer) return JvmType::Default;
  return rules.jvmType;
}

bool isPreferred(const RuntimeRules& rules, const std::string& key) {
  bool kind = isJdkKey(key) ? rules.jdkWanted : rules.jreWanted;
  bool vendor = isJavaSoftKey(key) ? rules.sunPreferred : rules.jrockitPreferred;
  return kind && vendor;
}

bool isAllZero(const JavaVersion& v) {
  for (int32_t part : v.parts)
    if (part != 0) return false;
  return true;
}

// The home as compared: no trailing separator and, where the file system
// ignores case, one case and one separator.
std::string comparableHome(const std::string& home, LeadByteTest lead) {
  std::string text;
  size_t end = 0;  // past the last character that is not a trailing separator
  for (size_t i = 0; i < home.size();) {
    size_t next = nextChar(home, i, lead);
    if (next - i == 1) {
      char c = home[i];
#ifdef _WIN32
      if (c == '/') c = '\\';
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
#endif
      text += c;
      if (c != kPathSeparator) end = text.size();
    } else {
      text.append(home, i, next - i);
      end = text.size();
    }
    i = next;
  }
  text.resize(end == 0 ? std::min<size_t>(text.size(), 1) : end);
  return text;
}

// Where the PE header may start: the header is read from the file's start.
const size_t kHeadSize = 4096;

// Why a runtime found was taken or not.
enum class Verdict {
  Accepted,
  OutOfLimits,
  NoVmLibrary,
  ForeignArchitecture,
  NotSearched,
  SameHome
};

const char* architectureName(uint16_t machine) {
  switch (machine) {
    case 0x14c: return "x86";
    case 0x8664: return "x86_64";
    case 0xaa64: return "arm64";
    default: return "unknown";
  }
}

// The VM folders below home by their own names: "client, server".
std::string vmTypes(System& system, const std::string& home) {
  std::string list;
  for (const char* folder : kVmFolders) {
    if (!system.fileExists(home + folder + kJvmLibrary)) continue;
    const char* end = folder + std::char_traits<char>::length(folder) - 1;  // the separator
    const char* name = end;
    while (name > folder && name[-1] != kPathSeparator) --name;
    if (!list.empty()) list += ", ";
    list.append(name, end);
  }
  return list.empty() ? "none" : list;
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
      *detail = architectureName(files ? peMachine(files->head(library, kHeadSize)) : 0);
      detail->append(", this launcher loads ").append(architectureName(machineType));
      return "turned down: its VM library is built for ";
    case Verdict::NotSearched:
      *detail = notSearchedReason(rules, key);
      return "turned down: ";
    case Verdict::SameHome: return "turned down: the same folder as an earlier runtime";
  }
  return "";
}

// The trace's line for one runtime considered, its facts gathered here so
// that nothing is looked at when the trace is off.
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

}  // namespace

const char* const kJavaSoftJdkKey = "Software\\JavaSoft\\Java Development Kit\\";
const char* const kJavaSoftJreKey = "Software\\JavaSoft\\Java Runtime Environment\\";
const char* const kJrockitJreKey = "Software\\JRockit\\Java Runtime Environment\\";
const char* const kJrockitJdkKey = "Software\\JRockit\\Java Development Kit\\";

bool withinLimits(const RuntimeRules& rules, const JavaVersion& version) {
  if (compare(version, rules.minimum) < 0) return false;
  return isAllZero(rules.maximum) || compare(version, rules.maximum) <= 0;
}

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
                    RuntimeFiles* files, uint16_t machineType) {
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
    if (tracing()) {
      std::string home = candidate.home;
      if (home.empty()) registeredFolder(machine, registry, key, name, &home);
      traceRuntime(*machine.system, files, machineType, rules,
                   std::string(registry.rootName()) + "\\" + key + name, key, home,
                   candidate.version, verdict);
    }
    if (verdict != Verdict::Accepted) continue;
    candidate.preferred = isPreferred(rules, key);
    candidates->push_back(candidate);
  }
}

std::string releaseJavaVersion(const std::string& text) { return releaseValue(text, "JAVA_VERSION"); }

std::string releaseValue(const std::string& text, const std::string& name) {
  const std::string kKey = name + "=";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.compare(start, kKey.size(), kKey) == 0 && start + kKey.size() <= end) {
      std::string value = trimWhiteSpace(text.substr(start + kKey.size(), end - start - kKey.size()),
                                         noLeadBytes);
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      return value;
    }
    start = end + 1;
  }
  return std::string();
}

void collectInstalled(System& system, const RuntimeRules& rules, const std::string& key,
                      const std::vector<InstalledRuntime>& installed,
                      std::vector<JreCandidate>* candidates) {
  if (!isJavaSoftKey(key)) return;
  bool jdkKey = isJdkKey(key);
  for (const InstalledRuntime& runtime : installed) {
    if (runtime.jdk != jdkKey) continue;
    JreCandidate candidate;
    candidate.version.parse(runtime.version, 0);
    std::string home = runtime.folder;
    Verdict verdict = Verdict::Accepted;
    if (!withinLimits(rules, candidate.version)) {
      verdict = Verdict::OutOfLimits;
    } else {
      // An older JDK keeps its runtime in jre/; a later one is its own runtime.
      if (jdkKey && system.isDirectory(home + kPrivateSubfolder)) home += kPrivateSubfolder;
      if (chooseJvmDll(system, home, probeType(rules, key), &candidate.serverVm).empty())
        verdict = Verdict::NoVmLibrary;
    }
    if (tracing())
      traceRuntime(system, nullptr, 0, rules, runtime.origin, key, home, candidate.version,
                   verdict);
    if (verdict != Verdict::Accepted) continue;
    candidate.home = home;
    candidate.preferred = isPreferred(rules, key);
    candidates->push_back(candidate);
  }
}

std::string DiskRuntimeFiles::read(const std::string& folder) {
  // A release file is a few lines; more than this is not one.
  return head(folder + "release", 64 * 1024);
}

void traceKeyNotSearched(const RuntimeRules& rules, const std::string& key) {
  if (!tracing()) return;
  trace("%s %ss: not searched, %s", isJavaSoftKey(key) ? "JavaSoft" : "JRockit",
        isJdkKey(key) ? "JDK" : "JRE", notSearchedReason(rules, key));
}

bool keySearched(const RuntimeRules& rules, const std::string& key) {
  bool kind = rules.favorMode || (isJdkKey(key) ? rules.jdkWanted : rules.jreWanted);
  bool vendor = isJavaSoftKey(key) ? (rules.sunAllowed || rules.sunPreferred)
                                   : (rules.jrockitAllowed || rules.jrockitPreferred);
  return kind && vendor;
}

bool describeRuntime(System& system, RuntimeFiles& releases, LeadByteTest lead,
                     const std::string& folder, const std::string& fallbackVersion,
                     InstalledRuntime* runtime) {
  if (folder.empty()) return false;
  runtime->folder = withTrailingSeparator(folder, lead);
  runtime->version = releaseJavaVersion(releases.read(runtime->folder));
  if (runtime->version.empty()) runtime->version = fallbackVersion;
  runtime->jdk = system.fileExists(runtime->folder + kCompiler);
  return true;
}

// Sources in docs/runtimes.md.
const Registration kModernRegistrations[] = {
    {"Software\\JavaSoft\\JDK\\", "", "JavaHome"},
    {"Software\\JavaSoft\\JRE\\", "", "JavaHome"},
    {"Software\\Eclipse Adoptium\\JDK\\", "\\hotspot\\MSI", "Path"},
    {"Software\\Eclipse Adoptium\\JRE\\", "\\hotspot\\MSI", "Path"},
    {"Software\\AdoptOpenJDK\\JDK\\", "\\hotspot\\MSI", "Path"},
    {"Software\\AdoptOpenJDK\\JRE\\", "\\hotspot\\MSI", "Path"},
    {"Software\\Microsoft\\JDK\\", "\\hotspot\\MSI", "Path"},
    // Subkeys such as "zulu-21", "zulu-8-jre", "jdk-17": the number in the
    // name stands in for a missing release file.
    {"Software\\Azul Systems\\Zulu\\", "", "InstallationPath"},
    {"Software\\Azul Systems\\Zulu 32-bit\\", "", "InstallationPath"},
    {"Software\\BellSoft\\Liberica\\", "", "InstallationPath"},
};
const size_t kModernRegistrationCount = sizeof kModernRegistrations / sizeof kModernRegistrations[0];

void listRegistered(System& system, Registry& registry, RuntimeFiles& releases, LeadByteTest lead,
                    const Registration& registration, std::vector<InstalledRuntime>* runtimes) {
  std::vector<std::string> names;
  if (!registry.subkeyNames(registration.key, &names)) return;
  for (const std::string& name : names) {
    std::string folder;
    InstalledRuntime runtime;
    const std::string key = registration.key + name + registration.subpath;
    const bool found = registry.readString(key, registration.value, &folder) &&
                       describeRuntime(system, releases, lead, folder, name, &runtime);
    if (tracing()) {
      runtime.origin = std::string(registry.rootName()) + "\\" + key;
      if (!found)
        trace("runtime %s: no %s value, skipped", runtime.origin.c_str(), registration.value);
    }
    if (found) runtimes->push_back(runtime);
  }
}

bool sameHome(const std::string& a, const std::string& b, LeadByteTest lead) {
  return comparableHome(a, lead) == comparableHome(b, lead);
}

void collectFurther(System& system, RuntimeFiles& files, LeadByteTest lead, uint16_t machineType,
                    const RuntimeRules& rules,
                    const std::vector<InstalledRuntime>& runtimes,
                    std::vector<JreCandidate>* candidates) {
  for (const InstalledRuntime& runtime : runtimes) {
    const char* key = runtime.jdk ? kJavaSoftJdkKey : kJavaSoftJreKey;
    JreCandidate candidate;
    candidate.version.parse(runtime.version, 0);
    std::string home = withTrailingSeparator(runtime.folder, lead);
    Verdict verdict = Verdict::Accepted;
    if (!keySearched(rules, key)) {
      verdict = Verdict::NotSearched;
    } else if (!withinLimits(rules, candidate.version)) {
      verdict = Verdict::OutOfLimits;
    } else {
      // Runtimes 9 and later have no jre folder: the folder is the runtime.
      if (system.isDirectory(home + kPrivateSubfolder)) home += kPrivateSubfolder;
      for (const JreCandidate& other : *candidates)
        if (sameHome(other.home, home, lead)) verdict = Verdict::SameHome;
    }
    if (verdict == Verdict::Accepted) {
      std::string library = chooseJvmDll(system, home, probeType(rules, key), &candidate.serverVm);
      if (library.empty())
        verdict = Verdict::NoVmLibrary;
      else if (foreignArchitecture(machineType, files, library))
        verdict = Verdict::ForeignArchitecture;
    }
    if (tracing())
      traceRuntime(system, &files, machineType, rules, runtime.origin, key, home, candidate.version,
                   verdict);
    if (verdict != Verdict::Accepted) continue;
    candidate.home = home;
    candidate.preferred = isPreferred(rules, key);
    candidates->push_back(candidate);
  }
}

std::string DiskRuntimeFiles::head(const std::string& path, size_t size) {
  std::string bytes;
  readFileStart(path, size, &bytes);
  return bytes;
}

uint16_t peMachine(const std::string& bytes) {
  if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return 0;
  uint32_t offset = readLittle32(reinterpret_cast<const unsigned char*>(&bytes[0x3c]));
  // Compared without adding to the offset, which may be near its maximum.
  if (offset > bytes.size() || bytes.size() - offset < 6) return 0;
  if (bytes.compare(offset, 4, std::string("PE\0\0", 4)) != 0) return 0;
  return readLittle16(reinterpret_cast<const unsigned char*>(&bytes[offset + 4]));
}

TargetArchitecture launcherArchitecture() {
#if defined(_WIN32) && (defined(__x86_64__) || defined(_M_X64))
  return {0x8664, RegistryView::Bits64};
#elif defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
  return {0x14c, RegistryView::Bits32};
#elif defined(_WIN32) && (defined(__aarch64__) || defined(_M_ARM64))
  return {0xaa64, RegistryView::Bits64};
#else
  return {0, RegistryView::Native};
#endif
}

bool foreignArchitecture(uint16_t machineType, RuntimeFiles& files, const std::string& library) {
  if (machineType == 0 || library.empty()) return false;
  uint16_t machine = peMachine(files.head(library, kHeadSize));
  return machine != 0 && machine != machineType;
}

std::string withTrailingSeparator(const std::string& folder, LeadByteTest lead) {
  if (folder.empty()) return folder;
  // Step whole characters: a trail byte may have the separator's value.
  size_t last = 0;
  for (size_t i = 0; i < folder.size(); i = nextChar(folder, i, lead)) last = i;
  if (last == folder.size() - 1 && folder[last] == kPathSeparator) return folder;
  return folder + kPathSeparator;
}

std::string chooseJvmDll(System& system, const std::string& home, JvmType type,
                         bool* serverVm) {
  std::string path;
  if (type == JvmType::Server || type == JvmType::FavorServer) {
#ifdef _WIN32
    if (tryFolder(system, home, kServerFolder, &path, serverVm)) return path;
#else
    for (const char* folder : kServerFolders)
      if (tryFolder(system, home, folder, &path, serverVm)) return path;
#endif
    if (type == JvmType::Server) return std::string();
  }
  for (const char* folder : kVmFolders)
    if (tryFolder(system, home, folder, &path, serverVm)) return path;
  return std::string();
}

bool findPrivateJre(Machine& machine, std::string* home) {
  home->clear();
  std::string module;
  if (!modulePath(*machine.system, &module)) return false;
  size_t slash = findLastChar(module, kPathSeparator, machine.lead);
  if (slash == std::string::npos) return true;
  std::string folder = module.substr(0, slash + 1);
  if (holdsRuntimeLibrary(*machine.system, folder)) {
    *home = folder;
  } else if (holdsRuntimeLibrary(*machine.system, folder + kPrivateSubfolder)) {
    *home = folder + kPrivateSubfolder;
  }
  return true;
}

}  // namespace tarn
