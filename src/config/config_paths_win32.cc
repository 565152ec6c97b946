#include "config/config_paths.h"

namespace tarn {

std::string userDataFolder(System& system) { return appDataFolder(system); }

std::string userCacheFolder(System& system) {
  std::string value;
  system.getEnvironment("LOCALAPPDATA", &value);
  if (value.size() >= 260) return std::string();
  // A drive letter and a separator, or a UNC name: never the current folder.
  bool drive = value.size() >= 3 && value[1] == ':' && (value[2] == '\\' || value[2] == '/');
  bool unc = value.size() >= 3 && value[0] == '\\' && value[1] == '\\';
  return drive || unc ? value : std::string();
}

}  // namespace tarn
