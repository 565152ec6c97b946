#include "config/java_version.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

JavaVersion parsed(const std::string& text, int32_t fill = 0) {
  JavaVersion v;
  v.parse(text, fill);
  return v;
}

JavaVersion parts(int32_t a, int32_t b, int32_t c, int32_t d, int32_t count = 4) {
  JavaVersion v;
  v.parts[0] = a;
  v.parts[1] = b;
  v.parts[2] = c;
  v.parts[3] = d;
  v.count = count;
  return v;
}

void expectParts(const JavaVersion& v, int32_t a, int32_t b, int32_t c, int32_t d,
                 int32_t count) {
  EXPECT_EQ(a, v.parts[0]);
  EXPECT_EQ(b, v.parts[1]);
  EXPECT_EQ(c, v.parts[2]);
  EXPECT_EQ(d, v.parts[3]);
  EXPECT_EQ(count, v.count);
}

TEST(JavaVersionParse, AnyNonDigitRunSeparatesGroups) {
  expectParts(parsed("1.6.0_21"), 1, 6, 0, 21, 4);
  expectParts(parsed("jdk1.6.0_21-b06"), 1, 6, 0, 21, 5);
  expectParts(parsed("jre 1..6 -- 0"), 1, 6, 0, 0, 3);
  expectParts(parsed("10.0.2"), 10, 0, 2, 0, 3);
  expectParts(parsed("007.08"), 7, 8, 0, 0, 2);
}

TEST(JavaVersionParse, FillAppliesOnlyToMissingParts) {
  expectParts(parsed("1.6", 65535), 1, 6, 65535, 65535, 2);
  expectParts(parsed("1.6", 0), 1, 6, 0, 0, 2);
  expectParts(parsed("1", 65535), 1, 65535, 65535, 65535, 1);
  expectParts(parsed("1.2.3.4", 65535), 1, 2, 3, 4, 4);
}

TEST(JavaVersionParse, MoreThanFourGroupsCountsFive) {
  JavaVersion v = parsed("1.6.0.21.5");
  expectParts(v, 1, 6, 0, 21, 5);
  EXPECT_EQ(0, compare(v, parsed("1.6.0.21")));
  // The ignored groups are not read, so their size does not matter.
  EXPECT_TRUE(JavaVersion().parse("1.2.3.4.99999999999999", 0));
}

TEST(JavaVersionParse, FailureLeavesZeroWithoutFill) {
  JavaVersion v = parts(9, 9, 9, 9);
  EXPECT_FALSE(v.parse("", 65535));
  expectParts(v, 0, 0, 0, 0, 0);
  v = parts(9, 9, 9, 9);
  EXPECT_FALSE(v.parse("abc", 65535));
  expectParts(v, 0, 0, 0, 0, 0);
  v = parts(9, 9, 9, 9);
  EXPECT_FALSE(v.parse("1.99999999999", 65535));
  expectParts(v, 0, 0, 0, 0, 0);
  EXPECT_FALSE(v.parse("2147483648", 0));
  expectParts(v, 0, 0, 0, 0, 0);
  EXPECT_TRUE(v.parse("2147483647.1", 0));
  expectParts(v, 2147483647, 1, 0, 0, 2);
  expectParts(JavaVersion("1.7"), 1, 7, 0, 0, 2);
}

TEST(JavaVersionOrder, NumericPartByPart) {
  EXPECT_EQ(1, compare(parsed("1.10"), parsed("1.9")));
  EXPECT_EQ(-1, compare(parsed("1.6.0_7"), parsed("1.6.0_21")));
  EXPECT_EQ(0, compare(parsed("1.6"), parsed("1.6.0.0")));  // count plays no part
  EXPECT_EQ(-1, compare(parsed("1.6"), parsed("1.6", 65535)));
  EXPECT_TRUE(sameParts(parsed("1.6"), parsed("1.6.0")));
  EXPECT_FALSE(sameParts(parsed("1.6"), parsed("1.6", 65535)));
}

TEST(JavaVersionMatch, PatternPrefixOfCandidate) {
  EXPECT_TRUE(matches(parsed("1.6.0_21"), parsed("1.6")));
  EXPECT_TRUE(matches(parsed("1.6"), parsed("1.6.0")));  // equal once filled
  EXPECT_FALSE(matches(parsed("1.6"), parsed("1.6.0_21")));
  EXPECT_FALSE(matches(parsed("1.5.0_10"), parsed("1.6")));
  EXPECT_FALSE(matches(parsed("1.6.0"), JavaVersion()));  // an empty pattern matches nothing
  EXPECT_TRUE(matches(JavaVersion(), JavaVersion()));
  // Five-group texts compare their four held parts and no further.
  EXPECT_TRUE(matches(parsed("1.6.0.21.5"), parsed("1.6.0.21.7")));
  EXPECT_FALSE(matches(parsed("1.6.0.21"), parsed("1.6.0.22.7")));
}

TEST(JavaVersionFormat, TrailingZeroAndUnboundedPartsDropped) {
  EXPECT_EQ("1.6.0.21", format(parts(1, 6, 0, 21)));
  EXPECT_EQ("1.6", format(parts(1, 6, 0, 0)));
  EXPECT_EQ("1.0", format(parts(1, 0, 0, 0)));
  EXPECT_EQ("1.6", format(parts(1, 6, 65535, 65535)));
  EXPECT_EQ("1.0.0.5", format(parts(1, 0, 0, 5)));
  EXPECT_EQ("1.65535", format(parsed("1", 65535)));
  EXPECT_EQ("1.65535.3", format(parts(1, 65535, 3, 0)));
  EXPECT_EQ("0.0.0.0", format(parts(0, 0, 0, 0)));
  EXPECT_EQ("0.0.0.0", format(parts(65535, 65535, 65535, 65535)));
  EXPECT_EQ("-1.0", format(parts(-1, 0, 0, 0)));
}

TEST(JavaVersionRequirement, PhraseByLimits) {
  JavaVersion none;
  JavaVersion anyMaximum = parts(65535, 65535, 65535, 65535);
  EXPECT_TRUE(isUnbounded(none));
  EXPECT_TRUE(isUnbounded(anyMaximum));
  EXPECT_TRUE(isUnbounded(parsed("0.0")));
  EXPECT_FALSE(isUnbounded(parsed("1", 65535)));

  EXPECT_EQ("latest version", versionRequirementText(none, anyMaximum));
  EXPECT_EQ("latest version", versionRequirementText(parsed("0"), none));
  EXPECT_EQ("maximum version 1.7", versionRequirementText(parsed("0.0"), parsed("1.7", 65535)));
  EXPECT_EQ("minimum version 1.6", versionRequirementText(parsed("1.6"), anyMaximum));
  EXPECT_EQ("version between 1.6 and 1.6",
            versionRequirementText(parsed("1.6"), parsed("1.6", 65535)));
  EXPECT_EQ("version 1.6.0.21 is required",
            versionRequirementText(parsed("1.6.0_21"), parsed("1.6.0_21", 65535)));
  EXPECT_EQ("version between 1.5.0.10 and 1.65535",
            versionRequirementText(parsed("1.5.0_10"), parsed("1", 65535)));
}

}  // namespace
}  // namespace tarn
