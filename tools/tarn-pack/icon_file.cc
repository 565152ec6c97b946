#include "icon_file.h"

#include <cstring>

#include "os/little_endian.h"

namespace tarn {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kFileEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;

}  // namespace

bool readIconFile(const std::vector<unsigned char>& file, uint16_t firstId, IconResources* icon,
                  std::string* error) {
  if (file.size() < kHeaderSize || readLittle16(&file[0]) != 0 || readLittle16(&file[2]) != 1) {
    *error = "not an icon file";
    return false;
  }
  const size_t count = readLittle16(&file[4]);
  if (count == 0) {
    *error = "the icon file holds no image";
    return false;
  }
  if (count > 0xFFFFu - firstId + 1u) {
    *error = "the icon file holds too many images";
    return false;
  }
  if ((file.size() - kHeaderSize) / kFileEntrySize < count) {
    *error = "the icon file is cut short";
    return false;
  }
  IconResources result;
  result.group.assign(file.begin(), file.begin() + kHeaderSize);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* entry = &file[kHeaderSize + i * kFileEntrySize];
    const uint32_t size = readLittle32(entry + 8);
    const uint32_t offset = readLittle32(entry + 12);
    if (size == 0 || offset > file.size() || file.size() - offset < size) {
      *error = "image " + std::to_string(i + 1) + " of the icon file lies outside the file";
      return false;
    }
    const unsigned char* image = &file[offset];
    const bool png = size >= 8 && std::memcmp(image, "\x89PNG\r\n\x1a\n", 8) == 0;
    const bool bitmap = size >= 40 && readLittle32(image) == 40;
    if (!png && !bitmap) {
      *error = "image " + std::to_string(i + 1) + " of the icon file is neither PNG nor a bitmap";
      return false;
    }
    result.images.emplace_back(image, image + size);
    // The group's entry is the file's without the offset, and the id.
    result.group.insert(result.group.end(), entry, entry + 12);
    const uint16_t id = static_cast<uint16_t>(firstId + i);
    result.group.push_back(static_cast<unsigned char>(id & 0xFF));
    result.group.push_back(static_cast<unsigned char>(id >> 8));
  }
  static_assert(kGroupEntrySize == 12 + 2, "group entry");
  *icon = std::move(result);
  return true;
}

}  // namespace tarn
