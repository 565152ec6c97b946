#include "report/messages.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "os/text.h"
#include "report/trace.h"

namespace tarn {

namespace {

std::string vformat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = formatList(format, args);
  va_end(args);
  return result;
}

// See showErrorsInWindows.
struct ErrorOutput {
  std::atomic<bool> windows{false};  // the single-instance thread may report meanwhile
  std::string title;
  void (*hook)(void*) = nullptr;
  void* hookContext = nullptr;
};

ErrorOutput& errorOutput() {
  static ErrorOutput output;
  return output;
}

}  // namespace

void showErrorsInWindows() { errorOutput().windows = !standardOutputRedirected(); }

void showErrorsOnConsole() { errorOutput().windows = false; }

void setErrorTitle(const std::string& productName) { errorOutput().title = productName; }

void setMessageHook(void (*hook)(void*), void* context) {
  errorOutput().hook = hook;
  errorOutput().hookContext = context;
}

void messageAppears() {
  const ErrorOutput& output = errorOutput();
  if (output.hook) output.hook(output.hookContext);
}

std::string errorBoxText(const std::string& line) {
  size_t end = line.find_last_not_of(" \n");
  return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

// A value with a NUL byte is cut there, as the C formatting would cut it.
std::string formatText(const std::string& format, const std::string& value) {
  return vformat(format.c_str(), value.c_str());
}

std::string formatText(const std::string& format, const std::string& value, int32_t number) {
  return vformat(format.c_str(), value.c_str(), static_cast<int>(number));
}

std::string formatText(const std::string& format, const std::string& first,
                       const std::string& second) {
  return vformat(format.c_str(), first.c_str(), second.c_str());
}

std::string formatMessage(int id, const std::string& value) {
  return formatText(loadMessage(id), value);
}

std::string formatMessage(int id, const std::string& value, int32_t number) {
  return formatText(loadMessage(id), value, number);
}

std::string formatMessage(int id, const std::string& first, const std::string& second) {
  return formatText(loadMessage(id), first, second);
}

std::string formatMessage(int id, const std::string& first, const std::string& second,
                          const std::string& third, const std::string& fourth) {
  return vformat(loadMessage(id).c_str(), first.c_str(), second.c_str(), third.c_str(),
                 fourth.c_str());
}

void printError(const std::string& text) {
  // As "Error: %s \n" would print it: the text ends at a NUL byte.
  std::string line = "Error: " + std::string(text.c_str()) + " \n";
  messageAppears();
  const ErrorOutput& output = errorOutput();
  // A box that cannot be shown (no desktop) still leaves the line on
  // standard output, wherever that leads.
  if (output.windows && showErrorBox(errorBoxText(line), output.title)) return;
  writeStandardOutput(line);
}

namespace {

void reportText(int id, const std::string& text) {
  // Traced first: a box may keep the line waiting.
  trace("error %d: %s", id, errorBoxText(text.c_str()).c_str());
  printError(text);
}

}  // namespace

void reportError(int id) { reportText(id, loadMessage(id)); }

void reportError(int id, const std::string& value) { reportText(id, formatMessage(id, value)); }

void reportError(int id, const std::string& value, int32_t number) {
  reportText(id, formatMessage(id, value, number));
}

void reportError(int id, const std::string& first, const std::string& second) {
  reportText(id, formatMessage(id, first, second));
}

}  // namespace tarn
