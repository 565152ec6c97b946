#include "process/arguments.h"

#include <windows.h>

namespace tarn {

// The C runtime's argv follows other quoting rules; the launcher's own rule
// applies to the raw command line.
std::vector<std::string> processArguments(int, char**, LeadByteTest lead) {
  const char* line = GetCommandLineA();
  return argumentsFromCommandLine(line ? line : "", lead);
}

}  // namespace tarn
