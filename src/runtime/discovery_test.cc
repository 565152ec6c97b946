#include "runtime/discovery.h"

#include <gtest/gtest.h>

#include <map>

#include "runtime/fake_machine_test.h"

namespace tarn {
namespace {

#ifdef _WIN32
const char* const kClient = "bin/client/jvm.dll";
const char* const kServer = "bin/server/jvm.dll";
const char* const kJrockit = "bin/jrockit/jvm.dll";
const char* const kHotspot = "bin/hotspot/jvm.dll";
const char* const kRuntimeLibrary = "bin/java.dll";
const char* const kRoot = "C:/rt/";
const char* const kCompiler = "bin/javac.exe";
#else
const char* const kClient = "lib/client/libjvm.so";
const char* const kServer = "lib/server/libjvm.so";
const char* const kJrockit = "lib/jrockit/libjvm.so";
const char* const kHotspot = "lib/hotspot/libjvm.so";
const char* const kRuntimeLibrary = "lib/libjava.so";
const char* const kRoot = "/rt/";
const char* const kCompiler = "bin/javac";
#endif

std::string at(const std::string& relative) { return native(kRoot + relative); }

TEST(ChooseJvmDll, FollowsTheVmTypeOrder) {
  FakeSystem system;
  system.add(at(kClient));
  system.add(at(kServer));
  bool server = true;
  EXPECT_EQ(at(kClient), chooseJvmDll(system, native(kRoot), JvmType::Default, &server));
  EXPECT_FALSE(server);
  EXPECT_EQ(at(kServer), chooseJvmDll(system, native(kRoot), JvmType::Server, &server));
  EXPECT_TRUE(server);
  server = false;
  EXPECT_EQ(at(kServer), chooseJvmDll(system, native(kRoot), JvmType::FavorServer, &server));
  EXPECT_TRUE(server);
}

TEST(ChooseJvmDll, ServerTakesOnlyTheServerVm) {
  FakeSystem system;
  system.add(at(kClient));
  system.add(at(kJrockit));
  bool server = true;
  EXPECT_EQ("", chooseJvmDll(system, native(kRoot), JvmType::Server, &server));
  EXPECT_TRUE(server);  // untouched when nothing is found
  EXPECT_EQ(at(kClient), chooseJvmDll(system, native(kRoot), JvmType::FavorServer, &server));
  EXPECT_FALSE(server);

  FakeSystem onlyJrockit;
  onlyJrockit.add(at(kJrockit));
  EXPECT_EQ(at(kJrockit), chooseJvmDll(onlyJrockit, native(kRoot), JvmType::Default));
  EXPECT_EQ(at(kJrockit), chooseJvmDll(onlyJrockit, native(kRoot), JvmType::FavorServer));
  EXPECT_EQ("", chooseJvmDll(onlyJrockit, native(kRoot), JvmType::Server));

  FakeSystem hotspotAndServer;
  hotspotAndServer.add(at(kHotspot));
  hotspotAndServer.add(at(kServer));
  EXPECT_EQ(at(kHotspot), chooseJvmDll(hotspotAndServer, native(kRoot), JvmType::Default));
}

#ifndef _WIN32
TEST(ChooseJvmDll, ReadsTheOlderLinuxLayout) {
  FakeSystem system;
  system.add(at("lib/amd64/server/libjvm.so"));
  bool server = false;
  EXPECT_EQ(at("lib/amd64/server/libjvm.so"),
            chooseJvmDll(system, native(kRoot), JvmType::Default, &server));
  EXPECT_TRUE(server);
}
#endif

TEST(WithTrailingSeparator, AddsOnlyAMissingSeparator) {
  EXPECT_EQ(native("/a/b/"), withTrailingSeparator(native("/a/b"), noLeadBytes));
  EXPECT_EQ(native("/a/b/"), withTrailingSeparator(native("/a/b/"), noLeadBytes));
  EXPECT_EQ("", withTrailingSeparator("", noLeadBytes));
#ifdef _WIN32
  // The trail byte of a double-byte character is not a separator.
  auto lead = [](unsigned char c) { return c == 0x81; };
  EXPECT_EQ("C:\\x\x81\\\\", withTrailingSeparator("C:\\x\x81\\", lead));
#endif
}

TEST(FindPrivateJre, ExecutableFolderThenJreSubfolder) {
  FakeMachine fake;
  fake.system.module = at("app/tool.exe");
  std::string home = "junk";
  EXPECT_TRUE(findPrivateJre(fake.machine, &home));
  EXPECT_EQ("", home);

  fake.system.add(at(std::string("app/jre/") + kRuntimeLibrary));
  EXPECT_TRUE(findPrivateJre(fake.machine, &home));
  EXPECT_EQ(at("app/jre/"), home);

  fake.system.add(at(std::string("app/") + kRuntimeLibrary));
  EXPECT_TRUE(findPrivateJre(fake.machine, &home));
  EXPECT_EQ(at("app/"), home);
}

TEST(FindPrivateJre, FailsWithoutTheModulePath) {
  FakeMachine fake;
  std::string home;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(findPrivateJre(fake.machine, &home));
  EXPECT_NE("", testing::internal::GetCapturedStdout());
}

// Release files by folder and the first bytes of VM libraries by path.
struct FakeRuntimeFiles : RuntimeFiles {
  std::map<std::string, std::string> texts;  // release files by folder
  std::map<std::string, std::string> libraries;
  std::string read(const std::string& folder) override {
    auto it = texts.find(folder);
    return it == texts.end() ? std::string() : it->second;
  }
  std::string head(const std::string& path, size_t size) override {
    auto it = libraries.find(path);
    return it == libraries.end() ? std::string() : it->second.substr(0, size);
  }
};

// The start of a PE image of the machine type, its header at offset.
std::string peImage(uint16_t machine, uint32_t offset = 0x80) {
  std::string bytes(offset + 24, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3c + i] = static_cast<char>(offset >> (8 * i));
  bytes.replace(offset, 4, std::string("PE\0\0", 4));
  bytes[offset + 4] = static_cast<char>(machine & 0xff);
  bytes[offset + 5] = static_cast<char>(machine >> 8);
  return bytes;
}

TEST(PeMachine, ReadsTheHeaderAndRejectsWhatIsNotOne) {
  EXPECT_EQ(0x14c, peMachine(peImage(0x14c)));
  EXPECT_EQ(0x8664, peMachine(peImage(0x8664, 0x40)));
  EXPECT_EQ(0, peMachine(""));
  EXPECT_EQ(0, peMachine(std::string(0x40, 'M')));
  std::string cut = peImage(0x8664);
  EXPECT_EQ(0, peMachine(cut.substr(0, 0x80 + 5)));
  std::string far = peImage(0x8664);
  far[0x3f] = '\xff';  // header offset beyond the bytes, near the maximum
  EXPECT_EQ(0, peMachine(far));
  std::string noSignature = peImage(0x8664);
  noSignature[0x80] = 'X';
  EXPECT_EQ(0, peMachine(noSignature));
}

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

TEST(SameHome, IgnoresTrailingSeparatorAndOnWindowsCaseAndSlashes) {
  EXPECT_TRUE(sameHome(native("/a/jdk/"), native("/a/jdk"), noLeadBytes));
  EXPECT_TRUE(sameHome(native("/a/jdk//"), native("/a/jdk"), noLeadBytes));
  EXPECT_FALSE(sameHome(native("/a/jdk"), native("/a/jdk2"), noLeadBytes));
#ifdef _WIN32
  EXPECT_TRUE(sameHome("C:\\Program Files\\JDK\\", "c:/program files/jdk", noLeadBytes));
  // A trail byte with the separator's value is part of its character.
  auto lead = [](unsigned char c) { return c == 0x81; };
  EXPECT_FALSE(sameHome("C:\\x\x81\\", "C:\\x\x81", lead));
#else
  EXPECT_FALSE(sameHome("/a/JDK", "/a/jdk", noLeadBytes));
#endif
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
