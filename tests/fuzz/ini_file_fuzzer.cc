// The embedded-configuration parser and the layered lookup on arbitrary
// bytes, with and without double-byte characters. The file layer answers
// from the same bytes through the portable profile reader.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "config/ini_file.h"
#include "config/profile_text.h"

namespace {

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

struct BytesProfileFiles : tarn::ProfileFiles {
  std::string bytes;
  uint32_t getString(const std::string& section, const std::string& key, char* buffer,
                     uint32_t size, const std::string&) override {
    return tarn::profileCopyString(bytes, section, key, buffer, size);
  }
  bool writeString(const std::string&, const std::string&, const std::string&,
                   const std::string&) override {
    return false;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool doubleByte = data[0] & 1;
  const bool fileLayer = data[0] & 2;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  BytesProfileFiles files;
  if (fileLayer) files.bytes = text;
  tarn::IniFile ini(files, "fuzz.ini", text, doubleByte ? shiftJisLead : tarn::noLeadBytes);
  size_t total = 0;
  for (const tarn::IniSection& section : ini.sections) {
    total += section.name.size();
    for (const tarn::IniEntry& entry : section.entries) total += entry.key.size() + entry.value.size();
  }
  if (total > text.size()) __builtin_trap();
  // A bounded number of lookups keeps a text of many sections linear.
  int lookups = 0;
  for (const tarn::IniSection& section : ini.sections) {
    for (const tarn::IniEntry& entry : section.entries) {
      if (++lookups > 32) return 0;
      std::string value = ini.lookup(section.name, entry.key);
      if (!fileLayer && value.size() > text.size()) __builtin_trap();
    }
    if (++lookups > 32) return 0;
    ini.lookup(section.name, "Main Class");
  }
  return 0;
}
