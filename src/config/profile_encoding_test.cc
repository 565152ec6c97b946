#include "config/profile_encoding.h"

#include <gtest/gtest.h>

#include "config/profile_text.h"
#include "config/testing_code_pages.h"
#include "os/unicode.h"

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
      std::string bytes;
      ASSERT_TRUE(setProfileFileString(file, kUtf8Launcher, "Java Runtime Environment", "JRE Path",
                                       value, "\r\n", &bytes));
      const Decoded after = decode(bytes, kUtf8Launcher);
      EXPECT_EQ(value, profileGetString(after.text, "Java Runtime Environment", "JRE Path"));
      EXPECT_EQ(profileGetString(before.text, "App", "Name"), profileGetString(after.text, "App", "Name"));
      const bool fits = value.find('\xE6') == std::string::npos;
      if (file == legacyFile && fits) {
        EXPECT_EQ(ProfileEncoding::Legacy, after.encoding);
        EXPECT_EQ(0u, bytes.find("[App]\r\nName=Caf\xE9\r\n")) << "the other line's bytes changed";
      } else if (file == legacyFile) {
        EXPECT_EQ(ProfileEncoding::Utf8, after.encoding);
      } else {
        EXPECT_EQ(before.encoding, after.encoding);
        EXPECT_EQ(0u, bytes.find(file)) << "the file's own bytes changed";
      }
    }
  }
  // A new file takes the launcher's own encoding.
  ProfileEncoding encoding = decode("", kLegacyLauncher).encoding;
  EXPECT_EQ("k=\xE9", encodeProfileFile("k=\xE9", kLegacyLauncher, &encoding));
  encoding = decode("", kUtf8Launcher).encoding;
  EXPECT_EQ("k=" + kPolish, encodeProfileFile("k=" + kPolish, kUtf8Launcher, &encoding));
}

// Where the process's code page is the legacy one (Windows before 1903), a
// Unicode file still keeps every byte but the value's: the characters that
// code page lacks, the comments, a stray surrogate or a lone last byte.
TEST(ProfileEncoding, ALegacyLauncherWritesUnicodeFilesInPlace) {
  const std::u16string before = u"; \u0141\u00F3d\u017A\r\n[App]\r\nName=\u0141\u00F3d\u017A \u6771\u4EAC\r\n"
                                u"[Java Runtime Environment]\r\nJRE Path=";
  const std::u16string after = u"\r\nOther=" + std::u16string(1, char16_t(0xD800)) + u"\r\n";
  const std::string utf8Before = utf16ToUtf8(before), utf8After = "\r\nOther=" + kJapanese;
  auto le = [](const std::u16string& text) { return utf16ToBytes(text, false); };
  auto be = [](const std::u16string& text) { return utf16ToBytes(text, true); };
  struct Case {
    std::string head, tail, value;
  } cases[] = {
      {utf8Before, utf8After, "C:\\Zo\xC3\xAB"},
      {"\xEF\xBB\xBF" + utf8Before, utf8After, "C:\\Zo\xC3\xAB"},
      {utf16Le(before), le(after) + "x", le(u"C:\\Zo\u00EB")},
      {"\xFE\xFF" + be(before), be(after), be(u"C:\\Zo\u00EB")},
  };
  for (const Case& c : cases) {
    for (const std::string& old : {std::string(), c.value.substr(0, 2), c.value}) {
      std::string bytes;
      ASSERT_TRUE(setProfileFileString(c.head + old + c.tail, kLegacyLauncher,
                                       "Java Runtime Environment", "JRE Path", "C:\\Zo\xEB",
                                       "\r\n", &bytes));
      EXPECT_EQ(c.head + c.value + c.tail, bytes);
    }
  }
  // A missing section adds whole lines, in the file's encoding.
  const std::u16string lone(1, char16_t(0xDC00));
  std::string bytes;
  ASSERT_TRUE(setProfileFileString(utf16Le(u"[App]\r\nName=\u6771" + lone), kLegacyLauncher, "New",
                                   "Key", "\xE9", "\n", &bytes));
  EXPECT_EQ(utf16Le(u"[App]\r\nName=\u6771" + lone + u"\r\n\r\n[New]\r\nKey=\u00E9\r\n"), bytes);
  // A second mark is a character the legacy reader lacks: the section
  // starts on a line of its own, where that reader finds it.
  ASSERT_TRUE(setProfileFileString(utf16Le(u"\uFEFF"), kLegacyLauncher, "New", "Key", "1", "\n", &bytes));
  EXPECT_EQ("1", profileGetString(decode(bytes, kLegacyLauncher).text, "New", "Key"));
}

}  // namespace
}  // namespace tarn
