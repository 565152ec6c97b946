// The machine type read from the start of a VM library: any bytes give a
// machine type or 0, and a non-zero one has a real header behind it, PE or ELF.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  uint16_t machine = tarn::peMachine(bytes);
  if (machine != 0 && (bytes.size() < 0x40 || bytes.compare(0, 2, "MZ") != 0)) __builtin_trap();
  machine = tarn::imageMachine(bytes);
  if (machine != 0 && bytes.compare(0, 2, "MZ") != 0 && bytes.compare(0, 4, "\x7f" "ELF") != 0)
    __builtin_trap();
  return 0;
}
