#include "pack_options.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

using Action = PackCommand::Action;

TEST(PackOptions, PackWithIdentityAndOutput) {
  const PackCommand command = parsePackArguments(
      {"tarnw.exe", "--icon", "app.ico", "--splash", "splash.png", "app.ini", "--file-version", "1.2", "app.jar",
       "--product-name", "Viewer", "-o", "dist/viewer.exe"});
  ASSERT_EQ(command.action, Action::Pack);
  EXPECT_EQ(command.inputs, (std::vector<std::string>{"tarnw.exe", "app.ini", "app.jar"}));
  EXPECT_EQ(command.output, "dist/viewer.exe");
  EXPECT_EQ(command.iconPath, "app.ico");
  EXPECT_EQ(command.splashPath, "splash.png");
  EXPECT_EQ(command.identity.fileVersion, "1.2");
  EXPECT_EQ(command.identity.productName, "Viewer");
  EXPECT_FALSE(command.identity.hasIcon);  // the caller reads the icon
}

TEST(PackOptions, HelpAndVersionWinWhereverTheyStand) {
  EXPECT_EQ(parsePackArguments({"a", "--version", "--bogus"}).action, Action::Version);
  EXPECT_EQ(parsePackArguments({"--help"}).action, Action::Help);
  EXPECT_EQ(parsePackArguments({"a", "b", "-h"}).action, Action::Help);
  // An unknown option before them is refused first.
  EXPECT_EQ(parsePackArguments({"--bogus", "--version"}).action, Action::Refuse);
}

TEST(PackOptions, Refusals) {
  PackCommand command = parsePackArguments({"tarn", "app.ini", "--icon"});
  EXPECT_EQ(command.action, Action::Refuse);
  EXPECT_EQ(command.exitCode, 1);
  EXPECT_EQ(command.message.rfind("tarn-pack: --icon needs a value\nusage: ", 0), 0u);

  command = parsePackArguments({"tarn", "app.ini", "--company", "", "-o", "out"});
  EXPECT_EQ(command.exitCode, 1);
  EXPECT_EQ(command.message, "tarn-pack: --company needs a value that is not empty\n");

  command = parsePackArguments({"tarn", "app.ini", "-o"});
  EXPECT_EQ(command.exitCode, 1);
  EXPECT_EQ(command.message.rfind("tarn-pack: -o needs a file name\n", 0), 0u);

  command = parsePackArguments({"tarn", "app.ini", "--jar", "x", "-o", "out"});
  EXPECT_EQ(command.exitCode, 2);
  EXPECT_EQ(command.message.rfind("tarn-pack: unknown option --jar\nusage: ", 0), 0u);

  // Wrong counts, and --print mixed with packing: the usage alone.
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"tarn", "-o", "out"},
                                             {"tarn", "app.ini"},
                                             {"a", "b", "c", "d", "-o", "out"},
                                             {"--print"},
                                             {"--print", "a", "b"},
                                             {"--print", "a", "-o", "out"},
                                             {"--print", "a", "--company", "X"},
                                             {"--print", "a", "--splash", "s.png"}}) {
    command = parsePackArguments(arguments);
    EXPECT_EQ(command.action, Action::Refuse);
    EXPECT_EQ(command.exitCode, 2);
    EXPECT_EQ(command.message, kPackUsage);
  }
}

TEST(PackOptions, PrintAndPlainDashAsAName) {
  PackCommand command = parsePackArguments({"--print", "dist/viewer"});
  EXPECT_EQ(command.action, Action::Print);
  EXPECT_EQ(command.inputs, std::vector<std::string>{"dist/viewer"});
  command = parsePackArguments({"-", "app.ini", "--output", "out"});
  EXPECT_EQ(command.action, Action::Pack);
  EXPECT_EQ(command.inputs[0], "-");
}

TEST(PackOptions, FileNameByEachSystemsRules) {
  EXPECT_EQ(fileNameOf("dist/viewer", false), "viewer");
  EXPECT_EQ(fileNameOf("viewer", false), "viewer");
  // A backslash and a colon are parts of a Linux name.
  EXPECT_EQ(fileNameOf("dist\\viewer.exe", false), "dist\\viewer.exe");
  EXPECT_EQ(fileNameOf("C:viewer.exe", false), "C:viewer.exe");

  EXPECT_EQ(fileNameOf("dist\\viewer.exe", true), "viewer.exe");
  EXPECT_EQ(fileNameOf("C:\\apps/dist\\viewer.exe", true), "viewer.exe");
  EXPECT_EQ(fileNameOf("C:/apps\\dist/viewer.exe", true), "viewer.exe");
  EXPECT_EQ(fileNameOf("C:viewer.exe", true), "viewer.exe");
  EXPECT_EQ(fileNameOf("\\\\server\\share\\viewer.exe", true), "viewer.exe");
  EXPECT_EQ(fileNameOf("\\\\?\\C:\\apps\\viewer.exe", true), "viewer.exe");
  EXPECT_EQ(fileNameOf("1:viewer.exe", true), "1:viewer.exe");
  EXPECT_EQ(fileNameOf("", true), "");
}

}  // namespace
}  // namespace tarn
