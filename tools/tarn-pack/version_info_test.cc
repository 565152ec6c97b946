#include "version_info.h"

#include <gtest/gtest.h>

#include <map>

#include "os/little_endian.h"

namespace tarn {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(VersionNumber, OneToFourParts) {
  uint16_t parts[4] = {9, 9, 9, 9};
  ASSERT_TRUE(parseVersionNumber("1.2", parts));
  EXPECT_EQ(1, parts[0]);
  EXPECT_EQ(2, parts[1]);
  EXPECT_EQ(0, parts[2]);
  EXPECT_EQ(0, parts[3]);
  ASSERT_TRUE(parseVersionNumber("65535.0.10.007", parts));
  EXPECT_EQ(65535, parts[0]);
  EXPECT_EQ(7, parts[3]);
  ASSERT_TRUE(parseVersionNumber("3", parts));
  EXPECT_EQ(3, parts[0]);
  for (const char* bad : {"", ".", "1.", ".1", "1..2", "1.2.3.4.5", "65536", "1.2a", "v1", "-1",
                          "1,2", " 1", "1 ", "0000001", "99999999999999999999"}) {
    parts[0] = 42;
    EXPECT_FALSE(parseVersionNumber(bad, parts)) << bad;
    EXPECT_EQ(42, parts[0]) << bad;
  }
}

// Walks a block the way a reader of version resources does.
struct Block {
  std::u16string key;
  Bytes value;
  uint16_t valueLength = 0, type = 0;
  std::vector<Block> children;
};

size_t align4(size_t v) { return (v + 3) & ~size_t{3}; }

Block readBlock(const Bytes& data, size_t at, size_t end) {
  Block block;
  const size_t length = readLittle16(&data[at]);
  EXPECT_LE(at + length, end);
  EXPECT_EQ(0u, at % 4);
  block.valueLength = readLittle16(&data[at + 2]);
  block.type = readLittle16(&data[at + 4]);
  size_t p = at + 6;
  while (readLittle16(&data[p]) != 0) {
    block.key += static_cast<char16_t>(readLittle16(&data[p]));
    p += 2;
  }
  p = align4(p + 2);
  const size_t valueBytes = block.type == 1 ? block.valueLength * 2u : block.valueLength;
  block.value.assign(data.begin() + static_cast<long>(p), data.begin() + static_cast<long>(p + valueBytes));
  p = align4(p + valueBytes);
  while (p < at + length) {
    block.children.push_back(readBlock(data, p, at + length));
    p = align4(p + readLittle16(&data[p]));
  }
  return block;
}

std::u16string text(const Bytes& value) {
  std::u16string out;
  for (size_t i = 0; i + 1 < value.size(); i += 2) out += static_cast<char16_t>(value[i] | value[i + 1] << 8);
  EXPECT_FALSE(out.empty());
  EXPECT_EQ(u'\0', out.back());
  out.pop_back();
  return out;
}

TEST(VersionInfo, FixedNumbersStringsAndTranslation) {
  VersionInfo info;
  uint16_t file[4] = {1, 2, 3, 4}, product[4] = {1, 2, 0, 0};
  std::copy(file, file + 4, info.fileVersion);
  std::copy(product, product + 4, info.productVersion);
  info.strings = {{u"CompanyName", u"Example Ltd"}, {u"ProductName", u"Viewer \u00e9"}, {u"FileVersion", u"1.2.3.4"}};
  const Bytes data = encodeVersionInfo(info);
  EXPECT_EQ(data.size(), readLittle16(&data[0]));
  const Block root = readBlock(data, 0, data.size());
  EXPECT_EQ(u"VS_VERSION_INFO", root.key);
  ASSERT_EQ(52u, root.value.size());
  EXPECT_EQ(0xFEEF04BDu, readLittle32(&root.value[0]));
  EXPECT_EQ(0x00010002u, readLittle32(&root.value[8]));
  EXPECT_EQ(0x00030004u, readLittle32(&root.value[12]));
  EXPECT_EQ(0x00010002u, readLittle32(&root.value[16]));
  EXPECT_EQ(0u, readLittle32(&root.value[20]));
  EXPECT_EQ(1u, readLittle32(&root.value[36]));  // an application
  ASSERT_EQ(2u, root.children.size());
  const Block& strings = root.children[0];
  EXPECT_EQ(u"StringFileInfo", strings.key);
  ASSERT_EQ(1u, strings.children.size());
  EXPECT_EQ(u"040904B0", strings.children[0].key);
  std::map<std::u16string, std::u16string> values;
  for (const Block& value : strings.children[0].children) {
    EXPECT_EQ(1, value.type);
    values[value.key] = text(value.value);
  }
  EXPECT_EQ(3u, values.size());
  EXPECT_EQ(u"Example Ltd", values[u"CompanyName"]);
  EXPECT_EQ(u"Viewer \u00e9", values[u"ProductName"]);
  EXPECT_EQ(u"1.2.3.4", values[u"FileVersion"]);
  const Block& var = root.children[1];
  EXPECT_EQ(u"VarFileInfo", var.key);
  ASSERT_EQ(1u, var.children.size());
  EXPECT_EQ(u"Translation", var.children[0].key);
  EXPECT_EQ((Bytes{0x09, 0x04, 0xB0, 0x04}), var.children[0].value);
}

}  // namespace
}  // namespace tarn
