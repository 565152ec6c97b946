#include "launcher/launcher.h"

#include "launcher/messages.h"
#include "launcher/trace.h"
#include "runtime/selection.h"
#include "service/service_host.h"
#include "jvm/environment.h"
#include "jvm/java_main.h"
#include "jvm/option_list.h"
#include "jvm/vm_platform.h"

namespace tarn {

Launcher::~Launcher() {
  // Teardown order matters: no hand-over may reach the VM once it goes; the
  // VM next, since destroying it waits for the program's remaining threads;
  // the channel's objects last.
  stopAcceptingHandOvers(*this);
  destroyJvm(jvm);
  closeSingleInstance(*this);
}

void buildArgumentList(Launcher& launcher, const std::vector<std::string>& commandLine) {
  launcher.arguments.insert(launcher.arguments.end(), commandLine.begin(), commandLine.end());
}

void overrideWorkingDirectory(Launcher& launcher) {
  std::string path;
  if (!modulePath(*launcher.machine->system, &path)) return;
  size_t slash = findLastChar(path, kPathSeparator, launcher.machine->lead);
  if (slash == std::string::npos || slash == 0) return;
  bool changed = launcher.machine->system->setCurrentDirectory(path.substr(0, slash));
  trace("working folder %s: %s", path.substr(0, slash).c_str(), changed ? "set" : "not set");
}

bool initialise(Launcher& launcher, const std::vector<std::string>& commandLine) {
  buildArgumentList(launcher, commandLine);
  if (!setUpSingleInstance(launcher)) return false;
  // A second instance has handed its arguments over: it only waits now.
  if (launcher.channel.singleInstance && !launcher.channel.firstInstance) return true;
  if (!readSettings(*launcher.machine, embeddedConfigurationText(), &launcher.settings))
    return false;
  launcher.settings.singleInstance = launcher.channel.singleInstance;
  if (launcher.settings.overrideWorkingDir) overrideWorkingDirectory(launcher);
  return selectRuntime(launcher);
}

int32_t run(Launcher& launcher) {
  if (launcher.channel.singleInstance && !launcher.channel.firstInstance)
    return waitForFirstInstance(launcher);
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
  ServiceHost serviceHost;  // goes before the launcher
  if (!initialise(launcher, commandLine)) return -1;
  if (launcher.settings.isService) {
    if (!determineServiceName(serviceHost, launcher)) return -1;
    trace("service %s: handed to the service manager", serviceHost.serviceName.c_str());
    return startDispatcher(serviceHost);
  }
  return run(launcher);
}

void mainAboutToStart(Launcher& launcher) {
  signalMainStarted(launcher);
  serviceMainStarted();
}

}  // namespace tarn
