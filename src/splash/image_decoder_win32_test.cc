// The system's decoder as the splash uses it, under Wine as on Windows:
// alpha comes through premultiplied, GIF transparency as alpha 0.
#include "splash/image_decoder_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tarn {
namespace {

// 2 x 1 RGBA: red with alpha 0, red with alpha 128.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0, 0, 0, 0x0d, 0x49, 0x48, 0x44, 0x52, 0, 0,
    0, 0x02, 0, 0, 0, 0x01, 0x08, 0x06, 0, 0, 0, 0xf4, 0x22, 0x7f, 0x8a, 0, 0, 0, 0x0f, 0x49,
    0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xc0, 0xc0, 0, 0xc4, 0x0d, 0, 0x0c, 0x7d,
    0x02, 0x7f, 0xe2, 0x5a, 0xc4, 0x90, 0, 0, 0, 0, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
// 3 x 1: a transparent pixel, then two blue ones.
const unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 3, 0, 1, 0, 0xf0, 0, 0, 0, 0,
                              0xff, 0, 0, 0, 0x21, 0xf9, 4, 1, 0, 0, 1, 0, 0x2c, 0, 0, 0, 0, 3,
                              0, 1, 0, 0, 2, 2, 0x0c, 0x50, 0, 0x3b};
// 2 x 2, 24 bits: every pixel red 0, green 128, blue 255.
const unsigned char kBmp[] = {
    0x42, 0x4d, 0x46, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 0x28, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1,
    0, 0x18, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff,
    0x80, 0, 0xff, 0x80, 0, 0, 0, 0xff, 0x80, 0, 0xff, 0x80, 0, 0, 0};

// Blue, green, red, alpha of pixel x of the image decoded to width x height.
std::string pixel(const unsigned char* bytes, size_t size, uint32_t width, uint32_t height,
                  size_t x) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DecodedImage image;
  std::string error;
  if (!decodeImage(bytes, size, width, height, &image, &error)) return error;
  if (image.pixels.size() != size_t{width} * height * 4) return "wrong size";
  const unsigned char* p = &image.pixels[x * 4];
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," +
         std::to_string(p[3]);
}

TEST(ImageDecoder, KeepsAlphaPremultipliedAndScales) {
  EXPECT_EQ("0,0,0,0", pixel(kPng, sizeof kPng, 2, 1, 0));
  EXPECT_EQ("0,0,128,128", pixel(kPng, sizeof kPng, 2, 1, 1));
  EXPECT_EQ("0,0,0,0", pixel(kGif, sizeof kGif, 3, 1, 0));
  EXPECT_EQ("255,0,0,255", pixel(kGif, sizeof kGif, 3, 1, 2));
  EXPECT_EQ("255,128,0,255", pixel(kBmp, sizeof kBmp, 2, 2, 3));
  EXPECT_EQ("255,128,0,255", pixel(kBmp, sizeof kBmp, 4, 6, 13));
  const unsigned char damaged[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0, 0};
  EXPECT_NE(std::string::npos, pixel(damaged, sizeof damaged, 1, 1, 0).find("failed (0x"));
}

}  // namespace
}  // namespace tarn
