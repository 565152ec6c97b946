#include "runtime/discovery.h"

#include <gtest/gtest.h>

#include "report/trace_capture_test.h"
#include "runtime/registered_machine_test.h"

namespace tarn {
namespace {

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

}  // namespace
}  // namespace tarn
