#include "config/real_profile_files.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <string>

#include "config/profile_text.h"
#include "os/file_bytes.h"
#include "os/replace_file.h"

namespace tarn {
namespace {

// The whole file; false when it cannot be read, with *absent telling a
// missing file from one that is there but unreadable, and *info its mode
// and owner.
bool readWholeFile(const std::string& path, std::string* bytes, struct stat* info, bool* absent) {
  *absent = false;
  bytes->clear();
  if (stat(path.c_str(), info) != 0) {
    *absent = errno == ENOENT;
    return false;
  }
  return readFileStart(path, static_cast<size_t>(-1), bytes);
}

// The file that a link names, so that replacing it keeps the link.
std::string resolvedPath(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char target[PATH_MAX];
  if (!realpath(path.c_str(), target)) return std::string();
  return target;
}

}  // namespace

uint32_t RealProfileFiles::getString(const std::string& section, const std::string& key,
                                     char* buffer, uint32_t size, const std::string& path) {
  std::string bytes;
  struct stat info;
  bool absent;
  readWholeFile(path, &bytes, &info, &absent);
  return profileCopyString(bytes, section, key, buffer, size);
}

// The new text replaces the old in one step, through a link to the file
// it names; the file keeps its mode and, as far as allowed, its owner.
bool RealProfileFiles::writeString(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& path) {
  const std::string target = resolvedPath(path);
  if (target.empty()) return false;
  std::string old;
  struct stat info;
  bool absent;
  bool exists = readWholeFile(target, &old, &info, &absent);
  if (!exists && !absent) return false;  // never replace a file that could not be read
  std::string updated;
  if (!profileSetString(old, section, key, value, "\n", &updated)) return false;
  if (exists && updated == old) return true;

  ReplaceFailure failure;
  return replaceFile(target, updated.data(), updated.size(), kKeepMode, &failure);
}

}  // namespace tarn
