#include "os/text.h"

#include <windows.h>

namespace tarn {

bool systemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

std::u16string systemTextToUtf16(const std::string& text) {
  if (text.empty()) return std::u16string();
  int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::u16string(text.size(), u'\uFFFD');
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(&wide[0]), length);
  return wide;
}

}  // namespace tarn
