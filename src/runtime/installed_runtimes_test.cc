#include "runtime/installed_runtimes.h"

#include <gtest/gtest.h>

#include "runtime/fake_runtime_files_test.h"

namespace tarn {
namespace {

TEST(ListRegistered, VersionFromReleaseElseKeyNameAndKindFromCompiler) {
  FakeSystem system;
  FakeRegistry registry;
  FakeRuntimeFiles releases;
  const Registration& jdk = kModernRegistrations[0];
  const Registration& temurin = kModernRegistrations[2];
  registry.add(jdk, "21", at("jdk21"));
  registry.add(temurin, "17.0.2", at("jdk17/"));
  registry.add(jdk, "empty", "");
  registry.add(temurin, "other value", "");
  registry.values[std::string(temurin.key) + "other value|JavaHome"] = at("jdk21");
  releases.texts[at("jdk21/")] = "IMPLEMENTOR=\"X\"\nJAVA_VERSION=\"21.0.1\"\n";
  system.add(at(std::string("jdk21/") + kCompiler));
  std::vector<InstalledRuntime> runtimes;
  listRegistered(system, registry, releases, noLeadBytes, jdk, &runtimes);
  listRegistered(system, registry, releases, noLeadBytes, temurin, &runtimes);
  ASSERT_EQ(2u, runtimes.size());
  EXPECT_EQ(at("jdk21/"), runtimes[0].folder);
  EXPECT_EQ("21.0.1", runtimes[0].version);
  EXPECT_TRUE(runtimes[0].jdk);
  EXPECT_EQ(at("jdk17/"), runtimes[1].folder);
  EXPECT_EQ("17.0.2", runtimes[1].version);
  EXPECT_FALSE(runtimes[1].jdk);

  listRegistered(system, registry, releases, noLeadBytes, kModernRegistrations[1], &runtimes);
  EXPECT_EQ(2u, runtimes.size());
  EXPECT_EQ("Software\\JavaSoft\\JDK\\", std::string(jdk.key));
  EXPECT_EQ("Path", std::string(temurin.value));
}

InstalledRuntime runtime(const std::string& folder, const std::string& version, bool jdk) {
  InstalledRuntime r;
  r.folder = at(folder);
  r.version = version;
  r.jdk = jdk;
  return r;
}

TEST(CollectFurther, OwnFolderOrJreFolderKindLimitsAndDuplicates) {
  FakeSystem system;
  system.add(at(std::string("jdk21/") + kServer));
  system.add(at(std::string("jdk8/jre/") + kServer));
  system.add(at("jdk8/jre/"));
  system.add(at(std::string("jre11/") + kServer));
  system.add(at(std::string("old/") + kClient));
  RuntimeRules rules;
  FakeRuntimeFiles releases;
  std::vector<JreCandidate> candidates(1);
  candidates[0].home = native(kRoot) + native("OLD/");
  std::vector<InstalledRuntime> runtimes = {
      runtime("jdk21/", "21.0.1", true), runtime("jdk8", "1.8.0_392", true),
      runtime("jre11/", "11.0.2", false), runtime("none/", "22", true),
      runtime("old/", "1.6", false), runtime("jdk21", "21", false)};
  collectFurther(system, releases, noLeadBytes, 0, rules, runtimes, &candidates);
#ifdef _WIN32
  // Reached again by another case: the place found first is kept.
  ASSERT_EQ(4u, candidates.size());
#else
  ASSERT_EQ(5u, candidates.size());
  EXPECT_EQ(at("old/"), candidates[4].home);
#endif
  EXPECT_EQ(at("jdk21/"), candidates[1].home);
  EXPECT_EQ("21.0.1", format(candidates[1].version));
  EXPECT_TRUE(candidates[1].serverVm);
  EXPECT_TRUE(candidates[1].preferred);
  EXPECT_EQ(at("jdk8/jre/"), candidates[2].home);
  EXPECT_EQ(at("jre11/"), candidates[3].home);

  // Outside favour mode an unwanted kind is not searched; limits apply.
  rules.favorMode = false;
  rules.jreWanted = false;
  rules.minimum.parse("11", 0);
  candidates.clear();
  collectFurther(system, releases, noLeadBytes, 0, rules, runtimes, &candidates);
  ASSERT_EQ(1u, candidates.size());
  EXPECT_EQ(at("jdk21/"), candidates[0].home);

  // Another vendor only: the modern runtimes count as JavaSoft ones.
  rules = RuntimeRules();
  rules.sunAllowed = rules.sunPreferred = false;
  rules.jrockitAllowed = true;
  candidates.clear();
  collectFurther(system, releases, noLeadBytes, 0, rules, runtimes, &candidates);
  EXPECT_TRUE(candidates.empty());
}

TEST(CollectFurther, SkipsALibraryOfAnotherArchitectureOnly) {
  FakeSystem system;
  FakeRuntimeFiles files;
  for (const char* name : {"x86/", "x64/", "unreadable/"}) system.add(at(name + std::string(kServer)));
  files.libraries[at(std::string("x86/") + kServer)] = peImage(0x14c);
  files.libraries[at(std::string("x64/") + kServer)] = peImage(0x8664);
  files.libraries[at(std::string("unreadable/") + kServer)] = "MZ";
  std::vector<InstalledRuntime> runtimes = {runtime("x86/", "21", true), runtime("x64/", "17", true),
                                            runtime("unreadable/", "11", true)};
  auto homes = [&](uint16_t machineType) {
    std::vector<JreCandidate> candidates;
    collectFurther(system, files, noLeadBytes, machineType, RuntimeRules(), runtimes, &candidates);
    std::string list;
    for (const JreCandidate& c : candidates) list += c.home + " ";
    return list;
  };
  EXPECT_EQ(at("x64/") + " " + at("unreadable/") + " ", homes(0x8664));
  EXPECT_EQ(at("x86/") + " " + at("unreadable/") + " ", homes(0x14c));
  // No machine type to hold to (Linux libraries are not PE images).
  EXPECT_EQ(at("x86/") + " " + at("x64/") + " " + at("unreadable/") + " ", homes(0));
}

}  // namespace
}  // namespace tarn
