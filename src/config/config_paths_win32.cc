#include "config/config_paths.h"

namespace tarn {

std::string userDataFolder(System& system) { return appDataFolder(system); }

std::string userCacheFolder(System& system) {
  std::string value;
  system.getEnvironment("LOCALAPPDATA", &value);
  // The same rule as "APPDATA": never a folder under the current one.
  return appDataFolderFor(value);
}

}  // namespace tarn
