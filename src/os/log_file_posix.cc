#include "os/log_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

bool openLogFile(const std::string& path, LogFile* file) {
  // O_NONBLOCK: a FIFO put there opens at once, to be turned down below.
  const int fd = open(path.c_str(),
                      O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                      0600);
  if (fd < 0) return false;
  struct stat status;
  // A second name is as good as a link: it may be another user's file,
  // where hard links to it are not protected.
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid() ||
      status.st_nlink != 1 || fcntl(fd, F_SETFL, O_APPEND) != 0) {
    close(fd);
    return false;
  }
  file->handle = fd;
  return true;
}

bool appendLogLine(const LogFile& file, const std::string& line) {
  const std::string text = line + "\n";
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(static_cast<int>(file.handle), text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

void closeLogFile(LogFile* file) {
  if (file->handle >= 0) close(static_cast<int>(file->handle));
  file->handle = -1;
}

}  // namespace tarn
