#include "report/messages.h"

#include <windows.h>

#include <cstdio>

#include "os/code_page_win32.h"
#include "os/real_system.h"
#include "os/text.h"

namespace tarn {

std::string loadMessage(int id) {
  if (id < 0 || id > 0xFFFF) return std::string();
  // Language-neutral: the thread's language first, then the table's own.
  HRSRC block = FindResourceExA(nullptr, reinterpret_cast<LPCSTR>(RT_STRING),
                                MAKEINTRESOURCEA(id / 16 + 1),
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  if (!block) return std::string();
  HGLOBAL loaded = LoadResource(nullptr, block);
  if (!loaded) return std::string();
  const WCHAR* entry = static_cast<const WCHAR*>(LockResource(loaded));
  DWORD size = SizeofResource(nullptr, block) / sizeof(WCHAR);
  if (!entry) return std::string();
  const WCHAR* end = entry + size;
  for (int i = 0; i < id % 16; ++i) {
    if (entry >= end) return std::string();
    entry += 1 + *entry;
  }
  if (entry >= end || *entry == 0 || entry + 1 + *entry > end) return std::string();
  // In the process's code page, as all launcher text: the thread's code
  // page is the locale's legacy one even where the process runs in UTF-8.
  return launcherText(entry + 1, *entry);
}

void writeStandardOutput(const std::string& line) {
  // A console shows text in its own code page, mostly not the process's:
  // it gets the characters themselves.
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (output != nullptr && output != INVALID_HANDLE_VALUE && GetConsoleMode(output, &mode)) {
    std::fflush(stdout);
    const std::u16string wide = wideText(line);
    DWORD written = 0;
    if (WriteConsoleW(output, wideChars(wide), static_cast<DWORD>(wide.size()), &written, nullptr))
      return;
  }
  std::fputs(line.c_str(), stdout);
  std::fflush(stdout);
}

bool standardOutputRedirected() {
  // A windowed process has a usable handle only when its starter gave it
  // one; a console (a character device) is not a redirection.
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  DWORD type = GetFileType(output);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

bool onVisibleWindowStation() {
  USEROBJECTFLAGS flags = {};
  HWINSTA station = GetProcessWindowStation();
  if (!station || !GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
    return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool showErrorBox(const std::string& text, const std::string& title) {
  if (!onVisibleWindowStation()) return false;
  std::string caption = title;
  if (caption.empty()) {
    std::string module;
    uint32_t error = 0;
    if (RealSystem().modulePath(&module, &error)) {
      size_t slash = findLastChar(module, '\\', systemLeadByte);
      caption = slash == std::string::npos ? module : module.substr(slash + 1);
    }
  }
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                     MB_OK | MB_ICONERROR | MB_SETFOREGROUND) != 0;
}

}  // namespace tarn
