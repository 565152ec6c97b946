#include "runtime/java_folders.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "report/trace.h"

namespace tarn {

namespace {

bool isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> entryNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (!name.empty() && name[0] != '.') names.push_back(name);
  }
  closedir(dir);
  // The directory's own order is arbitrary; sorted names keep the choice
  // among equal runtimes the same from one start to the next.
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<InstalledRuntime> scanSystemFolders();

// Scans on first use: a configured or private runtime never pays for it.
struct InstalledSource : RuntimeSource {
  explicit InstalledSource(Machine& machine) : machine(machine) {}
  void collect(const RuntimeRules& rules, const std::string& key,
               std::vector<JreCandidate>* candidates,
               std::vector<RuntimeRefusal>* refusals) override {
    if (!scanned) {
      installed = scanSystemFolders();
      scanned = true;
    }
    collectInstalled(*machine.system, rules, key, installed, candidates, refusals);
  }
  // JAVA_HOME after the system folders.
  void collectOthers(const RuntimeRules& rules, std::vector<JreCandidate>* candidates,
                     std::vector<RuntimeRefusal>* refusals) override {
    std::string javaHome;
    InstalledRuntime runtime;
    if (!machine.system->getEnvironment("JAVA_HOME", &javaHome) ||
        !javaHomeRuntime(*machine.system, javaHome, &runtime)) {
      if (javaHome.empty())
        trace("JAVA_HOME: not set");
      else
        trace("JAVA_HOME=%s: no such folder", javaHome.c_str());
      return;
    }
    runtime.origin = "JAVA_HOME";
    DiskRuntimeFiles files;
    collectFurther(*machine.system, files, machine.lead, 0, rules, {runtime}, candidates,
                   refusals);
  }
  Machine& machine;
  bool scanned = false;
  std::vector<InstalledRuntime> installed;
};

}  // namespace

std::vector<std::string> systemJavaFolders() { return {"/usr/lib/jvm", "/usr/java", "/opt/java"}; }

std::vector<InstalledRuntime> scanJavaFolders(const std::vector<std::string>& roots) {
  std::vector<InstalledRuntime> found;
  std::set<std::string> seen;
  for (const std::string& root : roots) {
    for (const std::string& name : entryNames(root)) {
      std::string path = root + "/" + name;
      if (!isDirectory(path)) continue;
      char real[PATH_MAX];
      if (!realpath(path.c_str(), real)) continue;
      if (!seen.insert(real).second) continue;
      InstalledRuntime runtime;
      if (tracing()) runtime.origin = path;
      runtime.folder = std::string(real) + "/";
      runtime.version = releaseJavaVersion(DiskRuntimeFiles().read(runtime.folder));
      struct stat info;
      runtime.jdk = stat((runtime.folder + "bin/javac").c_str(), &info) == 0;
      found.push_back(runtime);
    }
  }
  return found;
}

bool javaHomeRuntime(System& system, const std::string& javaHome, InstalledRuntime* runtime) {
  char real[PATH_MAX];
  if (javaHome.empty() || !realpath(javaHome.c_str(), real) || !isDirectory(real)) return false;
  DiskRuntimeFiles files;
  return describeRuntime(system, files, noLeadBytes, real, std::string(), runtime);
}

namespace {
std::vector<InstalledRuntime> scanSystemFolders() { return scanJavaFolders(systemJavaFolders()); }
}  // namespace

// Linux libraries are not PE images and there is one view of the folders.
std::unique_ptr<RuntimeSource> systemRuntimeSource(Machine& machine, const TargetArchitecture&) {
  return std::make_unique<InstalledSource>(machine);
}

}  // namespace tarn
