#include "splash/splash.h"

#include <gtest/gtest.h>

#include "splash/splash_image.h"

namespace tarn {
namespace {

// "PNG 400 x 300", or the reason it is refused.
std::string read(const std::string& bytes) {
  SplashImageInfo info;
  std::string error;
  if (!readSplashImageInfo(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                           &info, &error))
    return error;
  return std::string(imageFormatName(info.format)) + " " + std::to_string(info.width) + " x " +
         std::to_string(info.height);
}

std::string png(uint32_t width, uint32_t height) {
  std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t side : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(side >> shift);
  return bytes + std::string("\x08\x06\0\0\0", 5);
}

std::string bmp(int32_t width, int32_t height) {
  std::string bytes("BM\0\0\0\0\0\0\0\0\0\0\0\0", 14);
  for (int32_t value : {40, width, height})
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
  return bytes + std::string(28, '\0');
}

TEST(SplashImage, ReadsTheSizeOfEachFormatOrSaysWhyNot) {
  EXPECT_EQ("PNG 400 x 300", read(png(400, 300)));
  EXPECT_EQ("PNG 4096 x 4096", read(png(4096, 4096)));
  EXPECT_EQ("GIF 800 x 600", read(std::string("GIF89a\x20\x03\x58\x02\0\0\0", 13)));
  EXPECT_EQ("BMP 64 x 48", read(bmp(64, -48)));  // a top-down bitmap
  EXPECT_EQ("BMP 16 x 32",
            read(std::string("BM\0\0\0\0\0\0\0\0\0\0\0\0\x0c\0\0\0\x10\0\x20\0\x01\0\x18\0", 26)));

  EXPECT_EQ("the file is empty", read(""));
  EXPECT_EQ("it is no PNG, GIF or BMP file", read("\xff\xd8\xff\xe0 a JPEG"));
  EXPECT_EQ("its header is cut short", read(png(10, 10).substr(0, 20)));
  EXPECT_EQ("its header is cut short", read(bmp(10, 10).substr(0, 40)));
  EXPECT_EQ("its size is 0", read(png(0, 10)));
  EXPECT_EQ("its size is 0", read(bmp(-5, 10)));
  EXPECT_EQ("it is 4097 x 10 pixels, more than 4096 x 4096", read(png(4097, 10)));
  EXPECT_EQ("it is 4294967295 x 1 pixels, more than 4096 x 4096", read(png(0xFFFFFFFF, 1)));
  std::string wrongChunk = png(10, 10);
  wrongChunk[12] = 'X';
  EXPECT_EQ("it is a damaged PNG file: no IHDR chunk first", read(wrongChunk));
}

TEST(Splash, FindsTheImageBesideTheExecutable) {
#ifdef _WIN32
  EXPECT_EQ("C:\\App\\img\\s.gif", splashImagePath("C:\\App\\viewer.exe", "img\\s.gif", noLeadBytes));
#else
  EXPECT_EQ("/opt/app/splash.png", splashImagePath("/opt/app/viewer", "splash.png", noLeadBytes));
#endif
  for (const char* rooted : {"D:\\s.png", "D:s.png", "\\\\server\\share\\s.png", "\\s.png", "/s.png"})
    EXPECT_EQ(rooted, splashImagePath("C:\\App\\viewer.exe", rooted, noLeadBytes));
}

TEST(Splash, ScalesWithTheMonitorAndCentresInItsWorkArea) {
  uint32_t width = 0, height = 0;
  scaledSplashSize(400, 301, 192, &width, &height);
  EXPECT_EQ(800u, width);
  EXPECT_EQ(602u, height);
  scaledSplashSize(1, 3, 120, &width, &height);  // 125 %
  EXPECT_EQ(1u, width);
  EXPECT_EQ(4u, height);
  // A monitor left of the primary one, its taskbar on top.
  const SplashRect area{-1920, 40, 0, 1080};
  SplashRect bounds = splashBounds(area, 400, 300);
  EXPECT_EQ(-1160, bounds.left);
  EXPECT_EQ(410, bounds.top);
  EXPECT_EQ(-760, bounds.right);
  EXPECT_EQ(710, bounds.bottom);
  bounds = splashBounds(area, 2000, 300);  // wider: its left edge stays inside
  EXPECT_EQ(-1920, bounds.left);
}

}  // namespace
}  // namespace tarn
