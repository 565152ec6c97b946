#include "config/config_paths.h"

#include <gtest/gtest.h>

#include "config/testing_machine.h"

namespace tarn {
namespace {

using testing_machine::FakeMachine;

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

constexpr bool kWindows = kPathSeparator == '\\';

// Joins pieces with the target's separator.
std::string join(std::initializer_list<std::string> pieces) {
  std::string path;
  bool first = true;
  for (const std::string& piece : pieces) {
    if (!first) path += kPathSeparator;
    path += piece;
    first = false;
  }
  return path;
}

TEST(ConfigFilePath, ReplacesTheFileNameExtensionOnly) {
  EXPECT_EQ("C:\\Apps\\tool.ini", configFilePathFor("C:\\Apps\\tool.exe", noLeadBytes));
  EXPECT_EQ("/opt/viewer/viewer.ini", configFilePathFor("/opt/viewer/viewer", noLeadBytes));
  EXPECT_EQ("/opt/my.apps/tool.ini", configFilePathFor("/opt/my.apps/tool", noLeadBytes));
  EXPECT_EQ("/opt/tool.v2.ini", configFilePathFor("/opt/tool.v2.bin", noLeadBytes));
  EXPECT_EQ("tool.ini", configFilePathFor("tool", noLeadBytes));
  EXPECT_EQ("/opt/tool.ini", configFilePathFor("/opt/tool.", noLeadBytes));
  EXPECT_EQ("", configFilePathFor("", noLeadBytes));
}

TEST(ConfigFilePath, SeparatorsOfTheTarget) {
  if (kWindows) {
    EXPECT_EQ("C:\\my.apps\\tool.ini", configFilePathFor("C:\\my.apps\\tool", noLeadBytes));
    EXPECT_EQ("C:/my.apps/tool.ini", configFilePathFor("C:/my.apps/tool", noLeadBytes));
    EXPECT_EQ("C:\\my.apps/tool.ini", configFilePathFor("C:\\my.apps/tool", noLeadBytes));
    EXPECT_EQ("C:/my.apps\\tool.ini", configFilePathFor("C:/my.apps\\tool", noLeadBytes));
  } else {
    // A backslash is part of a Linux file name, never a separator.
    EXPECT_EQ("/opt/my.ini", configFilePathFor("/opt/my.apps\\tool", noLeadBytes));
    EXPECT_EQ("/opt/a\\b.ini", configFilePathFor("/opt/a\\b.exe", noLeadBytes));
    EXPECT_EQ("/opt/my.apps/a\\b.ini", configFilePathFor("/opt/my.apps/a\\b", noLeadBytes));
  }
}

TEST(ConfigFilePath, TrailByteIsNoSeparator) {
  // 0x95 0x5C is one double-byte character whose second byte looks like "\".
  const std::string module = "C:\\x.y\x95\x5Ctool";
  EXPECT_EQ("C:\\x.ini", configFilePathFor(module, shiftJisLead));
  EXPECT_EQ(kWindows ? "C:\\x.y\x95\x5Ctool.ini" : "C:\\x.ini",
            configFilePathFor(module, noLeadBytes));
  EXPECT_EQ(kWindows ? "x.y\x95\x5Ctool.ini" : "C:\\x.y\x95\x5Ctool.ini",
            userConfigBaseName("C:\\x.y\x95\x5Ctool.exe", shiftJisLead));
}

TEST(ConfigFilePath, FailsWithoutModulePath) {
  FakeMachine fake;
  std::string path = "unchanged";
  testing::internal::CaptureStdout();
  EXPECT_FALSE(configFilePath(fake.machine, &path));
  EXPECT_NE(std::string::npos,
            testing::internal::GetCapturedStdout().find("failed to get the module path"));
  fake.system.module = join({"", "apps", "tool.exe"});
  EXPECT_TRUE(configFilePath(fake.machine, &path));
  EXPECT_EQ(join({"", "apps", "tool.ini"}), path);
}

TEST(UserConfigPath, BaseNameAndCleanedProductName) {
  EXPECT_EQ("tool.ini", userConfigBaseName(join({"C:", "Apps", "tool.exe"}), noLeadBytes));
  EXPECT_EQ("tool.ini", userConfigBaseName(join({"C:", "my.apps", "tool"}), noLeadBytes));
  EXPECT_EQ("tool.v2.ini", userConfigBaseName("tool.v2.exe", noLeadBytes));
  EXPECT_EQ("Demo ViewerPro", cleanProductName("Demo: Viewer/Pro*", noLeadBytes));
  EXPECT_EQ("ab", cleanProductName("\\a?\"|><:/*b", noLeadBytes));
  // A trail byte equal to "\" or "|" stays with its lead byte.
  EXPECT_EQ("\x95\x5C\x83\x7C" "x", cleanProductName("\x95\x5C|\x83\x7C:x", shiftJisLead));
}

// Never a file in the per-user folder itself, where another program's INI
// file of the same name may lie, nor one above it.
TEST(UserConfigPath, AlwaysInAFolderOfTheApplicationsOwn) {
  FakeMachine fake;
  fake.system.module = join({"", "apps", "tool.exe"});
  fake.system.environment = {{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"},
                             {"XDG_CONFIG_HOME", "/home/u/.xdg"}};
  const std::string base = kWindows ? "C:\\Users\\u\\AppData\\Roaming" : "/home/u/.xdg";
  EXPECT_EQ(join({base, "Demo Viewer 2", "{0F1E2D3C}", "tool.ini"}),
            userConfigFilePath(fake.machine, "Demo Viewer: 2", "{0F1E2D3C}", false));
  EXPECT_EQ(join({base, "Demo", "ab", "tool.ini"}),
            userConfigFilePath(fake.machine, "Demo", "a\\b/", false));
  for (const char* code : {"", "..", " . "})
    EXPECT_EQ(join({base, "Demo", "tool.ini"}), userConfigFilePath(fake.machine, "Demo", code, false));
  const std::string own = userConfigFilePath(fake.machine, "", "", false);
  EXPECT_EQ(own.substr(0, base.size() + 6), join({base, "tool-"}));
  EXPECT_EQ(own.size(), base.size() + 1 + 13 + 1 + 8) << own;
  EXPECT_EQ(userConfigFilePath(fake.machine, "..", "C", false), own);
  fake.system.module = join({"", "other", "tool.exe"});
  EXPECT_NE(userConfigFilePath(fake.machine, "", "", false), own) << "another copy's";
  EXPECT_TRUE(fake.system.created.empty());

  // No per-user folder: no per-user copy, rather than one below the root of
  // the current drive that any local user could have made.
  fake.system.environment.clear();
  EXPECT_EQ("", userConfigFilePath(fake.machine, "P", "C", true));
  EXPECT_TRUE(fake.system.created.empty());

  fake.system.module.clear();
  testing::internal::CaptureStdout();
  EXPECT_EQ("", userConfigFilePath(fake.machine, "P", "C", true));
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(fake.system.created.empty());
}

TEST(UserConfigPath, CreatesTheApplicationsFoldersOnly) {
  FakeMachine fake;
  fake.system.module = join({"", "apps", "tool"});
  fake.system.environment = {{"APPDATA", "C:\\AppData"}, {"HOME", "/home/u"}};
  const std::string base = kWindows ? "C:\\AppData" : "/home/u/.config";
  EXPECT_EQ(join({base, "Demo", "X1", "tool.ini"}),
            userConfigFilePath(fake.machine, "Demo", "X1", true));
  EXPECT_EQ(std::vector<std::string>({join({base, "Demo"}), join({base, "Demo", "X1"})}),
            fake.system.created);
  fake.system.created.clear();
  const std::string own = userConfigFilePath(fake.machine, "", "", true);
  EXPECT_EQ(std::vector<std::string>({own.substr(0, own.size() - 9)}), fake.system.created);
}

TEST(UserDataFolder, AppDataRule) {
  FakeMachine fake;
  EXPECT_EQ("", appDataFolder(fake.system));
  const std::string longest = "C:\\" + std::string(256, 'a');
  fake.system.environment["APPDATA"] = longest;
  EXPECT_EQ(longest, appDataFolder(fake.system));
  // Too long for its 260-byte buffer: treated as unset.
  EXPECT_EQ("", appDataFolderFor(longest + "a"));
  for (const char* usable : {"C:\\Users\\u", "d:/u", "\\\\server\\share\\u", "\\\\?\\C:\\u"})
    EXPECT_EQ(usable, appDataFolderFor(usable));
  // Relative to the current drive or folder.
  for (const char* relative : {"", "\\Users\\u", "/u", "C:Users", "C:", "Users\\u", "..\\u",
                               "\\\\\\u", "1:\\u"})
    EXPECT_EQ("", appDataFolderFor(relative)) << relative;
}

TEST(UserDataFolder, XdgRule) {
  FakeMachine fake;
  EXPECT_EQ("", xdgConfigFolder(fake.system));
  fake.system.environment["HOME"] = "/home/u";
  EXPECT_EQ("/home/u/.config", xdgConfigFolder(fake.system));
  fake.system.environment["XDG_CONFIG_HOME"] = "";
  EXPECT_EQ("/home/u/.config", xdgConfigFolder(fake.system));
  fake.system.environment["XDG_CONFIG_HOME"] = "relative/conf";
  EXPECT_EQ("/home/u/.config", xdgConfigFolder(fake.system));
  fake.system.environment["XDG_CONFIG_HOME"] = "/srv/conf";
  EXPECT_EQ("/srv/conf", xdgConfigFolder(fake.system));
  // The long-value rule is Windows' only.
  fake.system.environment["XDG_CONFIG_HOME"] = "/" + std::string(300, 'a');
  EXPECT_EQ("/" + std::string(300, 'a'), xdgConfigFolder(fake.system));
  // Without an absolute home there is no per-user folder.
  EXPECT_EQ("", xdgConfigFolderFor("", "home/u"));
  EXPECT_EQ("", xdgConfigFolderFor("conf", ""));
}

TEST(UserConfigPath, ExistenceAndPlatform) {
  FakeMachine fake;
  fake.system.files.insert("/u/P/C/tool.ini");
  EXPECT_TRUE(userConfigFileExists(fake.machine, "/u/P/C/tool.ini"));
  EXPECT_FALSE(userConfigFileExists(fake.machine, "/u/P/C/other.ini"));
  EXPECT_FALSE(userConfigFileExists(fake.machine, ""));
  EXPECT_TRUE(isNtPlatform(fake.machine));
  fake.system.nt = false;
  EXPECT_FALSE(isNtPlatform(fake.machine));
}

}  // namespace
}  // namespace tarn
