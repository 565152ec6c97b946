// The JRE Not Found dialog: says which runtime is missing, links to the
// Java download page and lets the user pick an installed runtime's folder.
// On Linux its counterpart is the same message on the console and, on a
// terminal, a prompt for the folder.
#ifndef TARN_UI_JRE_NOT_FOUND_DIALOG_H
#define TARN_UI_JRE_NOT_FOUND_DIALOG_H

#include <memory>
#include <string>

#include "config/settings.h"
#include "os/machine.h"
#include "runtime/selection.h"

namespace tarn {

struct HyperLinkControl;

struct JreNotFoundDialog {
  JreNotFoundDialog(Machine& machine, RuntimeNotFound notice, JvmType jvmType);
  ~JreNotFoundDialog();
  JreNotFoundDialog(const JreNotFoundDialog&) = delete;
  JreNotFoundDialog& operator=(const JreNotFoundDialog&) = delete;

  // Runs modally: 1 when the user confirmed a folder, 2 when cancelled.
  int show(void* owner);

  // Takes a folder the user picked: it becomes the folder (with a trailing
  // separator) and its VM library the jvmPath. True when it holds one.
  bool pickFolder(const std::string& path);

  Machine& machine;
  RuntimeNotFound notice;
  JvmType jvmType;
  std::string folder;
  std::string jvmPath;
  std::unique_ptr<HyperLinkControl> link;  // Windows only
};

// The requirement and the download address as an error line, then the
// runtimes found: what is shown where no one can answer the dialog.
void printRuntimeNotFound(const RuntimeNotFound& notice);

// The process's active window, the dialog's owner (none on Linux).
void* activeWindow();

}  // namespace tarn

#endif
