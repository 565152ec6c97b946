#include "os/text.h"

#include <windows.h>

#include "os/code_page_win32.h"

namespace tarn {

// UTF-8 is no double-byte code page: under it every byte steps alone, which
// is safe since no byte of a multibyte character is ever ASCII.
bool systemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

std::u16string systemTextToUtf16(const std::string& text) { return codePageToUtf16(CP_ACP, text); }

}  // namespace tarn
