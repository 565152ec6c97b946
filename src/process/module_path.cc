#include "process/module_path.h"

#include "os/system.h"
#include "report/messages.h"

namespace tarn {

bool modulePath(System& system, std::string* path) {
  uint32_t error = 0;
  if (system.modulePath(path, &error)) return true;
  path->clear();
  reportError(IDS_WINDOWS_EXCEPTION, loadMessage(IDS_NO_MODULE_PATH), static_cast<int32_t>(error));
  return false;
}

}  // namespace tarn
