#include "config/real_profile_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/temp_folder_test.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

// The launcher's own file handling on Linux: the user's file is replaced
// whole or not at all, and keeps its mode and its links.
struct LinuxProfileFile : ::testing::Test {
  TempFolder folder;
  RealProfileFiles files;
  fs::path path = folder.path / "viewer.ini";

  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder.path),
                                             fs::directory_iterator()));
  }
};

TEST_F(LinuxProfileFile, KeepsModeAndLeavesNoTemporaryFile) {
  writeFile(path, "[A]\nk=1\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(files.writeString("A", "k", "2", path.string()));
  EXPECT_EQ("[A]\nk=2\n", readFile(path));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
            fs::status(path).permissions() & fs::perms::all);
  EXPECT_EQ(1u, entries());
}

TEST_F(LinuxProfileFile, WritesThroughALink) {
  fs::path real = folder.path / "real.ini";
  writeFile(real, "[A]\nk=1\n");
  fs::create_symlink(real, path);
  ASSERT_TRUE(files.writeString("A", "k", "2", path.string()));
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ("[A]\nk=2\n", readFile(real));
}

TEST_F(LinuxProfileFile, FailsWithoutHarm) {
  EXPECT_FALSE(files.writeString("A", "k", "1", (folder.path / "missing" / "x.ini").string()));
  fs::create_directory(folder.path / "folder.ini");
  EXPECT_FALSE(files.writeString("A", "k", "1", (folder.path / "folder.ini").string()));
  char buffer[8] = "*******";
  EXPECT_EQ(0u, files.getString("A", "k", buffer, sizeof buffer, (folder.path / "folder.ini").string()));
  EXPECT_STREQ("", buffer);
  writeFile(path, "[A]\nk=1\n");
  EXPECT_FALSE(files.writeString("A", "k", "1\nx=2", path.string()));
  EXPECT_EQ("[A]\nk=1\n", readFile(path));
  EXPECT_EQ(2u, entries());
}

TEST_F(LinuxProfileFile, NeverReplacesAFileItCannotRead) {
  writeFile(path, "[A]\nk=1\n");
  fs::permissions(path, fs::perms::none);
  if (std::ifstream(path).good()) GTEST_SKIP() << "running with rights that read any file";
  EXPECT_FALSE(files.writeString("A", "m", "2", path.string()));
  fs::permissions(path, fs::perms::owner_read);
  EXPECT_EQ("[A]\nk=1\n", readFile(path));
}

}  // namespace
}  // namespace tarn
