// The separator split on arbitrary bytes: the pieces joined by the separator
// give the text back, less a separator at its very end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/ini_file.h"

namespace {
bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: separator length 1..3 and the code page; the separator
  // comes next, then the text.
  size_t length = 1 + data[0] % 3;
  if (size < 1 + length) return 0;
  std::string separator(reinterpret_cast<const char*>(data) + 1, length);
  std::string text(reinterpret_cast<const char*>(data) + 1 + length, size - 1 - length);
  tarn::LeadByteTest lead = (data[0] & 4) ? shiftJisLead : tarn::noLeadBytes;
  std::vector<std::string> pieces = tarn::splitText(text, separator, lead);
  if (text.empty() != pieces.empty()) __builtin_trap();
  std::string joined;
  for (size_t i = 0; i < pieces.size(); ++i) joined += (i ? separator : "") + pieces[i];
  if (joined != text && joined + separator != text) __builtin_trap();
  tarn::splitText(text, "\r\n", lead);
  return 0;
}
