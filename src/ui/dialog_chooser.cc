#include "ui/dialog_chooser.h"

#include "report/messages.h"
#include "ui/jre_not_found_dialog.h"

namespace tarn {

int DialogChooser::choose(const RuntimeNotFound& notice, JvmType type, std::string* folder,
                          std::string* jvmPath) {
  messageAppears();
  // Nobody answers a service's dialog: it would wait forever, and the
  // service manager would give up on the start without a reason.
  if (unattended) {
    printRuntimeNotFound(notice);
    return 2;
  }
  JreNotFoundDialog dialog(machine, notice, type);
  int result = dialog.show(activeWindow());
  *folder = dialog.folder;
  *jvmPath = dialog.jvmPath;
  return result;
}

}  // namespace tarn
