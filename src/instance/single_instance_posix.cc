// The channel on Linux. The block is POSIX shared memory named from the
// user and the executable's path; hand-overs, replies and the first
// instance's exit code travel as datagrams between abstract Unix sockets.
// Open-file-description locks on the block mark its live owner (byte 1) and
// let one hand-over use the area at a time (byte 0); the kernel drops both
// when a process dies, so a killed first instance is noticed and replaced.
#include "instance/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <system_error>
#include <thread>

#include "config/settings.h"
#include "instance/hand_over_block.h"
#include "launcher/launcher.h"
#include "launcher/messages.h"

namespace tarn {

namespace {

constexpr int kPollMilliseconds = 100;
constexpr off_t kHandOverLockByte = 0;
constexpr off_t kOwnerLockByte = 1;

enum Kind : uint32_t { kHandOver = 1, kWatch = 2, kReply = 3, kEnded = 4 };

struct Datagram {
  uint32_t message;
  uint32_t kind;
  int32_t value;
};

struct Address {
  sockaddr_un socket;
  socklen_t length;
};

uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string hex(uint64_t value) {
  static const char digits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[size_t(i)] = digits[value & 15];
  return text;
}

// Per user, as the Windows names live in the log-on's own namespace.
std::string blockNameFor(const std::string& channelName) {
  return "/tarn-" + std::to_string(getuid()) + "-" + hex(fnv1a(channelName));
}

Address ownerAddress(const std::string& blockName, uint32_t processId) {
  Address address{};
  address.socket.sun_family = AF_UNIX;
  std::string name = blockName.substr(1) + "-" + std::to_string(processId);
  // Abstract namespace: a leading zero byte, no file to clean up.
  std::memcpy(address.socket.sun_path + 1, name.data(), name.size());
  address.length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return address;
}

bool lockByte(int fd, off_t byte) {
  struct flock lock{};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

void unlockByte(int fd, off_t byte) {
  struct flock lock{};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  fcntl(fd, F_OFD_SETLK, &lock);
}

bool ownerAlive(int fd) {
  struct flock lock{};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kOwnerLockByte;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

// The name still leads to this very block (a first instance that ended may
// have removed it after we opened it).
bool nameLeadsTo(int fd, const std::string& blockName) {
  int again = shm_open(blockName.c_str(), O_RDWR | O_CLOEXEC, 0600);
  if (again < 0) return false;
  struct stat mine{}, named{};
  bool same = fstat(fd, &mine) == 0 && fstat(again, &named) == 0 &&
              mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
  close(again);
  return same;
}

int openSocket() {
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int on = 1;
  if (setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool sendDatagram(int fd, const Address& to, uint32_t message, Kind kind, int32_t value) {
  Datagram datagram{message, kind, value};
  return sendto(fd, &datagram, sizeof datagram, MSG_NOSIGNAL,
                reinterpret_cast<const sockaddr*>(&to.socket), to.length) == ssize_t(sizeof datagram);
}

// One datagram of this channel from a process of this user; false when none
// is waiting (or the one taken was someone else's).
bool receiveDatagram(int fd, uint32_t message, Datagram* datagram, Address* from, int flags) {
  Address sender{};
  sender.length = sizeof sender.socket;
  iovec part{datagram, sizeof *datagram};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
  msghdr header{};
  header.msg_name = &sender.socket;
  header.msg_namelen = sender.length;
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  header.msg_control = control;
  header.msg_controllen = sizeof control;
  ssize_t got = recvmsg(fd, &header, flags | MSG_CMSG_CLOEXEC);
  if (got != ssize_t(sizeof *datagram) || (header.msg_flags & MSG_TRUNC)) return false;
  cmsghdr* item = CMSG_FIRSTHDR(&header);
  if (!item || item->cmsg_level != SOL_SOCKET || item->cmsg_type != SCM_CREDENTIALS) return false;
  ucred credentials;
  std::memcpy(&credentials, CMSG_DATA(item), sizeof credentials);
  if (credentials.uid != getuid() || datagram->message != message) return false;
  sender.length = header.msg_namelen;
  if (from) *from = sender;
  return true;
}

// Second instances that wait for this first instance, told its exit code
// when the process ends (normally or through System.exit). Lives until then.
struct ExitNotice {
  std::mutex mutex;
  std::vector<Address> waiting;
  uint32_t message = 0;
  std::string blockName;
  pid_t owner = 0;
};

bool sameAddress(const Address& a, const Address& b) {
  return a.length == b.length && std::memcmp(&a.socket, &b.socket, a.length) == 0;
}

void forget(ExitNotice& notice, const Address& address) {
  std::lock_guard<std::mutex> lock(notice.mutex);
  for (auto it = notice.waiting.begin(); it != notice.waiting.end(); ++it) {
    if (sameAddress(*it, address)) {
      notice.waiting.erase(it);
      return;
    }
  }
}

void remember(ExitNotice& notice, const Address& address) {
  std::lock_guard<std::mutex> lock(notice.mutex);
  for (const Address& known : notice.waiting)
    if (sameAddress(known, address)) return;
  notice.waiting.push_back(address);
}

void onProcessExit(int status, void* parameter) {
  ExitNotice* notice = static_cast<ExitNotice*>(parameter);
  // A child forked by native code that calls exit is not the owner.
  if (getpid() != notice->owner) return;
  std::lock_guard<std::mutex> lock(notice->mutex);
  // Removed while this process still owns it, so the name never leads a
  // later first instance astray.
  if (!notice->blockName.empty()) shm_unlink(notice->blockName.c_str());
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  for (const Address& address : notice->waiting)
    sendDatagram(fd, address, notice->message, kEnded, status);
  close(fd);
}

}  // namespace

struct ChannelObjects {
  std::string blockName;
  int blockFd = -1;
  int socketFd = -1;
  uint32_t handOverMessage = 0;
  // First instance.
  int wake[2] = {-1, -1};
  std::thread messageThread;
  std::promise<uint32_t> messageThreadId;  // outlives the thread that sets it
  ExitNotice* notice = nullptr;  // belongs to the exit handler once registered
  // Second instance.
  Address first{};
  bool lockHeld = false;
};

namespace {

struct WorkerStart {
  int socketFd;
  Address sender;
  uint32_t message;
  ExitNotice* notice;
};

void sendReply(void* context, int32_t value) {
  WorkerStart* start = static_cast<WorkerStart*>(context);
  sendDatagram(start->socketFd, start->sender, start->message, kReply, value);
  forget(*start->notice, start->sender);
}

void messageLoop(Launcher& launcher) {
  ChannelObjects& objects = *launcher.channel.objects;
  pollfd waits[2] = {{objects.socketFd, POLLIN, 0}, {objects.wake[0], POLLIN, 0}};
  for (;;) {
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (waits[1].revents || (waits[0].revents & (POLLERR | POLLNVAL))) return;
    if (!(waits[0].revents & POLLIN)) continue;
    Datagram datagram{};
    Address sender{};
    if (!receiveDatagram(objects.socketFd, objects.handOverMessage, &datagram, &sender, 0))
      continue;
    // An unnamed sender could never be answered.
    if (sender.length <= offsetof(sockaddr_un, sun_path)) continue;
    if (datagram.kind == kWatch) {
      remember(*objects.notice, sender);
      continue;
    }
    if (datagram.kind != kHandOver) continue;
    remember(*objects.notice, sender);
    if (!enterWorker(launcher.channel.gate)) continue;
    WorkerStart start{objects.socketFd, sender, objects.handOverMessage, objects.notice};
    try {
      std::thread([&launcher, start]() mutable {
        deliverHandOver(launcher, sendReply, &start);
      }).detach();
    } catch (const std::system_error&) {
      leaveWorker(launcher.channel.gate);
    }
  }
}

uint32_t threadId() { return uint32_t(syscall(SYS_gettid)); }

void dropChannel(SingleInstanceChannel& channel) {
  ChannelObjects* objects = channel.objects;
  if (channel.view) munmap(channel.view, kHandOverBlockSize);
  if (objects->socketFd >= 0) close(objects->socketFd);
  if (objects->blockFd >= 0) close(objects->blockFd);
  for (int fd : objects->wake)
    if (fd >= 0) close(fd);
  delete objects;
  channel.objects = nullptr;
  channel.view = nullptr;
  channel.singleInstance = false;
  channel.firstInstance = false;
}

bool setUpFirstInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects& objects = *channel.objects;
  std::memset(channel.view, 0, kHandOverBlockSize);
  objects.handOverMessage = uint32_t(fnv1a(channel.name)) | 1u;
  writeBlockField(channel.view, kHandOverMessageOffset, objects.handOverMessage);
  objects.socketFd = openSocket();
  if (objects.socketFd < 0) return false;
  Address own = ownerAddress(objects.blockName, uint32_t(getpid()));
  if (bind(objects.socketFd, reinterpret_cast<const sockaddr*>(&own.socket), own.length) != 0)
    return false;
  if (pipe2(objects.wake, O_CLOEXEC) != 0) return false;
  ExitNotice* notice = new ExitNotice;
  notice->message = objects.handOverMessage;
  notice->blockName = objects.blockName;
  notice->owner = getpid();
  if (on_exit(onProcessExit, notice) != 0) {
    delete notice;
    return false;
  }
  objects.notice = notice;
  writeBlockField(channel.view, kOwnerProcessIdOffset, uint32_t(getpid()));
  std::future<uint32_t> id = objects.messageThreadId.get_future();
  try {
    objects.messageThread = std::thread([&launcher] {
      launcher.channel.objects->messageThreadId.set_value(threadId());
      messageLoop(launcher);
    });
  } catch (const std::system_error&) {
    return false;
  }
  // Published last: a second instance that sees it can hand over.
  writeBlockField(channel.view, kOwnerThreadIdOffset, id.get());
  return true;
}

// Takes the hand-over lock, or learns that the first instance ended first.
void takeHandOverLock(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  bool watching = false;
  for (;;) {
    objects.lockHeld = lockByte(objects.blockFd, kHandOverLockByte);
    // Looked at after the lock too: the instance before us may have let
    // it go because the first one ended.
    bool alive = ownerAlive(objects.blockFd);
    if (objects.lockHeld && alive) return;
    if (!watching && !objects.lockHeld)
      watching = sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kWatch, 0);
    Datagram datagram{};
    while (receiveDatagram(objects.socketFd, objects.handOverMessage, &datagram, nullptr,
                           MSG_DONTWAIT)) {
      if (datagram.kind == kEnded) {
        channel.finished = true;
        channel.finishedValue = datagram.value;
        return;
      }
    }
    if (!alive) {
      channel.finished = true;
      channel.finishedValue = -1;
      return;
    }
    pollfd wait{objects.socketFd, POLLIN, 0};
    poll(&wait, 1, kPollMilliseconds);
  }
}

bool handOver(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects& objects = *channel.objects;
  uint32_t processId = readBlockField(channel.view, kOwnerProcessIdOffset);
  // A first instance still setting up cannot take a hand-over yet.
  if (readBlockField(channel.view, kOwnerThreadIdOffset) == 0 || processId == 0) return false;
  objects.handOverMessage = readBlockField(channel.view, kHandOverMessageOffset);
  objects.first = ownerAddress(objects.blockName, processId);
  objects.socketFd = openSocket();
  if (objects.socketFd < 0) return false;
  sa_family_t family = AF_UNIX;  // an address of the kernel's choosing
  if (bind(objects.socketFd, reinterpret_cast<const sockaddr*>(&family), sizeof family) != 0)
    return false;
  takeHandOverLock(channel);
  if (channel.finished) return true;
  if (!writeArguments(launcher)) return false;
  return sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kHandOver,
                      int32_t(threadId()));
}

}  // namespace

bool setUpSingleInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  bool wanted = false;
  if (!prepareChannel(launcher, &wanted)) return false;
  if (!wanted) return true;
  std::string blockName = blockNameFor(channel.name);

  for (int attempt = 0; attempt < 8; ++attempt) {
    int fd = shm_open(blockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    bool owner = lockByte(fd, kOwnerLockByte);
    if (!owner && errno != EAGAIN && errno != EACCES) {
      close(fd);
      return true;
    }
    // A block whose owner has ended is taken over, unless its name has
    // moved on to a newer block in the meantime.
    if (owner && !nameLeadsTo(fd, blockName)) {
      close(fd);
      continue;
    }
    struct stat status{};
    if (owner && ftruncate(fd, off_t(kHandOverBlockSize)) != 0) {
      close(fd);
      return true;
    }
    if (fstat(fd, &status) != 0 || status.st_size < off_t(kHandOverBlockSize)) {
      // The first instance is still creating its block.
      close(fd);
      return owner;
    }
    void* view = mmap(nullptr, kHandOverBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
      close(fd);
      return true;
    }
    channel.objects = new ChannelObjects;
    channel.objects->blockName = blockName;
    channel.objects->blockFd = fd;
    channel.view = static_cast<uint8_t*>(view);
    channel.singleInstance = true;
    channel.firstInstance = owner;
    if (!owner) return handOver(launcher);
    if (!setUpFirstInstance(launcher)) {
      // Run as an ordinary launcher; the block goes now, while still ours.
      if (ExitNotice* notice = channel.objects->notice) {
        std::lock_guard<std::mutex> lock(notice->mutex);
        notice->blockName.clear();
      }
      shm_unlink(blockName.c_str());
      dropChannel(channel);
    }
    return true;
  }
  return true;
}

int32_t waitForFirstInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects& objects = *channel.objects;
  int32_t result = -1;
  if (channel.finished) {
    result = channel.finishedValue;
  } else {
    for (bool alive = true; alive;) {
      // Looked at before the next datagram check: a first instance that
      // ended has sent its exit code by then.
      alive = ownerAlive(objects.blockFd);
      Datagram datagram{};
      bool answered = false;
      while (receiveDatagram(objects.socketFd, objects.handOverMessage, &datagram, nullptr,
                             MSG_DONTWAIT)) {
        if (datagram.kind == kReply || datagram.kind == kEnded) {
          result = datagram.value;
          answered = true;
          break;
        }
      }
      if (answered) break;
      if (!alive) break;  // killed without a word: no exit code to be had
      pollfd wait{objects.socketFd, POLLIN, 0};
      poll(&wait, 1, kPollMilliseconds);
    }
  }
  if (objects.lockHeld) unlockByte(objects.blockFd, kHandOverLockByte);
  objects.lockHeld = false;
  return result;
}

void signalMainStarted(Launcher& launcher) {
  if (launcher.channel.objects) openHandOverGate(launcher.channel.gate);
}

void closeSingleInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects* objects = channel.objects;
  if (!objects) return;
  if (objects->messageThread.joinable()) {
    char stop = 0;
    ssize_t written = write(objects->wake[1], &stop, 1);
    (void)written;
    objects->messageThread.join();
  }
  // The first instance keeps its block and the owner lock until the process
  // ends: the exit handler removes the name first, so no later start takes
  // over a block that is about to vanish.
  if (channel.firstInstance) objects->blockFd = -1;
  dropChannel(channel);
}

}  // namespace tarn
