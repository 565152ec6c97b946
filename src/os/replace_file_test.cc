#include "os/replace_file.h"

#include <gtest/gtest.h>

#include <map>

namespace tarn {
namespace {

SystemPath name(const char* text) { return SystemPath(text, text + std::char_traits<char>::length(text)); }

// Files by name; a replace that fails as Windows' does when a scanner holds
// the new file: the old one already gone from its name.
struct FakePlacing : FilePlacing {
  std::map<SystemPath, std::string> files;
  bool replaceLosesTarget = false, moveFails = false;

  bool exists(const SystemPath& path) override { return files.count(path) != 0; }
  bool replace(const SystemPath&, const SystemPath& to, int* code) override {
    if (replaceLosesTarget) files.erase(to);
    *code = 1176;
    return false;
  }
  bool move(const SystemPath& from, const SystemPath& to, int* code) override {
    *code = 5;
    if (moveFails || files.count(to)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  void remove(const SystemPath& path) override { files.erase(path); }
};

TEST(ReplaceFile, TheNewBytesAreNeverThrownAwayWhileTheyAreTheOnlyCopy) {
  const SystemPath target = name("app.ini"), temporary = temporaryBeside(target, 7, 0);
  EXPECT_EQ(name(".app.ini.7.0.tmp"), temporary);
  for (bool losesTarget : {false, true}) {
    for (bool moveFails : {false, true}) {
      FakePlacing system;
      system.files = {{target, "old"}, {temporary, "new"}};
      system.replaceLosesTarget = losesTarget;
      system.moveFails = moveFails;
      ReplaceFailure failure;
      const bool placed = placeTemporary(system, temporary, target, &failure);
      EXPECT_EQ(losesTarget && !moveFails, placed);
      if (placed) {
        EXPECT_EQ((std::map<SystemPath, std::string>{{target, "new"}}), system.files);
      } else if (losesTarget) {
        EXPECT_EQ((std::map<SystemPath, std::string>{{temporary, "new"}}), system.files);
        EXPECT_EQ(temporary, failure.keptCopy);
        EXPECT_EQ(1176, failure.code);
      } else {
        // Both names as they were: the temporary goes.
        EXPECT_EQ((std::map<SystemPath, std::string>{{target, "old"}}), system.files);
        EXPECT_TRUE(failure.keptCopy.empty());
      }
    }
  }
  // A new file that cannot take its name leaves nothing behind.
  FakePlacing system;
  system.files = {{temporary, "new"}};
  system.moveFails = true;
  ReplaceFailure failure;
  EXPECT_FALSE(placeTemporary(system, temporary, target, &failure));
  EXPECT_TRUE(system.files.empty());
  EXPECT_TRUE(failure.keptCopy.empty());
}

}  // namespace
}  // namespace tarn
