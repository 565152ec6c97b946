// Where registered Java runtimes come from: the registry's JavaSoft and
// JRockit keys on Windows, the system's Java folders on Linux.
#ifndef TARN_RUNTIME_REGISTRY_H
#define TARN_RUNTIME_REGISTRY_H

#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "os/machine.h"

namespace tarn {

struct JreCandidate;

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
};

// The runtimes registered under one of the four vendor and kind keys,
// appended to the list as candidates.
struct RuntimeSource {
  virtual ~RuntimeSource() = default;
  virtual void collect(const RuntimeRules& rules, const std::string& key,
                       std::vector<JreCandidate>* candidates) = 0;
  // The runtimes found elsewhere, appended after the four keys.
  virtual void collectOthers(const RuntimeRules&, std::vector<JreCandidate>*) {}
};

// This platform's source of registered runtimes.
std::unique_ptr<RuntimeSource> systemRuntimeSource(Machine& machine);

}  // namespace tarn

#endif
