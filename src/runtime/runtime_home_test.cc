#include "runtime/runtime_home.h"

#include <gtest/gtest.h>

#include "runtime/fake_runtime_files_test.h"

namespace tarn {
namespace {

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

}  // namespace
}  // namespace tarn
