// An icon file (.ico) as the resources that carry it in an executable:
// one RT_ICON per image and the RT_GROUP_ICON directory naming them.
#ifndef TARN_TOOLS_ICON_FILE_H
#define TARN_TOOLS_ICON_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct IconResources {
  std::vector<std::vector<unsigned char>> images;  // image i gets id firstId + i
  std::vector<unsigned char> group;
};

// Reads an icon file. Each image must lie inside the file and be a PNG or
// a device-independent bitmap. False with *error otherwise.
bool readIconFile(const std::vector<unsigned char>& file, uint16_t firstId, IconResources* icon,
                  std::string* error);

}  // namespace tarn

#endif
