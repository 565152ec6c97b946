#include "config/config_paths.h"

namespace tarn {

std::string userDataFolder(System& system) { return xdgConfigFolder(system); }

std::string userCacheFolder(System& system) {
  std::string xdg;
  std::string home;
  system.getEnvironment("XDG_CACHE_HOME", &xdg);
  system.getEnvironment("HOME", &home);
  return xdgFolderFor(xdg, home, ".cache");
}

}  // namespace tarn
