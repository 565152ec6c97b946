#include "pack_files.h"

namespace tarn {

std::string replaceFailureText(const std::string& path, const ReplaceFailure& failure,
                               const std::string& keptCopy) {
  switch (failure.step) {
    case ReplaceFailure::Step::Create:
      return path + ": cannot be written";
    case ReplaceFailure::Step::Write:
      return path + ": write error";
    case ReplaceFailure::Step::Place:
      break;
  }
  std::string text = path + ": " + systemMessage(failure.code);
  if (!keptCopy.empty()) text += " (the packed file is " + keptCopy + ")";
  return text;
}

}  // namespace tarn
