#include "config/settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/ini_file.h"
#include "config/settings_test.h"

namespace tarn {
namespace {

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST_F(SettingsTest, NoConfigurationPathStopsSilently) {
  fake.system.module.clear();
  setMainClass();
  EXPECT_FALSE(read());
  EXPECT_EQ(std::string::npos, output.find("Main class"));
  EXPECT_TRUE(fake.profiles.reads.empty());
  bool on = true;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(readSingleInstanceSetting(fake.machine, "", &on));
  ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(on);
}

TEST_F(SettingsTest, MissingMainClassReportsAndKeepsLaterDefaults) {
  set(kApplication, "Override WorkingDir", "Yes");
  set(kApplication, "Failure Check", "Yes");
  set(kRuntime, "System Path", "C:\\bin");
  set(kRuntime, "Library Path", "C:\\lib");
  set(kRuntime, "Minimum Version", "1.6");
  EXPECT_FALSE(read());
  EXPECT_EQ("Error: Main class was not specified in INI file. \n", output);
  EXPECT_FALSE(settings.overrideWorkingDir);
  EXPECT_FALSE(settings.failureCheck);
  EXPECT_EQ("", settings.systemPath);
  EXPECT_EQ("", settings.libraryPath);
  EXPECT_FALSE(fake.profiles.wasRead(kApplication, "Failure Check"));
  EXPECT_FALSE(fake.profiles.wasRead(kRuntime, "Library Path"));
  // What came before the main class was read.
  EXPECT_EQ(1, settings.rules.minimum.parts[0]);
}

TEST_F(SettingsTest, DefaultsWithOnlyAMainClass) {
  set(kRuntime, "Main Class", "com.example.App");
  EXPECT_TRUE(read());
  EXPECT_EQ("", output);
  EXPECT_EQ("com/example/App", settings.mainClass);
  const RuntimeRules& rules = settings.rules;
  EXPECT_EQ(0, rules.minimum.count);
  EXPECT_EQ(0, rules.maximum.count);
  EXPECT_EQ(0, rules.maximum.parts[0]);
  EXPECT_TRUE(rules.preferredVersions.empty());
  EXPECT_EQ("", rules.jrePath);
  EXPECT_EQ(JvmType::Default, rules.jvmType);
  EXPECT_TRUE(rules.favorMode && rules.jdkWanted && rules.jreWanted);
  EXPECT_TRUE(rules.sunAllowed && rules.sunPreferred);
  EXPECT_FALSE(rules.jrockitAllowed || rules.jrockitPreferred);
  EXPECT_FALSE(settings.isService || settings.failureCheck || settings.overrideWorkingDir);
}

TEST_F(SettingsTest, KeysAreReadInOrder) {
  setMainClass();
  EXPECT_TRUE(read());
  std::vector<std::string> keys;
  // First reads of each key in the plain sections (append sections aside).
  for (const auto& read : fake.profiles.reads) {
    const std::string& section = std::get<1>(read);
    const std::string& key = std::get<2>(read);
    if (section.empty() || section.back() == '+') continue;
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
  }
  EXPECT_EQ(std::vector<std::string>({"Product Code", "Product Name", "Minimum Version",
                                      "Maximum Version", "Application Type",
                                      "Preferred versions", "JRE Path", "JVM Type", "JVM Source",
                                      "VM Provider", "Main Class", "Failure Check",
                                      "Override WorkingDir", "Startup Cache", "System Path",
                                      "Library Path", "Attach Console", "App User Model ID",
                                      "Download Page", "Splash Image", "Splash Timeout"}),
            keys);
}

TEST_F(SettingsTest, VersionLimitsAndTheAnyKeyword) {
  setMainClass();
  set(kRuntime, "Minimum Version", "any");
  set(kRuntime, "Maximum Version", "any");
  EXPECT_TRUE(read());
  EXPECT_EQ(4, settings.rules.minimum.count);
  EXPECT_TRUE(isUnbounded(settings.rules.minimum));
  EXPECT_EQ(0, settings.rules.minimum.parts[3]);
  EXPECT_EQ(4, settings.rules.maximum.count);
  EXPECT_EQ(65535, settings.rules.maximum.parts[0]);
  EXPECT_EQ(65535, settings.rules.maximum.parts[3]);

  // ANY is no keyword: no digits, so all parts 0 and count 0 on both sides.
  set(kRuntime, "Minimum Version", "ANY");
  set(kRuntime, "Maximum Version", "ANY");
  EXPECT_TRUE(read());
  EXPECT_EQ(0, settings.rules.minimum.count);
  EXPECT_EQ(0, settings.rules.maximum.count);
  EXPECT_EQ(0, settings.rules.maximum.parts[0]);

  set(kRuntime, "Minimum Version", "1.6");
  set(kRuntime, "Maximum Version", "1.6");
  EXPECT_TRUE(read());
  EXPECT_EQ("1.6", format(settings.rules.minimum));
  EXPECT_EQ(0, settings.rules.minimum.parts[2]);
  EXPECT_EQ(65535, settings.rules.maximum.parts[2]);
  EXPECT_EQ(2, settings.rules.maximum.count);
}

TEST_F(SettingsTest, PreferredVersionsSplitUntrimmed) {
  setMainClass();
  set(kRuntime, "Preferred versions", "1.6;1.5.0_10");
  EXPECT_TRUE(read());
  EXPECT_EQ(std::vector<std::string>({"1.6", "1.5.0_10"}), settings.rules.preferredVersions);
  set(kRuntime, "Preferred versions", "1.6;");
  EXPECT_TRUE(read());
  EXPECT_EQ(std::vector<std::string>({"1.6"}), settings.rules.preferredVersions);
  set(kRuntime, "Preferred versions", "1.6 ; 1.5");
  EXPECT_TRUE(read());
  EXPECT_EQ(std::vector<std::string>({"1.6 ", " 1.5"}), settings.rules.preferredVersions);
}

TEST_F(SettingsTest, KeywordCaseRules) {
  setMainClass();
  for (const char* yes : {"Yes", "yes", "YES"}) {
    set(kApplication, "Failure Check", yes);
    set(kApplication, "Override WorkingDir", yes);
    set(kRuntime, "Startup Cache", yes);
    set(kApplication, "Attach Console", yes);
    EXPECT_TRUE(read());
    EXPECT_TRUE(settings.attachConsole) << yes;
    EXPECT_TRUE(settings.failureCheck) << yes;
    EXPECT_TRUE(settings.overrideWorkingDir) << yes;
    EXPECT_TRUE(settings.startupCache) << yes;
  }
  for (const char* no : {"No", "Yess", "Ye", "1", ""}) {
    set(kApplication, "Failure Check", no);
    set(kApplication, "Override WorkingDir", no);
    set(kRuntime, "Startup Cache", no);
    set(kApplication, "Attach Console", no);
    EXPECT_TRUE(read());
    EXPECT_FALSE(settings.attachConsole) << no;
    EXPECT_FALSE(settings.failureCheck) << no;
    EXPECT_FALSE(settings.overrideWorkingDir) << no;
    EXPECT_FALSE(settings.startupCache) << no;
  }
  set(kApplication, "Application Type", "Service");
  EXPECT_TRUE(read());
  EXPECT_FALSE(settings.isService);
  set(kApplication, "Application Type", "service");
  EXPECT_TRUE(read());
  EXPECT_TRUE(settings.isService);

  set(kRuntime, "JVM Type", "server");
  EXPECT_TRUE(read());
  EXPECT_EQ(JvmType::Server, settings.rules.jvmType);
  set(kRuntime, "JVM Type", "favor_server");
  EXPECT_TRUE(read());
  EXPECT_EQ(JvmType::FavorServer, settings.rules.jvmType);
  set(kRuntime, "JVM Type", "Server");
  EXPECT_TRUE(read());
  EXPECT_EQ(JvmType::Default, settings.rules.jvmType);
}

TEST_F(SettingsTest, DownloadPageOnlyAWebAddress) {
  setMainClass();
  // Else the link would start a program, or open nothing.
  for (const char* page : {"HTTP://example.com/?a=1&b=2", "C:\\Windows\\system32\\cmd.exe",
                           "file:///etc/passwd", "https://", ""}) {
    set(kRuntime, "Download Page", page);
    EXPECT_TRUE(read());
    EXPECT_EQ(page[0] == 'H' ? page : kDefaultDownloadPage, settings.downloadPage) << page;
  }
}

TEST_F(SettingsTest, ServiceIsNeverSwitchedBackOff) {
  setMainClass();
  settings.isService = true;
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(readSettings(fake.machine, "", &settings));
  ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(settings.isService);
}

TEST_F(SettingsTest, JvmSourceTable) {
  struct Row {
    const char* value;
    bool favorMode, jdkWanted, jreWanted;
  };
  const Row rows[] = {
      {"", true, true, true},
      {"favor_JRE", true, false, true},
      {"favor_JDK", true, true, false},
      {"only_JRE", false, false, true},
      {"only_JDK", false, true, false},
      {"favor_jre", false, false, false},
      {"JRE", false, false, false},
  };
  setMainClass();
  for (const Row& row : rows) {
    set(kRuntime, "JVM Source", row.value);
    EXPECT_TRUE(read());
    EXPECT_EQ(row.favorMode, settings.rules.favorMode) << row.value;
    EXPECT_EQ(row.jdkWanted, settings.rules.jdkWanted) << row.value;
    EXPECT_EQ(row.jreWanted, settings.rules.jreWanted) << row.value;
  }
}

TEST_F(SettingsTest, VmProviderTableIgnoresCase) {
  struct Row {
    const char* value;
    bool sunAllowed, sunPreferred, jrockitAllowed, jrockitPreferred;
  };
  const Row rows[] = {
      {"", true, true, false, false},
      {"sun", true, true, false, false},
      {"jrockitx", true, true, false, false},
      {"jrockit", false, false, true, true},
      {"JRockit", false, false, true, true},
      {"favor_sun", true, true, true, false},
      {"FAVOR_JROCKIT", true, false, true, true},
      {"Any", true, false, true, false},
  };
  setMainClass();
  for (const Row& row : rows) {
    set(kRuntime, "VM Provider", row.value);
    EXPECT_TRUE(read());
    const RuntimeRules& rules = settings.rules;
    EXPECT_EQ(row.sunAllowed, rules.sunAllowed) << row.value;
    EXPECT_EQ(row.sunPreferred, rules.sunPreferred) << row.value;
    EXPECT_EQ(row.jrockitAllowed, rules.jrockitAllowed) << row.value;
    EXPECT_EQ(row.jrockitPreferred, rules.jrockitPreferred) << row.value;
  }
}

TEST_F(SettingsTest, MainClassSlashFormStepsOverDoubleByteCharacters) {
  fake.machine.lead = shiftJisLead;
  set(kRuntime, "Main Class", "com.\x81.x.App");  // 0x81 0x2E is one character
  set(kRuntime, "System Path", "a.b;c");
  set(kRuntime, "Library Path", " lib.d ");
  EXPECT_TRUE(read());
  EXPECT_EQ("com/\x81.x/App", settings.mainClass);
  EXPECT_EQ("a.b;c", settings.systemPath);
  EXPECT_EQ(" lib.d ", settings.libraryPath);
  set(kRuntime, "Main Class", "com/example/App");
  EXPECT_TRUE(read());
  EXPECT_EQ("com/example/App", settings.mainClass);
}

// One INI file serves both systems: Linux reads a "\" in a path as "/".
TEST_F(SettingsTest, PathKeysInTheTargetsForm) {
  setMainClass();
  for (const char* key : {"JRE Path", "System Path", "Library Path"})
    set(kRuntime, key, "a\\b;c/d");
  set("Class Path", "Class Path", "lib\\a.jar");
  EXPECT_TRUE(read());
  const std::string path = kWindows ? "a\\b;c/d" : "a/b;c/d";
  EXPECT_EQ(path, settings.rules.jrePath);
  EXPECT_EQ(path, settings.systemPath);
  EXPECT_EQ(path, settings.libraryPath);
  IniFile ini(fake.profiles, kConfig, "", noLeadBytes);
  EXPECT_EQ(kWindows ? "lib\\a.jar" : "lib/a.jar", lookupPath(ini, "Class Path", "Class Path"));
}

TEST_F(SettingsTest, SplashTimeoutInWholeSecondsUpToADay) {
  set(kRuntime, "Main Class", "a.B");
  set(kApplication, "Splash Image", "splash.png");
  EXPECT_TRUE(read());
  EXPECT_EQ("splash.png", settings.splashImage);
  EXPECT_EQ(60, settings.splashTimeout);
  for (const auto& c : std::vector<std::pair<const char*, int32_t>>{
           {"0", 0}, {"007", 7}, {"86401", 86400}, {"99999999999999999999", 86400}, {"-1", 60},
           {"2.5", 60}, {"10s", 60}})
    EXPECT_EQ(c.second, splashTimeoutSeconds(c.first)) << c.first;
}

}  // namespace
}  // namespace tarn
