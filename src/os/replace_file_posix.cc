#include "os/replace_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {
namespace {

struct RealPlacing : FilePlacing {
  bool exists(const SystemPath& path) override {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
  }
  // rename replaces in one step, or leaves both names as they were.
  bool replace(const SystemPath& from, const SystemPath& to, int* code) override {
    return move(from, to, code);
  }
  bool move(const SystemPath& from, const SystemPath& to, int* code) override {
    if (rename(from.c_str(), to.c_str()) == 0) return true;
    *code = errno;
    return false;
  }
  void remove(const SystemPath& path) override { unlink(path.c_str()); }
};

bool writeAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool fail(ReplaceFailure* failure, ReplaceFailure::Step step, int code) {
  failure->step = step;
  failure->code = code;
  return false;
}

}  // namespace

bool replaceFile(const SystemPath& path, const void* data, size_t size, int mode,
                 ReplaceFailure* failure) {
  struct stat old;
  const bool keepOld = mode == kKeepMode && stat(path.c_str(), &old) == 0;
  // A new file under kKeepMode gets the usual 0666 less the umask.
  const mode_t created = mode == kKeepMode && !keepOld ? 0666 : 0600;
  SystemPath temporary;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = temporaryBeside(path, static_cast<unsigned long>(getpid()), attempt);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, created);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return fail(failure, ReplaceFailure::Step::Create, errno);
  if (keepOld && fchown(fd, old.st_uid, old.st_gid) != 0) {
    // Without privileges only the owner's group can be kept; that is enough.
  }
  bool written = true;
  if (keepOld) written = fchmod(fd, old.st_mode & 07777) == 0;
  else if (mode != kKeepMode) written = fchmod(fd, static_cast<mode_t>(mode)) == 0;
  written = written && writeAll(fd, static_cast<const unsigned char*>(data), size) && fsync(fd) == 0;
  const int code = errno;
  if (close(fd) != 0 || !written) {
    unlink(temporary.c_str());
    return fail(failure, ReplaceFailure::Step::Write, written ? errno : code);
  }
  RealPlacing system;
  if (!placeTemporary(system, temporary, path, failure)) return false;
  // The new name is durable once its folder is.
  const size_t slash = path.rfind('/');
  const SystemPath folder = slash == SystemPath::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  return true;
}

}  // namespace tarn
