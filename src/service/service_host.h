// Service mode: the program runs under the system's service manager and is
// asked to stop through its static stop method.
#ifndef TARN_SERVICE_SERVICE_HOST_H
#define TARN_SERVICE_SERVICE_HOST_H

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tarn {

struct JvmHost;
struct Machine;

// What the service runs and stops; all of it outlives the host.
struct ServiceLaunch {
  // The launch's run, called on the service's thread: its exit value.
  int32_t (*run)(void* context) = nullptr;
  void* context = nullptr;
  std::vector<std::string>* arguments = nullptr;  // the start arguments go behind these
  JvmHost* jvm = nullptr;  // takes the exit hook; its VM is asked to stop
  const std::string* mainClass = nullptr;
};

// The service control manager's status record, field for field.
struct ServiceStatus {
  uint32_t serviceType = 0;
  uint32_t currentState = 0;
  uint32_t controlsAccepted = 0;
  uint32_t win32ExitCode = 0;
  uint32_t serviceSpecificExitCode = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 0;
};

constexpr uint32_t kServiceStopped = 1;           // SERVICE_STOPPED
constexpr uint32_t kServiceSpecificError = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR

// The stopped state with the run's exit value: 0 is a clean end, anything
// else a failure that carries the value, so that the manager's recovery
// actions fire and its queries show why.
void setStoppedStatus(ServiceStatus& status, int32_t exitValue);

// One per process, on the entry point's stack. Its constructor makes it the
// process's service host, which the system's callbacks reach it through.
struct ServiceHost {
  ServiceHost();
  ~ServiceHost();
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

  ServiceLaunch launch;  // run unset until the launch is recorded
  std::string serviceName;
  ServiceStatus serviceStatus;
  void* statusHandle = nullptr;
  // The launch failed before the service could start: it only reports so.
  bool launchFailed = false;

  // A stop asked for before the main method runs waits for it.
  std::mutex stopMutex;
  bool mainStarted = false;
  bool stopWaiting = false;
};

// The process's service host; null outside its life.
ServiceHost* processServiceHost();

// Records the launch and names the service after the executable's file
// name, extension included; false (reported) when the
// executable's path cannot be had.
bool determineServiceName(ServiceHost& host, Machine& machine, const ServiceLaunch& launch);

// Runs the service until it has stopped. Windows: 0, or -1 when the launch
// had failed. Linux: the run's own exit value.
int32_t startDispatcher(ServiceHost& host);

// A stop or shutdown request: true when stop may be called now; otherwise
// it is remembered for mainStarted.
bool takeStopRequest(ServiceHost& host);
// The main method is about to run: true when a stop request was waiting.
bool takeMainStarted(ServiceHost& host);

// The hook for the Java main thread: a waiting stop request goes out now.
void serviceMainStarted();

// Starts a thread that calls the main class's static stop(); platform code.
void startStopThread(ServiceHost& host);

// The stop thread's body: attaches to the VM, calls stop(), detaches.
void stopJavaProgram(void* vm, const std::string& mainClass);

}  // namespace tarn

#endif
