#include "ui/jre_not_found_dialog.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "report/messages.h"
#include "ui/runtime_prompt.h"

namespace tarn {

// Linux has no link control; the address is printed instead.
struct HyperLinkControl {};

namespace {

struct TerminalConsole : PromptConsole {
  bool readLine(std::string* line) override {
    line->clear();
    char buffer[1024];
    while (fgets(buffer, sizeof buffer, stdin)) {
      *line += buffer;
      if (!line->empty() && line->back() == '\n') {
        line->pop_back();
        return true;
      }
    }
    return !line->empty();
  }
  void write(const std::string& text) override {
    fputs(text.c_str(), stdout);
    fflush(stdout);
  }
  std::string absolutePath(const std::string& path) override {
    if (path.empty() || path[0] == '/') return path;
    char current[PATH_MAX];
    if (!getcwd(current, sizeof current)) return path;
    return std::string(current) + "/" + path;
  }
};

}  // namespace

JreNotFoundDialog::JreNotFoundDialog(Machine& machine, RuntimeNotFound notice, JvmType jvmType)
    : machine(machine), notice(std::move(notice)), jvmType(jvmType) {}

JreNotFoundDialog::~JreNotFoundDialog() = default;

int JreNotFoundDialog::show(void*) {
  printRuntimeNotFound(notice);
  // Only a person at a terminal can answer; anything else ends the launch.
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return 2;
  TerminalConsole console;
  return promptForRuntime(*this, console);
}

void* activeWindow() { return nullptr; }

}  // namespace tarn
