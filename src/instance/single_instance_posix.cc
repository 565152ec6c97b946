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
// A first instance that is ending refuses hand-overs; the second instance
// then waits for it to end and starts over, normally as the first instance.
#include "instance/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <system_error>
#include <thread>

#include "config/settings.h"
#include "instance/channel_block_posix.h"
#include "instance/channel_socket_posix.h"
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
// Starting over (the first instance is ending, or the block was taken
// over): at most this often.
constexpr int kRetries = 500;

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

// The last word to a second instance: it no longer waits for our end.
void answer(int socketFd, const Address& to, uint32_t message, ExitNotice& notice,
            DatagramKind kind, int32_t value) {
  sendDatagram(socketFd, to, message, kind, value);
  forget(notice, to);
}

void sendReply(void* context, HandOverAnswer kind, int32_t value) {
  WorkerStart* start = static_cast<WorkerStart*>(context);
  answer(start->socketFd, start->sender, start->message, *start->notice,
         kind == HandOverAnswer::kRefused ? kRefused : kReply, value);
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
    if (datagram.kind != kHandOver) continue;
    if (!enterWorker(channel.gate)) {
      trace("hand-over refused: the program has ended");
      answer(objects.socketFd, sender, objects.handOverMessage, *objects.notice, kRefused, 0);
      continue;
    }
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

// The first instance this second one found still holds the block. A block
// taken over by a new owner counts as ended.
bool firstAlive(SingleInstanceChannel& channel) {
  return ownerAlive(channel.objects->blockFd) &&
         readBlockField(channel.view, kOwnerProcessIdOffset) == channel.objects->firstProcessId;
}

// Takes the hand-over lock; false when the first instance ended first.
bool takeHandOverLock(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  bool watching = false;
  for (;;) {
    objects.lockHeld = lockByte(objects.blockFd, kHandOverLockByte);
    // Looked at after the lock too: the instance before us may have let it
    // go because the first one ended.
    Answer answer = listenToFirst(channel, objects.lockHeld ? 0 : kLockPollMilliseconds);
    if (answer.heard == Heard::kEnded) return false;
    if (objects.lockHeld) return true;
    if (!watching)
      watching = sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kWatch, 0);
  }
}

HandOverOutcome handOver(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  objects.handOverMessage = readBlockField(channel.view, kHandOverMessageOffset);
  objects.firstProcessId = readBlockField(channel.view, kOwnerProcessIdOffset);
  objects.first = ownerAddress(objects.socketName, objects.firstProcessId);
  objects.socketFd = openSocket();
  if (objects.socketFd < 0) return HandOverOutcome::kFailed;
  sa_family_t family = AF_UNIX;  // an address of the kernel's choosing
  if (bind(objects.socketFd, reinterpret_cast<const sockaddr*>(&family), sizeof family) != 0)
    return HandOverOutcome::kFailed;
  if (!takeHandOverLock(channel)) return HandOverOutcome::kStartOver;
  // A holder that died with the lock may have left a hand-over on its way,
  // which reads the area: it is written only once the first instance has
  // handled everything sent before. Nothing is handed over yet, so a first
  // instance that cannot be reached is looked for anew.
  if (!sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kSync, 0))
    return HandOverOutcome::kStartOver;
  for (;;) {
    Answer answer = listenToFirst(channel, kPollMilliseconds);
    if (answer.heard == Heard::kSynced) break;
    if (answer.heard == Heard::kEnded) return HandOverOutcome::kStartOver;
  }
  if (!writeArguments(channel)) return HandOverOutcome::kFailed;
  if (!sendDatagram(objects.socketFd, objects.first, objects.handOverMessage, kHandOver,
                    int32_t(threadId())))
    return HandOverOutcome::kStartOver;
  return awaitAnswer(channel);
}

}  // namespace

Answer listenToFirst(SingleInstanceChannel& channel, int wait) {
  ChannelObjects& objects = *channel.objects;
  // Looked at before the datagrams: a first instance that ended has sent its
  // exit code by then.
  bool alive = firstAlive(channel);
  Datagram datagram{};
  while (receiveDatagram(objects.socketFd, objects.handOverMessage, &datagram, nullptr,
                         MSG_DONTWAIT)) {
    switch (datagram.kind) {
      case kReply: return {Heard::kReply, datagram.value};
      case kEnded: return {Heard::kEnded, datagram.value};
      case kTaken: return {Heard::kTaken, 0};
      case kSynced: return {Heard::kSynced, 0};
      case kRefused: return {Heard::kRefused, 0};
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

void releaseHandOverLock(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  if (objects.lockHeld) unlockByte(objects.blockFd, kHandOverLockByte);
  objects.lockHeld = false;
}

bool waitForFirstEnd(SingleInstanceChannel& channel, int milliseconds) {
  int64_t deadline = nowMilliseconds() + milliseconds;
  while (firstAlive(channel)) {
    if (nowMilliseconds() > deadline) return false;
    sleepMilliseconds(kLockPollMilliseconds);
  }
  return true;
}

bool setUpSingleInstance(SingleInstanceChannel& channel, const ChannelLaunch& launch) {
  channel.launch = launch;
  bool wanted = false;
  if (!prepareChannel(channel, &wanted)) return false;
  if (!wanted) return true;
  std::string folder = channelFolder(*channel.launch.machine->system);
  std::string hash = hexDigits(fnv1a(channel.name), 16);
  std::string blockPath = folder + "/" + hash;

  std::chrono::steady_clock::time_point endingDeadline{};
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
      HandOverOutcome outcome = handOver(channel);
      if (outcome != HandOverOutcome::kStartOver) return outcome == HandOverOutcome::kDone;
      bool ended = waitToStartOver(channel, &endingDeadline);
      dropChannel(channel);
      if (!ended) return false;
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
