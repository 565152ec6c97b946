#include "os/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarn {

bool readFileStart(const std::string& path, size_t limit, std::string* bytes) {
  bytes->clear();
  // Non-blocking, so that a named pipe in the file's place cannot hang the
  // launcher before the test for a regular file turns it away.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char chunk[65536];
  while (ok && bytes->size() < limit) {
    size_t wanted = limit - bytes->size() < sizeof chunk ? limit - bytes->size() : sizeof chunk;
    ssize_t got = read(fd, chunk, wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    bytes->append(chunk, static_cast<size_t>(got));
  }
  close(fd);
  if (!ok) bytes->clear();
  return ok;
}

}  // namespace tarn
