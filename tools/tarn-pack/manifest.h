// The application manifest's requested execution level: whether Windows
// starts the program as the user, or asks to elevate it first.
#ifndef TARN_TOOLS_MANIFEST_H
#define TARN_TOOLS_MANIFEST_H

#include <string>

#include "pack.h"

namespace tarn {

// asInvoker (the launcher's own), highestAvailable, requireAdministrator.
bool isExecutionLevel(const std::string& level);

// Sets the level attribute of the manifest's requestedExecutionLevel
// element; every other byte stays. False when the manifest has no such
// element with a level.
bool setExecutionLevel(Bytes* manifest, const std::string& level);

}  // namespace tarn

#endif
