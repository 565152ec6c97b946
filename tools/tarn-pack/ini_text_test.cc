#include "ini_text.h"

#include <gtest/gtest.h>

#include "config/setting_names.h"
#include "config/settings.h"
#include "config/testing_machine.h"
#include "jvm/jvm_host.h"
#include "jvm/option_list.h"
#include "pack.h"
#include "pack_files.h"

namespace tarn {
namespace {

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::u16string embedded(const std::string& ini) {
  std::u16string text;
  std::string error;
  EXPECT_TRUE(embeddedTextFromIni(bytes(ini), &text, &error)) << error;
  return text;
}

TEST(EmbeddedTextFromIni, PutsTheFileInTheEmbeddedForm) {
  EXPECT_EQ(u"[Application]\r\nMain Class=a.b.C\r\nk=v",
            embedded("; comment = not a key\n[ Application ]\r\n\r\n  Main Class = a.b.C \r"
                     "line without equals\nk=v\n"));
  // Quotes around a whole value go; inner ones stay.
  EXPECT_EQ(u"[A]\r\nt=My App\r\nu=-Dx=\"a b\"\r\nv='a\"",
            embedded("[A]\nt=\"My App\"\nu=-Dx=\"a b\"\nv='a\"\n"));
  // A header's name runs to the last "]".
  EXPECT_EQ(u"[a]b]", embedded("[a]b]\n"));
  EXPECT_EQ(u"", embedded(""));
  EXPECT_EQ(u"", embedded("\n\n; only comments\n"));
}

TEST(EmbeddedTextFromIni, Encodings) {
  EXPECT_EQ(u"[A]\r\nk=Gr\u00fc\u00dfe \U0001F600", embedded("\xEF\xBB\xBF[A]\nk=Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80\n"));
  Bytes utf16 = {0xFF, 0xFE};
  for (char16_t c : std::u16string(u"[A]\r\nk=\u65e5")) {
    utf16.push_back(static_cast<unsigned char>(c & 0xFF));
    utf16.push_back(static_cast<unsigned char>(c >> 8));
  }
  std::u16string text;
  std::string error;
  ASSERT_TRUE(embeddedTextFromIni(utf16, &text, &error)) << error;
  EXPECT_EQ(u"[A]\r\nk=\u65e5", text);
  utf16.push_back(0);
  EXPECT_FALSE(embeddedTextFromIni(utf16, &text, &error));
  // Text in a legacy code page is refused rather than guessed at.
  EXPECT_FALSE(embeddedTextFromIni(bytes("[A]\nk=Gr\xFC\xDF" "e\n"), &text, &error));
  EXPECT_NE(std::string::npos, error.find("UTF-8"));
  EXPECT_FALSE(embeddedTextFromIni(bytes("k=\xC0\xAF"), &text, &error));  // overlong "/"
  EXPECT_FALSE(embeddedTextFromIni(bytes("k=\xED\xA0\x80"), &text, &error));  // a surrogate
  EXPECT_FALSE(embeddedTextFromIni(bytes("k=\xE6\x97"), &text, &error));  // cut short
  // UTF-16 without its byte order mark reads as UTF-8 full of NULs.
  EXPECT_FALSE(embeddedTextFromIni(Bytes{'[', 0, 'A', 0, ']', 0}, &text, &error));
  EXPECT_NE(std::string::npos, error.find("NUL")) << error;
}

// Names the launcher reads take its spelling, in an append section too;
// others, and look-alikes beyond ASCII, stay as written.
TEST(EmbeddedTextFromIni, GivesTheLauncherItsOwnNames) {
  EXPECT_EQ(u"[Java Runtime Environment]\r\nMain Class=a.B\r\nmain klass=c\r\n[Application+]\r\n"
            u"Cmd=-v\r\nclass path=d\r\nFailure Chec\u212A=yes\r\n[Class Path]\r\nClass Path=e\r\n"
            u"[mine]\r\ncmd=f",
            embedded("[java runtime environment]\nMAIN CLASS=a.B\nmain klass=c\n[ application+ ]\n"
                     "cmd=-v\nclass path=d\nFailure Chec\xE2\x84\xAA=yes\n[CLASS path]\nclass Path=e\n"
                     "[mine]\ncmd=f\n"));
}

// Whatever the launcher asks its configuration for is a name that the
// table spells, so that a packed file means what it meant beside it.
TEST(EmbeddedTextFromIni, KnowsEveryNameTheLauncherReads) {
  testing_machine::FakeMachine fake;
  fake.system.module = kWindowsPaths ? "C:\\app\\tool.exe" : "/app/tool";
  const std::string config = kWindowsPaths ? "C:\\app\\tool.ini" : "/app/tool.ini";
  fake.profiles.set(config, "Java Runtime Environment", "Main Class", "a.B");
  fake.profiles.set(config, "Class Path", "Class Path", "a.jar");
  bool singleInstance = false;
  LauncherSettings settings;
  JvmHost jvm;
  std::vector<std::string> arguments;
  ASSERT_TRUE(readSingleInstanceSetting(fake.machine, "", &singleInstance));
  ASSERT_TRUE(readSettings(fake.machine, "", &settings));
  ASSERT_TRUE(buildOptionList(fake.machine, "", settings, jvm, &arguments));
  EXPECT_GE(fake.profiles.reads.size(), kSettingNameCount);
  for (const auto& read : fake.profiles.reads) {
    const std::string& section = std::get<1>(read);
    EXPECT_EQ(section, knownSectionName(section));
    EXPECT_EQ(std::get<2>(read), knownKeyName(section, std::get<2>(read))) << section;
  }
}

}  // namespace
}  // namespace tarn
