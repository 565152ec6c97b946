#include "runtime/installed_runtimes.h"

#include "report/trace.h"
#include "runtime/runtime_verdict.h"

namespace tarn {

namespace {

// A JDK has a compiler below its home.
#ifdef _WIN32
const char* const kCompiler = "bin\\javac.exe";
#else
const char* const kCompiler = "bin/javac";
#endif

}  // namespace

void collectInstalled(System& system, const RuntimeRules& rules, const std::string& key,
                      const std::vector<InstalledRuntime>& installed,
                      std::vector<JreCandidate>* candidates,
                      std::vector<RuntimeRefusal>* refusals) {
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
    noteRuntime(system, nullptr, 0, rules, runtime.origin, key, home, candidate.version, verdict,
                refusals);
    if (verdict != Verdict::Accepted) continue;
    candidate.home = home;
    candidate.preferred = isPreferred(rules, key);
    candidates->push_back(candidate);
  }
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

void collectFurther(System& system, RuntimeFiles& files, LeadByteTest lead, uint16_t machineType,
                    const RuntimeRules& rules,
                    const std::vector<InstalledRuntime>& runtimes,
                    std::vector<JreCandidate>* candidates,
                    std::vector<RuntimeRefusal>* refusals) {
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
    noteRuntime(system, &files, machineType, rules, runtime.origin, key, home, candidate.version,
                verdict, refusals);
    if (verdict != Verdict::Accepted) continue;
    candidate.home = home;
    candidate.preferred = isPreferred(rules, key);
    candidates->push_back(candidate);
  }
}

}  // namespace tarn
