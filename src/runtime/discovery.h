// Finding Java runtimes: the VM library below a runtime's home, the private
// runtime beside the executable, and the registered runtimes as candidates.
#ifndef TARN_RUNTIME_DISCOVERY_H
#define TARN_RUNTIME_DISCOVERY_H

#include <string>
#include <vector>

#include "config/settings.h"
#include "os/machine.h"
#include "runtime/java_version.h"

namespace tarn {

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

}  // namespace tarn

#endif
