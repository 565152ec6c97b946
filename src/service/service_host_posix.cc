// Service mode on Linux: the program runs in the foreground under a service
// manager such as systemd, and the first SIGTERM or SIGINT asks it to stop
// through its static stop method.
#include "service/service_host.h"

#include <signal.h>
#include <unistd.h>

#include <system_error>
#include <thread>

#include "jvm/jvm_host.h"
#include "report/trace.h"

namespace tarn {

namespace {

// Shared with the signal thread, which lives until the process ends; the
// host is only reachable while the service runs.
struct SignalWatch {
  std::mutex mutex;
  ServiceHost* host = nullptr;
  bool stopAsked = false;
};

void watchSignals(SignalWatch* watch, sigset_t signals) {
  for (;;) {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) continue;
    std::lock_guard<std::mutex> lock(watch->mutex);
    trace("service: signal %d", signal);
    if (!watch->host || watch->stopAsked) {
      // A second request, or one after the service has ended: the user
      // wants the process gone.
      _exit(128 + signal);
    }
    watch->stopAsked = true;
    if (takeStopRequest(*watch->host)) startStopThread(*watch->host);
  }
}

}  // namespace

void startStopThread(ServiceHost& host) {
  JavaVM* vm = host.launch.jvm->vm;
  std::string mainClass = *host.launch.mainClass;
  try {
    std::thread([vm, mainClass] { stopJavaProgram(vm, mainClass); }).detach();
  } catch (const std::system_error&) {
  }
}

int32_t startDispatcher(ServiceHost& host) {
  if (host.launchFailed) return -1;
  // Ignored and blocked before the VM exists: the VM then leaves both
  // signals to us instead of turning them into System.exit, and every
  // thread started from here on inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  signal(SIGTERM, SIG_IGN);
  signal(SIGINT, SIG_IGN);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  SignalWatch* watch = new SignalWatch;  // outlives the host: never freed
  watch->host = &host;
  try {
    std::thread(watchSignals, watch, signals).detach();
  } catch (const std::system_error&) {
  }
  // The service manager learns a failed launch from the exit code, as
  // from any other foreground program.
  trace("service: running in the foreground, stopped by SIGTERM or SIGINT");
  int32_t result = host.launch.run(host.launch.context);
  std::lock_guard<std::mutex> lock(watch->mutex);
  watch->host = nullptr;
  return result;
}

}  // namespace tarn
