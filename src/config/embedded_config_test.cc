#include "config/embedded_config.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <vector>

#include "config/ini_file.h"
#include "config/settings.h"
#include "config/testing_machine.h"

namespace tarn {
namespace {

using Block = std::vector<unsigned char>;

Block encode(const std::u16string& text, size_t size = kEmbeddedBlockSize) {
  Block block(size, 0xEE);
  EXPECT_TRUE(encodeEmbeddedBlock(text, block.data(), block.size()));
  return block;
}

std::u16string decode(const Block& block) { return decodeEmbeddedBlock(block.data(), block.size()); }

std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

TEST(EmbeddedBlock, RoundTripsAndHidesTheText) {
  const std::u16string text = u"[Application]\r\nMain Class=a.b.C\r\nTitel=Gr\u00fc\u00dfe \u65e5\u672c";
  Block block = encode(text);
  EXPECT_EQ(text, decode(block));
  // Enciphered: the plain key does not stand in the block.
  const char16_t* plain = u"Main Class";
  std::string needle;
  for (const char16_t* c = plain; *c; ++c) needle += {static_cast<char>(*c), '\0'};
  std::string bytes(block.begin(), block.end());
  EXPECT_EQ(std::string::npos, bytes.find(needle));
  // The room after the text is zeroed.
  for (size_t i = kEmbeddedHeaderSize + text.size() * 2; i < block.size(); ++i)
    ASSERT_EQ(0, block[i]) << i;
  EXPECT_EQ(u"", decode(encode(u"")));
}

TEST(EmbeddedBlock, RoomDecidesWhatFits) {
  const size_t size = kEmbeddedHeaderSize + 10;
  EXPECT_EQ(u"12345", decode(encode(u"12345", size)));
  Block block(size, 0xEE);
  EXPECT_FALSE(encodeEmbeddedBlock(u"123456", block.data(), block.size()));
  EXPECT_EQ(Block(size, 0xEE), block);  // left as it was
  EXPECT_FALSE(encodeEmbeddedBlock(u"", block.data(), kEmbeddedHeaderSize - 1));
  EXPECT_EQ(std::u16string(kEmbeddedCapacity / 2, u'x'),
            decode(encode(std::u16string(kEmbeddedCapacity / 2, u'x'))));
}

EmbeddedState stateOf(const unsigned char* data, size_t size) {
  EmbeddedState state = EmbeddedState::Present;
  decodeEmbeddedBlock(data, size, &state);
  return state;
}

// Every kind of damage reads as no configuration at all, and is told apart
// from an absent or an empty block.
TEST(EmbeddedBlock, DamageReadsAsEmpty) {
  const Block good = encode(u"[A]\r\nk=v");
  ASSERT_EQ(u"[A]\r\nk=v", decode(good));
  EXPECT_EQ(EmbeddedState::Present, stateOf(good.data(), good.size()));
  auto damaged = [&](size_t at, unsigned char value) {
    Block block = good;
    block[at] = value;
    EXPECT_EQ(EmbeddedState::Damaged, stateOf(block.data(), block.size())) << at;
    return decode(block);
  };
  EXPECT_EQ(u"", damaged(0, 0x88));                          // marker
  EXPECT_EQ(u"", damaged(kEmbeddedHeaderSize + 3, good[kEmbeddedHeaderSize + 3] ^ 1));  // text
  EXPECT_EQ(u"", damaged(16, good[16] ^ 0x80));              // check value
  EXPECT_EQ(u"", damaged(12, good[12] + 2));                 // length, checked by CRC
  EXPECT_EQ(u"", damaged(12, good[12] + 1));                 // odd length
  EXPECT_EQ(u"", damaged(15, 0x7F));                         // length beyond the room
  EXPECT_EQ(u"", damaged(11, 0x01));                         // room beyond the data
  // Cut short: the header, or the room it claims.
  EXPECT_EQ(u"", decodeEmbeddedBlock(good.data(), kEmbeddedHeaderSize - 1));
  EXPECT_EQ(u"", decodeEmbeddedBlock(good.data(), good.size() - 1));
  EXPECT_EQ(u"", decodeEmbeddedBlock(nullptr, 0));
  EXPECT_EQ(EmbeddedState::Damaged, stateOf(good.data(), good.size() - 1));
  EXPECT_EQ(EmbeddedState::Absent, stateOf(good.data(), kEmbeddedHeaderSize - 1));
  EXPECT_EQ(EmbeddedState::Absent, stateOf(nullptr, 0));
  // The block as the launcher is linked: marker and room, nothing else.
  Block reserved(kEmbeddedBlockSize, 0);
  auto marker = embeddedMarker();
  std::memcpy(reserved.data(), marker.data(), marker.size());
  reserved[8] = kEmbeddedCapacity & 0xFF;
  reserved[9] = kEmbeddedCapacity >> 8;
  EXPECT_EQ(u"", decode(reserved));
  EXPECT_EQ(EmbeddedState::Empty, stateOf(reserved.data(), reserved.size()));
}

TEST(EmbeddedBlock, CheckValueIsCrc32) {
  const unsigned char text[] = "123456789";
  EXPECT_EQ(0xCBF43926u, crc32(text, 9));
  EXPECT_EQ(0u, crc32(text, 0));
}

// The executable under test is linked like the launcher: it carries the
// reserved block, well formed and empty.
TEST(EmbeddedBlock, RunningExecutableCarriesAnEmptyBlock) {
  size_t size = 0;
  const unsigned char* block = embeddedBlock(&size);
  ASSERT_NE(nullptr, block);
  ASSERT_EQ(kEmbeddedBlockSize, size);
  auto marker = embeddedMarker();
  EXPECT_EQ(0, std::memcmp(block, marker.data(), marker.size()));
  EXPECT_EQ(kEmbeddedCapacity, static_cast<size_t>(block[8] | block[9] << 8 | block[10] << 16));
  EXPECT_EQ("", embeddedConfigurationText());
}

TEST(EmbeddedText, ConvertsToTheSystemText) {
  EXPECT_EQ("[A]\r\nk=v", utf16ToSystemText(u"[A]\r\nk=v"));
#ifndef _WIN32
  // The launcher runs in the user's locale; a UTF-8 one keeps every
  // character, the C locale only ASCII.
  const char* before = std::setlocale(LC_CTYPE, nullptr);
  std::string saved = before ? before : "C";
  if (std::setlocale(LC_CTYPE, "C.UTF-8")) {
    EXPECT_EQ("Gr\xc3\xbc\xc3\x9f" "e \xf0\x9f\x98\x80", utf16ToSystemText(u"Gr\u00fc\u00dfe \U0001F600"));
    EXPECT_EQ("a?b", utf16ToSystemText(std::u16string(u"a") + char16_t(0xD800) + u"b"));
  }
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ("x?y", utf16ToSystemText(u"x\u00e9y"));
  std::setlocale(LC_CTYPE, saved.c_str());
#endif
}

// The embedded text as the launcher reads it, under a configuration file:
// file values win, append sections extend, the rest comes from the block.
TEST(EmbeddedText, LayeredUnderTheConfigurationFile) {
  Block block = encode(ascii(
      "[Java Runtime Environment]\r\n"
      "Main Class=com.example.Main\r\n"
      "Virtual Machine Parameters=-Xmx256m\r\n"
      "Minimum Version=11\r\n"
      "[Application]\r\n"
      "Embedded Jar=Yes\r\n"));
  const std::string text = utf16ToSystemText(decode(block));
  testing_machine::FakeProfileFiles files;
  const std::string path = "/opt/app/app.ini";
  files.set(path, "Java Runtime Environment", "Main Class", "org.override.Main");
  files.set(path, "Java Runtime Environment+", "Virtual Machine Parameters", "-Dx=1");
  files.set(path, "Application+", "Cmd", " --verbose");
  IniFile ini(files, path, text, noLeadBytes);
  EXPECT_EQ("org.override.Main", ini.lookup("Java Runtime Environment", "Main Class"));
  EXPECT_EQ("-Xmx256m -Dx=1", ini.lookup("Java Runtime Environment", "Virtual Machine Parameters"));
  EXPECT_EQ("11", ini.lookup("Java Runtime Environment", "Minimum Version"));
  EXPECT_EQ("Yes", ini.lookup("Application", "Embedded Jar"));
  EXPECT_EQ(" --verbose", ini.lookup("Application", "Cmd"));

  // A damaged block leaves the file alone to decide.
  block[kEmbeddedHeaderSize] ^= 0x01;
  IniFile bare(files, path, utf16ToSystemText(decode(block)), noLeadBytes);
  EXPECT_EQ("", bare.lookup("Application", "Embedded Jar"));
  EXPECT_EQ(" -Dx=1", bare.lookup("Java Runtime Environment", "Virtual Machine Parameters"));
}

}  // namespace
}  // namespace tarn
