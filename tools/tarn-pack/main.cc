// tarn-pack: writes an application's executable from a launcher, an INI
// file and optionally a jar. Never changes its inputs.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "pack.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: tarn-pack LAUNCHER CONFIG.ini [APP.jar] [IDENTITY...] -o OUTPUT\n"
    "       tarn-pack --print EXECUTABLE\n"
    "\n"
    "Writes OUTPUT: a copy of LAUNCHER (tarn or tarn.exe) carrying CONFIG.ini as its\n"
    "embedded configuration and, when given, APP.jar appended so that the executable\n"
    "itself serves as that jar (set \"Embedded Jar=Yes\" in the configuration).\n"
    "--print shows the configuration an executable carries.\n"
    "\n"
    "IDENTITY, for a Windows launcher (tarn.exe, tarnw.exe):\n"
    "  --icon FILE.ico            the executable's icon, every image of the file\n"
    "  --file-version 1.2.3.4     file version (\"1.2\" means 1.2.0.0)\n"
    "  --product-version 1.2      product version (default: the file version)\n"
    "  --product-name TEXT        product name\n"
    "  --company TEXT             company name\n"
    "  --description TEXT         file description (default: the product name)\n"
    "  --copyright TEXT           legal copyright\n"
    "  --original-name NAME       original file name (default: OUTPUT's name)\n"
    "Any of the version options replaces the launcher's version information.\n";

int fail(const std::string& message) {
  std::cerr << "tarn-pack: " << message << "\n";
  return 1;
}

bool readFile(const std::string& path, tarn::Bytes* bytes, std::string* error) {
  std::error_code code;
  if (fs::is_directory(path, code)) {
    *error = path + ": is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = path + ": read error";
    return false;
  }
  return true;
}

bool samePath(const std::string& a, const std::string& b) {
  std::error_code code;
  if (fs::equivalent(a, b, code)) return true;
  return fs::weakly_canonical(a, code) == fs::weakly_canonical(b, code) && !code;
}

// Writes beside the target and renames, so that a failure leaves no half
// file under the output's name.
bool writeExecutable(const std::string& path, const tarn::Bytes& bytes, fs::perms mode,
                     std::string* error) {
  const std::string temporary = path + ".tarn-pack-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      *error = path + ": cannot be written";
      return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      *error = path + ": write error";
      return false;
    }
  }
  std::error_code code;
  fs::permissions(temporary, mode | fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::owner_exec, code);
  fs::rename(temporary, path, code);
  if (code) {
    std::remove(temporary.c_str());
    *error = path + ": " + code.message();
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> inputs;
  std::string output, iconPath;
  bool print = false;
  tarn::Identity identity;
  const std::pair<const char*, std::string*> valued[] = {
      {"--icon", &iconPath},
      {"--file-version", &identity.fileVersion},
      {"--product-version", &identity.productVersion},
      {"--product-name", &identity.productName},
      {"--company", &identity.company},
      {"--description", &identity.description},
      {"--copyright", &identity.copyright},
      {"--original-name", &identity.originalName},
  };
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::string* value = nullptr;
    for (const auto& option : valued)
      if (argument == option.first) value = option.second;
    if (value != nullptr) {
      if (++i == argc) return fail(argument + " needs a value\n" + std::string(kUsage));
      *value = argv[i];
      if (value->empty()) return fail(argument + " needs a value that is not empty");
    } else if (argument == "-h" || argument == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (argument == "-o" || argument == "--output") {
      if (++i == argc) return fail("-o needs a file name\n" + std::string(kUsage));
      output = argv[i];
    } else if (argument == "--print") {
      print = true;
    } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
      std::cerr << "tarn-pack: unknown option " << argument << "\n" << kUsage;
      return 2;
    } else {
      inputs.push_back(argument);
    }
  }

  std::string error;
  if (print) {
    if (inputs.size() != 1 || !output.empty() || identity.any() || !iconPath.empty()) {
      std::cerr << kUsage;
      return 2;
    }
    tarn::Bytes file;
    std::string text;
    if (!readFile(inputs[0], &file, &error)) return fail(error);
    if (!tarn::embeddedTextOf(file, &text, &error)) return fail(inputs[0] + ": " + error);
    std::cout << text;
    if (!text.empty()) std::cout << "\n";
    return 0;
  }

  if (inputs.size() < 2 || inputs.size() > 3 || output.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::vector<std::string> read = inputs;
  if (!iconPath.empty()) read.push_back(iconPath);
  for (const std::string& input : read)
    if (samePath(input, output))
      return fail("the output " + output + " is one of the inputs; choose another name");

  tarn::PackInput input;
  if (!readFile(inputs[0], &input.launcher, &error)) return fail(error);
  if (!readFile(inputs[1], &input.ini, &error)) return fail(error);
  if (inputs.size() == 3) {
    input.hasJar = true;
    if (!readFile(inputs[2], &input.jar, &error)) return fail(error);
  }
  if (!iconPath.empty()) {
    identity.hasIcon = true;
    if (!readFile(iconPath, &identity.icon, &error)) return fail(error);
  }
  if (identity.hasVersion() && identity.originalName.empty())
    identity.originalName = fs::path(output).filename().string();
  input.identity = identity;
  tarn::Bytes packed;
  if (!tarn::pack(input, &packed, &error)) {
    if (error.rfind("the version", 0) == 0) return fail(error);
    const std::string& culprit =
        error.rfind("the jar", 0) == 0 ? inputs[2]
        : error.rfind("the configuration", 0) == 0 ? inputs[1]
        : error.rfind("the icon", 0) == 0 ? iconPath : inputs[0];
    return fail(culprit + ": " + error);
  }
  std::error_code code;
  const fs::perms mode = fs::status(inputs[0], code).permissions();
  if (!writeExecutable(output, packed, code ? fs::perms::owner_all : mode, &error)) return fail(error);
  return 0;
}
