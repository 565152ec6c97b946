#include "jvm/memory_share.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

std::string resolved(std::string piece, uint64_t physical, uint64_t virtualSpace = 0) {
  MemoryFigures memory;
  memory.totalPhysical = physical;
  memory.availableVirtual = virtualSpace;
  if (isMemoryShareOption(piece)) resolveMemoryShare(piece, memory);
  return piece;
}

TEST(MemoryShare, SharesOfPhysicalMemory) {
  EXPECT_EQ("-Xmx1048576K", resolved("-Xmx50P", 2 * kGiB));
  EXPECT_EQ("-Xmx262144K", resolved("-Xmx40:256:1024P", 512 * 1024 * 1024ull));
  EXPECT_EQ("-Xmx1048576K", resolved("-Xmx40:256:1024P", 16 * kGiB));
  EXPECT_EQ("-Xmx838860K", resolved("-Xmx40:256:1024p", 2 * kGiB));  // 40% of 2 GiB, truncated
  EXPECT_EQ("-Xmx524288K", resolved("-Xmx10:512:256P", 1 * kGiB));   // the minimum wins
  EXPECT_EQ("-Xmx524288K", resolved("-Xmx10:512:256P", 64 * kGiB));
  EXPECT_EQ("-Xms524288K", resolved("-Xms:512P", 4 * kGiB));
  EXPECT_EQ("-Xmx8388608K", resolved("-Xmx200P", 4 * kGiB));          // no upper bound
  EXPECT_EQ("-Xmx1048576K", resolved("-Xmx25:0:0:99P", 4 * kGiB));    // a fourth number is ignored
}

TEST(MemoryShare, AThirtyTwoBitProcessTakesSharesOfWhatItCanAddress) {
  // 16 GiB installed, 2 GiB of address space (a 32-bit process).
  MemoryFigures memory = addressableFigures(16 * kGiB, 2 * kGiB, kGiB + 4096);
  EXPECT_EQ(2 * kGiB, memory.totalPhysical);
  EXPECT_EQ(kGiB + 4096, memory.availableVirtual);
  std::string piece = "-Xmx50P";
  resolveMemoryShare(piece, memory);
  EXPECT_EQ("-Xmx1048576K", piece);
  // A 64-bit process addresses far more than is installed.
  EXPECT_EQ(16 * kGiB, addressableFigures(16 * kGiB, kGiB << 17, 0).totalPhysical);
}

TEST(MemoryShare, OtherPiecesPassUnchanged) {
  for (const char* piece : {"-Xmx512m", "-Xmx50", "-xmx50P", "-Xss", "-Dp=50P"})
    EXPECT_EQ(piece, resolved(piece, 2 * kGiB)) << piece;
  EXPECT_TRUE(isMemoryShareOption("-Xss1T"));
  EXPECT_FALSE(isMemoryShareOption("-Xmx"));
}

TEST(MemoryShare, FiguresBeyond32BitsDoNotWrap) {
  // 128 TiB of address space: 25% is 32 TiB, written in kilobytes.
  EXPECT_EQ("-Xmx34359738368K", resolved("-Xmx25T", 0, uint64_t{128} << 40));
  EXPECT_EQ("-Xmx8589934592K", resolved("-Xmx50P", 16384 * kGiB));
  // A minimum of 8 TiB in megabytes overflows a 32-bit product.
  EXPECT_EQ("-Xmx8589934592K", resolved("-Xmx1:8388608P", 4 * kGiB));
  // Absurd numbers saturate instead of turning into small sizes.
  EXPECT_EQ("-Xmx18446744073709551615K", resolved("-Xmx1:99999999999999999999999P", kGiB));
}

TEST(NumberList, ReadsUpToTheUnitLetter) {
  NumberList list = parseNumberList("-Xmx40:256:1024P");
  EXPECT_EQ(4u, list.start);
  EXPECT_EQ(std::vector<uint64_t>({40, 256, 1024}), list.numbers);
  list = parseNumberList("-Xmx::9P");
  EXPECT_EQ(std::vector<uint64_t>({0, 0, 9}), list.numbers);
  list = parseNumberList("-XmxP");
  EXPECT_EQ(5u, list.start);
  EXPECT_TRUE(list.numbers.empty());
  list = parseNumberList("-Xmx5");  // the last character is never a digit of the list
  EXPECT_EQ(std::vector<uint64_t>({0}), list.numbers);
  EXPECT_TRUE(parseNumberList("").numbers.empty());
}

TEST(StackSize, SizesAndNonSizes) {
  EXPECT_EQ(524288, parseStackSize("512k"));
  EXPECT_EQ(2097152, parseStackSize("2m"));
  EXPECT_EQ(1048576, parseStackSize("1048576"));
  EXPECT_EQ(1073741824, parseStackSize("1G"));
  EXPECT_EQ(0, parseStackSize("=512k"));
  EXPECT_EQ(0, parseStackSize(""));
  EXPECT_EQ(0, parseStackSize("1:2m"));
  EXPECT_EQ(0, parseStackSize("4g"));  // does not fit the stack size of a thread
  EXPECT_EQ(0, parseStackSize("99999999999999999999999"));
  EXPECT_EQ(51 * 1024, parseStackSize("5x1k"));  // other characters are skipped
  EXPECT_EQ(1u, unitMultiplier("12"));
  EXPECT_EQ(1u, unitMultiplier(""));
}

}  // namespace
}  // namespace tarn
