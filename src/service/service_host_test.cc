#include "service/service_host.h"

#include <gtest/gtest.h>

#include "config/testing_machine.h"

namespace tarn {
namespace {

using testing_machine::FakeProfileFiles;
using testing_machine::FakeSystem;

struct ServiceHostTest : ::testing::Test {
  ServiceHostTest() {
    machine.system = &system;
    machine.profiles = &profiles;
  }
  FakeSystem system;
  FakeProfileFiles profiles;
  Machine machine;
};

TEST_F(ServiceHostTest, NameIsTheFileNameWithItsExtension) {
#ifdef _WIN32
  system.module = "C:\\Apps\\Tool.exe";
#else
  system.module = "/opt/apps/Tool.exe";
#endif
  int launch = 0;
  ServiceHost host;
  ASSERT_TRUE(determineServiceName(host, machine, {nullptr, &launch}));
  EXPECT_EQ(host.serviceName, "Tool.exe");
  EXPECT_EQ(host.launch.context, &launch);
}

TEST_F(ServiceHostTest, PathWithoutSeparatorIsTheName) {
  system.module = "Tool.exe";
  ServiceHost host;
  ASSERT_TRUE(determineServiceName(host, machine, {}));
  EXPECT_EQ(host.serviceName, "Tool.exe");
}

TEST_F(ServiceHostTest, NoModulePathNoService) {
  ServiceHost host;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(determineServiceName(host, machine, {}));
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("Error: "), std::string::npos);
}

TEST(ServiceStop, EarlyRequestWaitsForMain) {
  ServiceHost host;
  EXPECT_FALSE(takeStopRequest(host));
  EXPECT_FALSE(takeStopRequest(host));  // asked twice, still one stop
  EXPECT_TRUE(takeMainStarted(host));
  EXPECT_TRUE(takeStopRequest(host));   // from now on at once
}

TEST(ServiceStop, NoRequestNoStop) {
  ServiceHost host;
  EXPECT_FALSE(takeMainStarted(host));
  EXPECT_TRUE(takeStopRequest(host));
}

TEST(ServiceStop, OneHostPerProcess) {
  ServiceHost* before = processServiceHost();
  {
    ServiceHost host;
    EXPECT_EQ(processServiceHost(), &host);
  }
  EXPECT_EQ(processServiceHost(), nullptr);
  (void)before;
}

TEST(ServiceStatusRecord, SevenFieldsInOrder) {
  EXPECT_EQ(sizeof(ServiceStatus), 7 * sizeof(uint32_t));
}

}  // namespace
}  // namespace tarn
