#include "service/service_host.h"

#include <jni.h>

#include "instance/single_instance.h"
#include "jvm/java_main.h"
#include "os/machine.h"
#include "os/text.h"
#include "process/module_path.h"
#include "report/trace.h"

namespace tarn {

namespace {
// The system calls the service's callbacks without a context of ours.
ServiceHost* theServiceHost = nullptr;
}  // namespace

ServiceHost::ServiceHost() { theServiceHost = this; }

ServiceHost::~ServiceHost() {
  std::lock_guard<std::mutex> lock(stopMutex);
  if (theServiceHost == this) theServiceHost = nullptr;
}

ServiceHost* processServiceHost() { return theServiceHost; }

bool determineServiceName(ServiceHost& host, Machine& machine, const ServiceLaunch& launch) {
  host.launch = launch;
  std::string path;
  if (!modulePath(*machine.system, &path)) return false;
  size_t last = findLastChar(path, kPathSeparator, machine.lead);
  host.serviceName = last == std::string::npos ? path : path.substr(last + 1);
  return true;
}

void setStoppedStatus(ServiceStatus& status, int32_t exitValue) {
  status.currentState = kServiceStopped;
  status.win32ExitCode = exitValue == 0 ? 0 : kServiceSpecificError;
  status.serviceSpecificExitCode = static_cast<uint32_t>(exitValue);
}

bool takeStopRequest(ServiceHost& host) {
  std::lock_guard<std::mutex> lock(host.stopMutex);
  trace("service: stop requested%s", host.mainStarted ? "" : ", held until main starts");
  if (host.mainStarted) return true;
  host.stopWaiting = true;
  return false;
}

bool takeMainStarted(ServiceHost& host) {
  std::lock_guard<std::mutex> lock(host.stopMutex);
  host.mainStarted = true;
  bool waiting = host.stopWaiting;
  host.stopWaiting = false;
  return waiting;
}

void serviceMainStarted() {
  ServiceHost* host = processServiceHost();
  if (host && host->launch.run && takeMainStarted(*host)) startStopThread(*host);
}

void stopJavaProgram(void* vmPointer, const std::string& mainClass) {
  JavaVM* vm = static_cast<JavaVM*>(vmPointer);
  JNIEnv* env = nullptr;
  if (!vm || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
  jclass type = findProgramClass(env, mainClass);
  jmethodID stop = type ? env->GetStaticMethodID(type, "stop", "()V") : nullptr;
  if (type) trace("service: %s %s.stop", stop ? "calling" : "no method", mainClass.c_str());
  if (stop) {
    env->CallStaticVoidMethodA(type, stop, nullptr);
  } else {
    // The lookup's failure is the launcher's to report, not one for the
    // program's handler.
    printPendingException(env);
  }
  // Detaching hands an exception of stop to the thread's uncaught-exception
  // handler, as for main's.
  vm->DetachCurrentThread();
}

}  // namespace tarn
