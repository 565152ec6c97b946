#include "ui/runtime_prompt.h"

#include <gtest/gtest.h>

#include <deque>

#include "report/messages.h"
#include "runtime/fake_machine_test.h"

namespace tarn {
namespace {

struct ScriptedConsole : PromptConsole {
  std::deque<std::string> lines;
  std::string written;
  bool readLine(std::string* line) override {
    if (lines.empty()) return false;
    *line = lines.front();
    lines.pop_front();
    return true;
  }
  void write(const std::string& text) override { written += text; }
  std::string absolutePath(const std::string& path) override {
    return path[0] == kPathSeparator ? path : native("/cwd/") + path;
  }
};

#ifdef _WIN32
const char* const kServerVm = "bin/server/jvm.dll";
const char* const kClientVm = "bin/client/jvm.dll";
#else
const char* const kServerVm = "lib/server/libjvm.so";
const char* const kClientVm = "lib/client/libjvm.so";
#endif

TEST(RuntimePrompt, AsksAgainUntilAFolderHoldsAUsableVm) {
  FakeMachine fake;
  fake.system.add(std::string("/client/") + kClientVm);
  fake.system.add(std::string("/good/") + kServerVm);
  JreNotFoundDialog dialog(fake.machine, RuntimeNotFound{"message", "", ""}, JvmType::Server);
  ScriptedConsole console;
  console.lines = {native("/missing"), native("/client/"), native(" /good ")};
  EXPECT_EQ(1, promptForRuntime(dialog, console));
  EXPECT_EQ(native("/good/"), dialog.folder);
  EXPECT_EQ(native(std::string("/good/") + kServerVm), dialog.jvmPath);
  std::string prompt = loadMessage(IDS_RUNTIME_PROMPT);
  EXPECT_EQ(prompt + formatMessage(IDS_RUNTIME_NOT_USABLE, native("/missing")) + prompt +
                formatMessage(IDS_RUNTIME_NOT_USABLE, native("/client/")) + prompt,
            console.written);
}

TEST(RuntimePrompt, RelativeFolderBecomesAbsolute) {
  FakeMachine fake;
  fake.system.add(std::string("/cwd/rt/") + kClientVm);
  JreNotFoundDialog dialog(fake.machine, RuntimeNotFound{"message", "", ""}, JvmType::Default);
  ScriptedConsole console;
  console.lines = {"rt"};
  EXPECT_EQ(1, promptForRuntime(dialog, console));
  EXPECT_EQ(native("/cwd/rt/"), dialog.folder);
}

TEST(RuntimePrompt, EmptyLineOrEndOfInputCancels) {
  FakeMachine fake;
  fake.system.add(std::string("/good/") + kClientVm);
  JreNotFoundDialog dialog(fake.machine, RuntimeNotFound{"message", "", ""}, JvmType::Default);
  ScriptedConsole console;
  console.lines = {native("/nothing"), "   "};
  EXPECT_EQ(2, promptForRuntime(dialog, console));
  ScriptedConsole ended;
  EXPECT_EQ(2, promptForRuntime(dialog, ended));
  EXPECT_EQ(loadMessage(IDS_RUNTIME_PROMPT) + "\n", ended.written);
}

TEST(JreNotFoundDialog, TheLastPickedFolderDecides) {
  FakeMachine fake;
  fake.system.add(std::string("/good/") + kClientVm);
  JreNotFoundDialog dialog(fake.machine, RuntimeNotFound{"message", "", ""}, JvmType::Default);
  EXPECT_TRUE(dialog.pickFolder(native("/good")));
  EXPECT_FALSE(dialog.pickFolder(native("/bad")));
  EXPECT_EQ("", dialog.jvmPath);
  EXPECT_TRUE(dialog.pickFolder(native("/good/")));
  EXPECT_EQ(native("/good/"), dialog.folder);
  EXPECT_FALSE(dialog.pickFolder(""));
}

}  // namespace
}  // namespace tarn
