#include "runtime/discovery.h"

#include <gtest/gtest.h>

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
#else
const char* const kClient = "lib/client/libjvm.so";
const char* const kServer = "lib/server/libjvm.so";
const char* const kJrockit = "lib/jrockit/libjvm.so";
const char* const kHotspot = "lib/hotspot/libjvm.so";
const char* const kRuntimeLibrary = "lib/libjava.so";
const char* const kRoot = "/rt/";
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

}  // namespace
}  // namespace tarn
