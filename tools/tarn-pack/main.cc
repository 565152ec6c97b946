// tarn-pack: writes an application's executable from a launcher, an INI
// file and optionally a jar. Never changes its inputs.
#include <string>
#include <vector>

#include "pack.h"
#include "pack_files.h"
#include "pack_options.h"
#include "splash/splash_image.h"
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
  // As a comment, so that the output still reads as the INI file it was.
  tarn::Bytes splash;
  if (tarn::splashImageOf(file, &splash)) {
    tarn::SplashImageInfo info;
    const std::string size = std::to_string(splash.size()) + " bytes";
    tarn::writeOutput(
        tarn::readSplashImageInfo(splash.data(), splash.size(), &info, &error)
            ? "; splash image: " + std::string(tarn::imageFormatName(info.format)) + ", " +
                  std::to_string(info.width) + " x " + std::to_string(info.height) + " pixels, " +
                  size + "\n"
            : "; splash image: " + size + ", not usable: " + error + "\n");
  }
  return 0;
}

int pack(const tarn::PackCommand& command) {
  const std::vector<std::string>& inputs = command.inputs;
  std::vector<std::string> read = inputs;
  if (!command.iconPath.empty()) read.push_back(command.iconPath);
  if (!command.splashPath.empty()) read.push_back(command.splashPath);
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
  if (!command.splashPath.empty()) {
    input.identity.hasSplash = true;
    if (!tarn::readWholeFile(command.splashPath, &input.identity.splash, &error)) return fail(error);
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
        : error.rfind("the icon", 0) == 0 ? command.iconPath
        : error.rfind("the splash image", 0) == 0 ? command.splashPath : inputs[0];
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
