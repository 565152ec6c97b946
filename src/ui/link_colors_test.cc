#include "ui/link_colors.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(LinkColors, ReadsThreeDecimalParts) {
  LinkColor color;
  ASSERT_TRUE(parseLinkColor("0,128,0", &color));
  EXPECT_EQ(0, color.red);
  EXPECT_EQ(128, color.green);
  EXPECT_EQ(0, color.blue);
  ASSERT_TRUE(parseLinkColor("255, 10,7,9", &color));
  EXPECT_EQ(255, color.red);
  EXPECT_EQ(10, color.green);
  EXPECT_EQ(7, color.blue);  // the rest reads up to its first non-digit
  ASSERT_TRUE(parseLinkColor("300,-1,x", &color));
  EXPECT_EQ(300 & 0xFF, color.red);
  EXPECT_EQ(255, color.green);
  EXPECT_EQ(0, color.blue);
}

TEST(LinkColors, IgnoresIncompleteValues) {
  LinkColor color;
  color.red = 1;
  EXPECT_FALSE(parseLinkColor("0,128,", &color));
  EXPECT_FALSE(parseLinkColor("0,128", &color));
  EXPECT_FALSE(parseLinkColor("", &color));
  EXPECT_EQ(1, color.red);
}

}  // namespace
}  // namespace tarn
