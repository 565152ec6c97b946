#include "process/module_path.h"

#include <gtest/gtest.h>

#include "os/system.h"

namespace tarn {
namespace {

struct FailingSystem : System {
  bool modulePath(std::string*, uint32_t* error) override {
    *error = 5;
    return false;
  }
  bool getEnvironment(const std::string&, std::string*) override { return false; }
  bool setEnvironment(const std::string&, const std::string&) override { return false; }
  bool unsetEnvironment(const std::string&) override { return false; }
  bool fileExists(const std::string&) override { return false; }
  bool fullPathExists(const std::string&) override { return false; }
  bool isDirectory(const std::string&) override { return false; }
  bool createDirectory(const std::string&) override { return false; }
  bool setCurrentDirectory(const std::string&) override { return false; }
  bool isNtPlatform() override { return true; }
};

TEST(ModulePath, FailureIsReported) {
  FailingSystem system;
  std::string path = "stale";
  testing::internal::CaptureStdout();
  EXPECT_FALSE(modulePath(system, &path));
  EXPECT_EQ("Error: Windows exception: failed to get the module path (errno = 5).\n \n",
            testing::internal::GetCapturedStdout());
  EXPECT_EQ("", path);
}

}  // namespace
}  // namespace tarn
