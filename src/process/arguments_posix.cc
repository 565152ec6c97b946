#include "process/arguments.h"

namespace tarn {

// The shell has split the command line already; argv is taken as it is.
std::vector<std::string> processArguments(int argc, char** argv, LeadByteTest) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
  return arguments;
}

}  // namespace tarn
