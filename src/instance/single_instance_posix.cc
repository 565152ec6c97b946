// The channel on Linux. The block is a file in a folder only this user may
// write ($XDG_RUNTIME_DIR/tarn, else /dev/shm/tarn-<uid>), named from the
// executable's path, and used only when it is this user's own with no access
// for anyone else; hand-overs, acknowledgements, replies and the first
// instance's exit code travel as datagrams between abstract Unix sockets,
// checked for this user's credentials. Open-file-description locks on the
// block mark its live owner (byte 1) and let one hand-over use the area at a
// time (byte 0), from writing it until the first instance has copied it
// out; the kernel drops both when a process dies, so a killed first
// instance is noticed and replaced, and a killed second one frees the area.
#include "instance/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <system_error>
#include <thread>

#include "config/settings.h"
#include "instance/hand_over_block.h"
#include "os/system.h"
#include "os/text.h"
#include "report/messages.h"
#include "report/trace.h"

namespace tarn {

namespace {

constexpr int kPollMilliseconds = 100;
// A second instance waiting for the hand-over lock looks again this often.
constexpr int kLockPollMilliseconds = 10;
// How long a second instance waits for a first instance that holds the
// block but has not yet published its message thread.
constexpr int64_t kPublishMilliseconds = 10000;
// Starting over when the first instance cannot be reached (it is ending, or
// the block was taken over): how often, and how long in all.
constexpr int kRetryMilliseconds = 20;
constexpr int kRetries = 500;
constexpr off_t kHandOverLockByte = 0;
constexpr off_t kOwnerLockByte = 1;

enum Kind : uint32_t {
  kHandOver = 1,
  kWatch = 2,
  kReply = 3,
  kEnded = 4,
  kSync = 5,    // second to first: answer once every earlier datagram is handled
  kSynced = 6,  // first to second
  kTaken = 7,   // first to second: the area is copied out
};

struct Datagram {
  uint32_t message;
  uint32_t kind;
  int32_t value;
};

struct Address {
  sockaddr_un socket;
  socklen_t length;
};

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

// The folder of this user's blocks, created if missing: the session's
// runtime folder where there is one, else a folder of its own in /dev/shm.
std::string channelFolder(System& system) {
  std::string runtime;
  system.getEnvironment("XDG_RUNTIME_DIR", &runtime);
  std::string folder = !runtime.empty() && runtime[0] == '/'
                           ? runtime + "/tarn"
                           : "/dev/shm/tarn-" + std::to_string(geteuid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

bool privateToUser(const struct stat& status, mode_t type) {
  return (status.st_mode & S_IFMT) == type && status.st_uid == geteuid() &&
         (status.st_mode & 077) == 0;
}

// The block, created if missing, when it and its folder are this user's
// alone; -1 otherwise (someone else may have made either first).
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

Address ownerAddress(const std::string& socketName, uint32_t processId) {
  Address address{};
  address.socket.sun_family = AF_UNIX;
  std::string name = socketName + "-" + std::to_string(processId);
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
bool nameLeadsTo(int fd, const std::string& path) {
  int again = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
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
  std::string blockPath;
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
  if (!notice->blockPath.empty()) unlink(notice->blockPath.c_str());
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  for (const Address& address : notice->waiting)
    sendDatagram(fd, address, notice->message, kEnded, status);
  close(fd);
}

}  // namespace

struct ChannelObjects {
  std::string blockPath;
  std::string socketName;
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
  uint32_t firstProcessId = 0;
  bool lockHeld = false;
};

namespace {

struct WorkerStart {
  int socketFd;
  Address sender;
  uint32_t message;
  ExitNotice* notice;
  std::vector<std::string> arguments;
};

void sendReply(void* context, int32_t value) {
  WorkerStart* start = static_cast<WorkerStart*>(context);
  sendDatagram(start->socketFd, start->sender, start->message, kReply, value);
  forget(*start->notice, start->sender);
}

// The message thread. A hand-over's arguments are copied out as it arrives
// and the sender is told at once, so it lets the next one use the area.
void messageLoop(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
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
    if (datagram.kind != kWatch && datagram.kind != kSync && datagram.kind != kHandOver) continue;
    remember(*objects.notice, sender);
    if (datagram.kind == kSync) {
      // Datagrams are taken in order: every hand-over sent before this
      // request has been copied out by now.
      sendDatagram(objects.socketFd, sender, objects.handOverMessage, kSynced, 0);
      continue;
    }
    if (datagram.kind != kHandOver || !enterWorker(channel.gate)) continue;
    WorkerStart start{objects.socketFd, sender, objects.handOverMessage, objects.notice,
                      readArguments(channel)};
    sendDatagram(objects.socketFd, sender, objects.handOverMessage, kTaken, 0);
    try {
      std::thread([&channel, start]() mutable {
        deliverHandOver(channel, start.arguments, sendReply, &start);
      }).detach();
    } catch (const std::system_error&) {
      leaveWorker(channel.gate);
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

bool setUpFirstInstance(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  std::memset(channel.view, 0, kHandOverBlockSize);
  objects.handOverMessage = uint32_t(fnv1a(channel.name)) | 1u;
  writeBlockField(channel.view, kHandOverMessageOffset, objects.handOverMessage);
  objects.socketFd = openSocket();
  if (objects.socketFd < 0) return false;
  Address own = ownerAddress(objects.socketName, uint32_t(getpid()));
  if (bind(objects.socketFd, reinterpret_cast<const sockaddr*>(&own.socket), own.length) != 0)
    return false;
  if (pipe2(objects.wake, O_CLOEXEC) != 0) return false;
  ExitNotice* notice = new ExitNotice;
  notice->message = objects.handOverMessage;
  notice->blockPath = objects.blockPath;
  notice->owner = getpid();
  if (on_exit(onProcessExit, notice) != 0) {
    delete notice;
    return false;
  }
  objects.notice = notice;
  writeBlockField(channel.view, kOwnerProcessIdOffset, uint32_t(getpid()));
  std::future<uint32_t> id = objects.messageThreadId.get_future();
  try {
    objects.messageThread = std::thread([&channel] {
      channel.objects->messageThreadId.set_value(threadId());
      messageLoop(channel);
    });
  } catch (const std::system_error&) {
    return false;
  }
  publishOwnerThread(channel.view, id.get());
  return true;
}

void finish(SingleInstanceChannel& channel, int32_t value) {
  channel.finished = true;
  channel.finishedValue = value;
}

enum class Heard { kNothing, kSynced, kTaken, kReply, kEnded };

struct Answer {
  Heard heard;
  int32_t value;
};

// The next answer for this second instance, or the first instance's end;
// waits up to `wait` milliseconds for either when neither is there yet.
Answer listen(SingleInstanceChannel& channel, int wait) {
  ChannelObjects& objects = *channel.objects;
  // Looked at before the datagrams: a first instance that ended has sent its
  // exit code by then. A block taken over by a new owner counts as ended.
  bool alive = ownerAlive(objects.blockFd) &&
               readBlockField(channel.view, kOwnerProcessIdOffset) == objects.firstProcessId;
  Datagram datagram{};
  while (receiveDatagram(objects.socketFd, objects.handOverMessage, &datagram, nullptr,
                         MSG_DONTWAIT)) {
    switch (datagram.kind) {
      case kReply: return {Heard::kReply, datagram.value};
      case kEnded: return {Heard::kEnded, datagram.value};
      case kTaken: return {Heard::kTaken, 0};
      case kSynced: return {Heard::kSynced, 0};
      default: break;
    }
  }
  if (!alive) return {Heard::kEnded, -1};  // killed without a word: no exit code to be had
  if (wait > 0) {
    pollfd socketWait{objects.socketFd, POLLIN, 0};
    poll(&socketWait, 1, wait);
  }
  return {Heard::kNothing, 0};
}

// Takes the hand-over lock, or learns that the first instance ended first.
void takeHandOverLock(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  bool watching = false;
  for (;;) {
    objects.lockHeld = lockByte(objects.blockFd, kHandOverLockByte);
    // Looked at after the lock too: the instance before us may have let it
    // go because the first one ended.
    Answer answer = listen(channel, objects.lockHeld ? 0 : kLockPollMilliseconds);
    if (answer.heard == Heard::kEnded) {
      finish(channel, answer.value);
      return;
    }
    if (objects.lockHeld) return;
    if (!watching)
      watching = sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kWatch, 0);
  }
}

void releaseHandOverLock(ChannelObjects& objects) {
  if (objects.lockHeld) unlockByte(objects.blockFd, kHandOverLockByte);
  objects.lockHeld = false;
}

enum class Published { kYes, kOwnerGone, kTimedOut, kUnusable };

// Waits until the block's owner has published everything a hand-over needs
// and maps the block.
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

enum class Outcome { kDone, kFailed, kStartOver };

Outcome handOver(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  objects.handOverMessage = readBlockField(channel.view, kHandOverMessageOffset);
  objects.firstProcessId = readBlockField(channel.view, kOwnerProcessIdOffset);
  objects.first = ownerAddress(objects.socketName, objects.firstProcessId);
  objects.socketFd = openSocket();
  if (objects.socketFd < 0) return Outcome::kFailed;
  sa_family_t family = AF_UNIX;  // an address of the kernel's choosing
  if (bind(objects.socketFd, reinterpret_cast<const sockaddr*>(&family), sizeof family) != 0)
    return Outcome::kFailed;
  takeHandOverLock(channel);
  if (channel.finished) return Outcome::kDone;
  // A holder that died with the lock may have left a hand-over on its way,
  // which reads the area: it is written only once the first instance has
  // handled everything sent before. Nothing is handed over yet, so a first
  // instance that cannot be reached is looked for anew.
  if (!sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kSync, 0))
    return Outcome::kStartOver;
  for (;;) {
    Answer answer = listen(channel, kPollMilliseconds);
    if (answer.heard == Heard::kSynced) break;
    if (answer.heard == Heard::kEnded) {
      finish(channel, answer.value);
      return Outcome::kDone;
    }
  }
  if (!writeArguments(channel)) return Outcome::kFailed;
  if (!sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kHandOver,
                    int32_t(threadId())))
    return Outcome::kStartOver;
  return Outcome::kDone;
}

}  // namespace

bool setUpSingleInstance(SingleInstanceChannel& channel, const ChannelLaunch& launch) {
  channel.launch = launch;
  bool wanted = false;
  if (!prepareChannel(channel, &wanted)) return false;
  if (!wanted) return true;
  std::string folder = channelFolder(*channel.launch.machine->system);
  std::string hash = hexDigits(fnv1a(channel.name), 16);
  std::string blockPath = folder + "/" + hash;

  for (int attempt = 0; attempt < kRetries; ++attempt) {
    int fd = openBlock(folder, hash);
    // Not this user's own: no channel, and nothing told to whoever made it.
    if (fd < 0) {
      trace("single instance: %s is not this user's own or cannot be opened", blockPath.c_str());
      return true;
    }
    bool owner = lockByte(fd, kOwnerLockByte);
    if (!owner && errno != EAGAIN && errno != EACCES) {
      close(fd);
      return true;
    }
    // A block whose owner has ended is taken over, unless its name has
    // moved on to a newer block in the meantime.
    if (owner && !nameLeadsTo(fd, blockPath)) {
      close(fd);
      continue;
    }
    uint8_t* view = nullptr;
    if (owner) {
      void* mapped = MAP_FAILED;
      if (ftruncate(fd, off_t(kHandOverBlockSize)) == 0)
        mapped = mmap(nullptr, kHandOverBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (mapped == MAP_FAILED) {
        close(fd);
        return true;
      }
      view = static_cast<uint8_t*>(mapped);
    } else {
      Published published = waitForPublishedBlock(fd, &view);
      if (published != Published::kYes) {
        if (view) munmap(view, kHandOverBlockSize);
        close(fd);
        if (published == Published::kOwnerGone) continue;
        if (published == Published::kUnusable) return true;
        reportSilentFirstInstance();
        return false;
      }
    }
    channel.objects = new ChannelObjects;
    channel.objects->blockPath = blockPath;
    channel.objects->socketName = "tarn-" + std::to_string(geteuid()) + "-" + hash;
    channel.objects->blockFd = fd;
    channel.view = view;
    channel.singleInstance = true;
    channel.firstInstance = owner;
    if (!owner) {
      Outcome outcome = handOver(channel);
      if (outcome != Outcome::kStartOver) return outcome == Outcome::kDone;
      trace("single instance: the first instance cannot be reached; looking again");
      dropChannel(channel);
      sleepMilliseconds(kRetryMilliseconds);
      continue;
    }
    if (!setUpFirstInstance(channel)) {
      // Run as an ordinary launcher; the block goes now, while still ours.
      if (ExitNotice* notice = channel.objects->notice) {
        std::lock_guard<std::mutex> lock(notice->mutex);
        notice->blockPath.clear();
      }
      unlink(blockPath.c_str());
      dropChannel(channel);
    }
    return true;
  }
  reportSilentFirstInstance();
  return false;
}

int32_t waitForFirstInstance(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  int32_t result = channel.finishedValue;
  while (!channel.finished) {
    Answer answer = listen(channel, kPollMilliseconds);
    // Taken: the next second instance may use the area. A reply implies it.
    if (answer.heard == Heard::kTaken) releaseHandOverLock(objects);
    if (answer.heard == Heard::kReply || answer.heard == Heard::kEnded) {
      result = answer.value;
      break;
    }
  }
  releaseHandOverLock(objects);
  return result;
}

void signalMainStarted(SingleInstanceChannel& channel) {
  if (channel.objects) openHandOverGate(channel.gate);
}

void closeSingleInstance(SingleInstanceChannel& channel) {
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
