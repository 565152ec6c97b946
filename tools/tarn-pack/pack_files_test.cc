// The file layer against the real file system: natively, and under Wine in
// the Windows build.
#include "pack_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace tarn {
namespace {

namespace fs = std::filesystem;

class PackFiles : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tarn-pack-files-" + std::to_string(std::random_device()()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // A path in the test folder as UTF-8, the way tarn-pack receives it.
  std::string path(const std::string& name) const { return (folder_ / fs::u8path(name)).u8string(); }
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder_))
      found.push_back(entry.path().filename().u8string());
    std::sort(found.begin(), found.end());
    return found;
  }
  Bytes read(const std::string& name) const {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(path(name), &bytes, &error)) << error;
    return bytes;
  }

  fs::path folder_;
};

Bytes pattern(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
  return bytes;
}

TEST_F(PackFiles, WritesAndReplacesWholeFilesLeavingNothingElse) {
  std::string error;
  const Bytes big = pattern(200000);  // more than one read or write at a time
  ASSERT_TRUE(replaceFile(path("app"), big, path("app"), &error)) << error;
  EXPECT_EQ(read("app"), big);
  const Bytes small = {0, 1, 0, 2};
  ASSERT_TRUE(replaceFile(path("app"), small, path("app"), &error)) << error;
  EXPECT_EQ(read("app"), small);
  ASSERT_TRUE(replaceFile(path("empty"), Bytes(), path("app"), &error)) << error;
  EXPECT_TRUE(read("empty").empty());
  EXPECT_EQ(names(), (std::vector<std::string>{"app", "empty"}));
}

// "<path>: <what>: " and the system's reason after it.
void expectReason(const std::string& error, const std::string& start) {
  EXPECT_EQ(start, error.substr(0, start.size()));
  EXPECT_GT(error.size(), start.size() + 2) << error;
}

TEST_F(PackFiles, RefusalsNameThePathAndTheReasonAndChangeNothing) {
  Bytes bytes;
  std::string error;
  EXPECT_FALSE(readWholeFile(path("missing"), &bytes, &error));
  expectReason(error, path("missing") + ": cannot be read: ");
  fs::create_directory(folder_ / "sub");
  EXPECT_FALSE(readWholeFile(path("sub"), &bytes, &error));
  EXPECT_EQ(error, path("sub") + ": is a folder");

  EXPECT_FALSE(replaceFile(path("sub"), pattern(10), path("sub"), &error));
  EXPECT_EQ(error, path("sub") + ": is a folder");
  ASSERT_TRUE(replaceFile(path("file"), pattern(10), path("sub"), &error));
  EXPECT_FALSE(replaceFile(path("file/app"), pattern(10), path("sub"), &error));
  expectReason(error, path("file/app") + ": cannot be written: ");
  EXPECT_EQ(names(), (std::vector<std::string>{"file", "sub"}));
  EXPECT_TRUE(fs::is_empty(folder_ / "sub"));
  // Missing folders are made.
  ASSERT_TRUE(replaceFile(path("sub/new/deeper/app"), pattern(10), path("sub"), &error)) << error;
  EXPECT_EQ(read("sub/new/deeper/app"), pattern(10));
}

TEST_F(PackFiles, NamesOutsideTheAnsiCodePage) {
  const std::string name = "Gr\xc3\xbc\xc3\x9f" "e-\xe6\x97\xa5\xe6\x9c\xac-\xce\xb1.exe";
  std::string error;
  ASSERT_TRUE(replaceFile(path(name), pattern(100), path(name), &error)) << error;
  EXPECT_EQ(names(), std::vector<std::string>{name});
  EXPECT_EQ(read(name), pattern(100));
  EXPECT_TRUE(sameFile(path(name), path(name)));
}

TEST_F(PackFiles, SameFileByAnySpelling) {
  std::string error;
  ASSERT_TRUE(replaceFile(path("app"), pattern(10), path("app"), &error)) << error;
  ASSERT_TRUE(replaceFile(path("other"), pattern(10), path("app"), &error)) << error;
  EXPECT_TRUE(sameFile(path("app"), path("app")));
  EXPECT_TRUE(sameFile(path("app"), path("sub/../app")));
  EXPECT_FALSE(sameFile(path("app"), path("other")));
  EXPECT_FALSE(sameFile(path("app"), path("missing")));
  // Two names of one file that is not there yet.
  EXPECT_TRUE(sameFile(path("missing"), path("./missing")));
  const fs::path here = fs::current_path();
  fs::current_path(folder_);
  EXPECT_TRUE(sameFile("app", path("app")));
  EXPECT_TRUE(sameFile("missing", path("missing")));
  if (kWindowsPaths) {
    std::string backslashes = path("app");
    for (char& c : backslashes)
      if (c == '/') c = '\\';
    EXPECT_TRUE(sameFile("app", backslashes));
    EXPECT_TRUE(sameFile(".\\APP", path("app")));
    EXPECT_TRUE(sameFile(".\\MISSING", "missing"));
  } else {
    fs::create_symlink(folder_ / "app", folder_ / "link");
    EXPECT_TRUE(sameFile("link", "app"));
  }
  fs::current_path(here);
}

#ifndef _WIN32
TEST_F(PackFiles, OutputTakesTheLaunchersPermissionsAndIsExecutable) {
  std::string error;
  ASSERT_TRUE(replaceFile(path("launcher"), pattern(10), path("launcher"), &error));
  fs::permissions(folder_ / "launcher", fs::perms::owner_read | fs::perms::group_read |
                                            fs::perms::group_exec | fs::perms::others_read);
  ASSERT_TRUE(replaceFile(path("out"), pattern(10), path("launcher"), &error)) << error;
  EXPECT_EQ(fs::status(folder_ / "out").permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                fs::perms::others_read);
}
#endif

}  // namespace
}  // namespace tarn
