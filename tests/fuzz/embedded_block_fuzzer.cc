// Arbitrary bytes as an embedded configuration block: decoding never reads
// outside the bytes and gives either the empty text or one that encodes
// back into a block decoding to the same text. The input is also taken as
// a whole executable and as an INI file for tarn-pack, which must refuse or
// produce a file whose block holds what the INI said; with a jar, a block
// whose "Embedded Jar" the launcher reads as on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/embedded_config.h"
#include "config/ini_file.h"
#include "config/testing_machine.h"
#include "ini_text.h"
#include "os/text.h"
#include "os/unicode.h"
#include "pack.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Copied so that ASan sees a read past the end.
  std::vector<unsigned char> bytes(data, data + size);
  const std::u16string text = tarn::decodeEmbeddedBlock(bytes.data(), bytes.size());
  check(text.size() * 2 + tarn::kEmbeddedHeaderSize <= size || text.empty());
  if (!text.empty()) {
    std::vector<unsigned char> again(tarn::kEmbeddedHeaderSize + text.size() * 2);
    check(tarn::encodeEmbeddedBlock(text, again.data(), again.size()));
    check(tarn::decodeEmbeddedBlock(again.data(), again.size()) == text);
  }
  std::string shown, error;
  tarn::embeddedTextOf(bytes, &shown, &error);

  // The same bytes as an INI file packed into a small launcher.
  tarn::PackInput input;
  input.launcher.assign(4096, 0);
  input.launcher[0] = 0x7f;
  input.launcher[1] = 'E';
  input.launcher[2] = 'L';
  input.launcher[3] = 'F';
  const auto marker = tarn::embeddedMarker();
  std::copy(marker.begin(), marker.end(), input.launcher.begin() + 64);
  const size_t room = 4096 - 64 - tarn::kEmbeddedHeaderSize;
  input.launcher[72] = room & 0xFF;
  input.launcher[73] = room >> 8;
  input.ini = bytes;
  tarn::Bytes output;
  std::u16string embedded;
  if (tarn::pack(input, &output, &error)) {
    check(output.size() == input.launcher.size());
    check(tarn::embeddedTextFromIni(bytes, &embedded, &error));
    check(tarn::decodeEmbeddedBlock(&output[64], output.size() - 64) == embedded);
    // With a jar, the launcher reads "Embedded Jar" as on, or the packing is refused.
    if (tarn::withEmbeddedJar(&embedded, true, &error)) {
      tarn::testing_machine::FakeProfileFiles none;
      tarn::IniFile ini(none, "none.ini", tarn::utf16ToUtf8(embedded), tarn::noLeadBytes);
      check(tarn::equalsIgnoringCase(ini.lookup("Application", "Embedded Jar"), "yes"));
    }
  }
  return 0;
}
