// The process environment the VM and the program see: the chosen runtime
// published in TARN_JVM_PATH / TARN_JVM_HOME, the search path with the
// runtime's folders, and the native library path option.
#ifndef TARN_JVM_ENVIRONMENT_H
#define TARN_JVM_ENVIRONMENT_H

#include <string>

#include "os/text.h"

namespace tarn {

struct JvmHost;
struct LauncherSettings;
struct Machine;

// The path without its last n components (cut before the last separator,
// n times; a text without one stays).
std::string stripPathComponents(const std::string& path, int n, char separator,
                                LeadByteTest lead);

// A path list as the target separates it: on Linux ";" also separates.
std::string toTargetPathList(const std::string& list);
std::string toPathList(const std::string& list, bool posix);

// The runtime home of a VM library path. Windows: three components up
// (home\bin\<vm>\jvm.dll). Linux: home/lib/server/libjvm.so or
// home/lib/<arch>/server/libjvm.so.
std::string runtimeHome(const std::string& jvmPath, bool posix, LeadByteTest lead);

// The texts prepareEnvironment sets, before %NAME% expansion.
struct EnvironmentPlan {
  std::string jvmHome;            // TARN_JVM_HOME
  std::string libraryPathOption;  // "-Djava.library.path=..." or "" when none
  std::string searchPathName;     // "Path" on Windows, "PATH" on Linux
  std::string searchPath;         // the new value, with %Path% / %PATH% in it
};

struct EnvironmentInputs {
  std::string jvmPath;
  std::string libraryPath;  // "Library Path"
  std::string systemPath;   // "System Path"
  std::string moduleFolder; // the executable's folder with its trailing separator
  bool librarySearchPathSet = true;  // Linux: LD_LIBRARY_PATH holds something
  bool posix = false;                // Linux names, separators and runtime layout
};

EnvironmentPlan planEnvironment(const EnvironmentInputs& inputs, LeadByteTest lead);

// Sets TARN_JVM_PATH, TARN_JVM_HOME and the search path; puts the library
// path option first in the option list when "Library Path" is set.
void prepareEnvironment(Machine& machine, const LauncherSettings& settings, JvmHost& jvm);

}  // namespace tarn

#endif
