#include "process/arguments.h"

namespace tarn {

std::vector<std::string> splitArguments(const std::string& text, LeadByteTest lead) {
  std::vector<std::string> pieces;
  const size_t n = text.size();
  size_t i = 0;
  auto skipSpaces = [&](size_t from) {
    while (from < n && text[from] == ' ') ++from;
    return from;
  };
  while (i < n) {
    if (text[i] == '"') {
      size_t close = findChar(text, '"', i + 1, lead);
      if (close == std::string::npos) {
        pieces.push_back(text.substr(i + 1));
        break;
      }
      pieces.push_back(text.substr(i + 1, close - i - 1));
      i = skipSpaces(close + 1);
    } else {
      size_t space = findChar(text, ' ', i, lead);
      if (space == std::string::npos) {
        pieces.push_back(text.substr(i));
        break;
      }
      pieces.push_back(text.substr(i, space - i));
      i = skipSpaces(space);
    }
  }
  return pieces;
}

std::vector<std::string> argumentsFromCommandLine(const std::string& commandLine,
                                                  LeadByteTest lead) {
  std::vector<std::string> pieces = splitArguments(trimWhiteSpace(commandLine, lead), lead);
  if (!pieces.empty()) pieces.erase(pieces.begin());
  return pieces;
}

}  // namespace tarn
