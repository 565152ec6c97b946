#include "splash/splash.h"

#include "os/system.h"
#include "os/text.h"

namespace tarn {

std::string splashImagePath(const std::string& executablePath, const std::string& configured,
                            LeadByteTest lead) {
  // Rooted ("\x", "/x"), on a drive ("C:x") or a share: as it is.
  if (configured.empty() || configured[0] == '\\' || configured[0] == '/' ||
      (configured.size() >= 2 && configured[1] == ':'))
    return configured;
  const size_t slash = findLastChar(executablePath, kPathSeparator, lead);
  if (slash == std::string::npos) return configured;
  return executablePath.substr(0, slash + 1) + configured;
}

void scaledSplashSize(uint32_t width, uint32_t height, uint32_t dpi, uint32_t* scaledWidth,
                      uint32_t* scaledHeight) {
  if (dpi == 0) dpi = 96;
  auto scale = [dpi](uint32_t side) {
    const uint64_t scaled = (static_cast<uint64_t>(side) * dpi + 48) / 96;
    return static_cast<uint32_t>(scaled == 0 ? 1 : scaled > 0x7FFF ? 0x7FFF : scaled);
  };
  *scaledWidth = scale(width);
  *scaledHeight = scale(height);
}

SplashRect splashBounds(const SplashRect& workArea, uint32_t width, uint32_t height) {
  auto start = [](int32_t low, int32_t high, uint32_t size) {
    const int64_t room = static_cast<int64_t>(high) - low;
    const int64_t offset = room > size ? (room - size) / 2 : 0;
    return static_cast<int32_t>(low + offset);
  };
  SplashRect bounds;
  bounds.left = start(workArea.left, workArea.right, width);
  bounds.top = start(workArea.top, workArea.bottom, height);
  bounds.right = static_cast<int32_t>(bounds.left + static_cast<int64_t>(width));
  bounds.bottom = static_cast<int32_t>(bounds.top + static_cast<int64_t>(height));
  return bounds;
}

}  // namespace tarn
