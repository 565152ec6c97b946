#include "launcher/launcher.h"

#include <memory>

#include "jvm/environment.h"
#include "jvm/java_main.h"
#include "jvm/option_list.h"
#include "jvm/launch_cache.h"
#include "jvm/vm_platform.h"
#include "process/desktop.h"
#include "process/module_path.h"
#include "report/messages.h"
#include "report/trace.h"
#include "runtime/selection.h"
#include "service/service_host.h"
#include "ui/dialog_chooser.h"
#include "ui/dpi_awareness.h"

namespace tarn {

Launcher::~Launcher() {
  // Teardown order matters: the splash goes at once; no hand-over may reach the VM once it goes; the
  // VM next, since destroying it waits for the program's remaining threads;
  // then the channel's objects.
  closeSplash(&splash);
  setMessageHook(nullptr, nullptr);
  stopAcceptingHandOvers(channel);
  destroyJvm(jvm);
  closeSingleInstance(channel);
  // Last: the cache's archive into place, or its builder started.
  finishStartupCache(cache);
}

namespace {

void traceChannel(const SingleInstanceChannel& channel) {
  if (channel.singleInstance && channel.firstInstance)
    trace("single instance: first instance, channel %s", channel.name.c_str());
  else if (channel.singleInstance)
    trace("single instance: second instance, ends with %d",
          static_cast<int>(channel.finishedValue));
  else if (!channel.name.empty())
    trace("single instance: no channel to be had, an ordinary launch");
  else
    trace("single instance: not asked for");
}

// The run, on the service's thread. The service ends with its program: the
// VM goes here, once the program's non-daemon threads have ended, so that
// the final status is reported only then.
int32_t runService(void* context) {
  Launcher& launcher = *static_cast<Launcher*>(context);
  int32_t value = run(launcher);
  startupCacheProgramEnded(value);
  destroyJvm(launcher.jvm);
  return value;
}

// This build's architecture, this platform's registered runtimes and the
// JRE Not Found dialog.
bool selectRuntime(Launcher& launcher) {
  Machine& machine = *launcher.machine;
  TargetArchitecture architecture = launcherArchitecture();
  std::unique_ptr<RuntimeSource> source = systemRuntimeSource(machine, architecture);
  DialogChooser chooser(machine, launcher.settings.isService);
  if (!selectRuntimeWith(machine, launcher.settings, architecture, *source, chooser,
                         &launcher.jvm.jvmPath))
    return false;
  trace("VM library chosen: %s", launcher.jvm.jvmPath.c_str());
  return true;
}

// Before any message: no splash over it.
void closeSplashFirst(void* context) { closeSplash(static_cast<Splash*>(context)); }

// An identity Windows takes: at most 128 characters, no blanks.
bool validAppUserModelId(const std::string& id) {
  return id.size() <= 128 && id.find_first_of(" \t") == std::string::npos;
}

// Before any window, the launcher's or the program's, and before the VM
// takes the standard handles as it starts.
void applyDesktopSettings(const LauncherSettings& settings) {
  const std::string& id = settings.appUserModelId;
  if (!id.empty()) {
    const char* result = !validAppUserModelId(id) ? "ignored, longer than 128 or with blanks"
                         : setAppUserModelId(id)  ? "set"
                                                  : "not set, the system has no such identity";
    trace("App User Model ID %s: %s", id.c_str(), result);
  }
  if (!settings.attachConsole) return;
  switch (attachParentConsole()) {
    case ConsoleAttach::Attached:
      showErrorsOnConsole();
      trace("Attach Console: attached to the console the program was started from");
      break;
    case ConsoleAttach::AlreadyThere: trace("Attach Console: the program has a console"); break;
    case ConsoleAttach::NoConsole: trace("Attach Console: not started from a console"); break;
    case ConsoleAttach::NotOnThisSystem:
      trace("Attach Console: ignored, a Windows setting");
      break;
  }
}

// On the Java main thread, just before the main method.
void mainAboutToStart(void* context) {
  Launcher& launcher = *static_cast<Launcher*>(context);
  signalMainStarted(launcher.channel);
  serviceMainStarted();
  startupCacheMainStarted();
}

}  // namespace

void buildArgumentList(Launcher& launcher, const std::vector<std::string>& commandLine) {
  launcher.arguments.insert(launcher.arguments.end(), commandLine.begin(), commandLine.end());
}

void overrideWorkingDirectory(Launcher& launcher) {
  std::string path;
  if (!modulePath(*launcher.machine->system, &path)) return;
  size_t slash = findLastChar(path, kPathSeparator, launcher.machine->lead);
  if (slash == std::string::npos || slash == 0) return;
  const std::string folder = path.substr(0, slash);
  bool changed = launcher.machine->system->setCurrentDirectory(folder);
  trace("working folder %s: %s", folder.c_str(), changed ? "set" : "not set");
}

bool initialise(Launcher& launcher, const std::vector<std::string>& commandLine) {
  buildArgumentList(launcher, commandLine);
  setMessageHook(closeSplashFirst, &launcher.splash);
  trace("program arguments: %d", static_cast<int>(launcher.arguments.size()));
  launcher.embeddedText = embeddedConfigurationText();
  ChannelLaunch channelLaunch{launcher.machine, &launcher.embeddedText, &launcher.arguments,
                              &launcher.jvm, &launcher.settings.mainClass};
  if (!setUpSingleInstance(launcher.channel, channelLaunch)) {
    trace("single instance: the hand-over failed");
    return false;
  }
  traceChannel(launcher.channel);
  // A second instance has its answer: it only ends now.
  if (launcher.channel.singleInstance && !launcher.channel.firstInstance) return true;
  if (!readSettings(*launcher.machine, launcher.embeddedText, &launcher.settings))
    return false;
  launcher.settings.singleInstance = launcher.channel.singleInstance;
  applyDesktopSettings(launcher.settings);
  if (launcher.settings.overrideWorkingDir) overrideWorkingDirectory(launcher);
  // Up while the runtime is chosen and the VM starts, drawn by its own thread.
  startSplash(*launcher.machine, launcher.settings, &launcher.splash);
  return selectRuntime(launcher);
}

int32_t run(Launcher& launcher) {
  if (launcher.channel.singleInstance && !launcher.channel.firstInstance)
    return launcher.channel.finishedValue;
  prepareEnvironment(*launcher.machine, launcher.settings, launcher.jvm);
  if (!loadJvmLibrary(launcher.jvm)) return -1;
  if (!buildOptionList(*launcher.machine, launcher.embeddedText, launcher.settings, launcher.jvm,
                       &launcher.arguments))
    return -1;
  launcher.jvm.traits = probeRuntimeTraits(launcher.jvm);
  // Before the VM opens any window.
  useRuntimeDpiAwareness(launcher.jvm.traits.scalesForDpi);
  applyStartupCache(*launcher.machine, launcher.settings, launcher.jvm, &launcher.cache);
  uint32_t result = runJavaMain(launcher);
  closeSplash(&launcher.splash);  // main has returned
  // A plain application ends with 0 after an uncaught exception; a service
  // that crashed says so, or the manager's recovery actions never fire.
  if (result == kMainThrew && launcher.settings.isService) {
    trace("service: main ended with an uncaught exception; the service ends with a failure");
    return -1;
  }
  return result == 0 || result == kMainThrew ? 0 : -1;
}

uint32_t runJavaMain(Launcher& launcher) {
  const char* stackSource = "-Xss";
  if (launcher.jvm.threadStackSize == 0) {
    launcher.jvm.threadStackSize = defaultThreadStackSize(launcher.jvm);
    stackSource = launcher.jvm.threadStackSize ? "the VM's default" : "the system's default";
  }
  trace("Java main thread stack: %d bytes (%s)", static_cast<int>(launcher.jvm.threadStackSize),
        stackSource);
  JavaMainCall call{&launcher.jvm, &launcher.settings, &launcher.arguments, mainAboutToStart,
                    &launcher};
  uint32_t exitCode = 1;
  if (runThread(launcher.jvm.threadStackSize, javaMainThreadBody, &call, &exitCode))
    return exitCode;
  // No thread to be had: the VM runs on this one instead.
  trace("no thread for Java: the VM runs on the launcher's own");
  return javaMainThreadBody(&call);
}

int32_t launch(Machine& machine, const std::vector<std::string>& commandLine) {
  Launcher launcher(machine);
  ServiceHost serviceHost;  // goes before the launcher
  bool ready = initialise(launcher, commandLine);
  int32_t exitValue = -1;
  if (!launcher.settings.isService) {
    exitValue = ready ? run(launcher) : -1;
  } else {
    ServiceLaunch serviceLaunch{runService, &launcher, &launcher.arguments, &launcher.jvm,
                                &launcher.settings.mainClass};
    if (!determineServiceName(serviceHost, machine, serviceLaunch)) return -1;
    // A service whose launch failed still has to tell the manager so, or it
    // is left waiting for a service that never starts.
    serviceHost.launchFailed = !ready;
    trace("service %s: handed to the service manager", serviceHost.serviceName.c_str());
    exitValue = startDispatcher(serviceHost);
  }
  // The VM goes with the launcher, and may write the cache as it goes.
  startupCacheProgramEnded(exitValue);
  return exitValue;
}

}  // namespace tarn
