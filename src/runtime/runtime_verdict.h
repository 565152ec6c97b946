// Whether the rules take a runtime found under a vendor and kind key, and
// the trace's line that says why or why not.
#ifndef TARN_RUNTIME_RUNTIME_VERDICT_H
#define TARN_RUNTIME_RUNTIME_VERDICT_H

#include <cstdint>
#include <string>
#include <vector>

#include "config/java_version.h"
#include "config/settings.h"
#include "os/system.h"
#include "runtime/runtime_home.h"

namespace tarn {

// A runtime found that the rules turned down, as the message for no
// fitting runtime lists it.
struct RuntimeRefusal {
  JavaVersion version;
  std::string architecture;  // "x86_64", "x86", "arm64", or the release file's word
  std::string home;          // "" when none was registered
  std::string origin;        // where it was registered, named when there is no home
  std::string reason;        // from the string table
};

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

// One runtime considered: the trace's line, and a runtime turned down (not
// merely found twice) appended to refusals when given. Its facts are
// gathered here, so that nothing is looked at when neither wants them.
void noteRuntime(System& system, RuntimeFiles* files, uint16_t machineType,
                 const RuntimeRules& rules, const std::string& origin, const std::string& key,
                 const std::string& home, const JavaVersion& version, Verdict verdict,
                 std::vector<RuntimeRefusal>* refusals);

// The lines that list the runtimes turned down, newest first, a folder
// once, at most a handful; or that none was found.
std::string refusalList(std::vector<RuntimeRefusal> refusals, LeadByteTest lead);

}  // namespace tarn

#endif
