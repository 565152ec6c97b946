// The service under the Windows service control manager.
#include "service/service_host.h"

#include <windows.h>

#include <vector>

#include "jvm/jvm_host.h"
#include "report/trace.h"

namespace tarn {

static_assert(sizeof(ServiceStatus) == sizeof(SERVICE_STATUS), "status record layout");

namespace {

bool report(ServiceHost& host) {
  return SetServiceStatus(static_cast<SERVICE_STATUS_HANDLE>(host.statusHandle),
                          reinterpret_cast<SERVICE_STATUS*>(&host.serviceStatus)) != 0;
}

void WINAPI controlHandler(DWORD control) {
  ServiceHost* host = processServiceHost();
  if (!host) return;
  if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_SHUTDOWN) {
    report(*host);
    return;
  }
  trace("service: state stop pending (control %u)", static_cast<unsigned>(control));
  host->serviceStatus.win32ExitCode = NO_ERROR;
  host->serviceStatus.currentState = SERVICE_STOP_PENDING;
  host->serviceStatus.checkPoint = 0;
  host->serviceStatus.waitHint = 3000;
  if (!report(*host)) return;
  if (takeStopRequest(*host)) startStopThread(*host);
}

// System.exit ends the process from inside the VM, past the end of run:
// the manager learns the program's own code here.
void JNICALL exitHook(jint code) {
  ServiceHost* host = processServiceHost();
  if (!host || !host->statusHandle) return;
  setStoppedStatus(host->serviceStatus, code);
  report(*host);
}

void WINAPI serviceMain(DWORD count, LPSTR* strings) {
  ServiceHost* host = processServiceHost();
  if (!host || !host->launch.run) return;
  host->statusHandle = RegisterServiceCtrlHandlerA(host->serviceName.c_str(), controlHandler);
  if (!host->statusHandle) {
    trace("service: control handler not registered, error %u",
          static_cast<unsigned>(GetLastError()));
    return;
  }
  ServiceStatus& status = host->serviceStatus;
  status.serviceType = SERVICE_WIN32_OWN_PROCESS;
  status.currentState = SERVICE_RUNNING;
  status.controlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
  status.win32ExitCode = NO_ERROR;
  status.serviceSpecificExitCode = 0;
  status.checkPoint = 0;
  status.waitHint = 0;
  if (host->launchFailed) {
    setStoppedStatus(status, -1);
    report(*host);
    return;
  }
  if (!report(*host)) return;
  trace("service: state running, start arguments: %u", static_cast<unsigned>(count));
  for (DWORD i = 0; i < count; ++i)
    host->launch.arguments->push_back(strings[i] ? strings[i] : "");
  host->launch.jvm->exitHook = exitHook;
  int32_t result = host->launch.run(host->launch.context);
  trace("service: the run ended with %d; state stopped", static_cast<int>(result));
  setStoppedStatus(status, result);
  report(*host);
}

struct StopStart {
  JavaVM* vm;
  std::string mainClass;
};

DWORD WINAPI stopThreadMain(LPVOID parameter) {
  StopStart* start = static_cast<StopStart*>(parameter);
  stopJavaProgram(start->vm, start->mainClass);
  delete start;
  return 0;
}

}  // namespace

void startStopThread(ServiceHost& host) {
  // The thread takes its own copies: it may outlive the host.
  StopStart* start = new StopStart{host.launch.jvm->vm, *host.launch.mainClass};
  HANDLE thread = CreateThread(nullptr, 0, stopThreadMain, start, 0, nullptr);
  if (thread)
    CloseHandle(thread);
  else
    delete start;
}

int32_t startDispatcher(ServiceHost& host) {
  std::vector<char> name(host.serviceName.begin(), host.serviceName.end());
  name.push_back('\0');
  SERVICE_TABLE_ENTRYA table[] = {{name.data(), serviceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(table))
    trace("service: dispatcher not started, error %u", static_cast<unsigned>(GetLastError()));
  return host.launchFailed ? -1 : 0;
}

}  // namespace tarn
