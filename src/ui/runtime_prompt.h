// Linux's stand-in for the dialog's folder browser: a console prompt that
// accepts only a folder holding a usable VM library.
#ifndef TARN_UI_RUNTIME_PROMPT_H
#define TARN_UI_RUNTIME_PROMPT_H

#include <string>

#include "ui/jre_not_found_dialog.h"

namespace tarn {

struct PromptConsole {
  virtual ~PromptConsole() = default;
  // One line without its terminator; false at the end of the input.
  virtual bool readLine(std::string* line) = 0;
  virtual void write(const std::string& text) = 0;
  // The folder as an absolute path, so that the remembered folder does not
  // depend on where the next start happens.
  virtual std::string absolutePath(const std::string& path) = 0;
};

// Asks until a usable folder is entered (1, the dialog holds the folder and
// its VM library) or the user gives an empty line or ends the input (2).
int promptForRuntime(JreNotFoundDialog& dialog, PromptConsole& console);

}  // namespace tarn

#endif
