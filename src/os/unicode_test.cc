#include "os/unicode.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(Unicode, TextOutsideEveryLegacyCodePageRoundTrips) {
  const std::string text = "Zo\xC3\xAB \xC5\x81\xC3\xB3""d\xC5\xBA \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC"
                           "\xCE\xB4\xCE\xB1 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80";
  std::u16string wide;
  ASSERT_TRUE(utf8ToUtf16(text, &wide));
  EXPECT_EQ(u"Zo\u00EB \u0141\u00F3d\u017A \u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u6771\u4EAC \U0001F600",
            wide);
  EXPECT_EQ(text, utf16ToUtf8(wide));
  EXPECT_TRUE(utf8ToUtf16(std::string("a\0b", 3), &wide));
  EXPECT_EQ(3u, wide.size());
}

TEST(Unicode, BytesThatAreNoUtf8) {
  std::u16string wide;
  for (const char* bad : {"Caf\xE9", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xF8\x88\x80\x80\x80", "\xC3", "\xE6\x9D", "\x80", "a\xC3(b"})
    EXPECT_FALSE(utf8ToUtf16(bad, &wide)) << bad;
}

TEST(Unicode, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ("a\xEF\xBF\xBD" "b\xEF\xBF\xBD", utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b" +
                                                        char16_t(0xDC00)));
}

TEST(Unicode, Utf16Bytes) {
  EXPECT_EQ(std::string("A\0\x41\x01", 4), utf16ToBytes(u"A\u0141", false));
  EXPECT_EQ(std::string("\0A\x01\x41", 4), utf16ToBytes(u"A\u0141", true));
  EXPECT_EQ(u"A\u0141", utf16FromBytes(std::string("A\0\x41\x01", 4), false));
  EXPECT_EQ(u"A\u0141", utf16FromBytes(std::string("\0A\x01\x41", 4), true));
  EXPECT_EQ(u"A\uFFFD", utf16FromBytes(std::string("A\0\x41", 3), false));
}

}  // namespace
}  // namespace tarn
