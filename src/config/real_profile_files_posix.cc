#include "config/real_profile_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "config/profile_text.h"
#include "os/file_bytes.h"

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

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
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

// The new text goes to a temporary file beside the old one, which the rename
// then replaces in one step: a crash leaves either file whole.
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

  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder + "/." + base + "." + std::to_string(getpid()) + "." +
                std::to_string(attempt) + ".tmp";
    // A new file gets the usual 0666 less the umask; an old one its own mode.
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  if (exists) {
    if (fchown(fd, info.st_uid, info.st_gid) != 0) {
      // Only the owner's group may be kept without privileges; that is enough.
    }
    ok = fchmod(fd, info.st_mode & 07777) == 0;
  }
  ok = ok && writeAll(fd, updated) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace tarn
