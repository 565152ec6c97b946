#include "config/java_version.h"

#include "report/messages.h"

namespace tarn {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr int32_t kUnboundedPart = 65535;

}  // namespace

bool JavaVersion::parse(const std::string& text, int32_t fill) {
  for (int32_t& part : parts) part = 0;
  count = 0;
  size_t i = 0;
  int32_t groups = 0;
  while (true) {
    while (i < text.size() && !isDigit(text[i])) ++i;
    if (i == text.size()) break;
    if (groups == 4) {
      groups = 5;  // more groups follow; they are ignored
      break;
    }
    int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      value = value * 10 + (text[i] - '0');
      if (value > 2147483647) {
        for (int32_t& part : parts) part = 0;
        return false;
      }
    }
    parts[groups++] = static_cast<int32_t>(value);
  }
  if (groups == 0) return false;
  for (int32_t k = groups; k < 4; ++k) parts[k] = fill;
  count = groups;
  return true;
}

int compare(const JavaVersion& a, const JavaVersion& b) {
  for (int i = 0; i < 4; ++i)
    if (a.parts[i] != b.parts[i]) return a.parts[i] < b.parts[i] ? -1 : 1;
  return 0;
}

bool sameParts(const JavaVersion& a, const JavaVersion& b) { return compare(a, b) == 0; }

bool matches(const JavaVersion& candidate, const JavaVersion& pattern) {
  if (sameParts(candidate, pattern)) return true;
  if (pattern.count < 1 || pattern.count > candidate.count) return false;
  // A count of 5 means "more than four groups"; only four parts are held.
  int32_t length = pattern.count < 4 ? pattern.count : 4;
  for (int32_t i = 0; i < length; ++i)
    if (candidate.parts[i] != pattern.parts[i]) return false;
  return true;
}

bool isUnbounded(const JavaVersion& v) {
  bool allZero = true;
  bool allMaximum = true;
  for (int32_t part : v.parts) {
    if (part != 0) allZero = false;
    if (part != kUnboundedPart) allMaximum = false;
  }
  return allZero || allMaximum;
}

std::string format(const JavaVersion& v) {
  int last = 3;
  while (last >= 0 && (v.parts[last] == 0 || v.parts[last] == kUnboundedPart)) --last;
  if (last < 0) return "0.0.0.0";
  if (last == 0) last = 1;
  std::string text = std::to_string(v.parts[0]);
  for (int i = 1; i <= last; ++i) text += "." + std::to_string(v.parts[i]);
  return text;
}

std::string versionRequirementText(const JavaVersion& minimum, const JavaVersion& maximum) {
  bool noMinimum = isUnbounded(minimum);
  bool noMaximum = isUnbounded(maximum);
  if (noMinimum && noMaximum) return loadMessage(IDS_LATEST_VERSION);
  if (noMinimum) return formatMessage(IDS_MAXIMUM_VERSION, format(maximum));
  if (noMaximum) return formatMessage(IDS_MINIMUM_VERSION, format(minimum));
  if (sameParts(minimum, maximum)) return formatMessage(IDS_EXACT_VERSION, format(minimum));
  return formatMessage(IDS_VERSION_RANGE, format(minimum), format(maximum));
}

}  // namespace tarn
