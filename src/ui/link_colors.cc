#include "ui/link_colors.h"

namespace tarn {

namespace {

// Like the C library's atoi, but cut to 8 bits as it goes, so that long
// digit runs cannot overflow.
uint8_t decimalByte(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = (value * 10 + static_cast<unsigned>(text[i] - '0')) & 0xFF;
  if (negative) value = (0x100 - value) & 0xFF;
  return static_cast<uint8_t>(value);
}

}  // namespace

bool parseLinkColor(const std::string& text, LinkColor* color) {
  size_t first = text.find(',');
  if (first == std::string::npos) return false;
  size_t second = text.find(',', first + 1);
  if (second == std::string::npos || second + 1 >= text.size()) return false;
  color->red = decimalByte(text.substr(0, first));
  color->green = decimalByte(text.substr(first + 1, second - first - 1));
  color->blue = decimalByte(text.substr(second + 1));
  return true;
}

}  // namespace tarn
