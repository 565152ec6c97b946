#include "runtime/discovery.h"

#include "launcher/messages.h"

namespace tarn {

namespace {

#ifdef _WIN32
const char* const kVmFolders[] = {"bin\\client\\", "bin\\classic\\", "bin\\hotspot\\",
                                  "bin\\server\\", "bin\\jrockit\\"};
const char* const kServerFolder = "bin\\server\\";
const char* const kJvmLibrary = "jvm.dll";
const char* const kRuntimeLibraries[] = {"bin\\java.dll"};
const char* const kPrivateSubfolder = "jre\\";
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

}  // namespace

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
