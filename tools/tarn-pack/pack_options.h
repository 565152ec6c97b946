// tarn-pack's command line: what to do, with which files.
#ifndef TARN_TOOLS_PACK_OPTIONS_H
#define TARN_TOOLS_PACK_OPTIONS_H

#include <string>
#include <vector>

#include "pack.h"

namespace tarn {

extern const char kPackUsage[];

struct PackCommand {
  // Refuse: print `message` on standard error and exit with `exitCode`.
  enum class Action { Pack, Print, Help, Version, Refuse };
  Action action = Action::Refuse;
  // Pack: launcher, configuration and optionally the jar. Print: the
  // executable.
  std::vector<std::string> inputs;
  std::string output;
  std::string iconPath;
  std::string splashPath;
  Identity identity;  // without the icon's and splash's bytes, which the caller reads
  int exitCode = 0;
  std::string message;
};

// The arguments after the program's name.
PackCommand parsePackArguments(const std::vector<std::string>& arguments);

// The last component of a path: after the last "/", and with Windows rules
// also after the last "\" or a drive's "X:".
std::string fileNameOf(const std::string& path, bool windowsRules);

}  // namespace tarn

#endif
