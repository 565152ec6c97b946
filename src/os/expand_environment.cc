#include "os/expand_environment.h"

namespace tarn {

std::string expandEnvironmentText(const std::string& text, const EnvironmentLookup& lookup) {
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      result.push_back(text[i++]);
      continue;
    }
    size_t close = text.find('%', i + 1);
    if (close == std::string::npos) {  // an unfinished name is kept
      result.append(text, i, std::string::npos);
      break;
    }
    std::string value;
    std::string name = text.substr(i + 1, close - i - 1);
    if (!name.empty() && lookup(name, &value))
      result += value;
    else
      result.append(text, i, close - i + 1);
    i = close + 1;
  }
  return result;
}

}  // namespace tarn
