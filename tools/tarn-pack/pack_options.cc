#include "pack_options.h"

#include <utility>

namespace tarn {

const char kPackUsage[] =
    "usage: tarn-pack LAUNCHER CONFIG.ini [APP.jar] [IDENTITY...] -o OUTPUT\n"
    "       tarn-pack --print EXECUTABLE\n"
    "       tarn-pack --version\n"
    "\n"
    "Writes OUTPUT: a copy of LAUNCHER (tarn or tarn.exe) carrying CONFIG.ini as its\n"
    "embedded configuration and, when given, APP.jar appended so that the executable\n"
    "itself serves as that jar (the configuration then says \"Embedded Jar=Yes\").\n"
    "An INI file beside OUTPUT, named like it with its extension replaced by .ini,\n"
    "wins over the embedded values.\n"
    "--print shows the configuration an executable carries, and its splash image.\n"
    "\n"
    "IDENTITY, for a Windows launcher (tarn.exe, tarnw.exe):\n"
    "  --icon FILE.ico            the executable's icon, every image of the file\n"
    "  --splash FILE              a PNG, GIF or BMP image shown while Java starts\n"
    "  --file-version 1.2.3.4     file version (\"1.2\" means 1.2.0.0)\n"
    "  --product-version 1.2      product version (default: the file version)\n"
    "  --product-name TEXT        product name\n"
    "  --company TEXT             company name\n"
    "  --description TEXT         file description (default: the product name)\n"
    "  --copyright TEXT           legal copyright\n"
    "  --original-name NAME       original file name (default: OUTPUT's name)\n"
    "  --execution-level LEVEL    asInvoker (default), highestAvailable or\n"
    "                             requireAdministrator: whether Windows asks to\n"
    "                             run the program as administrator\n"
    "Any of the version options replaces the launcher's version information.\n";

namespace {

PackCommand refuse(int exitCode, const std::string& message) {
  PackCommand command;
  command.action = PackCommand::Action::Refuse;
  command.exitCode = exitCode;
  command.message = message;
  return command;
}

PackCommand refuseWithUsage() { return refuse(2, kPackUsage); }

}  // namespace

PackCommand parsePackArguments(const std::vector<std::string>& arguments) {
  PackCommand command;
  bool print = false;
  Identity& identity = command.identity;
  const std::pair<const char*, std::string*> valued[] = {
      {"--icon", &command.iconPath},
      {"--splash", &command.splashPath},
      {"--file-version", &identity.fileVersion},
      {"--product-version", &identity.productVersion},
      {"--product-name", &identity.productName},
      {"--company", &identity.company},
      {"--description", &identity.description},
      {"--copyright", &identity.copyright},
      {"--original-name", &identity.originalName},
      {"--execution-level", &identity.executionLevel},
  };
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string* value = nullptr;
    for (const auto& option : valued)
      if (argument == option.first) value = option.second;
    if (value != nullptr) {
      if (++i == arguments.size())
        return refuse(1, "tarn-pack: " + argument + " needs a value\n" + kPackUsage + "\n");
      *value = arguments[i];
      if (value->empty())
        return refuse(1, "tarn-pack: " + argument + " needs a value that is not empty\n");
    } else if (argument == "-h" || argument == "--help") {
      command.action = PackCommand::Action::Help;
      return command;
    } else if (argument == "--version") {
      command.action = PackCommand::Action::Version;
      return command;
    } else if (argument == "-o" || argument == "--output") {
      if (++i == arguments.size())
        return refuse(1, std::string("tarn-pack: -o needs a file name\n") + kPackUsage + "\n");
      command.output = arguments[i];
    } else if (argument == "--print") {
      print = true;
    } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
      return refuse(2, "tarn-pack: unknown option " + argument + "\n" + kPackUsage);
    } else {
      command.inputs.push_back(argument);
    }
  }

  if (print) {
    if (command.inputs.size() != 1 || !command.output.empty() || identity.any() ||
        !command.iconPath.empty() || !command.splashPath.empty())
      return refuseWithUsage();
    command.action = PackCommand::Action::Print;
    return command;
  }
  if (command.inputs.size() < 2 || command.inputs.size() > 3 || command.output.empty())
    return refuseWithUsage();
  command.action = PackCommand::Action::Pack;
  return command;
}

std::string fileNameOf(const std::string& path, bool windowsRules) {
  size_t start = path.rfind('/');
  if (windowsRules) {
    const size_t backslash = path.rfind('\\');
    if (backslash != std::string::npos && (start == std::string::npos || backslash > start))
      start = backslash;
    // "C:name" names a file in drive C's current folder.
    const char drive = path.empty() ? 0 : static_cast<char>(path[0] | 0x20);
    if (start == std::string::npos && path.size() >= 2 && path[1] == ':' && drive >= 'a' &&
        drive <= 'z')
      start = 1;
  }
  return start == std::string::npos ? path : path.substr(start + 1);
}

}  // namespace tarn
