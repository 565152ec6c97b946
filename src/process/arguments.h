// The program arguments: the command line split by the launcher's rule.
#ifndef TARN_PROCESS_ARGUMENTS_H
#define TARN_PROCESS_ARGUMENTS_H

#include <string>
#include <vector>

#include "os/text.h"

namespace tarn {

// Only blanks separate; a double quote opens a quoted argument only as an
// argument's first character and an unclosed one runs to the end; no
// escapes. Also splits the "Cmd" setting.
std::vector<std::string> splitArguments(const std::string& text, LeadByteTest lead);

// A whole process command line: trimmed of white space, split, and without
// its first element (the executable's own path).
std::vector<std::string> argumentsFromCommandLine(const std::string& commandLine,
                                                  LeadByteTest lead);

// The running process's arguments (Windows: GetCommandLineA; Linux: argv
// as the shell split it).
std::vector<std::string> processArguments(int argc, char** argv, LeadByteTest lead);

}  // namespace tarn

#endif
