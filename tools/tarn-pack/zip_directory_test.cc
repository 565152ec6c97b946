#include "zip_directory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing_zip.h"

namespace tarn {
namespace {

using testing_zip::Bytes;
using testing_zip::get32;
using testing_zip::makeZip;

bool read(const Bytes& zip, ZipDirectory* directory, std::string* error) {
  return readZipDirectory(zip.data(), zip.size(), directory, error);
}

// The name of the local header an offset field leads to.
std::string localName(const Bytes& file, size_t field) {
  const uint32_t local = get32(file, field);
  if (local + 30 > file.size() || get32(file, local) != 0x04034b50) return "<none>";
  const size_t length = file[local + 26] | file[local + 27] << 8;
  return std::string(file.begin() + local + 30, file.begin() + local + 30 + length);
}

TEST(ZipDirectory, ReadsEveryOffset) {
  const Bytes zip = makeZip({{"META-INF/MANIFEST.MF", "Main-Class: A\n"}, {"A.class", "xyz"}},
                            "a comment");
  ZipDirectory directory;
  std::string error;
  ASSERT_TRUE(read(zip, &directory, &error)) << error;
  ASSERT_EQ(2u, directory.offsetFields.size());
  EXPECT_EQ("META-INF/MANIFEST.MF", localName(zip, directory.offsetFields[0]));
  EXPECT_EQ("A.class", localName(zip, directory.offsetFields[1]));
  EXPECT_EQ(zip.size() - 22 - 9, directory.endRecord);

  // An archive with no entries is still an archive.
  EXPECT_TRUE(read(makeZip({}), &directory, &error)) << error;
  EXPECT_TRUE(directory.offsetFields.empty());
}

// A comment that looks like an end record does not mislead the search.
TEST(ZipDirectory, CommentHoldingASignature) {
  const std::string fake("PK\x05\x06" "0123456789abcdefghij", 24);
  const Bytes zip = makeZip({{"A.class", "xyz"}}, fake);
  ZipDirectory directory;
  std::string error;
  ASSERT_TRUE(read(zip, &directory, &error)) << error;
  EXPECT_EQ("A.class", localName(zip, directory.offsetFields[0]));
}

Bytes joined(Bytes front, const Bytes& back) {
  front.insert(front.end(), back.begin(), back.end());
  return front;
}

// Behind a launcher, with offsets counted from the archive's own start (the
// layout tarn-pack writes) or from the file's (the one it wrote before).
TEST(ZipDirectory, AnArchiveBehindOtherBytes) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"a/B.class", "1"}, {"C.class", "22"}, {"d.txt", "333"}};
  const Bytes jar = makeZip(entries);
  const Bytes prefix(4099, 0x7F);
  for (const Bytes& file : {joined(prefix, jar), makeZip(entries, "", prefix)}) {
    ZipDirectory directory;
    std::string error;
    ASSERT_TRUE(read(file, &directory, &error)) << error;
    EXPECT_EQ(prefix.size(), directory.firstRecord);
    ASSERT_EQ(3u, directory.offsetFields.size());
    const Bytes detached = detachedZip(file.data(), file.size(), directory);
    EXPECT_EQ(jar, detached);
    ZipDirectory alone;
    ASSERT_TRUE(read(detached, &alone, &error)) << error;
    EXPECT_EQ(0u, alone.base);
    EXPECT_EQ("d.txt", localName(detached, alone.offsetFields[2]));
  }
  ZipDirectory directory;
  std::string error;
  ASSERT_TRUE(read(joined(prefix, jar), &directory, &error));
  EXPECT_EQ(prefix.size(), directory.base);
  ASSERT_TRUE(read(makeZip(entries, "", prefix), &directory, &error));
  EXPECT_EQ(0u, directory.base);
}

// A signature appended to a packed executable: the end record no longer
// reaches the end, and is found the way the JDK finds it.
TEST(ZipDirectory, BytesAfterTheArchive) {
  const Bytes jar = makeZip({{"A.class", "xyz"}, {"B.class", "uvw"}});
  const Bytes prefix(3000, 'M');
  Bytes signature(2000, 0x30);
  // A stray end record among the signature's bytes misleads nothing.
  const Bytes stray = makeZip({});
  std::copy(stray.begin(), stray.end(), signature.begin() + 100);
  const Bytes signed_ = joined(joined(prefix, jar), signature);
  ZipDirectory directory;
  std::string error;
  ASSERT_TRUE(read(signed_, &directory, &error)) << error;
  EXPECT_EQ(prefix.size(), directory.base);
  EXPECT_EQ(prefix.size() + jar.size() - 22, directory.endRecord);
  EXPECT_EQ("B.class", localName(Bytes(signed_.begin() + 3000, signed_.end()), directory.offsetFields[1] - 3000));
  // Detached, the archive keeps the bytes behind it, as the file did.
  EXPECT_EQ(joined(jar, signature), detachedZip(signed_.data(), signed_.size(), directory));

  // With offsets counted from the file's start nothing confirms the end
  // record, as in the JDK: such a file cannot be signed.
  const Bytes absolute = joined(makeZip({{"A.class", "xyz"}}, "", prefix), signature);
  EXPECT_FALSE(read(absolute, &directory, &error));
}

TEST(ZipDirectory, RefusesWhatIsNoPlainZip) {
  const Bytes good = makeZip({{"A.class", "xyz"}, {"B.class", "uvw"}});
  const size_t end = good.size() - 22;
  const size_t directory = get32(good, end + 16);
  auto refused = [](const Bytes& zip, const char* why) {
    ZipDirectory directory;
    std::string error;
    EXPECT_FALSE(read(zip, &directory, &error)) << why;
    return error;
  };
  auto with = [&](size_t at, unsigned char value) {
    Bytes zip = good;
    zip[at] = value;
    return zip;
  };
  const std::string text = "this is not a jar at all, only some text";
  EXPECT_NE(std::string::npos, refused(Bytes(text.begin(), text.end()), "text").find("not a zip"));
  refused(Bytes(), "empty");
  refused(Bytes(good.begin(), good.end() - 1), "cut short");
  EXPECT_NE(std::string::npos, refused([&] {
    Bytes zip = with(end + 10, 0xFF); zip[end + 11] = 0xFF; return zip; }(), "entry count").find("ZIP64"));
  EXPECT_NE(std::string::npos, refused([&] {
    Bytes zip = with(end + 8, 0xFF); zip[end + 9] = 0xFF; zip[end + 10] = 0xFF; zip[end + 11] = 0xFF;
    return zip; }(), "all counts").find("ZIP64"));
  EXPECT_NE(std::string::npos, refused([&] {
    Bytes zip = good;
    for (int i = 0; i < 4; ++i) zip[directory + 42 + i] = 0xFF;
    return zip; }(), "local offset").find("ZIP64"));
  EXPECT_NE(std::string::npos, refused(with(end + 4, 1), "disk").find("disks"));
  refused(with(end + 19, 0x40), "directory beyond the end");
  refused(with(end + 12, good[end + 12] + 1), "directory size");
  refused(with(directory, 'X'), "central signature");
  refused(with(directory + 42, good[directory + 42] + 1), "local header offset");
  refused(with(directory + 28, 0xF0), "name length past the directory");

  // A ZIP64 locator in front of the end record.
  Bytes zip64 = good;
  const unsigned char locator[20] = {0x50, 0x4b, 0x06, 0x07};
  zip64.insert(zip64.begin() + static_cast<long>(end), locator, locator + 20);
  EXPECT_NE(std::string::npos, refused(zip64, "locator").find("ZIP64"));
}

}  // namespace
}  // namespace tarn
