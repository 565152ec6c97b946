#include "config/profile_encoding.h"

#include <gtest/gtest.h>

#include "config/profile_text.h"
#include "config/testing_code_pages.h"

namespace tarn {
namespace {

using namespace std::string_literals;

const ProfileCodePages kUtf8Launcher = testing_code_pages::latin1Pages(true);
const ProfileCodePages kLegacyLauncher = testing_code_pages::latin1Pages(false);

const std::string kPolish = "\xC5\x81\xC3\xB3""d\xC5\xBA";         // Łódź
const std::string kJapanese = "\xE6\x9D\xB1\xE4\xBA\xAC";            // 東京
const std::string kUtf8File = "[App]\r\nFolder=" + kPolish + " " + kJapanese + "\r\nName=Caf\xC3\xA9\r\n";

std::string utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

struct Decoded {
  std::string text;
  ProfileEncoding encoding;
};

Decoded decode(const std::string& bytes, const ProfileCodePages& pages) {
  Decoded d;
  d.text = decodeProfileFile(bytes, pages, &d.encoding);
  return d;
}

TEST(ProfileEncoding, EveryEncodingReadsAsTheSameText) {
  const std::u16string wide = u"[App]\r\nFolder=\u0141\u00F3d\u017A \u6771\u4EAC\r\nName=Caf\u00E9\r\n";
  std::string bigEndian = "\xFE\xFF";
  for (char16_t c : wide) bigEndian += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  EXPECT_EQ(kUtf8File, decode(kUtf8File, kUtf8Launcher).text);
  EXPECT_EQ(kUtf8File, decode("\xEF\xBB\xBF" + kUtf8File, kUtf8Launcher).text);
  EXPECT_EQ(kUtf8File, decode(utf16Le(wide), kUtf8Launcher).text);
  EXPECT_EQ(kUtf8File, decode(bigEndian, kUtf8Launcher).text);
  EXPECT_EQ(ProfileEncoding::Utf8, decode(kUtf8File, kUtf8Launcher).encoding);
  EXPECT_EQ(ProfileEncoding::Utf8WithMark, decode("\xEF\xBB\xBF" + kUtf8File, kUtf8Launcher).encoding);
  EXPECT_EQ(ProfileEncoding::Utf16Le, decode(utf16Le(wide), kUtf8Launcher).encoding);
  EXPECT_EQ(ProfileEncoding::Utf16Be, decode(bigEndian, kUtf8Launcher).encoding);
  // The values themselves, through the profile rules.
  const std::string text = decode(utf16Le(wide), kUtf8Launcher).text;
  EXPECT_EQ(kPolish + " " + kJapanese, profileGetString(text, "App", "Folder"));
}

// Bytes that are no UTF-8 were saved in the legacy code page: they keep
// their meaning instead of turning into replacement characters.
TEST(ProfileEncoding, LegacyFilesKeepTheirCharacters) {
  const Decoded legacy = decode("[App]\r\nName=Caf\xE9 \xC0 la carte\r\n", kUtf8Launcher);
  EXPECT_EQ(ProfileEncoding::Legacy, legacy.encoding);
  EXPECT_EQ("Caf\xC3\xA9 \xC3\x80 la carte", profileGetString(legacy.text, "App", "Name"));
  // A mark that claims UTF-8 over legacy bytes does not change their meaning.
  EXPECT_EQ("[A]\r\nk=\xC3\xA9\r\n", decode("\xEF\xBB\xBF[A]\r\nk=\xE9\r\n", kUtf8Launcher).text);
  EXPECT_EQ(ProfileEncoding::Utf8, decode("[A]\r\nk=v\r\n", kUtf8Launcher).encoding);
  EXPECT_EQ(ProfileEncoding::Utf8, decode("", kUtf8Launcher).encoding);
}

// Where Windows ignores the manifest, the launcher's text is the legacy
// code page: UTF-8 and UTF-16 files are converted to it, losing only what
// it cannot hold.
TEST(ProfileEncoding, ALegacyLauncherReadsUnicodeFiles) {
  EXPECT_EQ("[App]\r\nName=Caf\xE9 ??\r\n", decode("[App]\r\nName=Caf\xC3\xA9 " + kJapanese + "\r\n",
                                                 kLegacyLauncher).text);
  EXPECT_EQ("k=\xE9", decode(utf16Le(u"k=\u00E9"), kLegacyLauncher).text);
  const Decoded legacy = decode("k=\xE9", kLegacyLauncher);
  EXPECT_EQ("k=\xE9", legacy.text);
  EXPECT_EQ(ProfileEncoding::Legacy, legacy.encoding);
  EXPECT_EQ(ProfileEncoding::Legacy, decode("", kLegacyLauncher).encoding);
}

// A value written changes only its own line's bytes, in every encoding; a
// legacy file given characters it cannot hold becomes UTF-8 whole, with
// every value reading as before.
TEST(ProfileEncoding, WritingKeepsTheFileEncoding) {
  const std::string legacyFile = "[App]\r\nName=Caf\xE9\r\n[Java Runtime Environment]\r\nJRE Path=x\r\n";
  const std::string utf16File = utf16Le(u"[App]\r\nName=Caf\u00E9\r\n");
  for (const std::string& file : {kUtf8File, "\xEF\xBB\xBF" + kUtf8File, utf16File, legacyFile}) {
    for (const std::string& value : {"C:\\Program Files\\Java\\jre"s, "C:\\Zo\xC3\xAB\\jre"s,
                                     "D:\\" + kJapanese + "\\jre"}) {
      Decoded before = decode(file, kUtf8Launcher);
      std::string changed;
      ASSERT_TRUE(profileSetString(before.text, "Java Runtime Environment", "JRE Path", value,
                                   "\r\n", &changed));
      ProfileEncoding encoding = before.encoding;
      const std::string bytes = encodeProfileFile(changed, kUtf8Launcher, &encoding);
      const Decoded after = decode(bytes, kUtf8Launcher);
      EXPECT_EQ(encoding, after.encoding);
      EXPECT_EQ(value, profileGetString(after.text, "Java Runtime Environment", "JRE Path"));
      EXPECT_EQ(profileGetString(before.text, "App", "Name"), profileGetString(after.text, "App", "Name"));
      const bool fits = value.find('\xE6') == std::string::npos;
      if (file == legacyFile && fits) {
        EXPECT_EQ(ProfileEncoding::Legacy, encoding);
        EXPECT_EQ(0u, bytes.find("[App]\r\nName=Caf\xE9\r\n")) << "the other line's bytes changed";
      } else if (file == legacyFile) {
        EXPECT_EQ(ProfileEncoding::Utf8, encoding);
      } else {
        EXPECT_EQ(before.encoding, encoding);
        EXPECT_EQ(0u, bytes.find(file.substr(0, 8))) << "the mark or the first line changed";
      }
    }
  }
  // A new file takes the launcher's own encoding.
  ProfileEncoding encoding = decode("", kLegacyLauncher).encoding;
  EXPECT_EQ("k=\xE9", encodeProfileFile("k=\xE9", kLegacyLauncher, &encoding));
  encoding = decode("", kUtf8Launcher).encoding;
  EXPECT_EQ("k=" + kPolish, encodeProfileFile("k=" + kPolish, kUtf8Launcher, &encoding));
}

}  // namespace
}  // namespace tarn
