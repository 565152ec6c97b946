#include "splash/splash.h"

#include <gtest/gtest.h>

#include "splash/splash_image.h"

namespace tarn {
namespace {

bool info(const std::string& bytes, SplashImageInfo* result, std::string* error) {
  return readSplashImageInfo(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             result, error);
}

std::string png(uint32_t width, uint32_t height) {
  std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t side : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(side >> shift);
  return bytes + std::string("\x08\x06\0\0\0", 5);
}

std::string bmp(int32_t width, int32_t height) {
  std::string bytes("BM", 2);
  bytes.append(12, '\0');
  for (int32_t value : {40, width, height})
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
  return bytes + std::string(28, '\0');
}

TEST(SplashImage, ReadsTheSizeOfEachFormat) {
  SplashImageInfo result;
  std::string error;
  ASSERT_TRUE(info(png(400, 300), &result, &error)) << error;
  EXPECT_EQ(ImageFormat::Png, result.format);
  EXPECT_EQ(400u, result.width);
  EXPECT_EQ(300u, result.height);
  ASSERT_TRUE(info(std::string("GIF89a\x20\x03\x58\x02\0\0\0", 13), &result, &error)) << error;
  EXPECT_EQ(ImageFormat::Gif, result.format);
  EXPECT_EQ(800u, result.width);
  EXPECT_EQ(600u, result.height);
  // A top-down bitmap gives its height negative.
  ASSERT_TRUE(info(bmp(64, -48), &result, &error)) << error;
  EXPECT_EQ(ImageFormat::Bmp, result.format);
  EXPECT_EQ(64u, result.width);
  EXPECT_EQ(48u, result.height);
  ASSERT_TRUE(info(std::string("BM\0\0\0\0\0\0\0\0\0\0\0\0\x0c\0\0\0\x10\0\x20\0\x01\0\x18\0", 26),
                   &result, &error));
  EXPECT_EQ(16u, result.width);
  EXPECT_EQ(32u, result.height);
}

TEST(SplashImage, RefusesWhatItCannotShow) {
  SplashImageInfo result;
  std::string error;
  EXPECT_FALSE(info("", &result, &error));
  EXPECT_EQ("the file is empty", error);
  EXPECT_FALSE(info("\xff\xd8\xff\xe0 a JPEG", &result, &error));
  EXPECT_EQ("it is no PNG, GIF or BMP file", error);
  EXPECT_FALSE(info(png(10, 10).substr(0, 20), &result, &error));
  EXPECT_EQ("its header is cut short", error);
  EXPECT_FALSE(info(bmp(10, 10).substr(0, 40), &result, &error));
  EXPECT_EQ("its header is cut short", error);
  EXPECT_FALSE(info(png(0, 10), &result, &error));
  EXPECT_EQ("its size is 0", error);
  EXPECT_FALSE(info(bmp(-5, 10), &result, &error));
  EXPECT_FALSE(info(png(4097, 10), &result, &error));
  EXPECT_EQ("it is 4097 x 10 pixels, more than 4096 x 4096", error);
  EXPECT_FALSE(info(png(0xFFFFFFFF, 0xFFFFFFFF), &result, &error));
  EXPECT_TRUE(info(png(4096, 4096), &result, &error));
  std::string wrongChunk = png(10, 10);
  wrongChunk[12] = 'X';
  EXPECT_FALSE(info(wrongChunk, &result, &error));
}

TEST(Splash, FindsTheImageBesideTheExecutable) {
#ifdef _WIN32
  EXPECT_EQ("C:\\App\\splash.png", splashImagePath("C:\\App\\viewer.exe", "splash.png", noLeadBytes));
  EXPECT_EQ("C:\\App\\img\\s.gif", splashImagePath("C:\\App\\viewer.exe", "img\\s.gif", noLeadBytes));
#else
  EXPECT_EQ("/opt/app/splash.png", splashImagePath("/opt/app/viewer", "splash.png", noLeadBytes));
#endif
  for (const char* rooted : {"D:\\s.png", "D:s.png", "\\\\server\\share\\s.png", "\\s.png", "/s.png"})
    EXPECT_EQ(rooted, splashImagePath("C:\\App\\viewer.exe", rooted, noLeadBytes));
}

TEST(Splash, ScalesWithTheMonitorAndCentresInItsWorkArea) {
  uint32_t width = 0, height = 0;
  scaledSplashSize(400, 300, 96, &width, &height);
  EXPECT_EQ(400u, width);
  EXPECT_EQ(300u, height);
  scaledSplashSize(400, 301, 192, &width, &height);
  EXPECT_EQ(800u, width);
  EXPECT_EQ(602u, height);
  scaledSplashSize(1, 3, 120, &width, &height);  // 125 %
  EXPECT_EQ(1u, width);
  EXPECT_EQ(4u, height);

  // A second monitor left of the primary one, its taskbar on top.
  SplashRect area{-1920, 40, 0, 1080};
  SplashRect bounds = splashBounds(area, 400, 300);
  EXPECT_EQ(-1160, bounds.left);
  EXPECT_EQ(410, bounds.top);
  EXPECT_EQ(-760, bounds.right);
  EXPECT_EQ(710, bounds.bottom);
  // Larger than the area: its top left corner stays inside.
  bounds = splashBounds(area, 2000, 300);
  EXPECT_EQ(-1920, bounds.left);
  EXPECT_EQ(80, bounds.right);
}

}  // namespace
}  // namespace tarn
