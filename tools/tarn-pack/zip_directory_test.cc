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

TEST(ZipDirectory, ShiftedArchiveReadsInPlace) {
  Bytes zip = makeZip({{"a/B.class", "1"}, {"C.class", "22"}, {"d.txt", "333"}});
  ZipDirectory directory;
  std::string error;
  ASSERT_TRUE(read(zip, &directory, &error));
  const Bytes prefix(4099, 0x7F);
  ASSERT_TRUE(shiftZipOffsets(&zip, directory, prefix.size(), &error)) << error;
  Bytes whole = prefix;
  whole.insert(whole.end(), zip.begin(), zip.end());
  ZipDirectory moved;
  ASSERT_TRUE(read(whole, &moved, &error)) << error;
  ASSERT_EQ(3u, moved.offsetFields.size());
  EXPECT_EQ("a/B.class", localName(whole, moved.offsetFields[0]));
  EXPECT_EQ("C.class", localName(whole, moved.offsetFields[1]));
  EXPECT_EQ("d.txt", localName(whole, moved.offsetFields[2]));
  // Unshifted, the same bytes behind a prefix are no longer a valid archive.
  Bytes unshifted = prefix;
  const Bytes original = makeZip({{"a/B.class", "1"}});
  unshifted.insert(unshifted.end(), original.begin(), original.end());
  EXPECT_FALSE(read(unshifted, &moved, &error));
}

TEST(ZipDirectory, ShiftBeyondFourGigabytesIsRefused) {
  Bytes zip = makeZip({{"A.class", "x"}});
  ZipDirectory directory;
  std::string error;
  ASSERT_TRUE(read(zip, &directory, &error));
  const Bytes before = zip;
  EXPECT_FALSE(shiftZipOffsets(&zip, directory, 0xFFFFFFFFull - directory.directoryOffset, &error));
  EXPECT_NE(std::string::npos, error.find("ZIP64"));
  EXPECT_EQ(before, zip);
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
