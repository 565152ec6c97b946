// A launcher's manifest as tarn-pack edits it: any bytes are refused as
// they are, or get the level in place of the old one and keep the rest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tarn::Bytes manifest(data, data + size);
  tarn::Bytes edited = manifest;
  const bool set = tarn::setExecutionLevel(&edited, "highestAvailable");
  size_t same = 0, tail = 0;
  while (same < size && manifest[same] == edited[same]) ++same;
  while (tail < size - same && tail < edited.size() - same &&
         manifest[size - 1 - tail] == edited[edited.size() - 1 - tail])
    ++tail;
  if (set ? edited.size() - same - tail > 16 : edited != manifest) __builtin_trap();
  return 0;
}
