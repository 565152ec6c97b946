// Whether the rules take a runtime found under a vendor and kind key, and
// the trace's line that says why or why not.
#ifndef TARN_RUNTIME_RUNTIME_VERDICT_H
#define TARN_RUNTIME_RUNTIME_VERDICT_H

#include <cstdint>
#include <string>

#include "config/java_version.h"
#include "config/settings.h"
#include "os/system.h"
#include "runtime/runtime_home.h"

namespace tarn {

// Why a runtime found was taken or not.
enum class Verdict {
  Accepted,
  OutOfLimits,
  NoVmLibrary,
  ForeignArchitecture,
  NotSearched,
  SameHome
};

bool isJdkKey(const std::string& key);
bool isJavaSoftKey(const std::string& key);

// A JavaSoft public runtime is probed for its default VM under
// FavorServer, so one with a client VM does not count as a server runtime.
JvmType probeType(const RuntimeRules& rules, const std::string& key);

// Preferred by the rules' kind and vendor.
bool isPreferred(const RuntimeRules& rules, const std::string& key);

// The version lies within the rules' limits. An all-zero maximum (an empty
// "Maximum Version") sets no upper limit.
bool withinLimits(const RuntimeRules& rules, const JavaVersion& version);

// The vendor and kind key is searched under the rules.
bool keySearched(const RuntimeRules& rules, const std::string& key);
// The trace's line for a key that is not, with the reason.
void traceKeyNotSearched(const RuntimeRules& rules, const std::string& key);

// The trace's line for one runtime considered, its facts gathered here so
// that nothing is looked at when the trace is off.
void traceRuntime(System& system, RuntimeFiles* files, uint16_t machineType,
                  const RuntimeRules& rules, const std::string& origin, const std::string& key,
                  const std::string& home, const JavaVersion& version, Verdict verdict);

}  // namespace tarn

#endif
