// The splash image's header, from a file beside the executable or a packed
// resource: any bytes give a size within the limits or a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "splash/splash_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tarn::SplashImageInfo info;
  std::string error;
  if (tarn::readSplashImageInfo(data, size, &info, &error)) {
    if (info.width == 0 || info.height == 0 || info.width > tarn::kMostSplashSide ||
        info.height > tarn::kMostSplashSide || !error.empty())
      __builtin_trap();
  } else if (error.empty()) {
    __builtin_trap();
  }
  return 0;
}
