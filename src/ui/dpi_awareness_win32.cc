#include "ui/dpi_awareness.h"

#include <windows.h>

namespace tarn {

namespace {

// The awareness contexts (Windows 10), looked up at run time: older systems
// lack the functions.
HANDLE const kPerMonitorAware = reinterpret_cast<HANDLE>(-3);
HANDLE const kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(-4);

template <typename Function>
Function user32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using SetProcessContext = BOOL(WINAPI*)(HANDLE);
using SetThreadContext = HANDLE(WINAPI*)(HANDLE);
using SetProcessAwareness = HRESULT(WINAPI*)(int);

}  // namespace

void useRuntimeDpiAwareness(bool runtimeScales) {
  if (!runtimeScales) return;
  // Windows 10 1703 and later.
  if (auto set = user32Function<SetProcessContext>("SetProcessDpiAwarenessContext")) {
    set(kPerMonitorAwareV2);
    return;
  }
  // Windows 8.1: per monitor, from the shell's scaling library.
  if (HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    auto set = reinterpret_cast<SetProcessAwareness>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")));
    if (set) {
      set(2);  // PROCESS_PER_MONITOR_DPI_AWARE
      return;
    }
  }
  SetProcessDPIAware();
}

void* enterPerMonitorDpiScope() {
  auto set = user32Function<SetThreadContext>("SetThreadDpiAwarenessContext");
  if (!set) return nullptr;
  HANDLE previous = set(kPerMonitorAwareV2);
  if (!previous) previous = set(kPerMonitorAware);  // 1607 knows no V2
  return previous;
}

void leaveDpiScope(void* previous) {
  auto set = user32Function<SetThreadContext>("SetThreadDpiAwarenessContext");
  if (set && previous) set(static_cast<HANDLE>(previous));
}

}  // namespace tarn
