// tarn-pack: writes an application's executable from a launcher, an INI
// file and optionally a jar. Never changes its inputs.
#include <string>
#include <vector>

#include "pack.h"
#include "pack_files.h"
#include "pack_options.h"
#include "version.h"

namespace {

int fail(const std::string& message) {
  tarn::writeError("tarn-pack: " + message + "\n");
  return 1;
}

int print(const std::string& path) {
  tarn::Bytes file;
  std::string text, error;
  if (!tarn::readWholeFile(path, &file, &error)) return fail(error);
  if (!tarn::embeddedTextOf(file, &text, &error)) return fail(path + ": " + error);
  tarn::writeOutput(text.empty() ? text : text + "\n");
  return 0;
}

int pack(const tarn::PackCommand& command) {
  const std::vector<std::string>& inputs = command.inputs;
  std::vector<std::string> read = inputs;
  if (!command.iconPath.empty()) read.push_back(command.iconPath);
  for (const std::string& input : read)
    if (tarn::sameFile(input, command.output))
      return fail("the output " + command.output + " is one of the inputs; choose another name");

  tarn::PackInput input;
  std::string error;
  if (!tarn::readWholeFile(inputs[0], &input.launcher, &error)) return fail(error);
  if (!tarn::readWholeFile(inputs[1], &input.ini, &error)) return fail(error);
  if (inputs.size() == 3) {
    input.hasJar = true;
    if (!tarn::readWholeFile(inputs[2], &input.jar, &error)) return fail(error);
  }
  input.identity = command.identity;
  if (!command.iconPath.empty()) {
    input.identity.hasIcon = true;
    if (!tarn::readWholeFile(command.iconPath, &input.identity.icon, &error)) return fail(error);
  }
  if (input.identity.hasVersion() && input.identity.originalName.empty())
    input.identity.originalName = tarn::fileNameOf(command.output, tarn::kWindowsPaths);
  tarn::Bytes packed;
  if (!tarn::pack(input, &packed, &error)) {
    if (error.rfind("the version", 0) == 0 || error.rfind("the execution level", 0) == 0)
      return fail(error);
    const std::string& culprit =
        error.rfind("the jar", 0) == 0 ? inputs[2]
        : error.rfind("the configuration", 0) == 0 ? inputs[1]
        : error.rfind("the icon", 0) == 0 ? command.iconPath : inputs[0];
    return fail(culprit + ": " + error);
  }
  if (!tarn::replaceFile(command.output, packed, inputs[0], &error)) return fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const tarn::PackCommand command = tarn::parsePackArguments(tarn::packArguments(argc, argv));
  switch (command.action) {
    case tarn::PackCommand::Action::Help:
      tarn::writeOutput(tarn::kPackUsage);
      return 0;
    case tarn::PackCommand::Action::Version:
      tarn::writeOutput("tarn-pack " TARN_VERSION_TEXT "\n");
      return 0;
    case tarn::PackCommand::Action::Print:
      return print(command.inputs[0]);
    case tarn::PackCommand::Action::Pack:
      return pack(command);
    case tarn::PackCommand::Action::Refuse:
      break;
  }
  tarn::writeError(command.message);
  return command.exitCode;
}
