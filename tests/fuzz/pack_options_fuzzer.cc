// tarn-pack's command line on arbitrary arguments (NUL-separated): every
// outcome is a command the tool can carry out or a refusal with a message,
// and a file name is always the end of its path.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pack_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\0', start), text.size());
    arguments.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const tarn::PackCommand command = tarn::parsePackArguments(arguments);
  using Action = tarn::PackCommand::Action;
  switch (command.action) {
    case Action::Pack:
      if (command.inputs.size() < 2 || command.inputs.size() > 3 || command.output.empty())
        __builtin_trap();
      break;
    case Action::Print:
      if (command.inputs.size() != 1) __builtin_trap();
      break;
    case Action::Refuse:
      if (command.message.empty() || command.exitCode == 0) __builtin_trap();
      break;
    default:
      break;
  }
  for (const std::string& argument : arguments)
    for (bool windows : {false, true}) {
      const std::string name = tarn::fileNameOf(argument, windows);
      if (name.size() > argument.size() ||
          argument.compare(argument.size() - name.size(), name.size(), name) != 0)
        __builtin_trap();
    }
  return 0;
}
