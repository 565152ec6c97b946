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

void publishOwnerThread(uint8_t* block, uint32_t threadId) {
  uint8_t bytes[4];
  writeLittle32(bytes, threadId);
  uint32_t raw;
  std::memcpy(&raw, bytes, sizeof raw);
  // One store that orders the fields written before it, since a second
  // instance in another process may read the block at any moment.
  __atomic_store_n(reinterpret_cast<uint32_t*>(block + kOwnerThreadIdOffset), raw,
                   __ATOMIC_RELEASE);
}

bool handOverBlockComplete(const uint8_t* block) {
  uint32_t raw = __atomic_load_n(reinterpret_cast<const uint32_t*>(block + kOwnerThreadIdOffset),
                                 __ATOMIC_ACQUIRE);
  return raw != 0 && readBlockField(block, kOwnerProcessIdOffset) != 0 &&
         readBlockField(block, kHandOverMessageOffset) != 0;
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
