// Java version numbers: four numeric groups read from any text, ordered,
// matched against preferred versions and written back for messages.
#ifndef TARN_CONFIG_JAVA_VERSION_H
#define TARN_CONFIG_JAVA_VERSION_H

#include <cstdint>
#include <string>

namespace tarn {

struct JavaVersion {
  JavaVersion() = default;
  explicit JavaVersion(const std::string& text) { parse(text, 0); }

  // Reads the text; parts it does not supply hold fill. A failed parse
  // leaves all parts 0 and count 0, without the fill.
  bool parse(const std::string& text, int32_t fill);

  int32_t parts[4] = {0, 0, 0, 0};
  int32_t count = 0;  // groups read, 5 when there were more than four
};

int compare(const JavaVersion& a, const JavaVersion& b);
bool sameParts(const JavaVersion& a, const JavaVersion& b);
bool matches(const JavaVersion& candidate, const JavaVersion& pattern);
bool isUnbounded(const JavaVersion& v);
std::string format(const JavaVersion& v);
std::string versionRequirementText(const JavaVersion& minimum, const JavaVersion& maximum);

}  // namespace tarn

#endif
