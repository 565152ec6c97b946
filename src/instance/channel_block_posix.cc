#include "instance/channel_block_posix.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "instance/hand_over_block.h"
#include "os/system.h"
#include "report/trace.h"

namespace tarn {

namespace {

// How long a second instance waits for a first instance that holds the
// block but has not yet published its message thread.
constexpr int64_t kPublishMilliseconds = 10000;

bool privateToUser(const struct stat& status, mode_t type) {
  return (status.st_mode & S_IFMT) == type && status.st_uid == geteuid() &&
         (status.st_mode & 077) == 0;
}

}  // namespace

int64_t nowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleepMilliseconds(int milliseconds) {
  timespec wait{0, long(milliseconds) * 1000000};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

std::string channelFolder(System& system) {
  std::string runtime;
  system.getEnvironment("XDG_RUNTIME_DIR", &runtime);
  std::string folder = !runtime.empty() && runtime[0] == '/'
                           ? runtime + "/tarn"
                           : "/dev/shm/tarn-" + std::to_string(geteuid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

int openBlock(const std::string& folder, const std::string& name) {
  int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (directory < 0) return -1;
  struct stat status{};
  int fd = -1;
  if (fstat(directory, &status) == 0 && privateToUser(status, S_IFDIR))
    fd = openat(directory, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  close(directory);
  if (fd >= 0 && (fstat(fd, &status) != 0 || !privateToUser(status, S_IFREG))) {
    close(fd);
    fd = -1;
  }
  return fd;
}

bool setByteLock(int fd, off_t byte, short type) {
  struct flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool lockByte(int fd, off_t byte) { return setByteLock(fd, byte, F_WRLCK); }

void unlockByte(int fd, off_t byte) { setByteLock(fd, byte, F_UNLCK); }

bool ownerAlive(int fd) {
  struct flock lock{};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kOwnerLockByte;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

bool nameLeadsTo(int fd, const std::string& path) {
  int again = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (again < 0) return false;
  struct stat mine{}, named{};
  bool same = fstat(fd, &mine) == 0 && fstat(again, &named) == 0 &&
              mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
  close(again);
  return same;
}

Published waitForPublishedBlock(int fd, uint8_t** view) {
  int64_t deadline = nowMilliseconds() + kPublishMilliseconds;
  bool waiting = false;
  for (;;) {
    if (!ownerAlive(fd)) return Published::kOwnerGone;
    struct stat status{};
    if (!*view && fstat(fd, &status) == 0 && status.st_size >= off_t(kHandOverBlockSize)) {
      void* mapped = mmap(nullptr, kHandOverBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (mapped == MAP_FAILED) return Published::kUnusable;
      *view = static_cast<uint8_t*>(mapped);
    }
    if (*view && handOverBlockComplete(*view)) return Published::kYes;
    if (nowMilliseconds() > deadline) return Published::kTimedOut;
    if (!waiting) trace("single instance: the first instance is still setting up; waiting");
    waiting = true;
    sleepMilliseconds(2);
  }
}

}  // namespace tarn
