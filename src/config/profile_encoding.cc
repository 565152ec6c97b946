#include "config/profile_encoding.h"

#include "os/unicode.h"

namespace tarn {

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool startsWith(const std::string& bytes, const char* mark, size_t size) {
  return bytes.compare(0, size, mark, size) == 0;
}

bool isAscii(const std::string& bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string launcherFromUtf16(const std::u16string& text, const ProfileCodePages& pages) {
  if (pages.launcherTextIsUtf8) return utf16ToUtf8(text);
  std::string bytes;
  pages.legacyFromUtf16(text, &bytes);  // a character it lacks is lost, as any ANSI program loses it
  return bytes;
}

std::u16string launcherToUtf16(const std::string& text, const ProfileCodePages& pages) {
  if (!pages.launcherTextIsUtf8) return pages.legacyToUtf16(text);
  std::u16string wide;
  if (!utf8ToUtf16(text, &wide)) wide = pages.legacyToUtf16(text);
  return wide;
}

}  // namespace

std::string decodeProfileFile(const std::string& bytes, const ProfileCodePages& pages,
                              ProfileEncoding* encoding) {
  if (startsWith(bytes, kUtf8Mark, 3)) {
    *encoding = ProfileEncoding::Utf8WithMark;
    const std::string text = bytes.substr(3);
    std::u16string wide;
    // Bytes that claim UTF-8 but are not keep their legacy meaning.
    if (!utf8ToUtf16(text, &wide)) wide = pages.legacyToUtf16(text);
    return launcherFromUtf16(wide, pages);
  }
  if (startsWith(bytes, "\xFF\xFE", 2) || startsWith(bytes, "\xFE\xFF", 2)) {
    const bool bigEndian = bytes[0] == '\xFE';
    *encoding = bigEndian ? ProfileEncoding::Utf16Be : ProfileEncoding::Utf16Le;
    return launcherFromUtf16(utf16FromBytes(bytes.substr(2), bigEndian), pages);
  }
  if (isAscii(bytes)) {
    *encoding = pages.launcherTextIsUtf8 ? ProfileEncoding::Utf8 : ProfileEncoding::Legacy;
    return bytes;
  }
  std::u16string wide;
  if (utf8ToUtf16(bytes, &wide)) {
    *encoding = ProfileEncoding::Utf8;
    return pages.launcherTextIsUtf8 ? bytes : launcherFromUtf16(wide, pages);
  }
  *encoding = ProfileEncoding::Legacy;
  return pages.launcherTextIsUtf8 ? utf16ToUtf8(pages.legacyToUtf16(bytes)) : bytes;
}

std::string encodeProfileFile(const std::string& text, const ProfileCodePages& pages,
                              ProfileEncoding* encoding) {
  switch (*encoding) {
    case ProfileEncoding::Utf16Le:
      return "\xFF\xFE" + utf16ToBytes(launcherToUtf16(text, pages), false);
    case ProfileEncoding::Utf16Be:
      return "\xFE\xFF" + utf16ToBytes(launcherToUtf16(text, pages), true);
    case ProfileEncoding::Legacy: {
      if (!pages.launcherTextIsUtf8 || isAscii(text)) return text;
      std::string bytes;
      if (pages.legacyFromUtf16(launcherToUtf16(text, pages), &bytes)) return bytes;
      *encoding = ProfileEncoding::Utf8;
      return text;
    }
    case ProfileEncoding::Utf8WithMark:
    case ProfileEncoding::Utf8:
      break;
  }
  std::string utf8 = pages.launcherTextIsUtf8 ? text : utf16ToUtf8(launcherToUtf16(text, pages));
  return *encoding == ProfileEncoding::Utf8WithMark ? kUtf8Mark + utf8 : utf8;
}

}  // namespace tarn
