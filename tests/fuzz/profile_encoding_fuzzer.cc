// Arbitrary bytes as a configuration file in any encoding, for a launcher
// whose text is UTF-8 and for one whose text is the legacy code page
// (Latin-1 stands in for it): the text read back from the bytes written for
// it is the text read, so writing a value never changes another one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/profile_encoding.h"
#include "os/unicode.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::u16string latin1ToUtf16(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

bool latin1FromUtf16(const std::u16string& text, std::string* bytes) {
  bool lossless = true;
  bytes->clear();
  for (char16_t c : text) {
    lossless = lossless && c <= 0xFF;
    *bytes += c <= 0xFF ? static_cast<char>(c) : '?';
  }
  return lossless;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool utf8 : {true, false}) {
    const tarn::ProfileCodePages pages{utf8, latin1ToUtf16, latin1FromUtf16};
    tarn::ProfileEncoding encoding;
    const std::string text = tarn::decodeProfileFile(bytes, pages, &encoding);
    std::u16string wide;
    if (utf8) check(tarn::utf8ToUtf16(text, &wide));
    tarn::ProfileEncoding written = encoding;
    const std::string again = tarn::encodeProfileFile(text, pages, &written);
    tarn::ProfileEncoding reread;
    check(tarn::decodeProfileFile(again, pages, &reread) == text);
  }
  return 0;
}
