#include "ui/jre_not_found_dialog.h"

#include "report/messages.h"
#include "runtime/runtime_home.h"

namespace tarn {

bool JreNotFoundDialog::pickFolder(const std::string& path) {
  folder = withTrailingSeparator(path, machine.lead);
  // An empty folder would make the VM paths relative to the current folder.
  jvmPath = folder.empty() ? std::string() : chooseJvmDll(*machine.system, folder, jvmType);
  return !jvmPath.empty();
}

void printRuntimeNotFound(const RuntimeNotFound& notice) {
  printError(notice.message + " " + notice.downloadPage + "\n" + notice.found);
}

}  // namespace tarn
