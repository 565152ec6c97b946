// The registered runtimes as candidates: the classic vendor and kind keys
// of the registry, which Linux fills from its Java folders.
#ifndef TARN_RUNTIME_DISCOVERY_H
#define TARN_RUNTIME_DISCOVERY_H

#include <cstdint>
#include <string>
#include <vector>

#include "config/java_version.h"
#include "config/settings.h"
#include "os/machine.h"
#include "runtime/registry.h"
#include "runtime/runtime_home.h"
#include "runtime/runtime_verdict.h"

namespace tarn {

struct JreCandidate {
  JavaVersion version;
  std::string home;  // always ends in the path separator
  bool serverVm = false;
  bool preferred = false;
};

// The registry keys of installed runtimes, below HKEY_LOCAL_MACHINE.
extern const char* const kJavaSoftJdkKey;
extern const char* const kJavaSoftJreKey;
extern const char* const kJrockitJreKey;
extern const char* const kJrockitJdkKey;

// The "JavaHome" of key + subkey as a runtime home: with the separator, and
// for a JDK its jre folder.
bool registeredFolder(Machine& machine, Registry& registry, const std::string& key,
                      const std::string& subkey, std::string* folder);

// The "JavaHome" of key + subkey made a runtime home holding a VM library.
bool probeVersionKey(Machine& machine, Registry& registry, const RuntimeRules& rules,
                     const std::string& key, const std::string& subkey, std::string* home,
                     bool* serverVm);

// Appends the runtimes registered under the key that the rules admit, and
// those it turns down to refusals when given. With files and a machine
// type, a runtime of another one is left out.
void collectFromKey(Machine& machine, Registry& registry, const RuntimeRules& rules,
                    const std::string& key, std::vector<JreCandidate>* candidates,
                    RuntimeFiles* files = nullptr, uint16_t machineType = 0,
                    std::vector<RuntimeRefusal>* refusals = nullptr);

}  // namespace tarn

#endif
