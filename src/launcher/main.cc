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
  tarn::RealProfileFiles profiles;
  tarn::Machine machine;
  machine.system = &system;
  machine.profiles = &profiles;
  machine.lead = tarn::systemLeadByte;
#ifdef TARN_WINDOWED
  tarn::startTrace(system, "tarnw");
#else
  tarn::startTrace(system, "tarn");
#endif
  // Started again by a launch that recorded a start-up cache, to build it.
  int32_t exitCode = 0;
  if (tarn::runStartupCacheFinisher(machine, &exitCode)) return exitCode;
#ifdef TARN_WINDOWED
  tarn::showErrorsInWindows();
#endif
  tarn::useSystemLocale();
  exitCode = tarn::launch(machine, tarn::processArguments(argc, argv, machine.lead));
  tarn::trace("exit code %d", static_cast<int>(exitCode));
  return exitCode;
}
