// The command-line split on arbitrary bytes, with and without double-byte
// characters; every piece must come from the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "process/arguments.h"

namespace {
bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t total = 0;
  for (const std::string& piece : tarn::splitArguments(text, tarn::noLeadBytes)) total += piece.size();
  if (total > text.size()) __builtin_trap();
  tarn::splitArguments(text, shiftJisLead);
  tarn::argumentsFromCommandLine(text, shiftJisLead);
  return 0;
}
