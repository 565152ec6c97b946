#include "runtime/selection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "report/messages.h"
#include "report/trace_capture_test.h"
#include "runtime/fake_machine_test.h"

namespace tarn {
namespace {

#ifdef _WIN32
const char* const kClientVm = "bin/client/jvm.dll";
const char* const kServerVm = "bin/server/jvm.dll";
#else
const char* const kClientVm = "lib/client/libjvm.so";
const char* const kServerVm = "lib/server/libjvm.so";
#endif

JavaVersion version(const std::string& text) {
  JavaVersion v;
  v.parse(text, 0);
  return v;
}

JavaVersion bound(const std::string& text, int32_t fill) {
  JavaVersion v;
  v.parse(text, fill);
  return v;
}

RuntimeRules anyVersion() {
  RuntimeRules rules;
  rules.minimum = bound("0.0.0.0", 0);
  rules.maximum = bound("65535.65535.65535.65535", 65535);
  return rules;
}

JreCandidate candidate(const std::string& home, const std::string& v, bool preferred = true,
                       bool server = false) {
  JreCandidate c;
  c.home = home;
  c.version = version(v);
  c.preferred = preferred;
  c.serverVm = server;
  return c;
}

std::string homes(const std::vector<JreCandidate>& list) {
  std::string text;
  for (const JreCandidate& c : list) text += c.home + " ";
  return text;
}

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

struct FakeSource : RuntimeSource {
  FakeSource(Machine& machine, Registry& registry) : machine(machine), registry(registry) {}
  void collect(const RuntimeRules& rules, const std::string& key,
               std::vector<JreCandidate>* candidates,
               std::vector<RuntimeRefusal>* refusals) override {
    searched += key.substr(9, 2) + (key.find("Development") != std::string::npos ? "K " : "E ");
    collectFromKey(machine, registry, rules, key, candidates, nullptr, 0, refusals);
  }
  Machine& machine;
  Registry& registry;
  std::string searched;  // "Ja"/"JR" with K(JDK)/E(JRE), in search order
};

// A machine with runtimes registered under every key.
struct RegisteredMachine {
  FakeMachine fake;
  FakeRegistry registry;
  FakeSource source{fake.machine, registry};

  // A runtime folder with the given VMs; JDKs get them in jre/.
  void registerRuntime(const std::string& key, const std::string& name, const std::string& home,
                       bool client, bool server) {
    registry.add(key, name, native(home));
    std::string root = home + (std::string(key).find("Development") != std::string::npos
                                   ? (home.back() == '/' ? "jre/" : "/jre/")
                                   : (home.back() == '/' ? "" : "/"));
    if (client) fake.system.add(root + kClientVm);
    if (server) fake.system.add(root + kServerVm);
  }

  std::string pick(const RuntimeRules& rules) {
    JreCandidate chosen;
    if (!searchRegistry(rules, source, &chosen)) return "none";
    return chosen.home;
  }
};

TEST(CollectFromKey, ProbesHomeAndVmByKey) {
  RegisteredMachine m;
  m.registerRuntime(kJavaSoftJdkKey, "1.6.0_21", "/jdk", true, false);
  m.registerRuntime(kJavaSoftJdkKey, "1.6", "/jdk/", true, false);
  m.registerRuntime(kJavaSoftJreKey, "1.7", "/jre7", true, true);
  m.registerRuntime(kJavaSoftJreKey, "1.8", "/nothing", false, false);
  m.registry.add(kJavaSoftJreKey, "1.9", "");
  RuntimeRules rules = anyVersion();
  rules.jvmType = JvmType::FavorServer;
  std::vector<JreCandidate> list;
  collectFromKey(m.fake.machine, m.registry, rules, kJavaSoftJdkKey, &list);
  collectFromKey(m.fake.machine, m.registry, rules, kJavaSoftJreKey, &list);
  collectFromKey(m.fake.machine, m.registry, rules, kJrockitJdkKey, &list);
  ASSERT_EQ(3u, list.size());
  EXPECT_EQ(native("/jdk/jre/"), list[0].home);
  EXPECT_EQ(native("/jdk/jre/"), list[1].home);
  EXPECT_EQ(native("/jre7/"), list[2].home);
  // A JavaSoft public runtime with a client VM is no server runtime under
  // FavorServer.
  EXPECT_FALSE(list[2].serverVm);

  rules.jvmType = JvmType::Server;
  list.clear();
  collectFromKey(m.fake.machine, m.registry, rules, kJavaSoftJdkKey, &list);
  EXPECT_TRUE(list.empty());
}

TEST(CollectFromKey, VersionLimits) {
  RegisteredMachine m;
  m.registerRuntime(kJavaSoftJreKey, "1.5.0_22", "/a", true, false);
  m.registerRuntime(kJavaSoftJreKey, "1.6.0_21", "/b", true, false);
  m.registerRuntime(kJavaSoftJreKey, "latest", "/c", true, false);
  RuntimeRules rules = anyVersion();
  rules.minimum = bound("1.6", 0);
  rules.maximum = bound("1.6", 65535);
  std::vector<JreCandidate> list;
  collectFromKey(m.fake.machine, m.registry, rules, kJavaSoftJreKey, &list);
  EXPECT_EQ(native("/b/") + " ", homes(list));

  // An empty maximum sets no upper limit; a name without digits is 0.0.0.0.
  rules.minimum = bound("0.0.0.0", 0);
  rules.maximum = JavaVersion();
  list.clear();
  collectFromKey(m.fake.machine, m.registry, rules, kJavaSoftJreKey, &list);
  EXPECT_EQ(3u, list.size());
}

TEST(SearchRegistry, KindAndVendorSettings) {
  RegisteredMachine m;
  m.registerRuntime(kJavaSoftJdkKey, "1.5", "/sun-jdk", true, false);
  m.registerRuntime(kJavaSoftJreKey, "1.6", "/sun-jre", true, false);
  m.registerRuntime(kJrockitJreKey, "1.7", "/jr-jre", true, false);
  m.registerRuntime(kJrockitJdkKey, "1.8", "/jr-jdk", true, false);

  RuntimeRules defaults = anyVersion();
  EXPECT_EQ(native("/sun-jre/"), m.pick(defaults));
  EXPECT_EQ("JaK JaE ", m.source.searched);

  RuntimeRules favorJdk = defaults;  // "favor_JDK"
  favorJdk.jreWanted = false;
  m.source.searched.clear();
  EXPECT_EQ(native("/sun-jdk/jre/"), m.pick(favorJdk));
  EXPECT_EQ("JaK JaE ", m.source.searched);

  // "favor_JDK" with "any": nobody is preferred, the newest wins.
  RuntimeRules anyVendor = favorJdk;
  anyVendor.sunPreferred = false;
  anyVendor.jrockitAllowed = true;
  EXPECT_EQ(native("/jr-jdk/jre/"), m.pick(anyVendor));

  // "favor_sun": JavaSoft before JRockit whatever the version.
  RuntimeRules favorSun = defaults;
  favorSun.jrockitAllowed = true;
  m.source.searched.clear();
  EXPECT_EQ(native("/sun-jre/"), m.pick(favorSun));
  EXPECT_EQ("JaK JaE JRE JRK ", m.source.searched);

  // "jrockit": only the JRockit keys.
  RuntimeRules jrockit = defaults;
  jrockit.sunAllowed = jrockit.sunPreferred = false;
  jrockit.jrockitAllowed = jrockit.jrockitPreferred = true;
  m.source.searched.clear();
  EXPECT_EQ(native("/jr-jdk/jre/"), m.pick(jrockit));
  EXPECT_EQ("JRE JRK ", m.source.searched);

  // "only_JDK": a JRE is never chosen.
  RuntimeRules onlyJdk = defaults;
  onlyJdk.favorMode = false;
  onlyJdk.jreWanted = false;
  m.source.searched.clear();
  EXPECT_EQ(native("/sun-jdk/jre/"), m.pick(onlyJdk));
  EXPECT_EQ("JaK ", m.source.searched);

  // An unknown "JVM Source" searches nothing.
  RuntimeRules nothing = defaults;
  nothing.favorMode = nothing.jdkWanted = nothing.jreWanted = false;
  m.source.searched.clear();
  EXPECT_EQ("none", m.pick(nothing));
  EXPECT_EQ("", m.source.searched);
}

TEST(SearchRegistry, FavorServerPicksTheNewestServerRuntime) {
  RegisteredMachine m;
  m.registerRuntime(kJavaSoftJreKey, "1.8", "/public-both", true, true);
  m.registerRuntime(kJavaSoftJdkKey, "1.6", "/jdk-both", true, true);
  m.registerRuntime(kJavaSoftJdkKey, "1.7", "/jdk-client", true, false);
  RuntimeRules rules = anyVersion();
  rules.jvmType = JvmType::FavorServer;
  EXPECT_EQ(native("/jdk-both/jre/"), m.pick(rules));
}

// The trace names each runtime looked at with the limit or rule it failed,
// then the order and the choice.
TEST(SearchRegistry, TraceSaysWhyEachRuntimeWasTurnedDown) {
  RegisteredMachine m;
  m.registerRuntime(kJavaSoftJreKey, "1.4", "/old", true, true);
  m.registerRuntime(kJavaSoftJreKey, "1.7", "/new", true, true);
  m.registerRuntime(kJavaSoftJreKey, "1.6.0_10", "/client", true, false);
  m.registerRuntime(kJavaSoftJdkKey, "1.6.0_20", "/jdk", false, false);
  m.registerRuntime(kJavaSoftJreKey, "1.6.0_11", "/gone", false, false);
  m.registry.add(kJavaSoftJdkKey, "1.6.0_30", "");
  m.registerRuntime(kJavaSoftJreKey, "1.6.0_21", "/fits", false, true);
  m.registerRuntime(kJavaSoftJreKey, "1.6.0_22", "/fits-too", false, true);
  m.registerRuntime(kJrockitJreKey, "1.6", "/jrockit", true, true);
  for (const char* folder : {"/client/", "/jdk/", "/fits/", "/fits-too/"})
    m.fake.system.add(folder);
  RuntimeRules rules;
  rules.minimum = bound("1.5", 0);
  rules.maximum = bound("1.6", 65535);
  rules.jvmType = JvmType::Server;
  rules.preferredVersions = {"1.8", "1.6.0_21"};
  TraceCapture capture;
  EXPECT_EQ(native("/fits/"), m.pick(rules));
  const std::string text = capture.text();
  auto expectLine = [&](const std::string& start, const std::string& end) {
    size_t at = text.find("tarn: " + start);
    ASSERT_NE(std::string::npos, at) << start << "\n" << text;
    std::string line = text.substr(at, text.find('\n', at) - at);
    EXPECT_EQ(end, line.substr(line.size() - std::min(line.size(), end.size()))) << line;
  };
  const std::string jre = "runtime HKLM\\Software\\JavaSoft\\Java Runtime Environment\\";
  expectLine(jre + "1.4: home " + native("/old/") + ", version 1.4,",
             "turned down: below the minimum version 1.5");
  expectLine(jre + "1.7:", "turned down: above the maximum version 1.6");
  expectLine(jre + "1.6.0_10:",
             ", VM types client, library none: "
             "turned down: no server VM, which JVM Type=server asks for");
  expectLine(jre + "1.6.0_11:", "turned down: the folder does not exist");
  expectLine(
      "runtime HKLM\\Software\\JavaSoft\\Java Development Kit\\1.6.0_20: home " +
          native("/jdk/jre/"),
      "JavaSoft JDK, VM types none, library none: turned down: a JDK without its jre folder");
  expectLine("runtime HKLM\\Software\\JavaSoft\\Java Development Kit\\1.6.0_30: home unknown",
             "turned down: no folder registered");
  expectLine(jre + "1.6.0_21: home " + native("/fits/") +
                 ", version 1.6.0.21, JavaSoft JRE, "
                 "VM types server, library " +
                 native("/fits/") + native(kServerVm),
             ": accepted");
  expectLine("JRockit JREs: not searched", "vendor JRockit not accepted by VM Provider");
  expectLine("runtimes in order (preferred kind and vendor first, newest first): ",
             native("/fits-too/") + " (1.6.0.22), " + native("/fits/") + " (1.6.0.21)");
  expectLine("runtime chosen: " + native("/fits/"), ", the first of preferred version 1.6.0_21");

  // Kinds left out by the JVM Source.
  rules = anyVersion();
  rules.favorMode = false;
  rules.jreWanted = false;
  TraceCapture kinds;
  m.pick(rules);
  EXPECT_NE(
      std::string::npos,
      kinds.text().find("tarn: JavaSoft JREs: not searched, JREs not accepted by JVM Source\n"));
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
