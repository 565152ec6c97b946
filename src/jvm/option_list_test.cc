#include "jvm/option_list.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

using Pieces = std::vector<std::string>;

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

struct Split {
  int32_t stackSize = 0;
  Pieces pieces;
};

Split split(const std::string& text, LeadByteTest lead = noLeadBytes) {
  Split result;
  MemoryFigures memory;
  memory.totalPhysical = uint64_t{2} << 30;
  VmParameterContext context{memory, &result.stackSize, lead};
  splitVmParameters(text, context, result.pieces);
  return result;
}

std::string unquoted(std::string piece, LeadByteTest lead = noLeadBytes) {
  removeQuotes(piece, lead);
  return piece;
}

TEST(VmParameters, SplitAtBlanksOutsideQuotes) {
  EXPECT_EQ(Pieces({"-Xmx256m", "-Dapp.title=My App", "-ea"}),
            split("-Xmx256m  \"-Dapp.title=My App\" -ea").pieces);
  EXPECT_EQ(Pieces({"-Dname=a b", "-x"}), split("   -Dname=\"a b\" -x   ").pieces);
  EXPECT_EQ(Pieces(), split("").pieces);
  EXPECT_EQ(Pieces(), split("    ").pieces);
  // Expansion comes later, so a reference stays one option whatever its value.
  EXPECT_EQ(Pieces({"-Dhome=%APP HOME%"}), split("\"-Dhome=%APP HOME%\"").pieces);
  // An unpaired quote stays and the piece ends at the next blank.
  EXPECT_EQ(Pieces({"-Da=\"x", "y"}), split("-Da=\"x y").pieces);
  // A doubled closing quote keeps one quote in the option.
  EXPECT_EQ(Pieces({"-Dq=a\"", "-x"}), split("-Dq=\"a\"\" -x").pieces);
}

TEST(VmParameters, FindParameterEnd) {
  EXPECT_EQ(4u, findParameterEnd("-abc def", 0, noLeadBytes));
  EXPECT_EQ(4u, findParameterEnd("-abc", 0, noLeadBytes));
  EXPECT_EQ(6u, findParameterEnd("\"a b\"c d", 0, noLeadBytes));
  EXPECT_EQ(3u, findParameterEnd("\"ab c", 0, noLeadBytes));  // no closing quote
  EXPECT_EQ(8u, findParameterEnd("x \"a b\"\" y", 2, noLeadBytes));
}

TEST(VmParameters, RemoveQuotes) {
  EXPECT_EQ("-Dname=a b", unquoted("-Dname=\"a b\""));
  EXPECT_EQ("x\"", unquoted("\"x\"\""));  // a doubled quote at the close leaves one
  EXPECT_EQ("a\"b\"", unquoted("\"a\"\"b\""));
  EXPECT_EQ("\"open", unquoted("\"open"));
  EXPECT_EQ("", unquoted("\"\""));
  EXPECT_EQ("a b c", unquoted("\"a\" \"b\" \"c\""));
  // 0x81 '"' is one double-byte character, not a closing quote.
  EXPECT_EQ("x\x81\"y", unquoted("\"x\x81\"y\"", shiftJisLead));
}

TEST(VmParameters, StackSizesAndSharesOnTheWay) {
  Split s = split("-Xss512k -Xmx50P");
  EXPECT_EQ(Pieces({"-Xss512k", "-Xmx1048576K"}), s.pieces);
  EXPECT_EQ(524288, s.stackSize);
  s = split("-Xss512k -Xss2m");
  EXPECT_EQ(2097152, s.stackSize);  // the last one decides
  s = split("-Xss2m -Xss=512k");
  EXPECT_EQ(0, s.stackSize);
  s = split("-Xss1P");  // one percent of 2 GiB
  EXPECT_EQ(Pieces({"-Xss20971K"}), s.pieces);
  EXPECT_EQ(20971 * 1024, s.stackSize);
  s = split("\"-Xss1m\"");
  EXPECT_EQ(1048576, s.stackSize);
}

TEST(ExtraArguments, SplitLikeTheCommandLineWithoutEmptyOnes) {
  EXPECT_EQ(Pieces({"a", "b x", "d"}), extraArguments("a \"b x\" \"\" d", noLeadBytes));
  EXPECT_EQ(Pieces({"a"}), extraArguments("   a   ", noLeadBytes));
  EXPECT_EQ(Pieces(), extraArguments("\"\"", noLeadBytes));
}

}  // namespace
}  // namespace tarn
