// The runtimes that installers register under their own keys and that the
// system's Java folders hold, and how they join the candidates.
#ifndef TARN_RUNTIME_INSTALLED_RUNTIMES_H
#define TARN_RUNTIME_INSTALLED_RUNTIMES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/discovery.h"

namespace tarn {

// A runtime found in the system's Java folders (the registry's counterpart
// on Linux): its folder, the version text from its release file, and
// whether it holds a compiler.
struct InstalledRuntime {
  std::string folder;  // ends in the path separator
  std::string version;
  bool jdk = false;
  std::string origin;  // where it was found, for the trace
};

// Appends the installed runtimes of the key's kind that the rules admit, by
// the same rules as collectFromKey. They count as JavaSoft runtimes.
void collectInstalled(System& system, const RuntimeRules& rules, const std::string& key,
                      const std::vector<InstalledRuntime>& installed,
                      std::vector<JreCandidate>* candidates,
                      std::vector<RuntimeRefusal>* refusals = nullptr);

// The runtime in the folder: its version from its release file, else the
// fallback; a JDK when it has a compiler. False for an empty folder.
bool describeRuntime(System& system, RuntimeFiles& releases, LeadByteTest lead,
                     const std::string& folder, const std::string& fallbackVersion,
                     InstalledRuntime* runtime);

// Where a kind of registration keeps a runtime's folder: below each version
// subkey of the key, in the subpath's value.
struct Registration {
  const char* key;      // ends in a backslash
  const char* subpath;  // "" or starts with a backslash
  const char* value;
};

// The registrations of runtimes 9 and later, in search order: the JavaSoft
// keys, then the installers' own.
extern const Registration kModernRegistrations[];
extern const size_t kModernRegistrationCount;

// Appends the runtimes of the registration; a subkey's name stands in for a
// missing version.
void listRegistered(System& system, Registry& registry, RuntimeFiles& releases, LeadByteTest lead,
                    const Registration& registration, std::vector<InstalledRuntime>* runtimes);

// Appends the runtimes that the rules admit as JavaSoft runtimes of their
// kind, leaving out any whose home is already a candidate and any of
// another machine type.
void collectFurther(System& system, RuntimeFiles& files, LeadByteTest lead, uint16_t machineType,
                    const RuntimeRules& rules,
                    const std::vector<InstalledRuntime>& runtimes,
                    std::vector<JreCandidate>* candidates,
                    std::vector<RuntimeRefusal>* refusals = nullptr);

}  // namespace tarn

#endif
