// Where registered Java runtimes come from: the registry's JavaSoft and
// JRockit keys on Windows, the system's Java folders on Linux.
#ifndef TARN_RUNTIME_REGISTRY_H
#define TARN_RUNTIME_REGISTRY_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "os/machine.h"

namespace tarn {

struct JreCandidate;
struct RuntimeRefusal;

// The registry view a launcher reads: on 64-bit Windows a 32-bit program's
// keys live apart from a 64-bit one's, and each finds its own runtimes there.
enum class RegistryView { Native, Bits32, Bits64 };

// What the launcher's own architecture decides in the search: the machine
// type of the VM libraries it can load (0: not checked) and the view.
struct TargetArchitecture {
  uint16_t machine = 0;
  RegistryView registryView = RegistryView::Native;
};

// The architecture this launcher is built for.
TargetArchitecture launcherArchitecture();

// Read access to one registry hive.
struct Registry {
  virtual ~Registry() = default;
  // The subkey names of the key, in the registry's order, up to the first
  // one that cannot be read. False when the key cannot be opened.
  virtual bool subkeyNames(const std::string& key, std::vector<std::string>* names) = 0;
  // A value of the key as a zero-terminated string, whatever its type.
  // False when the key or value is missing, empty or unreadable.
  virtual bool readString(const std::string& key, const std::string& value,
                          std::string* data) = 0;
  // The hive's short name, as the trace writes it.
  virtual const char* rootName() { return "HKLM"; }
};

// The runtimes registered under one of the four vendor and kind keys,
// appended to the list as candidates, and those the rules turn down to
// refusals.
struct RuntimeSource {
  virtual ~RuntimeSource() = default;
  virtual void collect(const RuntimeRules& rules, const std::string& key,
                       std::vector<JreCandidate>* candidates,
                       std::vector<RuntimeRefusal>* refusals) = 0;
  // The runtimes found elsewhere, appended after the four keys.
  virtual void collectOthers(const RuntimeRules&, std::vector<JreCandidate>*,
                             std::vector<RuntimeRefusal>*) {}
};

// This platform's source of registered runtimes, as a launcher of the
// architecture sees them.
std::unique_ptr<RuntimeSource> systemRuntimeSource(Machine& machine,
                                                   const TargetArchitecture& architecture);

}  // namespace tarn

#endif
