// Linux: the runtimes installed in the system's Java folders, which stand in
// for the registry's runtime registrations.
#ifndef TARN_RUNTIME_JAVA_FOLDERS_H
#define TARN_RUNTIME_JAVA_FOLDERS_H

#include <string>
#include <vector>

#include "runtime/installed_runtimes.h"

namespace tarn {

// The folders that distributions and vendors install runtimes into.
std::vector<std::string> systemJavaFolders();

// Every folder directly below the roots, in root order and by name within a
// root, by its real path; a symbolic link to a folder already seen is left
// out. Missing roots are skipped.
std::vector<InstalledRuntime> scanJavaFolders(const std::vector<std::string>& roots);

// The runtime JAVA_HOME names, by its real path so that a link into the
// system folders is the runtime found there. False when it names no folder.
bool javaHomeRuntime(System& system, const std::string& javaHome, InstalledRuntime* runtime);

}  // namespace tarn

#endif
