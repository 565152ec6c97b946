// Which Java runtime the launcher loads.
#ifndef TARN_RUNTIME_SELECTION_H
#define TARN_RUNTIME_SELECTION_H

#include <string>
#include <vector>

#include "config/settings.h"
#include "runtime/discovery.h"
#include "runtime/registry.h"
#include "runtime/runtime_verdict.h"

namespace tarn {

// What the user is told when no runtime fits.
struct RuntimeNotFound {
  std::string message;       // the requirement, ending in "from:"
  std::string downloadPage;  // the address that follows it
  std::string found;         // the runtimes turned down and why, or that there were none
};

// Asks the user for a runtime folder when nothing fits: 1 with the folder
// (ending in the separator) and its VM library, 2 when the user cancelled.
struct RuntimeChooser {
  virtual ~RuntimeChooser() = default;
  virtual int choose(const RuntimeNotFound& notice, JvmType type, std::string* folder,
                     std::string* jvmPath) = 0;
};

// Orders candidates: preferred first in favour mode, server VMs first under
// FavorServer, then newest first; equal ones keep their order.
void sortCandidates(const RuntimeRules& rules, std::vector<JreCandidate>* candidates);

// The index of the sorted candidate to use: the first that matches the
// earliest matching preferred version, else the first. The list is not empty.
size_t pickCandidate(const RuntimeRules& rules, const std::vector<JreCandidate>& candidates);

// Collects from the keys the rules allow, sorts and picks; the runtimes
// turned down go to refusals when given.
bool searchRegistry(const RuntimeRules& rules, RuntimeSource& source, JreCandidate* chosen,
                    std::vector<RuntimeRefusal>* refusals = nullptr);

// The message for no fitting runtime, with the version requirement.
std::string runtimeNotFoundMessage(const RuntimeRules& rules);

// Writes the folder the user chose as "JRE Path", to the per-user copy or
// the configuration file.
void rememberRuntimeFolder(Machine& machine, const LauncherSettings& settings,
                           const std::string& folder);

// Sets *jvmPath; false when the user cancelled or the runtime found is of
// another machine type than the architecture's.
bool selectRuntimeWith(Machine& machine, const LauncherSettings& settings,
                       const TargetArchitecture& architecture, RuntimeSource& source,
                       RuntimeChooser& chooser, std::string* jvmPathOut);

}  // namespace tarn

#endif
