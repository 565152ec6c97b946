// VM parameters that give a heap or stack size as a share of the machine's
// memory (-Xmx50P, -Xms10:256:1024T), and the size of a -Xss option.
#ifndef TARN_JVM_MEMORY_SHARE_H
#define TARN_JVM_MEMORY_SHARE_H

#include <cstdint>
#include <string>
#include <vector>

#include "jvm/vm_platform.h"

namespace tarn {

// "-Xms", "-Xmx" or "-Xss" followed by anything and a last P, p, T or t.
bool isMemoryShareOption(const std::string& piece);

struct NumberList {
  size_t start = 0;               // first digit or colon; the length when none
  std::vector<uint64_t> numbers;  // saturating, never wrapping
};

// The colon-separated numbers from the first digit or colon on, the last
// character (the unit letter) excluded.
NumberList parseNumberList(const std::string& text);

// Rewrites a share option as a size in kilobytes: percentage of the
// physical memory (P) or of the available address space (T), kept between
// the minimum and maximum megabytes; the minimum wins over the maximum.
void resolveMemoryShare(std::string& piece, const MemoryFigures& memory);

// The figures shares are taken of, in a process whose address space holds
// totalVirtual bytes: never more physical memory than that, so a 32-bit
// process on a large machine is not told to reserve a heap it cannot hold.
MemoryFigures addressableFigures(uint64_t totalPhysical, uint64_t totalVirtual,
                                 uint64_t availableVirtual);

// The factor of the last character: k/K 1024, m/M 1048576, g/G 1073741824, else 1.
uint64_t unitMultiplier(const std::string& text);

// The byte count of a size as the VM reads -Xmx: digits, then k, m, g or t
// in either case or nothing; saturating. False for any other text.
bool parseMemorySize(const std::string& text, uint64_t* bytes);

// The byte count of the text behind "-Xss"; 0 when it is not a size or does
// not fit a signed 32-bit count.
int32_t parseStackSize(const std::string& text);

}  // namespace tarn

#endif
