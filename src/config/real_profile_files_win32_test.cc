// The profile files as the Windows launcher meets them: under the UTF-8
// code page its manifest asks for (this test program carries the same
// manifest), in folders named outside the legacy code page, saved in every
// encoding an editor offers.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "config/ini_file.h"
#include "config/real_profile_files.h"
#include "os/code_page_win32.h"
#include "os/text.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

const std::string kCafe = "Caf\xC3\xA9";
const std::string kTokyo = "\xE6\x9D\xB1\xE4\xBA\xAC";
const std::string kFolderName = "Zo\xC3\xAB \xC5\x81\xC3\xB3""d\xC5\xBA " + kTokyo;

struct ProfileFolder : ::testing::Test {
  fs::path folder;
  RealProfileFiles files;

  void SetUp() override {
    std::random_device random;
    folder = fs::temp_directory_path() / fs::u8path(kFolderName + " " + std::to_string(random()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  std::string path(const std::string& name) const { return (folder / fs::u8path(name)).u8string(); }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder / fs::u8path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(folder / fs::u8path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string value(const std::string& name, const std::string& key) {
    return readProfileString(files, path(name), "App", key);
  }
};

TEST(CodePage, TheManifestsUtf8IsTheProcesssCodePage) {
  ASSERT_TRUE(processTextIsUtf8());
  EXPECT_EQ(1252u, legacyCodePage());  // the test prefix's system locale
  // UTF-8 is no double-byte code page: bytes step alone, and a separator
  // after multibyte characters is found where it stands.
  for (int c = 0x80; c <= 0xFF; ++c) EXPECT_FALSE(systemLeadByte(static_cast<unsigned char>(c)));
  const std::string path = "C:\\" + kTokyo + "\\" + kCafe + "\\lib";
  EXPECT_EQ(path.size() - 4, findLastChar(path, '\\', systemLeadByte));
  EXPECT_EQ(u"C:\\\u6771\u4EAC\\Caf\u00E9\\lib", systemTextToUtf16(path));
}

TEST_F(ProfileFolder, EveryEncodingReadsTheSameValues) {
  const std::u16string wide = u"[App]\r\nName=Caf\u00E9 \u6771\u4EAC\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : wide) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  write("utf8.ini", "[App]\r\nName=" + kCafe + " " + kTokyo + "\r\n");
  write("mark.ini", "\xEF\xBB\xBF[App]\r\nName=" + kCafe + " " + kTokyo + "\r\n");
  write("utf16.ini", utf16);
  for (const char* name : {"utf8.ini", "mark.ini", "utf16.ini"})
    EXPECT_EQ(kCafe + " " + kTokyo, value(name, "Name")) << name;
  // Saved as ANSI by an older editor: the legacy code page's characters.
  write("ansi.ini", "[App]\r\nName=Caf\xE9\r\n");
  EXPECT_EQ(kCafe, value("ansi.ini", "Name"));
}

TEST_F(ProfileFolder, WritingKeepsEveryOtherValue) {
  write("ansi.ini", "[App]\r\nName=Caf\xE9\r\n");
  ASSERT_TRUE(files.writeString("App", "JRE Path", "C:\\Java\\" + kCafe, path("ansi.ini")));
  EXPECT_EQ("[App]\r\nName=Caf\xE9\r\nJRE Path=C:\\Java\\Caf\xE9\r\n", read("ansi.ini"));
  // A character the legacy code page lacks: the file becomes UTF-8 whole.
  ASSERT_TRUE(files.writeString("App", "JRE Path", "C:\\" + kTokyo, path("ansi.ini")));
  EXPECT_EQ("[App]\r\nName=" + kCafe + "\r\nJRE Path=C:\\" + kTokyo + "\r\n", read("ansi.ini"));
  EXPECT_EQ(kCafe, value("ansi.ini", "Name"));

  const std::string utf16 = std::string("\xFF\xFE[\0A\0p\0p\0]\0\r\0\n\0", 16);
  write("utf16.ini", utf16);
  ASSERT_TRUE(files.writeString("App", "Name", kTokyo, path("utf16.ini")));
  EXPECT_EQ(utf16 + std::string("N\0a\0m\0e\0=\0\x71\x67\xAC\x4E\r\0\n\0", 18), read("utf16.ini"));

  // A new file, in a new name outside the legacy code page, is UTF-8.
  ASSERT_TRUE(files.writeString("App", "Name", kTokyo, path(kTokyo + ".ini")));
  EXPECT_EQ("[App]\r\nName=" + kTokyo + "\r\n", read(kTokyo + ".ini"));
  EXPECT_EQ(3, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST_F(ProfileFolder, FailsWithoutHarm) {
  EXPECT_FALSE(files.writeString("App", "k", "1", path("missing\\x.ini")));
  fs::create_directory(folder / "folder.ini");
  EXPECT_FALSE(files.writeString("App", "k", "1", path("folder.ini")));
  write("a.ini", "[App]\r\nk=1\r\n");
  EXPECT_FALSE(files.writeString("App", "k", "1\r\nx=2", path("a.ini")));
  EXPECT_EQ("[App]\r\nk=1\r\n", read("a.ini"));
  EXPECT_EQ(2, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace
}  // namespace tarn
