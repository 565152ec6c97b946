// Where the settings come from besides the file: the per-user copy that
// remembers a runtime, the embedded layer under the file, and the early
// single-instance read that sees the same layers.
#include "config/settings.h"

#include <gtest/gtest.h>

#include "config/settings_test.h"

namespace tarn {
namespace {

struct RememberedRuntimeTest : SettingsTest {
  RememberedRuntimeTest() {
    setMainClass();
    set("Product Information", "Product Name", "Demo: Viewer");
    set("Product Information", "Product Code", "{0F1E}");
    set(kRuntime, "JRE Path", "/jre-from-config");
  }
  void setUserCopy(bool withKey) {
    fake.system.files.insert(userCopy);
    if (withKey) fake.profiles.set(userCopy, kRuntime, "JRE Path", "/jre-chosen");
  }
  std::string userCopy = kUserBase + kPathSeparator + "Demo Viewer" + kPathSeparator + "{0F1E}" +
                         kPathSeparator + "tool.ini";
};

TEST_F(RememberedRuntimeTest, PerUserCopyAloneDecidesWhenPresent) {
  setUserCopy(true);
  EXPECT_TRUE(read());
  EXPECT_EQ("Demo: Viewer", settings.productName);
  EXPECT_EQ("{0F1E}", settings.productCode);
  EXPECT_EQ("/jre-chosen", settings.rules.jrePath);
  EXPECT_TRUE(fake.system.created.empty());
}

TEST_F(RememberedRuntimeTest, PerUserCopyWithoutKeyGivesEmpty) {
  setUserCopy(false);
  EXPECT_TRUE(read());
  EXPECT_EQ("", settings.rules.jrePath);
}

TEST_F(RememberedRuntimeTest, ConfigurationFileOtherwise) {
  EXPECT_TRUE(read());  // no per-user copy
  EXPECT_EQ("/jre-from-config", settings.rules.jrePath);

  setUserCopy(true);
  set(kApplication, "Application Type", "service");
  EXPECT_TRUE(read());
  EXPECT_EQ("/jre-from-config", settings.rules.jrePath);

  set(kApplication, "Application Type", "");
  fake.system.nt = false;
  EXPECT_TRUE(read());
  EXPECT_EQ("/jre-from-config", settings.rules.jrePath);
}

TEST_F(SettingsTest, SingleInstanceOnlyForLowerCaseYes) {
  EXPECT_FALSE(singleInstance());
  set(kApplication, "Single Instance", "yes");
  EXPECT_TRUE(singleInstance());
  set(kApplication, "Single Instance", "Yes");
  EXPECT_FALSE(singleInstance());
  set(kApplication, "Single Instance", "YES");
  EXPECT_FALSE(singleInstance());
}

TEST_F(SettingsTest, ServiceNeverRunsAsSingleInstance) {
  set(kApplication, "Single Instance", "yes");
  set(kApplication, "Application Type", "service");
  EXPECT_FALSE(singleInstance());
  EXPECT_FALSE(fake.profiles.wasRead(kApplication, "Single Instance"));
  set(kApplication, "Application Type", "Service");
  EXPECT_TRUE(singleInstance());
}

// The embedded configuration lies under the file: defaults that the file
// overrides, for every key.
TEST_F(SettingsTest, EmbeddedLayerUnderTheFile) {
  const std::string embedded =
      "[Java Runtime Environment]\r\n"
      "Main Class=org.embedded.Main\r\n"
      "Minimum Version=1.5\r\n"
      "[Application]\r\n"
      "Application Type=service\r\n"
      "[Product Information]\r\n"
      "Product Name=Embedded\r\n"
      "Product Code=E1\r\n";
  set(kRuntime, "Minimum Version", "1.7");
  set(kApplication, "Single Instance", "yes");
  set("Product Information", "Product Code", "F1");
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(readSettings(fake.machine, embedded, &settings));
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ("org/embedded/Main", settings.mainClass);
  EXPECT_EQ(7, settings.rules.minimum.parts[1]);
  EXPECT_TRUE(settings.isService);
  EXPECT_EQ("Embedded", settings.productName);
  EXPECT_EQ("F1", settings.productCode);
  // The single-instance set-up sees the same layers: an embedded service
  // never uses the channel, and an embedded "yes" turns it on.
  EXPECT_FALSE(singleInstance(embedded));
  set(kApplication, "Single Instance", "");
  EXPECT_TRUE(singleInstance("[Application]\r\nSingle Instance=yes\r\n"));
  set(kApplication, "Single Instance", "no");
  EXPECT_FALSE(singleInstance("[Application]\r\nSingle Instance=yes\r\n"));
}

}  // namespace
}  // namespace tarn
