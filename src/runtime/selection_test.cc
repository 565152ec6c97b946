#include "runtime/selection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "report/messages.h"
#include "runtime/registered_machine_test.h"

namespace tarn {
namespace {

TEST(SortCandidates, PreferredThenServerThenNewestAndStable) {
  RuntimeRules rules = anyVersion();
  std::vector<JreCandidate> list = {candidate("a", "1.6.0_21", false), candidate("b", "1.5"),
                                    candidate("c", "1.6.0_21", false), candidate("d", "1.7"),
                                    candidate("e", "1.5")};
  sortCandidates(rules, &list);
  EXPECT_EQ("d b e a c ", homes(list));

  // Outside favour mode the preferred flag does not count.
  rules.favorMode = false;
  sortCandidates(rules, &list);
  EXPECT_EQ("d a c b e ", homes(list));

  rules.favorMode = true;
  rules.jvmType = JvmType::FavorServer;
  list = {candidate("old-server", "1.5", true, true), candidate("new-client", "1.7", true, false),
          candidate("other-vendor", "1.8", false, true)};
  sortCandidates(rules, &list);
  EXPECT_EQ("old-server new-client other-vendor ", homes(list));

  // Without FavorServer the server VM does not count.
  rules.jvmType = JvmType::Server;
  sortCandidates(rules, &list);
  EXPECT_EQ("new-client old-server other-vendor ", homes(list));
}

TEST(PickCandidate, PreferredVersionsInListOrder) {
  RuntimeRules rules = anyVersion();
  std::vector<JreCandidate> list = {candidate("16", "1.6.0_21"), candidate("15", "1.5.0_22"),
                                    candidate("zero", "none")};
  EXPECT_EQ(0u, pickCandidate(rules, list));
  rules.preferredVersions = {"1.5", "1.6"};
  EXPECT_EQ(1u, pickCandidate(rules, list));
  rules.preferredVersions = {"1.7"};
  EXPECT_EQ(0u, pickCandidate(rules, list));
  rules.preferredVersions = {"1.7", "1.6.0"};
  EXPECT_EQ(0u, pickCandidate(rules, list));
  // An empty entry reads as 0.0.0.0 and matches only such a candidate.
  rules.preferredVersions = {"", "1.5"};
  EXPECT_EQ(2u, pickCandidate(rules, list));
}

struct ScriptedChooser : RuntimeChooser {
  int result = 2;
  std::string folder;
  std::string jvmPath;
  std::string shownMessage;
  std::string shownFound;
  int calls = 0;
  int choose(const RuntimeNotFound& notice, JvmType, std::string* chosenFolder,
             std::string* chosenPath) override {
    ++calls;
    shownMessage = notice.message;
    shownFound = notice.found;
    *chosenFolder = folder;
    *chosenPath = jvmPath;
    return result;
  }
};

struct SelectionCase {
  RegisteredMachine m;
  ScriptedChooser chooser;
  LauncherSettings settings;
  std::string jvmPath;
  SelectionCase() {
    m.fake.system.module = native("/app/tool.exe");
    m.fake.system.environment = {{"APPDATA", "C:\\AppData"}, {"HOME", "/home/u"}};
    settings.rules = anyVersion();
  }
  TargetArchitecture architecture = launcherArchitecture();
  bool select() {
    return selectRuntimeWith(m.fake.machine, settings, architecture, m.source, chooser, &jvmPath);
  }
};

TEST(SelectRuntime, ConfiguredFolderThenPrivateThenRegistry) {
  SelectionCase c;
  c.m.registerRuntime(kJavaSoftJreKey, "1.6", "/registered", true, false);
  c.m.fake.system.add(std::string("/app/jre/") + kClientVm);
  c.m.fake.system.add(std::string("/configured/") + kServerVm);

  // A configured folder is used whatever the version limits say.
  c.settings.rules.maximum = bound("1.1", 65535);
  c.settings.rules.jrePath = native("/configured");
  ASSERT_TRUE(c.select());
  EXPECT_EQ(native(std::string("/configured/") + kServerVm), c.jvmPath);

  // A bad configured folder is skipped silently; no private runtime here
  // (no runtime library), so the registry decides.
  c.settings.rules = anyVersion();
  c.settings.rules.jrePath = native("/missing/");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(c.select());
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_EQ(native(std::string("/registered/") + kClientVm), c.jvmPath);
  EXPECT_EQ(0, c.chooser.calls);
}

TEST(SelectRuntime, PrivateRuntimeBeatsTheRegistry) {
  SelectionCase c;
  c.m.registerRuntime(kJavaSoftJreKey, "1.6", "/registered", true, false);
#ifdef _WIN32
  c.m.fake.system.add("/app/jre/bin/java.dll");
#else
  c.m.fake.system.add("/app/jre/lib/libjava.so");
#endif
  c.m.fake.system.add(std::string("/app/jre/") + kClientVm);
  ASSERT_TRUE(c.select());
  EXPECT_EQ(native(std::string("/app/jre/") + kClientVm), c.jvmPath);
}

TEST(SelectRuntime, NoPrivateRuntimeIgnoresTheCurrentFolder) {
  SelectionCase c;
  c.m.fake.system.add(kClientVm);  // relative: in the current folder
  EXPECT_FALSE(c.select());
  EXPECT_EQ(1, c.chooser.calls);
  EXPECT_EQ("", c.jvmPath);
}

TEST(SelectRuntime, RegisteredPublicRuntimeLoadsItsServerVmUnderFavorServer) {
  SelectionCase c;
  c.m.registerRuntime(kJavaSoftJreKey, "1.6", "/public", true, true);
  c.settings.rules.jvmType = JvmType::FavorServer;
  ASSERT_TRUE(c.select());
  EXPECT_EQ(native(std::string("/public/") + kServerVm), c.jvmPath);
}

TEST(SelectRuntime, MessageNamesTheRequirement) {
  SelectionCase c;
  c.settings.rules.jvmType = JvmType::Server;
  c.m.registerRuntime(kJavaSoftJreKey, "1.6", "/client-only", true, false);
  EXPECT_FALSE(c.select());
  EXPECT_EQ(formatMessage(IDS_JRE_NOT_FOUND_SERVER,
                          versionRequirementText(c.settings.rules.minimum,
                                                 c.settings.rules.maximum)),
            c.chooser.shownMessage);
  EXPECT_TRUE(c.m.fake.profiles.writes.empty());

  c.settings.rules.jvmType = JvmType::Default;
  c.settings.rules.minimum = bound("1.7", 0);
  EXPECT_FALSE(c.select());
  EXPECT_EQ(formatMessage(IDS_JRE_NOT_FOUND, versionRequirementText(
                                                 c.settings.rules.minimum,
                                                 c.settings.rules.maximum)),
            c.chooser.shownMessage);
  EXPECT_EQ("Java runtimes found, and why none fits:\n- Java 1.6 (unknown architecture) in " +
                native("/client-only/") + ": below the minimum version 1.7",
            c.chooser.shownFound);
}

TEST(SelectRuntime, FoundListNewestFirstEachFolderOnceAHandful) {
  EXPECT_EQ("No Java runtime was found on this computer.", refusalList({}, noLeadBytes));
  std::vector<RuntimeRefusal> refusals;
  for (const char* version : {"8", "11", "21", "17", "11", "9", "10", "1.6"})
    refusals.push_back({JavaVersion(version), "x86", std::string("/j") + version + "/", "", "r"});
  refusals[4].home = "";  // registered without a folder: named by its key
  refusals[4].origin = "HKLM\\k";
  refusals.push_back({JavaVersion("21"), "x86_64", "/j21/", "", "twice"});
  EXPECT_EQ("Java runtimes found, and why none fits:\n- Java 21.0 (x86) in /j21/: r\n"
            "- Java 17.0 (x86) in /j17/: r\n- Java 11.0 (x86) in /j11/: r\n"
            "- Java 11.0 (x86) in HKLM\\k: r\n- Java 10.0 (x86) in /j10/: r\nand 3 more",
            refusalList(refusals, noLeadBytes));
}

TEST(SelectRuntime, ConfirmedChoiceIsRemembered) {
  SelectionCase c;
  c.chooser.result = 1;
  c.chooser.folder = native("/picked/");
  c.chooser.jvmPath = native(std::string("/picked/") + kClientVm);
  c.settings.productName = "Demo";
  c.settings.productCode = "X1";
  ASSERT_TRUE(c.select());
  EXPECT_EQ(c.chooser.jvmPath, c.jvmPath);
  ASSERT_EQ(1u, c.m.fake.profiles.writes.size());
  EXPECT_EQ("Java Runtime Environment", std::get<0>(c.m.fake.profiles.writes[0]));
  EXPECT_EQ("JRE Path", std::get<1>(c.m.fake.profiles.writes[0]));
  EXPECT_EQ(native("/picked/"), std::get<2>(c.m.fake.profiles.writes[0]));
  EXPECT_EQ(kPathSeparator == '\\' ? "C:\\AppData\\Demo\\X1\\tool.ini"
                                   : "/home/u/.config/Demo/X1/tool.ini",
            std::get<3>(c.m.fake.profiles.writes[0]));

  // A service writes into the configuration file itself.
  c.settings.isService = true;
  ASSERT_TRUE(c.select());
  ASSERT_EQ(2u, c.m.fake.profiles.writes.size());
  EXPECT_EQ(native("/app/tool.ini"), std::get<3>(c.m.fake.profiles.writes[1]));

  // Without a per-user folder the choice holds for this run only.
  c.settings.isService = false;
  c.m.fake.system.environment.clear();
  c.jvmPath.clear();
  ASSERT_TRUE(c.select());
  EXPECT_EQ(c.chooser.jvmPath, c.jvmPath);
  EXPECT_EQ(2u, c.m.fake.profiles.writes.size());

  // Without a configuration file path nothing is written.
  c.m.fake.system.module.clear();
  testing::internal::CaptureStdout();
  ASSERT_TRUE(c.select());
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(2u, c.m.fake.profiles.writes.size());
}

// A 64-bit library: refused by a 32-bit launcher, taken by a 64-bit one.
TEST(SelectRuntime, PickedRuntimeOfAnotherArchitectureIsRefused) {
  std::string library =
      (std::filesystem::temp_directory_path() / "tarn-foreign-jvm.dll").string();
  std::string header(0x98, '\0');
  header[0] = 'M';
  header[1] = 'Z';
  header[0x3c] = '\x80';
  header.replace(0x80, 4, std::string("PE\0\0", 4));
  header[0x84] = '\x64';
  header[0x85] = '\x86';
  std::ofstream(library, std::ios::binary) << header;

  SelectionCase c;
  c.architecture = {0x14c, RegistryView::Bits32};
  c.chooser.result = 1;
  c.chooser.folder = native("/picked/");
  c.chooser.jvmPath = library;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(c.select());
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ("Error: " + formatMessage(IDS_JVM_WRONG_ARCHITECTURE, library) + " \n", printed);
  EXPECT_TRUE(c.m.fake.profiles.writes.empty());

  c.architecture = {0x8664, RegistryView::Bits64};
  EXPECT_TRUE(c.select());
  std::remove(library.c_str());
  EXPECT_EQ(library, c.jvmPath);
  EXPECT_EQ(1u, c.m.fake.profiles.writes.size());
}

TEST(SelectRuntime, CancelFailsQuietly) {
  SelectionCase c;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(c.select());
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_TRUE(c.m.fake.profiles.writes.empty());
}

}  // namespace
}  // namespace tarn
