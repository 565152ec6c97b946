// Arbitrary bytes as a configuration file in any encoding, for a launcher
// whose text is UTF-8 and for one whose text is the legacy code page
// (Latin-1 stands in for it): the text read back from the bytes written for
// it is the text read, so writing a value never changes another one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/profile_encoding.h"
#include "config/testing_code_pages.h"
#include "os/unicode.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool utf8 : {true, false}) {
    const tarn::ProfileCodePages pages = tarn::testing_code_pages::latin1Pages(utf8);
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
