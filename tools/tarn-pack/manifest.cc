#include "manifest.h"

#include <algorithm>

namespace tarn {

namespace {

bool isXmlSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t find(const Bytes& bytes, const std::string& text, size_t from, size_t end) {
  auto at = std::search(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(end),
                        text.begin(), text.end());
  return at == bytes.begin() + static_cast<long>(end) ? std::string::npos
                                                      : static_cast<size_t>(at - bytes.begin());
}

}  // namespace

bool isExecutionLevel(const std::string& level) {
  return level == "asInvoker" || level == "highestAvailable" || level == "requireAdministrator";
}

bool setExecutionLevel(Bytes* manifest, const std::string& level) {
  Bytes& bytes = *manifest;
  const std::string element = "<requestedExecutionLevel";
  size_t start = find(bytes, element, 0, bytes.size());
  if (start == std::string::npos) return false;
  start += element.size();
  const size_t end = find(bytes, ">", start, bytes.size());
  if (end == std::string::npos) return false;
  // The attribute named level, not one whose name ends in it.
  for (size_t at = find(bytes, "level", start, end); at != std::string::npos;
       at = find(bytes, "level", at + 1, end)) {
    if (!isXmlSpace(bytes[at - 1])) continue;
    size_t i = at + 5;
    while (i < end && isXmlSpace(bytes[i])) ++i;
    if (i == end || bytes[i] != '=') continue;
    ++i;
    while (i < end && isXmlSpace(bytes[i])) ++i;
    if (i == end || (bytes[i] != '"' && bytes[i] != '\'')) continue;
    const size_t value = i + 1;
    const size_t close = find(bytes, std::string(1, static_cast<char>(bytes[i])), value, end);
    if (close == std::string::npos) return false;
    bytes.erase(bytes.begin() + static_cast<long>(value), bytes.begin() + static_cast<long>(close));
    bytes.insert(bytes.begin() + static_cast<long>(value), level.begin(), level.end());
    return true;
  }
  return false;
}

}  // namespace tarn
