#include "config/config_paths.h"

#include "process/module_path.h"

namespace tarn {

namespace {

// Windows takes "/" as well as "\" between folders; elsewhere "\" is an
// ordinary character of a file name.
bool isFolderSeparator(char c) { return c == kPathSeparator || c == '/'; }

// Empty, or nothing but dots and blanks: no folder of its own.
bool isBlankName(const std::string& name) {
  return name.find_first_not_of(". ") == std::string::npos;
}

// Fits the 260-byte buffer that the value is read into, terminator included.
constexpr size_t kAppDataLimit = 260;

// "C:\..." or a UNC path "\\server\...". "\Users" or "C:Users" hang off
// whatever drive or folder is current, where any local user may have put
// a folder of that name first.
bool isAbsoluteWindowsPath(const std::string& path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  bool letter = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') ||
                                     (path[0] >= 'a' && path[0] <= 'z'));
  if (letter && path[1] == ':' && separator(path[2])) return true;
  return path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
}

}  // namespace

size_t fileNameStart(const std::string& path, LeadByteTest lead) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i = nextChar(path, i, lead))
    if (isFolderSeparator(path[i])) start = i + 1;
  return start;
}

std::string configFilePathFor(const std::string& modulePath, LeadByteTest lead) {
  if (modulePath.empty()) return std::string();
  // Only the file name's extension: a dot in a folder name must not move the
  // configuration into a parent folder.
  size_t nameStart = fileNameStart(modulePath, lead);
  size_t dot = findLastChar(modulePath, '.', lead);
  if (dot == std::string::npos || dot < nameStart) return modulePath + ".ini";
  return modulePath.substr(0, dot + 1) + "ini";
}

bool configFilePath(Machine& machine, std::string* path) {
  std::string module;
  if (!modulePath(*machine.system, &module)) return false;
  *path = configFilePathFor(module, machine.lead);
  return !path->empty();
}

std::string executableName(const std::string& modulePath, LeadByteTest lead) {
  std::string name = modulePath.substr(fileNameStart(modulePath, lead));
  size_t dot = findLastChar(name, '.', lead);
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string userConfigBaseName(const std::string& modulePath, LeadByteTest lead) {
  return executableName(modulePath, lead) + ".ini";
}

std::string cleanProductName(const std::string& productName, LeadByteTest lead) {
  // Whole characters: a trail byte may equal "\" or "|", and dropping it
  // would leave half a character that swallows the next one.
  static const std::string forbidden = "\\?\"|><:/*";
  std::string cleaned;
  for (size_t i = 0; i < productName.size();) {
    size_t next = nextChar(productName, i, lead);
    if (next - i > 1 || forbidden.find(productName[i]) == std::string::npos)
      cleaned.append(productName, i, next - i);
    i = next;
  }
  return cleaned;
}

std::string applicationFolder(const std::string& productName, const std::string& productCode,
                              const std::string& modulePath, LeadByteTest lead) {
  const std::string name = cleanProductName(productName, lead);
  if (isBlankName(name)) {
    // Copies of one executable in different places are different applications.
    const uint64_t hash = fnv1a(std::string(1, '\xff'), fnv1a(modulePath));
    return executableName(modulePath, lead) + "-" + hexDigits(hash, 8);
  }
  const std::string code = cleanProductName(productCode, lead);
  return isBlankName(code) ? name : name + kPathSeparator + code;
}

std::string appDataFolderFor(const std::string& appData) {
  if (appData.size() >= kAppDataLimit || !isAbsoluteWindowsPath(appData)) return std::string();
  return appData;
}

std::string xdgFolderFor(const std::string& value, const std::string& home,
                         const std::string& subfolder) {
  // A relative value is invalid by the convention and ignored; a relative
  // home would name a folder under the current one.
  if (!value.empty() && value[0] == '/') return value;
  if (home.empty() || home[0] != '/') return std::string();
  return home + "/" + subfolder;
}

std::string xdgConfigFolderFor(const std::string& xdgConfigHome, const std::string& home) {
  return xdgFolderFor(xdgConfigHome, home, ".config");
}

std::string appDataFolder(System& system) {
  std::string value;
  system.getEnvironment("APPDATA", &value);
  return appDataFolderFor(value);
}

std::string xdgConfigFolder(System& system) {
  std::string xdg;
  std::string home;
  system.getEnvironment("XDG_CONFIG_HOME", &xdg);
  system.getEnvironment("HOME", &home);
  return xdgConfigFolderFor(xdg, home);
}

std::string userConfigFilePath(Machine& machine, const std::string& productName,
                               const std::string& productCode, bool create) {
  std::string module;
  if (!modulePath(*machine.system, &module)) return std::string();
  std::string path = userDataFolder(*machine.system);
  if (path.empty()) return std::string();
  const std::string own = applicationFolder(productName, productCode, module, machine.lead);
  for (size_t at = own.find(kPathSeparator); create; at = own.find(kPathSeparator, at + 1)) {
    machine.system->createDirectory(path + kPathSeparator + own.substr(0, at));
    if (at == std::string::npos) break;
  }
  return path + kPathSeparator + own + kPathSeparator + userConfigBaseName(module, machine.lead);
}

bool userConfigFileExists(Machine& machine, const std::string& path) {
  return !path.empty() && machine.system->fullPathExists(path);
}

bool isNtPlatform(Machine& machine) { return machine.system->isNtPlatform(); }

}  // namespace tarn
