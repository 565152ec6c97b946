#include "os/profile_files.h"

#include <windows.h>

namespace tarn {

uint32_t RealProfileFiles::getString(const std::string& section, const std::string& key,
                                     char* buffer, uint32_t size, const std::string& path) {
  return GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, size, path.c_str());
}

bool RealProfileFiles::writeString(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& path) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace tarn
