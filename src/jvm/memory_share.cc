#include "jvm/memory_share.h"

#include <cmath>
#include <limits>

namespace tarn {

namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

uint64_t saturatingMultiply(uint64_t a, uint64_t b) {
  if (a != 0 && b > kMax / a) return kMax;
  return a * b;
}

uint64_t appendDigit(uint64_t number, char digit) {
  uint64_t d = static_cast<uint64_t>(digit - '0');
  if (number > (kMax - d) / 10) return kMax;
  return number * 10 + d;
}

// Numbers from the first digit or colon, up to (not including) `end`.
NumberList readNumbers(const std::string& text, size_t end) {
  NumberList list;
  list.start = text.size();
  for (size_t i = 0; i < text.size(); ++i) {
    if (isDigit(text[i]) || text[i] == ':') {
      list.start = i;
      break;
    }
  }
  if (list.start == text.size()) return list;
  list.numbers.push_back(0);
  for (size_t i = list.start; i < end; ++i) {
    if (isDigit(text[i]))
      list.numbers.back() = appendDigit(list.numbers.back(), text[i]);
    else if (text[i] == ':')
      list.numbers.push_back(0);
  }
  return list;
}

}  // namespace

bool isMemoryShareOption(const std::string& piece) {
  if (piece.size() < 5) return false;
  const std::string prefix = piece.substr(0, 4);
  if (prefix != "-Xms" && prefix != "-Xmx" && prefix != "-Xss") return false;
  const char unit = piece.back();
  return unit == 'P' || unit == 'p' || unit == 'T' || unit == 't';
}

NumberList parseNumberList(const std::string& text) {
  return readNumbers(text, text.empty() ? 0 : text.size() - 1);
}

void resolveMemoryShare(std::string& piece, const MemoryFigures& memory) {
  NumberList list = parseNumberList(piece);
  auto number = [&](size_t k) { return k < list.numbers.size() ? list.numbers[k] : 0; };
  const uint64_t percentage = number(0);
  const uint64_t minimumKb = saturatingMultiply(number(1), 1024);
  const uint64_t maximumKb = saturatingMultiply(number(2), 1024);
  const char unit = piece.empty() ? '\0' : piece.back();
  const uint64_t base = (unit == 'T' || unit == 't') ? memory.availableVirtual
                                                    : memory.totalPhysical;
  const double share = static_cast<double>(base >> 10) * (static_cast<double>(percentage) * 0.01);
  // 2^64 is exactly representable; anything at or above it saturates.
  uint64_t value = share >= 18446744073709551616.0 ? kMax : static_cast<uint64_t>(share);
  if (maximumKb != 0 && value > maximumKb) value = maximumKb;
  if (minimumKb > value) value = minimumKb;
  piece = piece.substr(0, list.start) + std::to_string(value) + "K";
}

MemoryFigures addressableFigures(uint64_t totalPhysical, uint64_t totalVirtual,
                                 uint64_t availableVirtual) {
  MemoryFigures figures;
  figures.totalPhysical = totalPhysical < totalVirtual ? totalPhysical : totalVirtual;
  figures.availableVirtual = availableVirtual;
  return figures;
}

uint64_t unitMultiplier(const std::string& text) {
  if (text.empty()) return 1;
  switch (text.back()) {
    case 'k': case 'K': return 1024;
    case 'm': case 'M': return 1048576;
    case 'g': case 'G': return 1073741824;
    default: return 1;
  }
}

bool parseMemorySize(const std::string& text, uint64_t* bytes) {
  size_t end = text.size();
  int shift = 0;
  if (end > 0 && !isDigit(text[end - 1])) {
    switch (text[--end]) {
      case 'k': case 'K': shift = 10; break;
      case 'm': case 'M': shift = 20; break;
      case 'g': case 'G': shift = 30; break;
      case 't': case 'T': shift = 40; break;
      default: return false;
    }
  }
  if (end == 0) return false;
  uint64_t number = 0;
  for (size_t i = 0; i < end; ++i) {
    if (!isDigit(text[i])) return false;
    number = appendDigit(number, text[i]);
  }
  *bytes = saturatingMultiply(number, uint64_t(1) << shift);
  return true;
}

int32_t parseStackSize(const std::string& text) {
  NumberList list = readNumbers(text, text.size());
  if (list.start != 0 || list.numbers.size() != 1) return 0;
  uint64_t bytes = saturatingMultiply(list.numbers[0], unitMultiplier(text));
  if (bytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return 0;
  return static_cast<int32_t>(bytes);
}

}  // namespace tarn
