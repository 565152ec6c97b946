#include <cwchar>

#include "config/embedded_config.h"

namespace tarn {

namespace {

// The reserved block: marker and room set, length and check value zero.
// Writable, so that no debugging record keeps a copy of its initial value;
// kept in a section of its own so that it is easy to find with readelf;
// tarn-pack overwrites it in the file. The marker bytes here are its only
// copy in the executable.
__attribute__((section(".tarn_config"), used, aligned(16)))
unsigned char kReservedBlock[kEmbeddedBlockSize] = {
    0x89, 0x54, 0x52, 0x4E, 0x43, 0x46, 0x47, 0x1A,
    static_cast<unsigned char>(kEmbeddedCapacity & 0xFF),
    static_cast<unsigned char>(kEmbeddedCapacity >> 8 & 0xFF), 0, 0};

}  // namespace

const unsigned char* embeddedBlock(size_t* size) {
  // The compiler sees an initialised constant; hide where the pointer leads
  // so that it reads what the file holds instead of folding the zeros.
  const unsigned char* block = kReservedBlock;
  __asm__ __volatile__("" : "+r"(block));
  *size = kEmbeddedBlockSize;
  return block;
}

std::string utf16ToSystemText(const std::u16string& text) {
  std::string result;
  std::mbstate_t state{};
  char buffer[16];
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = u'?';  // a lone half of a pair
    }
    if (code < 0x80) {
      result += static_cast<char>(code);
      continue;
    }
    std::mbstate_t saved = state;
    size_t used = std::wcrtomb(buffer, static_cast<wchar_t>(code), &state);
    if (used == static_cast<size_t>(-1) || used > sizeof buffer) {
      state = saved;
      result += '?';
    } else {
      result.append(buffer, used);
    }
  }
  return result;
}

}  // namespace tarn
