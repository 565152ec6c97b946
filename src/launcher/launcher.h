// The one object of a run and the launch sequence that drives it.
#ifndef TARN_LAUNCHER_LAUNCHER_H
#define TARN_LAUNCHER_LAUNCHER_H

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "instance/single_instance.h"
#include "jvm/jvm_host.h"
#include "jvm/startup_cache.h"
#include "os/machine.h"
#include "splash/splash.h"

namespace tarn {

struct Launcher {
  explicit Launcher(Machine& machine) : machine(&machine) {}
  ~Launcher();
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  Machine* machine;
  LauncherSettings settings;
  std::string embeddedText;  // the configuration the executable carries, read once
  std::vector<std::string> arguments;  // what the Java main method receives
  JvmHost jvm;
  SingleInstanceChannel channel;  // the single-instance handles
  CachePlan cache;                 // what the start-up cache left for the end
  Splash splash;
};

// Arguments, single-instance set-up, settings, working folder, runtime.
bool initialise(Launcher& launcher, const std::vector<std::string>& commandLine);

// Environment, VM library, options, the Java main thread; the exit value.
int32_t run(Launcher& launcher);

// Starts the Java main thread and waits for it: 0, kMainThrew or 1.
uint32_t runJavaMain(Launcher& launcher);

void buildArgumentList(Launcher& launcher, const std::vector<std::string>& commandLine);
void overrideWorkingDirectory(Launcher& launcher);

// The whole process: the entry point's work, returning the exit value.
int32_t launch(Machine& machine, const std::vector<std::string>& commandLine);

}  // namespace tarn

#endif
