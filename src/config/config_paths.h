// Where the configuration file and its per-user copy live.
#ifndef TARN_CONFIG_CONFIG_PATHS_H
#define TARN_CONFIG_CONFIG_PATHS_H

#include <string>

#include "os/machine.h"

namespace tarn {

// The executable's path with the extension of its file name replaced by
// "ini", or ".ini" appended when the file name has none; "" for an empty path.
std::string configFilePathFor(const std::string& modulePath);

// configFilePathFor on the running executable. Fails (after modulePath has
// reported why) when the module path cannot be obtained.
bool configFilePath(Machine& machine, std::string* path);

// <per-user folder>\<product name cleaned>\<product code>\<base name>.ini,
// "" when the module path cannot be obtained; with create set, the two
// product folders are created on the way.
std::string userConfigFilePath(Machine& machine, const std::string& productName,
                               const std::string& productCode, bool create);

// The per-user copy exists (a path of 260 characters or more never does).
bool userConfigFileExists(Machine& machine, const std::string& path);

}  // namespace tarn

#endif
