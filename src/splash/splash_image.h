// What a splash image file is, read from its first bytes alone: its format
// and size, so that the launcher never hands the system's decoder a file
// it would not show, and tarn-pack refuses one before it packs it.
#ifndef TARN_SPLASH_SPLASH_IMAGE_H
#define TARN_SPLASH_SPLASH_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn {

enum class ImageFormat { Png, Gif, Bmp };

struct SplashImageInfo {
  ImageFormat format = ImageFormat::Png;
  uint32_t width = 0;
  uint32_t height = 0;
};

// Larger images are refused: a decoded 4096 x 4096 image already takes
// 64 MiB, and no screen shows more.
constexpr uint32_t kMostSplashSide = 4096;
constexpr size_t kMostSplashBytes = 64 * 1024 * 1024;

// The image's format and size. False with *error, a reason that reads
// after "the splash image is not usable: ", for anything that is not a
// PNG, GIF or BMP file of a size between 1 x 1 and the limits above.
bool readSplashImageInfo(const unsigned char* bytes, size_t size, SplashImageInfo* info,
                         std::string* error);

const char* imageFormatName(ImageFormat format);

}  // namespace tarn

#endif
