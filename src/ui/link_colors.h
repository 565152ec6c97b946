// The browser's link colours as the registry stores them: "red,green,blue".
#ifndef TARN_UI_LINK_COLORS_H
#define TARN_UI_LINK_COLORS_H

#include <cstdint>
#include <string>

namespace tarn {

struct LinkColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// Reads "r,g,b": the text before the first comma is red, up to the second
// green, the rest blue, each a decimal number cut to 8 bits. False (color
// untouched) with fewer than two commas or nothing after the second.
bool parseLinkColor(const std::string& text, LinkColor* color);

}  // namespace tarn

#endif
