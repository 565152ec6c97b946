#include "os/expand_environment.h"

#include <gtest/gtest.h>

#include <map>

namespace tarn {
namespace {

std::string expanded(const std::string& text) {
  static const std::map<std::string, std::string> variables = {
      {"HOME", "C:\\Users\\ann"}, {"EMPTY", ""}, {"SP", "a b"}};
  return expandEnvironmentText(text, [](const std::string& name, std::string* value) {
    auto found = variables.find(name);
    if (found == variables.end()) return false;
    *value = found->second;
    return true;
  });
}

TEST(ExpandEnvironment, SetNamesExpandOthersStay) {
  EXPECT_EQ("C:\\Users\\ann\\app.log", expanded("%HOME%\\app.log"));
  EXPECT_EQ("-Dx=a b", expanded("-Dx=%SP%"));
  EXPECT_EQ("[]", expanded("[%EMPTY%]"));
  EXPECT_EQ("%NOPE%\\x", expanded("%NOPE%\\x"));
  // Scanning resumes behind the closing percent of an unset name.
  EXPECT_EQ("%NOPE%HOME%", expanded("%NOPE%HOME%"));
  EXPECT_EQ("100%", expanded("100%"));
  EXPECT_EQ("%%", expanded("%%"));
  EXPECT_EQ("a b%", expanded("%SP%%"));
  EXPECT_EQ("", expanded(""));
}

}  // namespace
}  // namespace tarn
