// The encodings a configuration file may be saved in, and the launcher's
// text made from it and back. A byte-order mark names UTF-8 or UTF-16;
// without one, bytes that are UTF-8 are read as UTF-8 and any others in the
// system's legacy code page (where Notepad and older editors save ANSI
// files). Writing keeps the file's encoding, so that a value written never
// changes the bytes of the others.
#ifndef TARN_CONFIG_PROFILE_ENCODING_H
#define TARN_CONFIG_PROFILE_ENCODING_H

#include <string>

namespace tarn {

enum class ProfileEncoding { Utf8, Utf8WithMark, Utf16Le, Utf16Be, Legacy };

// The code pages involved: the launcher's own text is UTF-8 or in the
// legacy code page; the platform converts the legacy page.
struct ProfileCodePages {
  bool launcherTextIsUtf8 = true;
  std::u16string (*legacyToUtf16)(const std::string& text) = nullptr;
  // False when a character has no form in the legacy code page.
  bool (*legacyFromUtf16)(const std::u16string& text, std::string* bytes) = nullptr;
};

// The file's bytes as launcher text (without a mark), and their encoding.
// A file of ASCII alone, an empty one too, counts as the launcher's own
// encoding.
std::string decodeProfileFile(const std::string& bytes, const ProfileCodePages& pages,
                              ProfileEncoding* encoding);

// Launcher text as the bytes of a file in *encoding. Text that a legacy
// file cannot hold is written as UTF-8, and *encoding says so.
std::string encodeProfileFile(const std::string& text, const ProfileCodePages& pages,
                              ProfileEncoding* encoding);

// The file's bytes with key set to value (all launcher text), edited in the
// file's own encoding: a UTF-8 or UTF-16 file keeps every byte but the old
// value's, or gains whole lines, whatever the launcher's code page. A
// legacy file is edited through the launcher's text and becomes UTF-8 when
// its code page cannot hold the value. Fails where profileEditFor does.
bool setProfileFileString(const std::string& fileBytes, const ProfileCodePages& pages,
                          const std::string& section, const std::string& key,
                          const std::string& value, const std::string& newLineEnd,
                          std::string* result);

}  // namespace tarn

#endif
