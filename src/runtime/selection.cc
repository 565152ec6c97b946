#include "runtime/selection.h"

#include "launcher/launcher.h"
#include "launcher/messages.h"
#include "runtime/discovery.h"

namespace tarn {

bool selectRuntime(Launcher& launcher) {
  Machine& machine = *launcher.machine;
  const RuntimeRules& rules = launcher.settings.rules;
  // A configured folder is taken whatever its version; one without a VM is
  // skipped silently.
  if (!rules.jrePath.empty()) {
    std::string home = withTrailingSeparator(rules.jrePath, machine.lead);
    std::string path = chooseJvmDll(*machine.system, home, rules.jvmType);
    if (!path.empty()) {
      launcher.jvm.jvmPath = path;
      return true;
    }
  }
  printError(loadMessage(IDS_NO_RUNTIME_SELECTION));
  return false;
}

}  // namespace tarn
