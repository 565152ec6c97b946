// The parts of the machine that portable logic needs: the executable's own
// path, environment variables, files and folders. The launcher gets the real
// one from the entry point; tests hand portable code a fake.
#ifndef TARN_OS_SYSTEM_H
#define TARN_OS_SYSTEM_H

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct System {
  virtual ~System() = default;

  // The executable's full path. On failure *error holds the system's code.
  virtual bool modulePath(std::string* path, uint32_t* error) = 0;

  // Environment variables of the process; an unset variable reads as "".
  virtual bool getEnvironment(const std::string& name, std::string* value) = 0;
  virtual bool setEnvironment(const std::string& name, const std::string& value) = 0;
  // Gone from the environment, not merely empty.
  virtual bool unsetEnvironment(const std::string& name) = 0;

  // A file or folder of this exact name exists.
  virtual bool fileExists(const std::string& path) = 0;
  // Exists and its full path can be formed (the per-user copy's test).
  virtual bool fullPathExists(const std::string& path) = 0;
  virtual bool isDirectory(const std::string& path) = 0;
  virtual bool createDirectory(const std::string& path) = 0;
  virtual bool setCurrentDirectory(const std::string& path) = 0;

  // Windows: the NT platform id is reported. Linux: always true.
  virtual bool isNtPlatform() = 0;
};

// The separator between folders in the target's paths.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathSeparator = '/';
constexpr char kPathListSeparator = ':';
#endif

}  // namespace tarn

#endif
