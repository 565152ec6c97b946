#include "instance/hand_over_block.h"

#include <cstring>

namespace tarn {

uint32_t readBlockField(const uint8_t* block, size_t offset) {
  const uint8_t* p = block + offset;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeBlockField(uint8_t* block, size_t offset, uint32_t value) {
  uint8_t* p = block + offset;
  p[0] = uint8_t(value);
  p[1] = uint8_t(value >> 8);
  p[2] = uint8_t(value >> 16);
  p[3] = uint8_t(value >> 24);
}

bool writeArgumentArea(uint8_t* area, const std::vector<std::string>& arguments) {
  size_t needed = 1;
  for (const std::string& argument : arguments) {
    needed += argument.size() + 1;
    if (needed > kArgumentAreaSize) return false;
  }
  std::memset(area, 0, kArgumentAreaSize);
  size_t at = 0;
  for (const std::string& argument : arguments) {
    std::memcpy(area + at, argument.data(), argument.size());
    at += argument.size() + 1;
  }
  return true;
}

std::vector<std::string> readArgumentArea(const uint8_t* area) {
  std::vector<std::string> list;
  std::string current;
  // The last byte is only ever looked at as the one after a zero.
  for (size_t i = 0; i + 1 < kArgumentAreaSize; ++i) {
    if (area[i] != 0) {
      current.push_back(char(area[i]));
      continue;
    }
    list.push_back(current);
    if (area[i + 1] == 0) return list;
    current.clear();
  }
  return list;
}

std::string channelNameFor(const std::string& modulePath) {
  std::string name = modulePath;
  for (char& c : name)
    if (c == '\\') c = '_';
  return name;
}

}  // namespace tarn
