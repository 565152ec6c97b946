#include "config/config_paths.h"

namespace tarn {

std::string userDataFolder(System& system) { return appDataFolder(system); }

}  // namespace tarn
