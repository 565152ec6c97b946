// Finding Java runtimes: the VM library below a runtime's home, the private
// runtime beside the executable, and the registered runtimes as candidates.
#ifndef TARN_RUNTIME_DISCOVERY_H
#define TARN_RUNTIME_DISCOVERY_H

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "os/machine.h"
#include "runtime/java_version.h"
#include "runtime/registry.h"

namespace tarn {

struct RuntimeFiles;

struct JreCandidate {
  JavaVersion version;
  std::string home;  // always ends in the path separator
  bool serverVm = false;
  bool preferred = false;
};

// The folder with the path separator appended when it does not end in one.
std::string withTrailingSeparator(const std::string& folder, LeadByteTest lead);

// The first VM library below home that exists, by the VM type; "" when there
// is none (serverVm is then left alone). An empty home keeps the paths
// relative.
std::string chooseJvmDll(System& system, const std::string& home, JvmType type,
                         bool* serverVm = nullptr);

// A runtime beside the executable (its folder, else its jre subfolder) that
// holds the Java runtime library. False when the executable's path cannot be
// obtained; true with an empty home when there is no private runtime.
bool findPrivateJre(Machine& machine, std::string* home);

// The registry keys of installed runtimes, below HKEY_LOCAL_MACHINE.
extern const char* const kJavaSoftJdkKey;
extern const char* const kJavaSoftJreKey;
extern const char* const kJrockitJreKey;
extern const char* const kJrockitJdkKey;

// The version lies within the rules' limits. An all-zero maximum (an empty
// "Maximum Version") sets no upper limit.
bool withinLimits(const RuntimeRules& rules, const JavaVersion& version);

// The "JavaHome" of key + subkey as a runtime home: with the separator, and
// for a JDK its jre folder.
bool registeredFolder(Machine& machine, Registry& registry, const std::string& key,
                      const std::string& subkey, std::string* folder);

// The "JavaHome" of key + subkey made a runtime home holding a VM library.
bool probeVersionKey(Machine& machine, Registry& registry, const RuntimeRules& rules,
                     const std::string& key, const std::string& subkey, std::string* home,
                     bool* serverVm);

// Appends the runtimes registered under the key that the rules admit.
// With files and a machine type, a runtime of another one is left out.
void collectFromKey(Machine& machine, Registry& registry, const RuntimeRules& rules,
                    const std::string& key, std::vector<JreCandidate>* candidates,
                    RuntimeFiles* files = nullptr, uint16_t machineType = 0);

// A runtime found in the system's Java folders (the registry's counterpart
// on Linux): its folder, the version text from its release file, and
// whether it holds a compiler.
struct InstalledRuntime {
  std::string folder;  // ends in the path separator
  std::string version;
  bool jdk = false;
  std::string origin;  // where it was found, for the trace
};

// The JAVA_VERSION of a runtime's release file text, without its quotes; ""
// when it has none.
std::string releaseJavaVersion(const std::string& text);
// Any value of a release file by the same rule.
std::string releaseValue(const std::string& text, const std::string& name);

// Appends the installed runtimes of the key's kind that the rules admit, by
// the same rules as collectFromKey. They count as JavaSoft runtimes.
void collectInstalled(System& system, const RuntimeRules& rules, const std::string& key,
                      const std::vector<InstalledRuntime>& installed,
                      std::vector<JreCandidate>* candidates);

// Reads a runtime's files.
struct RuntimeFiles {
  virtual ~RuntimeFiles() = default;
  // The text of the release file in the folder (ending in the separator);
  // "" when there is none.
  virtual std::string read(const std::string& folder) = 0;
  // Up to size bytes from the start of the file; "" when it cannot be read.
  virtual std::string head(const std::string& path, size_t size) = 0;
};

// The runtime files on disk.
struct DiskRuntimeFiles : RuntimeFiles {
  std::string read(const std::string& folder) override;
  std::string head(const std::string& path, size_t size) override;
};

// The machine type in the header of a PE image; 0 when the bytes do not
// hold one.
uint16_t peMachine(const std::string& bytes);

// The library is a PE image of another machine type than the given one. A
// machine type that cannot be read does not count, nor does a given 0.
bool foreignArchitecture(uint16_t machineType, RuntimeFiles& files, const std::string& library);

// The vendor and kind key is searched under the rules.
bool keySearched(const RuntimeRules& rules, const std::string& key);
// The trace's line for a key that is not, with the reason.
void traceKeyNotSearched(const RuntimeRules& rules, const std::string& key);

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

// Two runtime homes are the same folder, compared without a trailing
// separator and, on Windows, without case and separator differences.
bool sameHome(const std::string& a, const std::string& b, LeadByteTest lead);

// Appends the runtimes that the rules admit as JavaSoft runtimes of their
// kind, leaving out any whose home is already a candidate and any of
// another machine type.
void collectFurther(System& system, RuntimeFiles& files, LeadByteTest lead, uint16_t machineType,
                    const RuntimeRules& rules,
                    const std::vector<InstalledRuntime>& runtimes,
                    std::vector<JreCandidate>* candidates);

}  // namespace tarn

#endif
