// The profile-file functions: one value read from, or written to, an INI
// file on disk. Windows has them built in; on Linux the launcher carries its
// own reader and writer that follow the same rules.
#ifndef TARN_OS_PROFILE_FILES_H
#define TARN_OS_PROFILE_FILES_H

#include <cstdint>
#include <string>

namespace tarn {

struct ProfileFiles {
  virtual ~ProfileFiles() = default;

  // GetPrivateProfileStringA with "" as default: copies at most size - 1
  // bytes of the value and a terminator into buffer and returns the number
  // of bytes copied; a value that does not fit is cut, giving size - 1.
  virtual uint32_t getString(const std::string& section, const std::string& key,
                             char* buffer, uint32_t size, const std::string& path) = 0;

  // WritePrivateProfileStringA: sets one key, adding the section or the
  // file when missing, and keeps everything else of the file.
  virtual bool writeString(const std::string& section, const std::string& key,
                           const std::string& value, const std::string& path) = 0;
};

}  // namespace tarn

#endif
