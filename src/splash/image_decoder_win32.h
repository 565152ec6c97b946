// Decoding an image with what Windows itself provides: the Windows Imaging
// Component reads PNG (with its alpha), GIF (with its transparent colour)
// and BMP, so the launcher carries no decoder of its own.
#ifndef TARN_SPLASH_IMAGE_DECODER_WIN32_H
#define TARN_SPLASH_IMAGE_DECODER_WIN32_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

// Rows top-down, each pixel blue, green, red, alpha with the colours
// premultiplied by alpha: the form a layered window blends.
struct DecodedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<unsigned char> pixels;
};

// The first frame of the image in bytes, scaled to width x height. COM must
// be initialised on the calling thread. False with *error.
bool decodeImage(const unsigned char* bytes, size_t size, uint32_t width, uint32_t height,
                 DecodedImage* image, std::string* error);

}  // namespace tarn

#endif
