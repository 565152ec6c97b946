// Outside texts of runtime discovery and the link control: a runtime's
// release file and the registry's link colour values.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/discovery.h"
#include "ui/link_colors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string version = tarn::releaseJavaVersion(text);
  // The value is a part of one line of the text.
  if (version.size() > text.size() || version.find('\n') != std::string::npos) __builtin_trap();
  tarn::JavaVersion parsed;
  parsed.parse(version, 0);
  tarn::LinkColor color;
  tarn::parseLinkColor(text, &color);
  return 0;
}
