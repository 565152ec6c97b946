// Number lists, stack sizes and memory shares on arbitrary text and
// arbitrary memory figures: no overflow, no negative size, a share always
// comes out as a decimal count of kilobytes; a heap size picks one of the
// two default class-data archives.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "jvm/cache_options.h"
#include "jvm/memory_share.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tarn::MemoryFigures memory;
  if (size >= 16) {
    std::memcpy(&memory.totalPhysical, data, 8);
    std::memcpy(&memory.availableVirtual, data + 8, 8);
    data += 16;
    size -= 16;
  }
  const std::string text(reinterpret_cast<const char*>(data), size);

  tarn::NumberList list = tarn::parseNumberList(text);
  if (list.start > text.size()) __builtin_trap();
  if (tarn::parseStackSize(text) < 0) __builtin_trap();

  for (const char* prefix : {"-Xmx", "-XX:MaxHeapSize="}) {
    std::string archive = tarn::baseArchiveName({prefix + text});
    if (archive != "classes.jsa" && archive != "classes_nocoops.jsa") __builtin_trap();
  }

  for (const char* prefix : {"-Xmx", "-Xss"}) {
    for (char unit : {'P', 't'}) {
      std::string piece = prefix + text + unit;
      if (!tarn::isMemoryShareOption(piece)) __builtin_trap();
      const size_t start = tarn::parseNumberList(piece).start;
      tarn::resolveMemoryShare(piece, memory);
      if (piece.size() < start + 2 || piece.back() != 'K') __builtin_trap();
      for (size_t i = start; i + 1 < piece.size(); ++i)
        if (piece[i] < '0' || piece[i] > '9') __builtin_trap();
      if (tarn::parseStackSize(piece.substr(4)) < 0) __builtin_trap();
    }
  }
  return 0;
}
