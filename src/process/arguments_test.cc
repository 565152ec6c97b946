#include "process/arguments.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

using Args = std::vector<std::string>;

// Shift-JIS style: a lead byte 0x81..0x9F or 0xE0..0xFC takes the next byte.
bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(SplitArguments, QuotingRules) {
  EXPECT_EQ(Args({"alpha", "beta gamma", "delta"}),
            splitArguments("alpha \"beta gamma\" delta", noLeadBytes));
  EXPECT_EQ(Args({"a b"}), splitArguments("\"a b", noLeadBytes));  // unterminated quote
  EXPECT_EQ(Args({"a", "b"}), splitArguments("\"a\"b", noLeadBytes));
  EXPECT_EQ(Args({"x\"y", "z\""}), splitArguments("x\"y z\"", noLeadBytes));
  EXPECT_EQ(Args({""}), splitArguments("\"\"", noLeadBytes));
  EXPECT_EQ(Args({"a", "b"}), splitArguments("a    b", noLeadBytes));
  EXPECT_EQ(Args({"a\tb"}), splitArguments("a\tb", noLeadBytes));
  EXPECT_EQ(Args({"C:\\dir\\", "x"}), splitArguments("C:\\dir\\ x", noLeadBytes));
  EXPECT_EQ(Args(), splitArguments("", noLeadBytes));
  EXPECT_EQ(Args({"a", "", "b"}), splitArguments("a \"\" b", noLeadBytes));
}

TEST(SplitArguments, LeadingBlankGivesEmptyPieceForCmd) {
  // "Cmd" drops empty pieces later; the split itself keeps them.
  EXPECT_EQ(Args({"", "a"}), splitArguments("  a", noLeadBytes));
}

TEST(SplitArguments, TrailBytesAreNeverQuotesOrBlanks) {
  // 0x81 0x20 is one double-byte character, not a character and a blank.
  const std::string text = std::string("\"a\x81\"b\" c");
  EXPECT_EQ(Args({"a\x81\"b", "c"}), splitArguments(text, shiftJisLead));
  EXPECT_EQ(Args({"x\x81 y"}), splitArguments("x\x81 y", shiftJisLead));
}

TEST(ArgumentsFromCommandLine, DropsProgramAndTrims) {
  EXPECT_EQ(Args({"alpha", "beta gamma", "delta"}),
            argumentsFromCommandLine("viewer.exe alpha \"beta gamma\" delta", noLeadBytes));
  EXPECT_EQ(Args({"-x"}),
            argumentsFromCommandLine("\"C:\\Program Files\\App\\viewer.exe\" -x", noLeadBytes));
  EXPECT_EQ(Args({"-nosplash", "/nosplash"}),
            argumentsFromCommandLine(" \t app -nosplash /nosplash \r\n", noLeadBytes));
  EXPECT_EQ(Args(), argumentsFromCommandLine("", noLeadBytes));
  EXPECT_EQ(Args(), argumentsFromCommandLine("app.exe", noLeadBytes));
}

}  // namespace
}  // namespace tarn
