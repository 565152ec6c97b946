#include "pack_files.h"

namespace tarn {

std::string fileErrorText(const std::string& path, const char* what, int code) {
  return path + ": " + what + ": " + systemMessage(code);
}

std::string replaceFailureText(const std::string& path, const ReplaceFailure& failure,
                               const std::string& keptCopy) {
  switch (failure.step) {
    case ReplaceFailure::Step::Create:
      return fileErrorText(path, "cannot be written", failure.code);
    case ReplaceFailure::Step::Write:
      return fileErrorText(path, "write error", failure.code);
    case ReplaceFailure::Step::Place:
      break;
  }
  std::string text = path + ": " + systemMessage(failure.code);
  if (!keptCopy.empty()) text += " (the packed file is " + keptCopy + ")";
  return text;
}

}  // namespace tarn
