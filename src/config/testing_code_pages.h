// Latin-1 standing in for the system's legacy code page in the tests and
// the fuzz target: every byte is a character, and only U+0000 to U+00FF
// have a byte.
#ifndef TARN_CONFIG_TESTING_CODE_PAGES_H
#define TARN_CONFIG_TESTING_CODE_PAGES_H

#include <string>

#include "config/profile_encoding.h"

namespace tarn {
namespace testing_code_pages {

inline std::u16string latin1ToUtf16(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

inline bool latin1FromUtf16(const std::u16string& text, std::string* bytes) {
  bool lossless = true;
  bytes->clear();
  for (char16_t c : text) {
    lossless = lossless && c <= 0xFF;
    *bytes += c <= 0xFF ? static_cast<char>(c) : '?';
  }
  return lossless;
}

// The launcher's text in UTF-8, or in the legacy code page itself.
inline ProfileCodePages latin1Pages(bool launcherTextIsUtf8) {
  return ProfileCodePages{launcherTextIsUtf8, latin1ToUtf16, latin1FromUtf16};
}

}  // namespace testing_code_pages
}  // namespace tarn

#endif
