// What a desktop program asks of the system before its first window: the
// console of the command line it was started from, and its own identity
// on the taskbar.
#ifndef TARN_PROCESS_DESKTOP_H
#define TARN_PROCESS_DESKTOP_H

#include <string>

namespace tarn {

enum class ConsoleAttach {
  Attached,        // the standard handles not redirected now reach the console
  AlreadyThere,    // the process has a console of its own (tarn.exe)
  NoConsole,       // started from Explorer or a shortcut: nothing changed
  NotOnThisSystem  // Linux: a program keeps the terminal it was started from
};

// Attaches to the console of the process that started this one. A standard
// handle already redirected to a file, a pipe or a device stays; the others
// are pointed at the console for the system, the C runtime and the Java VM
// created afterwards.
ConsoleAttach attachParentConsole();

// Sets the process's explicit application identity, by which the taskbar
// groups its windows and pins it. False when the system has none (Linux,
// Windows before 7) or refuses the text.
bool setAppUserModelId(const std::string& id);

}  // namespace tarn

#endif
