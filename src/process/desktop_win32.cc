#include "process/desktop.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "os/code_page_win32.h"

namespace tarn {

namespace {

struct Standard {
  DWORD id;
  int descriptor;
  FILE* stream;
  const wchar_t* device;
};

// What the caller set up and is kept: a file, a pipe, or a device that is no
// console (NUL). Checked once attached, when a console handle answers as one.
bool redirected(HANDLE handle, DWORD type) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) return true;
  DWORD mode = 0;
  return type == FILE_TYPE_CHAR && !GetConsoleMode(handle, &mode);
}

// The console for the system's handle, the C runtime's descriptor and its
// stream alike.
void pointAtConsole(const Standard& standard) {
  HANDLE console = CreateFileW(standard.device, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(console), _O_TEXT);
  if (descriptor < 0) {
    CloseHandle(console);
    return;
  }
  if (descriptor != standard.descriptor) {
    _dup2(descriptor, standard.descriptor);
    _close(descriptor);
  }
  SetStdHandle(standard.id, reinterpret_cast<HANDLE>(_get_osfhandle(standard.descriptor)));
  clearerr(standard.stream);
}

// The console launcher has its console from the system; only the window
// launcher may attach to one.
bool windowSubsystem() {
  const auto* image = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

}  // namespace

ConsoleAttach attachParentConsole() {
  if (!windowSubsystem()) return ConsoleAttach::AlreadyThere;
  const Standard standards[] = {{STD_INPUT_HANDLE, 0, stdin, L"CONIN$"},
                                {STD_OUTPUT_HANDLE, 1, stdout, L"CONOUT$"},
                                {STD_ERROR_HANDLE, 2, stderr, L"CONOUT$"}};
  HANDLE before[3];
  DWORD types[3];
  for (int i = 0; i < 3; ++i) {
    before[i] = GetStdHandle(standards[i].id);
    types[i] = before[i] && before[i] != INVALID_HANDLE_VALUE ? GetFileType(before[i])
                                                             : FILE_TYPE_UNKNOWN;
  }
  // Wine gives a window program its starter's console: it is attached already.
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
    return ConsoleAttach::NoConsole;
  for (int i = 0; i < 3; ++i)
    if (!redirected(before[i], types[i])) pointAtConsole(standards[i]);
  return ConsoleAttach::Attached;
}

bool setAppUserModelId(const std::string& id) {
  // Windows 7 and later. The shell's library is loaded already: the
  // dialog's folder browser comes from it.
  using SetId = HRESULT(WINAPI*)(PCWSTR);
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  auto set = shell ? reinterpret_cast<SetId>(reinterpret_cast<void*>(
                         GetProcAddress(shell, "SetCurrentProcessExplicitAppUserModelID")))
                   : nullptr;
  if (!set) return false;
  const std::u16string wide = wideText(id);
  return SUCCEEDED(set(wideChars(wide)));
}

}  // namespace tarn
