// The VM parameter split and the quote removal on arbitrary bytes: pieces
// never outgrow the text, and unquoting only ever takes double quotes away.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/option_list.h"

namespace {

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

size_t nonQuotes(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c != '"';
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string piece = text;
  tarn::removeQuotes(piece, tarn::noLeadBytes);
  if (piece.size() > text.size() || nonQuotes(piece) != nonQuotes(text)) __builtin_trap();
  piece = text;
  tarn::removeQuotes(piece, shiftJisLead);
  if (piece.size() > text.size()) __builtin_trap();

  for (tarn::LeadByteTest lead : {tarn::noLeadBytes, shiftJisLead}) {
    int32_t stackSize = 0;
    tarn::MemoryFigures memory;
    memory.totalPhysical = uint64_t{16} << 30;
    memory.availableVirtual = uint64_t{128} << 40;
    tarn::VmParameterContext context{memory, &stackSize, lead};
    std::vector<std::string> pieces;
    tarn::splitVmParameters(text, context, pieces);
    if (stackSize < 0) __builtin_trap();
    for (size_t start = 0; start <= text.size(); start += 7)
      if (tarn::findParameterEnd(text, start, lead) > text.size()) __builtin_trap();
  }
  return 0;
}
