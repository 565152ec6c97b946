#include "os/real_system.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

bool RealSystem::modulePath(std::string* path, uint32_t* error) {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length < 0) {
    *error = static_cast<uint32_t>(errno);
    return false;
  }
  // readlink fills the whole buffer when the path did not fit.
  if (static_cast<size_t>(length) >= sizeof buffer) {
    *error = ENAMETOOLONG;
    return false;
  }
  path->assign(buffer, static_cast<size_t>(length));
  return true;
}

bool RealSystem::getEnvironment(const std::string& name, std::string* value) {
  const char* found = getenv(name.c_str());
  if (!found) {
    value->clear();
    return false;
  }
  *value = found;
  return true;
}

bool RealSystem::setEnvironment(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool RealSystem::unsetEnvironment(const std::string& name) {
  return unsetenv(name.c_str()) == 0;
}

bool RealSystem::fileExists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool RealSystem::fullPathExists(const std::string& path) {
  if (path.size() >= PATH_MAX) return false;
  char full[PATH_MAX];
  return fileExists(path) && realpath(path.c_str(), full) != nullptr;
}

bool RealSystem::isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RealSystem::createDirectory(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

bool RealSystem::setCurrentDirectory(const std::string& path) {
  return chdir(path.c_str()) == 0;
}

bool RealSystem::isNtPlatform() { return true; }

}  // namespace tarn
