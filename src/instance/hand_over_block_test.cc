#include "instance/hand_over_block.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tarn {
namespace {

using List = std::vector<std::string>;

struct Area {
  uint8_t bytes[kArgumentAreaSize];
  Area() { std::memset(bytes, 0xAA, sizeof bytes); }
};

List roundTrip(const List& arguments) {
  Area area;
  EXPECT_TRUE(writeArgumentArea(area.bytes, arguments));
  return readArgumentArea(area.bytes);
}

TEST(HandOverBlock, LayoutIsFixed) {
  EXPECT_EQ(kHandOverBlockSize, 1052u);
  EXPECT_EQ(kArgumentAreaOffset + kArgumentAreaSize, kHandOverBlockSize);
  uint8_t block[kHandOverBlockSize] = {};
  writeBlockField(block, kOwnerThreadIdOffset, 0x11223344);
  writeBlockField(block, kOwnerProcessIdOffset, 0xA0B0C0D0);
  writeBlockField(block, kHandOverMessageOffset, 0xC0F3);
  const uint8_t expected[12] = {0x44, 0x33, 0x22, 0x11, 0xD0, 0xC0, 0xB0, 0xA0,
                                0xF3, 0xC0, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(block, expected, sizeof expected), 0);
  EXPECT_EQ(readBlockField(block, kOwnerProcessIdOffset), 0xA0B0C0D0u);
  EXPECT_EQ(readBlockField(block, kHandOverMessageOffset), 0xC0F3u);
}

TEST(HandOverBlock, CompleteOnlyOnceEveryFieldIsSet) {
  // Whatever a first instance still setting up (or anyone else) left in the
  // header, a hand-over goes only to a block with all three fields.
  for (int set = 0; set < 8; ++set) {
    alignas(4) uint8_t block[kHandOverBlockSize] = {};
    if (set & 2) writeBlockField(block, kOwnerProcessIdOffset, 0x01000000);
    if (set & 4) writeBlockField(block, kHandOverMessageOffset, 0xC0F3);
    if (set & 1) publishOwnerThread(block, 0x80);
    EXPECT_EQ(handOverBlockComplete(block), set == 7) << set;
  }
  alignas(4) uint8_t block[kHandOverBlockSize] = {};
  writeBlockField(block, kOwnerProcessIdOffset, 4);
  writeBlockField(block, kHandOverMessageOffset, 0xC0F3);
  publishOwnerThread(block, 0x11223344);
  const uint8_t published[4] = {0x44, 0x33, 0x22, 0x11};
  EXPECT_EQ(std::memcmp(block, published, 4), 0);
  EXPECT_TRUE(handOverBlockComplete(block));
}

TEST(HandOverBlock, ArgumentsTravelInOrder) {
  EXPECT_EQ(roundTrip({"one", "two"}), (List{"one", "two"}));
  EXPECT_EQ(roundTrip({"a b", "\x82\xa0", "-nosplash"}), (List{"a b", "\x82\xa0", "-nosplash"}));
}

TEST(HandOverBlock, AreaIsClearedAndPackedWithoutGaps) {
  Area area;
  ASSERT_TRUE(writeArgumentArea(area.bytes, {"ab", "c"}));
  const uint8_t expected[] = {'a', 'b', 0, 'c', 0};
  EXPECT_EQ(std::memcmp(area.bytes, expected, sizeof expected), 0);
  for (size_t i = sizeof expected; i < kArgumentAreaSize; ++i) ASSERT_EQ(area.bytes[i], 0) << i;
}

TEST(HandOverBlock, EmptyListArrivesAsOneEmptyArgument) {
  EXPECT_EQ(roundTrip({}), (List{""}));
}

TEST(HandOverBlock, EmptyArgumentEndsTheList) {
  EXPECT_EQ(roundTrip({"one", "", "three"}), (List{"one"}));
  EXPECT_EQ(roundTrip({"one", "two", "", ""}), (List{"one", "two"}));
  // Only a pair of zeros ends the list: an empty first argument is kept.
  EXPECT_EQ(roundTrip({"", "two"}), (List{"", "two"}));
}

TEST(HandOverBlock, SizeLimitCountsEveryZeroByte) {
  // 1039 bytes of text, its zero and the closing zero fill the area exactly.
  List fits{std::string(1038, 'x')};
  EXPECT_EQ(roundTrip(fits).size(), 1u);
  List spread{std::string(500, 'a'), std::string(536, 'b')};  // 501 + 537 + 1 = 1039
  EXPECT_EQ(roundTrip(spread), spread);

  Area area;
  EXPECT_FALSE(writeArgumentArea(area.bytes, {std::string(1039, 'x')}));
  EXPECT_FALSE(writeArgumentArea(area.bytes, {std::string(500, 'a'), std::string(538, 'b')}));
  List many(521, "x");  // 521 * 2 + 1 = 1043
  EXPECT_FALSE(writeArgumentArea(area.bytes, many));
  for (uint8_t byte : area.bytes) ASSERT_EQ(byte, 0xAA) << "written on failure";
}

TEST(HandOverBlock, ReadingStopsInsideTheAreaWhateverItHolds) {
  Area area;
  std::memset(area.bytes, 'z', sizeof area.bytes);
  // No terminator at all: the argument being collected is dropped.
  EXPECT_TRUE(readArgumentArea(area.bytes).empty());

  // Complete arguments before the runaway one stay.
  std::memcpy(area.bytes, "ab\0cd\0", 6);
  EXPECT_EQ(readArgumentArea(area.bytes), (List{"ab", "cd"}));

  // A zero in the very last byte ends nothing: that byte is only looked at
  // as the follower of a zero.
  std::memset(area.bytes, 'z', sizeof area.bytes);
  area.bytes[kArgumentAreaSize - 1] = 0;
  EXPECT_TRUE(readArgumentArea(area.bytes).empty());

  // A zero in the second last byte with text after it ends an argument;
  // the byte after it is never taken.
  area.bytes[kArgumentAreaSize - 2] = 0;
  area.bytes[kArgumentAreaSize - 1] = 'q';
  List list = readArgumentArea(area.bytes);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], std::string(kArgumentAreaSize - 2, 'z'));
}

TEST(HandOverBlock, ChannelNameReplacesEveryBackslash) {
  EXPECT_EQ(channelNameFor("C:\\Apps\\Tool.exe"), "C:_Apps_Tool.exe");
  EXPECT_EQ(channelNameFor("Z:\\tmp\\a b\\x.exe"), "Z:_tmp_a b_x.exe");
  EXPECT_EQ(channelNameFor("/opt/viewer/viewer"), "/opt/viewer/viewer");
}

}  // namespace
}  // namespace tarn
