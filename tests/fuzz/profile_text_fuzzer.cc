// The portable profile reader and writer on arbitrary file bytes and names:
// a value written reads back as written, and no other value changes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/profile_text.h"

namespace {

bool isSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

std::string trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isSpace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && isSpace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Up to the next 0xFF byte (or the end), then past it.
std::string take(const std::string& input, size_t* at) {
  size_t stop = input.find('\xFF', *at);
  if (stop == std::string::npos) stop = input.size();
  std::string piece = input.substr(*at, stop - *at);
  *at = stop < input.size() ? stop + 1 : stop;
  return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  size_t at = 0;
  const std::string section = take(input, &at), key = take(input, &at), value = take(input, &at);
  const std::string otherSection = take(input, &at), otherKey = take(input, &at);
  const std::string file = input.substr(at);

  char small[8];
  uint32_t count = tarn::profileCopyString(file, section, key, small, sizeof small);
  if (count > 7 || small[count] != '\0') __builtin_trap();
  const std::string otherBefore = tarn::profileGetString(file, otherSection, otherKey);

  std::string result;
  if (!tarn::profileSetString(file, section, key, value, "\n", &result)) return 0;
  std::string expected = trimmed(value);
  if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') &&
      expected.back() == expected[0])
    expected = expected.substr(1, expected.size() - 2);
  if (tarn::profileGetString(result, section, key) != expected) __builtin_trap();

  bool sameKey = lower(trimmed(section)) == lower(trimmed(otherSection)) &&
                 lower(trimmed(key)) == lower(trimmed(otherKey));
  bool hasNul = otherSection.find('\0') != std::string::npos || otherKey.find('\0') != std::string::npos;
  if (!sameKey && !hasNul && tarn::profileGetString(result, otherSection, otherKey) != otherBefore)
    __builtin_trap();
  return 0;
}
