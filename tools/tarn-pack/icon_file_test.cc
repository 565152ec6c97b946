#include "icon_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tarn {
namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes* b, uint16_t v) {
  b->push_back(static_cast<unsigned char>(v));
  b->push_back(static_cast<unsigned char>(v >> 8));
}
void put32(Bytes* b, uint32_t v) {
  put16(b, static_cast<uint16_t>(v));
  put16(b, static_cast<uint16_t>(v >> 16));
}

Bytes png(size_t size) {
  Bytes image(size, 0x42);
  std::memcpy(image.data(), "\x89PNG\r\n\x1a\n", 8);
  return image;
}

Bytes bitmap(size_t size) {
  Bytes image(size, 0);
  image[0] = 40;
  return image;
}

// An icon file holding the images, the first 16 pixels square, the next 32.
Bytes iconFile(const std::vector<Bytes>& images) {
  Bytes file;
  put16(&file, 0);
  put16(&file, 1);
  put16(&file, static_cast<uint16_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<unsigned char>(16 << i));
    file.push_back(static_cast<unsigned char>(16 << i));
    file.push_back(0);
    file.push_back(0);
    put16(&file, 1);
    put16(&file, 32);
    put32(&file, static_cast<uint32_t>(images[i].size()));
    put32(&file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
  return file;
}

TEST(IconFile, EveryImageAndTheGroupNamingThem) {
  const std::vector<Bytes> images = {png(70), bitmap(60)};
  const Bytes file = iconFile(images);
  IconResources icon;
  std::string error;
  ASSERT_TRUE(readIconFile(file, 1, &icon, &error)) << error;
  EXPECT_EQ(images, icon.images);
  ASSERT_EQ(6u + 2 * 14, icon.group.size());
  EXPECT_TRUE(std::equal(file.begin(), file.begin() + 6, icon.group.begin()));
  for (size_t i = 0; i < 2; ++i) {
    // Width, height, colours, planes, bits and size as in the file; then the id.
    EXPECT_TRUE(std::equal(file.begin() + 6 + 16 * static_cast<long>(i),
                           file.begin() + 6 + 16 * static_cast<long>(i) + 12,
                           icon.group.begin() + 6 + 14 * static_cast<long>(i)));
    EXPECT_EQ(1 + i, icon.group[6 + 14 * i + 12] | icon.group[6 + 14 * i + 13] << 8);
  }
}

TEST(IconFile, RefusesWhatIsNoIcon) {
  IconResources icon;
  std::string error;
  auto refused = [&](const Bytes& file) {
    error.clear();
    return !readIconFile(file, 1, &icon, &error) && !error.empty();
  };
  EXPECT_TRUE(refused(Bytes()));
  EXPECT_TRUE(refused(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}));
  Bytes cursor = iconFile({png(20)});
  cursor[2] = 2;  // a cursor file
  EXPECT_TRUE(refused(cursor));
  EXPECT_TRUE(refused(iconFile({})));
  EXPECT_NE(std::string::npos, error.find("no image"));
  Bytes cut = iconFile({png(20), png(30)});
  cut.resize(cut.size() - 1);
  EXPECT_TRUE(refused(cut));
  EXPECT_NE(std::string::npos, error.find("image 2")) << error;
  Bytes header = iconFile({png(20)});
  header.resize(6 + 10);
  EXPECT_TRUE(refused(header));
  Bytes text = iconFile({Bytes(50, 'x')});
  EXPECT_TRUE(refused(text));
  EXPECT_NE(std::string::npos, error.find("neither PNG")) << error;
  Bytes huge = iconFile({png(20)});
  huge[6 + 8 + 3] = 0x80;  // a size of 2 GB
  EXPECT_TRUE(refused(huge));
}

}  // namespace
}  // namespace tarn
