// The message service: texts from the string table, formatted printf-style,
// and the one form of error report, "Error: %s \n" on standard output.
#ifndef TARN_LAUNCHER_MESSAGES_H
#define TARN_LAUNCHER_MESSAGES_H

#include <cstdint>
#include <string>

#include "string_ids.h"

namespace tarn {

struct System;

// The table's text for the id in the ANSI code page; "" when absent.
std::string loadMessage(int id);

// A table text formatted with values. Only table texts are ever formats:
// configuration values always travel as arguments.
std::string formatMessage(int id, const std::string& value);
std::string formatMessage(int id, const std::string& value, int32_t number);
std::string formatMessage(int id, const std::string& first, const std::string& second);

// Formats a table-supplied format text (printf rules; %s and %d only).
std::string formatText(const std::string& format, const std::string& value);
std::string formatText(const std::string& format, const std::string& value, int32_t number);
std::string formatText(const std::string& format, const std::string& first,
                       const std::string& second);

// One error line on standard output.
void printError(const std::string& text);
void printErrorFormat(const std::string& format, const std::string& value);
void printErrorFormat(const std::string& format, const std::string& value, int32_t number);
void printErrorFormat(const std::string& format, const std::string& first,
                      const std::string& second);

// The executable's full path; a failure is reported (202 with 208).
bool modulePath(System& system, std::string* path);

}  // namespace tarn

#endif
