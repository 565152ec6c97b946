#include "jvm/java_main.h"

#include "launcher/launcher.h"
#include "launcher/messages.h"

namespace tarn {

void prepareEnvironment(Launcher&) {}

bool loadJvmLibrary(JvmHost&) {
  printError(loadMessage(IDS_NO_VM_HOSTING));
  return false;
}

bool buildOptionList(Launcher&) { return false; }

int32_t defaultThreadStackSize(JvmHost&) { return 0; }

uint32_t runOnJavaMainThread(Launcher&) { return 1; }

void destroyJvm(JvmHost&) {}

}  // namespace tarn
