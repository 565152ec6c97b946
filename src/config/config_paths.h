// Where the configuration file and its per-user copy live.
#ifndef TARN_CONFIG_CONFIG_PATHS_H
#define TARN_CONFIG_CONFIG_PATHS_H

#include <string>

#include "os/machine.h"

namespace tarn {

// Where the file name starts: after the last folder separator of the
// target ("\" or "/" on Windows, "/" alone elsewhere), 0 when there is none.
size_t fileNameStart(const std::string& path, LeadByteTest lead);

// The executable's path with the extension of its file name replaced by
// "ini", or ".ini" appended when the file name has none; "" for an empty path.
std::string configFilePathFor(const std::string& modulePath, LeadByteTest lead);

// configFilePathFor on the running executable. Fails (after modulePath has
// reported why) when the module path cannot be obtained.
bool configFilePath(Machine& machine, std::string* path);

// The file name of the path without its last extension.
std::string executableName(const std::string& modulePath, LeadByteTest lead);

// executableName, then ".ini".
std::string userConfigBaseName(const std::string& modulePath, LeadByteTest lead);

// The product name without the characters no folder name may hold.
std::string cleanProductName(const std::string& productName, LeadByteTest lead);

// The folder of an application's own below a per-user folder: the cleaned
// product name, then the cleaned product code unless it is blank; without
// a product name (nothing but dots and blanks once cleaned), the
// executable's name and 8 hex digits of its path. Never empty, never ".."
// or a separator, so nothing lands in the per-user folder itself or above.
std::string applicationFolder(const std::string& productName, const std::string& productCode,
                              const std::string& modulePath, LeadByteTest lead);

// The per-user base folder by each platform's rule; "" when there is no
// usable one, and then no per-user copy at all.
// Windows: "APPDATA" when it is an absolute path that fits 260 bytes.
std::string appDataFolderFor(const std::string& appData);
std::string appDataFolder(System& system);
// Linux: an absolute $XDG_CONFIG_HOME, else an absolute $HOME + "/.config".
std::string xdgConfigFolderFor(const std::string& xdgConfigHome, const std::string& home);
// The XDG rule for any base folder: an absolute value, else an absolute
// home with the subfolder.
std::string xdgFolderFor(const std::string& value, const std::string& home,
                         const std::string& subfolder);
std::string xdgConfigFolder(System& system);
// The running target's choice of the two.
std::string userDataFolder(System& system);

// The per-user cache folder by the same rules, "" when there is none.
// Windows: "LOCALAPPDATA". Linux: $XDG_CACHE_HOME, else $HOME/.cache.
std::string userCacheFolder(System& system);

// <per-user folder>\<applicationFolder>\<base name>.ini, "" when the module
// path cannot be obtained or there is no per-user folder; with create set,
// the application's folders are created on the way (never the per-user
// folder itself).
std::string userConfigFilePath(Machine& machine, const std::string& productName,
                               const std::string& productCode, bool create);

// The per-user copy exists and its full path can be formed (a path beyond
// the system's limit never exists).
bool userConfigFileExists(Machine& machine, const std::string& path);

// The per-user copy is in use only on an NT-family system.
bool isNtPlatform(Machine& machine);

}  // namespace tarn

#endif
