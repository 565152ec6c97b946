#include "splash/splash_image.h"

#include <cstring>

#include "os/little_endian.h"

namespace tarn {

namespace {

uint32_t readBig32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

bool startsWith(const unsigned char* bytes, size_t size, const char* text, size_t length) {
  return size >= length && std::memcmp(bytes, text, length) == 0;
}

bool cutShort(std::string* error) {
  *error = "its header is cut short";
  return false;
}

// PNG: the signature, then the IHDR chunk with the size, big-endian.
bool readPng(const unsigned char* bytes, size_t size, SplashImageInfo* info, std::string* error) {
  if (size < 24) return cutShort(error);
  if (readBig32(bytes + 8) != 13 || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
    *error = "it is a damaged PNG file: no IHDR chunk first";
    return false;
  }
  info->width = readBig32(bytes + 16);
  info->height = readBig32(bytes + 20);
  return true;
}

// GIF: the logical screen's size after the signature, little-endian.
bool readGif(const unsigned char* bytes, size_t size, SplashImageInfo* info, std::string* error) {
  if (size < 10) return cutShort(error);
  info->width = readLittle16(bytes + 6);
  info->height = readLittle16(bytes + 8);
  return true;
}

// BMP: the file header, then an OS/2 core header (16-bit sizes) or a
// Windows info header (signed 32-bit; a negative height runs top-down).
bool readBmp(const unsigned char* bytes, size_t size, SplashImageInfo* info, std::string* error) {
  if (size < 18) return cutShort(error);
  const uint32_t header = readLittle32(bytes + 14);
  if (header == 12) {
    if (size < 14 + 12) return cutShort(error);
    info->width = readLittle16(bytes + 18);
    info->height = readLittle16(bytes + 20);
    return true;
  }
  if (header < 40 || header > 1024) {
    *error = "it is a BMP file with an unknown header";
    return false;
  }
  if (size < 14 + 40) return cutShort(error);
  const int64_t width = static_cast<int32_t>(readLittle32(bytes + 18));
  const int64_t height = static_cast<int32_t>(readLittle32(bytes + 22));
  info->width = width < 0 ? 0 : static_cast<uint32_t>(width);
  info->height = static_cast<uint32_t>(height < 0 ? -height : height);
  return true;
}

}  // namespace

bool readSplashImageInfo(const unsigned char* bytes, size_t size, SplashImageInfo* info,
                         std::string* error) {
  if (size == 0) {
    *error = "the file is empty";
    return false;
  }
  if (size > kMostSplashBytes) {
    *error = "the file is larger than " + std::to_string(kMostSplashBytes / 1024 / 1024) + " MiB";
    return false;
  }
  bool read;
  if (startsWith(bytes, size, "\x89PNG\r\n\x1a\n", 8)) {
    info->format = ImageFormat::Png;
    read = readPng(bytes, size, info, error);
  } else if (startsWith(bytes, size, "GIF87a", 6) || startsWith(bytes, size, "GIF89a", 6)) {
    info->format = ImageFormat::Gif;
    read = readGif(bytes, size, info, error);
  } else if (startsWith(bytes, size, "BM", 2)) {
    info->format = ImageFormat::Bmp;
    read = readBmp(bytes, size, info, error);
  } else {
    *error = "it is no PNG, GIF or BMP file";
    return false;
  }
  if (!read) return false;
  if (info->width == 0 || info->height == 0) {
    *error = "its size is 0";
    return false;
  }
  if (info->width > kMostSplashSide || info->height > kMostSplashSide) {
    *error = "it is " + std::to_string(info->width) + " x " + std::to_string(info->height) +
             " pixels, more than " + std::to_string(kMostSplashSide) + " x " +
             std::to_string(kMostSplashSide);
    return false;
  }
  return true;
}

const char* imageFormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Gif: return "GIF";
    case ImageFormat::Bmp: return "BMP";
  }
  return "";
}

}  // namespace tarn
