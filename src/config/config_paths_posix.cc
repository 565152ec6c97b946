#include "config/config_paths.h"

namespace tarn {

std::string userDataFolder(System& system) { return xdgConfigFolder(system); }

std::string userCacheFolder(System& system) {
  std::string value;
  system.getEnvironment("XDG_CACHE_HOME", &value);
  if (!value.empty() && value[0] == '/') return value;
  system.getEnvironment("HOME", &value);
  if (value.empty() || value[0] != '/') return std::string();
  return value + "/.cache";
}

}  // namespace tarn
