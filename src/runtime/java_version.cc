#include "runtime/java_version.h"

namespace tarn {

bool JavaVersion::parse(const std::string&, int32_t) {
  for (int32_t& part : parts) part = 0;
  count = 0;
  return false;
}

int compare(const JavaVersion& a, const JavaVersion& b) {
  for (int i = 0; i < 4; ++i)
    if (a.parts[i] != b.parts[i]) return a.parts[i] < b.parts[i] ? -1 : 1;
  return 0;
}

bool sameParts(const JavaVersion& a, const JavaVersion& b) { return compare(a, b) == 0; }
bool matches(const JavaVersion&, const JavaVersion&) { return false; }
bool isUnbounded(const JavaVersion&) { return true; }
std::string format(const JavaVersion&) { return "0.0.0.0"; }
std::string versionRequirementText(const JavaVersion&, const JavaVersion&) { return ""; }

}  // namespace tarn
