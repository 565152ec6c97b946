#include "jvm/vm_platform.h"

#include <windows.h>

#include "jvm/environment.h"
#include "jvm/memory_share.h"
#include "os/code_page_win32.h"
#include "os/text.h"
#include "report/trace.h"

namespace tarn {

// SetDllDirectory rather than the LOAD_LIBRARY_SEARCH flags: those would
// drop Path from the search of the whole process, and the folders "System
// Path" puts there are where the program's native code finds its DLLs.
void keepCurrentFolderOutOfLibrarySearch() { SetDllDirectoryA(""); }

void searchRuntimeLibraryFolder(const std::string& jvmPath) {
  std::string bin = stripPathComponents(jvmPath, 2, '\\', systemLeadByte);
  // A relative "JRE Path" is relative to the current folder now, not to
  // whatever folder is current when a library is loaded later.
  // (In UTF-16: MAX_PATH counts characters, which UTF-8 may take three
  // bytes for.)
  wchar_t full[MAX_PATH];
  DWORD length = GetFullPathNameW(wideChars(wideText(bin)), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return;
  bool set = SetDllDirectoryW(full) != 0;
  trace("DLL search folder %s: %s", launcherText(full, length).c_str(), set ? "set" : "not set");
}

void* openLibrary(const std::string& path, uint32_t* error) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (!library) *error = GetLastError();
  return reinterpret_cast<void*>(library);
}

void* librarySymbol(void* library, const char* name, uint32_t* error) {
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(library), name);
  if (!symbol) *error = GetLastError();
  return reinterpret_cast<void*>(symbol);
}

namespace {

struct ThreadStart {
  ThreadBody body;
  void* parameter;
};

DWORD WINAPI threadMain(LPVOID start) {
  ThreadStart* s = static_cast<ThreadStart*>(start);
  return s->body(s->parameter);
}

}  // namespace

bool runThread(int32_t stackSize, ThreadBody body, void* parameter, uint32_t* exitCode) {
  ThreadStart start{body, parameter};
  SIZE_T size = stackSize > 0 ? static_cast<SIZE_T>(stackSize) : 0;
  // The size is reserved, as the VM does for its own threads, not committed
  // up front: a large -Xss would otherwise take that much memory at once
  // and, in a 32-bit process, could fail for want of address space.
  HANDLE thread = CreateThread(nullptr, size, threadMain, &start,
                               size ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0, nullptr);
  if (!thread) return false;
  WaitForSingleObject(thread, INFINITE);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  *exitCode = code;
  return true;
}

MemoryFigures memoryFigures() {
  // GlobalMemoryStatusEx: the 32-bit figures of GlobalMemoryStatus cannot
  // hold the address space of a 64-bit process.
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return MemoryFigures();
  return addressableFigures(status.ullTotalPhys, status.ullTotalVirtual, status.ullAvailVirtual);
}

std::string legacyCodePageText(const std::string& text) {
  if (!processTextIsUtf8()) return text;
  return codePageFromUtf16(legacyCodePage(), systemTextToUtf16(text));
}

void expandEnvironment(std::string& text) {
  // In UTF-16: the ANSI function counts its sizes in characters on some
  // systems and cuts text whose characters take several bytes.
  const std::u16string wide = wideText(text);
  DWORD needed = ExpandEnvironmentStringsW(wideChars(wide), nullptr, 0);
  if (needed == 0) return;
  std::u16string buffer(needed, u'\0');
  DWORD written = ExpandEnvironmentStringsW(wideChars(wide), reinterpret_cast<wchar_t*>(&buffer[0]),
                                            needed);
  if (written == 0 || written > needed) return;
  buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
  text = launcherText(wideChars(buffer), buffer.size());
}

}  // namespace tarn
