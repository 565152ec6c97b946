#include "os/profile_files.h"

#include <cstring>

namespace tarn {

uint32_t RealProfileFiles::getString(const std::string&, const std::string&, char* buffer,
                                     uint32_t size, const std::string&) {
  if (size) buffer[0] = '\0';
  return 0;
}

bool RealProfileFiles::writeString(const std::string&, const std::string&, const std::string&,
                                   const std::string&) {
  return false;
}

}  // namespace tarn
