#include "config/config_paths.h"

#include "launcher/messages.h"

namespace tarn {

std::string configFilePathFor(const std::string& modulePath) {
  if (modulePath.empty()) return std::string();
  size_t slash = modulePath.find_last_of("\\/");
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = modulePath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return modulePath + ".ini";
  return modulePath.substr(0, dot + 1) + "ini";
}

bool configFilePath(Machine& machine, std::string* path) {
  std::string module;
  if (!modulePath(*machine.system, &module)) return false;
  *path = configFilePathFor(module);
  return !path->empty();
}

std::string userConfigFilePath(Machine&, const std::string&, const std::string&, bool) {
  return std::string();
}

bool userConfigFileExists(Machine& machine, const std::string& path) {
  return machine.system->fullPathExists(path);
}

}  // namespace tarn
