// Arbitrary bytes as a configuration file in any encoding, for a launcher
// whose text is UTF-8 and for one whose text is the legacy code page
// (Latin-1 stands in for it): the text read back from the bytes written for
// it is the text read, so writing a value never changes another one; a
// value set in a Unicode file reads back and leaves every other byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/profile_encoding.h"
#include "config/profile_text.h"
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

    const std::string value = utf8 ? "C:\\Zo\xC3\xAB" : "C:\\Zo\xEB";
    std::string edited;
    check(tarn::setProfileFileString(bytes, pages, "Java Runtime Environment", "JRE Path", value,
                                     "\r\n", &edited));
    check(tarn::profileGetString(tarn::decodeProfileFile(edited, pages, &reread),
                                 "Java Runtime Environment", "JRE Path") == value);
    if (encoding != tarn::ProfileEncoding::Utf8) continue;
    // Every byte stays but the old value's, which is part of one line.
    size_t head = 0, tail = 0;
    while (head < bytes.size() && head < edited.size() && bytes[head] == edited[head]) ++head;
    while (tail < bytes.size() - head && tail < edited.size() - head &&
           bytes[bytes.size() - 1 - tail] == edited[edited.size() - 1 - tail])
      ++tail;
    check(bytes.find_first_of("\r\n", head) >= bytes.size() - tail);
  }
  return 0;
}
