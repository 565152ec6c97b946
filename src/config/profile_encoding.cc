#include "config/profile_encoding.h"

#include <algorithm>

#include "config/profile_text.h"
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

std::string launcherToUtf8(const std::string& text, const ProfileCodePages& pages) {
  return utf16ToUtf8(launcherToUtf16(text, pages));
}

// The edit made in a UTF-8 form of the file: names and value in UTF-8 too.
bool editUtf8(std::string body, const ProfileCodePages& pages, const std::string& section,
              const std::string& key, const std::string& value, const std::string& newLineEnd,
              ProfileEdit* edit) {
  // A second mark is text to a legacy reader, which has no character for it.
  if (!pages.launcherTextIsUtf8 && startsWith(body, kUtf8Mark, 3)) body.replace(0, 3, "\xEF\xBF\xBD");
  return profileEditFor(body, launcherToUtf8(section, pages), launcherToUtf8(key, pages),
                        launcherToUtf8(value, pages), newLineEnd, edit);
}

}  // namespace

bool setProfileFileString(const std::string& fileBytes, const ProfileCodePages& pages,
                          const std::string& section, const std::string& key,
                          const std::string& value, const std::string& newLineEnd,
                          std::string* result) {
  ProfileEncoding encoding;
  const std::string text = decodeProfileFile(fileBytes, pages, &encoding);
  ProfileEdit edit;
  std::u16string wide;
  const size_t mark = encoding == ProfileEncoding::Utf8WithMark ? 3 : 0;
  if ((encoding == ProfileEncoding::Utf8 || encoding == ProfileEncoding::Utf8WithMark) &&
      utf8ToUtf16(fileBytes.substr(mark), &wide)) {
    if (!editUtf8(fileBytes.substr(mark), pages, section, key, value, newLineEnd, &edit))
      return false;
    *result = fileBytes;
    result->replace(mark + edit.position, edit.erase, edit.insert);
    return true;
  }
  if (encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Utf16Be) {
    // Edited as UTF-8, spliced into the code units: an unpaired surrogate
    // or a lone last byte elsewhere in the file stays as it was.
    const bool bigEndian = encoding == ProfileEncoding::Utf16Be;
    const std::string body = utf16ToUtf8(utf16FromBytes(fileBytes.substr(2), bigEndian));
    if (!editUtf8(body, pages, section, key, value, newLineEnd, &edit)) return false;
    const size_t wholeUnits = (fileBytes.size() - 2) / 2;
    auto offset = [&](size_t at) {
      std::u16string before;
      utf8ToUtf16(body.substr(0, at), &before);
      return 2 + 2 * std::min(before.size(), wholeUnits);
    };
    const size_t begin = offset(edit.position), end = offset(edit.position + edit.erase);
    utf8ToUtf16(edit.insert, &wide);
    *result = fileBytes;
    result->replace(begin, end - begin, utf16ToBytes(wide, bigEndian));
    return true;
  }
  // Legacy bytes: their code page's round trip through the launcher's
  // text keeps them.
  std::string updated;
  if (!profileSetString(text, section, key, value, newLineEnd, &updated)) return false;
  *result = encodeProfileFile(updated, pages, &encoding);
  return true;
}

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
