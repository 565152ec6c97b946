#include "runtime/runtime_home.h"

#include <algorithm>

#include "os/file_bytes.h"
#include "os/little_endian.h"
#include "process/module_path.h"
#include "runtime/registry.h"

namespace tarn {

namespace {

#ifdef _WIN32
const char* const kVmFolders[] = {"bin\\client\\", "bin\\classic\\", "bin\\hotspot\\",
                                  "bin\\server\\", "bin\\jrockit\\"};
const char* const kServerFolder = "bin\\server\\";
const char* const kJvmLibrary = "jvm.dll";
const char* const kRuntimeLibraries[] = {"bin\\java.dll"};
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

}  // namespace

#ifdef _WIN32
const char* const kPrivateSubfolder = "jre\\";
#else
const char* const kPrivateSubfolder = "jre/";
#endif

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

bool sameHome(const std::string& a, const std::string& b, LeadByteTest lead) {
  return comparableHome(a, lead) == comparableHome(b, lead);
}

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

std::string DiskRuntimeFiles::read(const std::string& folder) {
  // A release file is a few lines; more than this is not one.
  return head(folder + "release", 64 * 1024);
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

namespace {

uint16_t elfMachine(const std::string& bytes) {
  if (bytes.size() < 20 || bytes.compare(0, 4, "\x7f" "ELF") != 0 || bytes[5] != 1) return 0;
  switch (readLittle16(reinterpret_cast<const unsigned char*>(&bytes[18]))) {
    case 3: return 0x14c;
    case 62: return 0x8664;
    case 183: return 0xaa64;
    default: return 0;
  }
}

}  // namespace

uint16_t imageMachine(const std::string& bytes) {
  const uint16_t machine = peMachine(bytes);
  return machine != 0 ? machine : elfMachine(bytes);
}

uint16_t libraryMachine(RuntimeFiles& files, const std::string& library) {
  return imageMachine(files.head(library, kHeadSize));
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
  uint16_t machine = libraryMachine(files, library);
  return machine != 0 && machine != machineType;
}

}  // namespace tarn
