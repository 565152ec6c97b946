// The profile-file functions on disk: the system's own on Windows, for the
// file's encoding decoded first; on Linux the launcher's reader and writer.
#ifndef TARN_CONFIG_REAL_PROFILE_FILES_H
#define TARN_CONFIG_REAL_PROFILE_FILES_H

#include <cstdint>
#include <string>

#include "os/profile_files.h"

namespace tarn {

struct RealProfileFiles : ProfileFiles {
  uint32_t getString(const std::string& section, const std::string& key, char* buffer,
                     uint32_t size, const std::string& path) override;
  bool writeString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& path) override;
};

}  // namespace tarn

#endif
