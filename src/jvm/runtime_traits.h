// What the launcher adapts to in the runtime it loaded, found out before
// its VM exists: whether it scales windows for high-DPI screens, and in
// which code page it decodes the option strings. The second matters on
// Windows under the UTF-8 code page: older runtimes take their platform
// encoding from the system locale's legacy code page instead of the
// process's, and read UTF-8 option strings (class path, -D values) wrongly.
#ifndef TARN_JVM_RUNTIME_TRAITS_H
#define TARN_JVM_RUNTIME_TRAITS_H

#include <string>

namespace tarn {

struct RuntimeTraits {
  bool scalesForDpi = true;
  bool optionsInProcessCodePage = true;
};

// jni9 and jni19: the VM accepts JNI_VERSION_9 or JNI_VERSION_19, which
// only Java 9 or 19 and later know. releaseVersion: the JAVA_VERSION of the
// runtime's release file, "" when it has none. Java 19, and the updates of
// 11 and 17 that took over its change (11.0.17 and 17.0.5), decode option
// strings in the process's code page.
RuntimeTraits runtimeTraits(bool jni9, bool jni19, const std::string& releaseVersion);

}  // namespace tarn

#endif
