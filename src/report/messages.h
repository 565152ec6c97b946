// The message service: texts from the string table, formatted printf-style,
// and the one form of error report, "Error: %s \n" on standard output.
#ifndef TARN_REPORT_MESSAGES_H
#define TARN_REPORT_MESSAGES_H

#include <cstdint>
#include <string>

#include "string_ids.h"

namespace tarn {

// The table's text for the id in the ANSI code page; "" when absent.
std::string loadMessage(int id);

// A table text formatted with values. Only table texts are ever formats:
// configuration values always travel as arguments.
std::string formatMessage(int id, const std::string& value);
std::string formatMessage(int id, const std::string& value, int32_t number);
std::string formatMessage(int id, const std::string& first, const std::string& second);
std::string formatMessage(int id, const std::string& first, const std::string& second,
                          const std::string& third, const std::string& fourth);

// Formats a table-supplied format text (printf rules; %s and %d only).
std::string formatText(const std::string& format, const std::string& value);
std::string formatText(const std::string& format, const std::string& value, int32_t number);
std::string formatText(const std::string& format, const std::string& first,
                       const std::string& second);

// One error line on standard output.
void printError(const std::string& text);

// The error line of a table text, formatted with the values; the trace
// records it with the text's number. Every failure is reported this way.
void reportError(int id);
void reportError(int id, const std::string& value);
void reportError(int id, const std::string& value, int32_t number);
void reportError(int id, const std::string& first, const std::string& second);

// Where error lines go. The console launcher keeps the default, standard
// output. The windowed one has no console: it calls showErrorsInWindows once
// at start, before any other thread runs, and from then on each line is shown
// in a message box, unless standard output was redirected to a file or pipe,
// where the line goes exactly as the console launcher writes it. This
// process-wide choice (it changes at most once more, when the launcher
// attaches to a console), the title and the hook below are the only state
// of the message service.
void showErrorsInWindows();
// The windowed launcher once it attached to its starter's console: from
// then on error lines go to standard output, as the console launcher's.
void showErrorsOnConsole();

// The boxes' title: the product name once the configuration names one,
// else the executable's file name. Set on the main thread before the
// threads that may report start.
void setErrorTitle(const std::string& productName);

// What must go before any message of the launcher's own reaches the user
// (an error line or box, the runtime dialog): the splash. Set on the main
// thread before other threads start; messageAppears calls it, from
// whichever thread reports.
void setMessageHook(void (*hook)(void*), void* context);
void messageAppears();

// The text a box shows for an error line: the line without its trailing
// blanks and line feeds.
std::string errorBoxText(const std::string& line);

// Platform part. Writes the line to standard output at once (the VM may end
// the process without the C runtime's help).
void writeStandardOutput(const std::string& line);
// True when standard output is a file or a pipe.
bool standardOutputRedirected();
// Shows a modal error box; false when none could be shown.
bool showErrorBox(const std::string& text, const std::string& title);
// Windows: the process's window station is one a user sees; a service's is
// not, and a window there waits forever for a click that cannot come.
// Linux: false, there are no windows.
bool onVisibleWindowStation();

}  // namespace tarn

#endif
