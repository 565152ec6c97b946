// The process entry point, of the console launcher and, compiled with
// TARN_WINDOWED, of the windowed one.
#include "config/real_profile_files.h"
#include "jvm/launch_cache.h"
#include "jvm/vm_platform.h"
#include "launcher/launcher.h"
#include "os/real_system.h"
#include "process/arguments.h"
#include "process/locale.h"
#include "report/messages.h"
#include "report/trace.h"

int main(int argc, char** argv) {
  tarn::keepCurrentFolderOutOfLibrarySearch();
  tarn::RealSystem system;
  // Started again by a launch that recorded a start-up cache, to build it.
  if (tarn::runStartupCacheFinisher(system)) return 0;
#ifdef TARN_WINDOWED
  tarn::startTrace(system, "tarnw");
  tarn::showErrorsInWindows();
#else
  tarn::startTrace(system, "tarn");
#endif
  tarn::useSystemLocale();
  tarn::RealProfileFiles profiles;
  tarn::Machine machine;
  machine.system = &system;
  machine.profiles = &profiles;
  machine.lead = tarn::systemLeadByte;
  int32_t exitCode = tarn::launch(machine, tarn::processArguments(argc, argv, machine.lead));
  tarn::trace("exit code %d", static_cast<int>(exitCode));
  return exitCode;
}
