#include "instance/hand_over_block.h"

#include <cstring>

#include "os/little_endian.h"

namespace tarn {

uint32_t readBlockField(const uint8_t* block, size_t offset) {
  return readLittle32(block + offset);
}

void writeBlockField(uint8_t* block, size_t offset, uint32_t value) {
  writeLittle32(block + offset, value);
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
