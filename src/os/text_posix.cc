#include "os/text.h"

#include <cstdio>
#include <cwchar>

namespace tarn {

// UTF-8 and the single-byte sets a Linux locale uses keep every byte of a
// multibyte character above 0x7F, so no ASCII byte is ever a trail byte.
bool systemLeadByte(unsigned char) { return false; }

std::u16string systemTextToUtf16(const std::string& text) {
  std::u16string result;
  std::mbstate_t state{};
  size_t i = 0;
  while (i < text.size()) {
    wchar_t c = 0;
    size_t used = std::mbrtowc(&c, text.data() + i, text.size() - i, &state);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
      result.push_back(u'\uFFFD');
      state = std::mbstate_t{};
      ++i;
      continue;
    }
    if (used == 0) used = 1;  // an embedded NUL
    uint32_t code = static_cast<uint32_t>(c);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code >= 0x10000) {
      code -= 0x10000;
      result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(code));
    }
    i += used;
  }
  return result;
}

int formatInto(char* buffer, size_t size, const char* format, va_list args) {
  return std::vsnprintf(buffer, size, format, args);
}

}  // namespace tarn
