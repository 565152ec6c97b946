#include "launcher/launcher.h"

#include "launcher/messages.h"
#include "runtime/selection.h"
#include "jvm/environment.h"
#include "jvm/java_main.h"
#include "jvm/option_list.h"
#include "jvm/vm_platform.h"

namespace tarn {

Launcher::~Launcher() {
  // Teardown order matters: the VM first, since destroying it waits for the
  // program's remaining threads.
  destroyJvm(jvm);
}

void buildArgumentList(Launcher& launcher, const std::vector<std::string>& commandLine) {
  launcher.arguments.insert(launcher.arguments.end(), commandLine.begin(), commandLine.end());
}

void overrideWorkingDirectory(Launcher& launcher) {
  std::string path;
  if (!modulePath(*launcher.machine->system, &path)) return;
  size_t slash = findLastChar(path, kPathSeparator, launcher.machine->lead);
  if (slash == std::string::npos || slash == 0) return;
  launcher.machine->system->setCurrentDirectory(path.substr(0, slash));
}

bool initialise(Launcher& launcher, const std::vector<std::string>& commandLine) {
  buildArgumentList(launcher, commandLine);
  bool singleInstance = false;
  if (!readSingleInstanceSetting(*launcher.machine, &singleInstance)) return false;
  if (!readSettings(*launcher.machine, embeddedConfigurationText(), &launcher.settings))
    return false;
  launcher.settings.singleInstance = singleInstance;
  if (launcher.settings.overrideWorkingDir) overrideWorkingDirectory(launcher);
  return selectRuntime(launcher);
}

int32_t run(Launcher& launcher) {
  prepareEnvironment(launcher);
  if (!loadJvmLibrary(launcher.jvm)) return -1;
  if (!buildOptionList(launcher)) return -1;
  return runJavaMain(launcher) == 0 ? 0 : -1;
}

uint32_t runJavaMain(Launcher& launcher) {
  if (launcher.jvm.threadStackSize == 0)
    launcher.jvm.threadStackSize = defaultThreadStackSize(launcher.jvm);
  uint32_t exitCode = 1;
  if (runThread(launcher.jvm.threadStackSize, javaMainThreadBody, &launcher, &exitCode))
    return exitCode;
  // No thread to be had: the VM runs on this one instead.
  return javaMainThreadBody(&launcher);
}

int32_t launch(Machine& machine, const std::vector<std::string>& commandLine) {
  Launcher launcher(machine);
  if (!initialise(launcher, commandLine)) return -1;
  if (launcher.settings.isService) {
    printError(loadMessage(IDS_NO_SERVICE_MODE));
    return -1;
  }
  return run(launcher);
}

}  // namespace tarn
