// A configuration file beside the executable and a per-user folder on a
// machine in memory, for the tests of the settings' reading.
#ifndef TARN_CONFIG_SETTINGS_TEST_H
#define TARN_CONFIG_SETTINGS_TEST_H

#include <gtest/gtest.h>

#include <string>

#include "config/settings.h"
#include "config/testing_machine.h"

namespace tarn {

constexpr bool kWindows = kPathSeparator == '\\';
const std::string kModule = kWindows ? "C:\\Apps\\tool.exe" : "/opt/apps/tool";
const std::string kConfig = kWindows ? "C:\\Apps\\tool.ini" : "/opt/apps/tool.ini";
const std::string kUserBase = kWindows ? "C:\\Users\\u\\AppData\\Roaming" : "/home/u/.config";
const char kRuntime[] = "Java Runtime Environment";
const char kApplication[] = "Application";

struct SettingsTest : ::testing::Test {
  SettingsTest() {
    fake.system.module = kModule;
    fake.system.environment = {{"APPDATA", kUserBase}, {"HOME", "/home/u"}};
  }

  void set(const std::string& section, const std::string& key, const std::string& value) {
    fake.profiles.set(kConfig, section, key, value);
  }
  void setMainClass() { set(kRuntime, "Main Class", "App"); }

  // readSettings on fresh settings; the console output is kept in `output`.
  bool read() {
    settings = LauncherSettings();
    ::testing::internal::CaptureStdout();
    bool result = readSettings(fake.machine, "", &settings);
    output = ::testing::internal::GetCapturedStdout();
    return result;
  }

  bool singleInstance(const std::string& embedded = "") {
    bool on = true;
    EXPECT_TRUE(readSingleInstanceSetting(fake.machine, embedded, &on));
    return on;
  }

  testing_machine::FakeMachine fake;
  LauncherSettings settings;
  std::string output;
};

}  // namespace tarn

#endif
