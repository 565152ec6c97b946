#include "os/text.h"

#include <windows.h>

#include <cstdio>

#include "os/code_page_win32.h"

namespace tarn {

// UTF-8 is no double-byte code page: under it every byte steps alone, which
// is safe since no byte of a multibyte character is ever ASCII.
bool systemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

std::u16string systemTextToUtf16(const std::string& text) { return codePageToUtf16(CP_ACP, text); }

// The system's C runtime formats: MinGW's own C99 printf would add some 20 KB
// to the executable, and %s, %d and %u are all the launcher's texts use.
int formatInto(char* buffer, size_t size, const char* format, va_list args) {
  if (buffer == nullptr) return _vscprintf(format, args);
  return _vsnprintf(buffer, size, format, args);
}

}  // namespace tarn
