#include "ui/runtime_prompt.h"

#include "report/messages.h"

namespace tarn {

int promptForRuntime(JreNotFoundDialog& dialog, PromptConsole& console) {
  while (true) {
    console.write(loadMessage(IDS_RUNTIME_PROMPT));
    std::string line;
    if (!console.readLine(&line)) {
      console.write("\n");
      return 2;
    }
    line = trimWhiteSpace(line, dialog.machine.lead);
    if (line.empty()) return 2;
    if (dialog.pickFolder(console.absolutePath(line))) return 1;
    console.write(formatMessage(IDS_RUNTIME_NOT_USABLE, line));
  }
}

}  // namespace tarn
