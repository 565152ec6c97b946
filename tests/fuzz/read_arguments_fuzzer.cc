// The argument area as any process of the same user may leave it: reading
// must stay inside the area, and what it gives back must come from it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "instance/hand_over_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the area, in its own allocation, so that a read past it is seen.
  std::unique_ptr<uint8_t[]> area(new uint8_t[tarn::kArgumentAreaSize]);
  std::memset(area.get(), 0, tarn::kArgumentAreaSize);
  std::memcpy(area.get(), data, size < tarn::kArgumentAreaSize ? size : tarn::kArgumentAreaSize);
  size_t total = 0;
  std::vector<std::string> list = tarn::readArgumentArea(area.get());
  for (const std::string& argument : list) {
    if (argument.find('\0') != std::string::npos) __builtin_trap();
    total += argument.size() + 1;
  }
  if (total > tarn::kArgumentAreaSize) __builtin_trap();
  // What came out goes back in and reads the same, up to a first empty one.
  std::unique_ptr<uint8_t[]> again(new uint8_t[tarn::kArgumentAreaSize]);
  if (tarn::writeArgumentArea(again.get(), list)) {
    std::vector<std::string> back = tarn::readArgumentArea(again.get());
    if (back.size() > list.size() && !(list.empty() && back.size() == 1)) __builtin_trap();
    for (size_t i = 0; i < back.size() && i < list.size(); ++i)
      if (back[i] != list[i]) __builtin_trap();
  }
  return 0;
}
