// The process entry point, of the console launcher and, compiled with
// TARN_WINDOWED, of the windowed one.
#include "jvm/vm_platform.h"
#include "launcher/arguments.h"
#include "launcher/launcher.h"
#include "launcher/locale.h"
#include "launcher/messages.h"
#include "os/real_system.h"

int main(int argc, char** argv) {
  tarn::keepCurrentFolderOutOfLibrarySearch();
#ifdef TARN_WINDOWED
  tarn::showErrorsInWindows();
#endif
  tarn::useSystemLocale();
  tarn::RealSystem system;
  tarn::RealProfileFiles profiles;
  tarn::Machine machine;
  machine.system = &system;
  machine.profiles = &profiles;
  machine.lead = tarn::systemLeadByte;
  return tarn::launch(machine, tarn::processArguments(argc, argv, machine.lead));
}
