#include "splash/splash.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "embedded_config_layout.h"
#include "os/file_bytes.h"
#include "report/messages.h"
#include "report/trace.h"
#include "splash/image_decoder_win32.h"
#include "splash/splash_image.h"
#include "ui/dpi_awareness.h"

namespace tarn {

namespace {

// How often the splash looks for the program's first window: often enough
// that the two are hardly ever seen together, seldom enough to cost
// nothing. Wine reports no window events, so this is the one way.
const DWORD kPollMilliseconds = 30;
// How long closeSplash waits for a splash still being decoded.
const DWORD kMostCloseWait = 2000;
const wchar_t kWindowClass[] = L"TarnSplash";

}  // namespace

struct SplashThread {
  HANDLE thread = nullptr;
  HANDLE closeEvent = nullptr;  // set: go now
  std::string path;             // the file, or "" for the packed image
  ULONGLONG deadline = 0;
  HWND window = nullptr;
};

namespace {

// The packed image: tarn-pack's resource, when the executable has one.
bool packedImage(const unsigned char** bytes, size_t* size) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(TARN_SPLASH_ID), MAKEINTRESOURCEW(10));
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  *bytes = static_cast<const unsigned char*>(data);
  *size = SizeofResource(nullptr, found);
  return true;
}

struct ProgramWindowSearch {
  DWORD process;
  HWND splash;
  bool found;
};

BOOL CALLBACK findProgramWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ProgramWindowSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  RECT box;
  if (process != search->process || window == search->splash || !IsWindowVisible(window) ||
      !GetWindowRect(window, &box) || box.right <= box.left || box.bottom <= box.top)
    return TRUE;
  search->found = true;
  return FALSE;
}

// A visible top-level window of this process besides the splash: the
// program's first window, or a message of the launcher's own.
bool programWindowShown(HWND splash) {
  ProgramWindowSearch search{GetCurrentProcessId(), splash, false};
  EnumWindows(findProgramWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Where the user started the program: the monitor of the window in front
// (a file manager, a terminal, the start menu), else the mouse pointer's.
HMONITOR startMonitor() {
  HWND front = GetForegroundWindow();
  HMONITOR monitor = front ? MonitorFromWindow(front, MONITOR_DEFAULTTONULL) : nullptr;
  POINT pointer;
  if (!monitor && GetCursorPos(&pointer))
    monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
  return monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

// The monitor's effective DPI where the thread is per-monitor aware
// (Windows 8.1 and later); elsewhere Windows scales the window itself.
uint32_t monitorDpi(HMONITOR monitor, bool perMonitorAware) {
  using GetDpi = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  if (!perMonitorAware) return 96;
  HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  auto get = shcore ? reinterpret_cast<GetDpi>(
                          reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                    : nullptr;
  UINT x = 96, y = 96;
  if (!get || FAILED(get(monitor, 0, &x, &y))) x = 96;  // MDT_EFFECTIVE_DPI
  return x;
}

LRESULT CALLBACK splashProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProcW(window, message, wParam, lParam);
}

// A layered window that shows the pixels with their alpha, never active,
// without a taskbar button.
HWND showLayeredWindow(const DecodedImage& image, const SplashRect& bounds) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = splashProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32650));  // IDC_APPSTARTING
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kWindowClass,
                                L"", WS_POPUP, bounds.left, bounds.top, image.width, image.height,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(image.width);
  info.bmiHeader.biHeight = -static_cast<LONG>(image.height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool shown = false;
  if (memory && bitmap) {
    memcpy(bits, image.pixels.data(), image.pixels.size());
    HGDIOBJ previous = SelectObject(memory, bitmap);
    POINT source = {0, 0}, destination = {bounds.left, bounds.top};
    SIZE size = {static_cast<LONG>(image.width), static_cast<LONG>(image.height)};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    shown = UpdateLayeredWindow(window, screen, &destination, &size, memory, &source, 0, &blend,
                                ULW_ALPHA);
    SelectObject(memory, previous);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!shown) {
    DestroyWindow(window);
    return nullptr;
  }
  ShowWindow(window, SW_SHOWNA);
  return window;
}

bool askedToGo(const SplashThread& splash) {
  return WaitForSingleObject(splash.closeEvent, 0) == WAIT_OBJECT_0;
}

// Reads, decodes and places the image; the window, or null once traced why
// there is none.
HWND createSplashWindow(SplashThread& splash, bool perMonitorAware) {
  const char* name = splash.path.empty() ? "the packed image" : splash.path.c_str();
  std::string file;
  const unsigned char* bytes = nullptr;
  size_t size = 0;
  if (!splash.path.empty()) {
    if (!readFileStart(splash.path, kMostSplashBytes + 1, &file)) {
      trace("splash: %s: not shown, the file cannot be read", name);
      return nullptr;
    }
    bytes = reinterpret_cast<const unsigned char*>(file.data());
    size = file.size();
  } else if (!packedImage(&bytes, &size)) {
    return nullptr;
  }
  SplashImageInfo info;
  std::string why;
  if (!readSplashImageInfo(bytes, size, &info, &why)) {
    trace("splash: %s: not shown, the splash image is not usable: %s", name, why.c_str());
    return nullptr;
  }
  if (askedToGo(splash)) return nullptr;  // before the decoding's work
  HMONITOR monitor = startMonitor();
  MONITORINFO monitorInfo = {};
  monitorInfo.cbSize = sizeof monitorInfo;
  GetMonitorInfoW(monitor, &monitorInfo);
  const uint32_t dpi = monitorDpi(monitor, perMonitorAware);
  uint32_t width = 0, height = 0;
  scaledSplashSize(info.width, info.height, dpi, &width, &height);
  DecodedImage image;
  if (!decodeImage(bytes, size, width, height, &image, &why)) {
    trace("splash: %s: not shown, %s", name, why.c_str());
    return nullptr;
  }
  // Too late: the launch asked it to go, or the program's window is up.
  if (askedToGo(splash) || programWindowShown(nullptr))
    return nullptr;
  const RECT& area = monitorInfo.rcWork;
  const SplashRect bounds =
      splashBounds(SplashRect{area.left, area.top, area.right, area.bottom}, width, height);
  HWND window = showLayeredWindow(image, bounds);
  if (window)
    trace("splash: %s, %s %u x %u, shown at %d,%d as %u x %u (%u dpi)", name,
          imageFormatName(info.format), info.width, info.height, static_cast<int>(bounds.left),
          static_cast<int>(bounds.top), width, height, dpi);
  else
    trace("splash: %s: not shown, no window (error %lu)", name, GetLastError());
  return window;
}

// Up until asked to go, the program's first window or the timeout.
const char* waitWhileShown(SplashThread& splash) {
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= splash.deadline) return "the timeout";
    const ULONGLONG left = splash.deadline - now;
    const DWORD wait = left < kPollMilliseconds ? static_cast<DWORD>(left) : kPollMilliseconds;
    if (MsgWaitForMultipleObjects(1, &splash.closeEvent, FALSE, wait, QS_ALLINPUT) ==
        WAIT_OBJECT_0)
      return "the launch";
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (programWindowShown(splash.window)) return "the program's first window";
  }
}

// What the splash cost: its thread's time on a processor, all of it spent
// beside the launch, on a processor of its own where there is one.
unsigned long processorMilliseconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& time) {
    return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
  };
  return static_cast<unsigned long>((ticks(kernel) + ticks(user)) / 10000);
}

DWORD WINAPI splashThreadBody(void* context) {
  SplashThread& splash = *static_cast<SplashThread*>(context);
  // Drawn in the monitor's own pixels, whatever the process's awareness
  // becomes once the runtime is known.
  void* previous = enterPerMonitorDpiScope();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  splash.window = createSplashWindow(splash, previous != nullptr);
  if (splash.window) {
    const char* reason = waitWhileShown(splash);
    DestroyWindow(splash.window);
    trace("splash: closed by %s, after %lu ms of processor time", reason, processorMilliseconds());
  }
  if (SUCCEEDED(com)) CoUninitialize();
  leaveDpiScope(previous);
  return 0;
}

}  // namespace

void startSplash(Machine& machine, const LauncherSettings& settings, Splash* splash) {
  std::string path;
  if (!settings.splashImage.empty()) {
    std::string executable;
    uint32_t error = 0;
    machine.system->modulePath(&executable, &error);
    path = splashImagePath(executable, settings.splashImage, machine.lead);
  } else {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    if (!packedImage(&bytes, &size)) return;
  }
  if (settings.isService || settings.splashTimeout == 0 || !onVisibleWindowStation()) {
    trace("splash: not shown %s", settings.isService ? "by a service"
                                  : settings.splashTimeout == 0 ? "with Splash Timeout=0"
                                                                : "without a desktop");
    return;
  }
  auto thread = std::make_unique<SplashThread>();
  thread->path = path;
  thread->deadline = GetTickCount64() + static_cast<ULONGLONG>(settings.splashTimeout) * 1000;
  thread->closeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!thread->closeEvent) return;
  thread->thread = CreateThread(nullptr, 0, splashThreadBody, thread.get(), 0, nullptr);
  if (!thread->thread) {
    CloseHandle(thread->closeEvent);
    return;
  }
  splash->thread = thread.release();
}

void closeSplash(Splash* splash) {
  SplashThread* thread = splash->thread.exchange(nullptr);
  if (!thread) return;
  SetEvent(thread->closeEvent);
  // A thread that does not end in time still uses its record: it is left
  // to the process's end.
  if (WaitForSingleObject(thread->thread, kMostCloseWait) != WAIT_OBJECT_0) return;
  CloseHandle(thread->thread);
  CloseHandle(thread->closeEvent);
  delete thread;
}

}  // namespace tarn
