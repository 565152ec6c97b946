#include "runtime/selection.h"

#include "launcher/launcher.h"
#include "launcher/messages.h"

namespace tarn {

bool selectRuntime(Launcher&) {
  printError(loadMessage(IDS_NO_RUNTIME_SELECTION));
  return false;
}

}  // namespace tarn
