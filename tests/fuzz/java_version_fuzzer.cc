// Version texts from arbitrary bytes: the parse must leave a well-formed
// value, and its text form, order and match must hold their basic laws.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/java_version.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

tarn::JavaVersion parseChecked(const std::string& text, int32_t fill) {
  tarn::JavaVersion v;
  bool ok = v.parse(text, fill);
  if (!ok) {
    check(v.count == 0);
    for (int32_t part : v.parts) check(part == 0);
    return v;
  }
  check(v.count >= 1 && v.count <= 5);
  for (int i = 0; i < 4; ++i) {
    check(v.parts[i] >= 0);
    if (i >= v.count) check(v.parts[i] == fill);
  }
  std::string text2 = tarn::format(v);
  check(!text2.empty() && text2.find_first_not_of("0123456789.") == std::string::npos);
  tarn::JavaVersion again;
  check(again.parse(text2, 0));
  check(again.count >= 2 && again.count <= 4);
  check(tarn::matches(v, v));
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // A first line and the rest: two versions to order against each other.
  size_t newline = text.find('\n');
  std::string first = text.substr(0, newline);
  std::string second = newline == std::string::npos ? std::string() : text.substr(newline + 1);
  tarn::JavaVersion a = parseChecked(first, 0);
  tarn::JavaVersion b = parseChecked(second, 65535);
  int ab = tarn::compare(a, b);
  check(ab == -tarn::compare(b, a));
  check((ab == 0) == tarn::sameParts(a, b));
  if (tarn::sameParts(a, b)) check(tarn::matches(a, b) && tarn::matches(b, a));
  tarn::versionRequirementText(a, b);
  return 0;
}
