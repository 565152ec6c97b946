// The channel's messages on Linux: datagrams between abstract Unix sockets
// of this user's processes, and the first instance's exit code told to the
// second instances that wait for it.
#ifndef TARN_INSTANCE_CHANNEL_SOCKET_POSIX_H
#define TARN_INSTANCE_CHANNEL_SOCKET_POSIX_H

#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tarn {

enum DatagramKind : uint32_t {
  kHandOver = 1,
  kWatch = 2,
  kReply = 3,
  kEnded = 4,
  kSync = 5,    // second to first: answer once every earlier datagram is handled
  kSynced = 6,  // first to second
  kTaken = 7,   // first to second: the area is copied out
  kRefused = 8,  // first to second: not taken, the first instance is ending
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

// The owner's socket: the channel's socket name and its process id.
Address ownerAddress(const std::string& socketName, uint32_t processId);

// A datagram socket that receives its senders' credentials; -1 on failure.
int openSocket();

bool sendDatagram(int fd, const Address& to, uint32_t message, DatagramKind kind,
                  int32_t value);

// One datagram of this channel from a process of this user; false when none
// is waiting (or the one taken was someone else's).
bool receiveDatagram(int fd, uint32_t message, Datagram* datagram, Address* from, int flags);

// Second instances that wait for this first instance, told its exit code
// when the process ends (normally or through System.exit). Lives until then.
struct ExitNotice {
  std::mutex mutex;
  std::vector<Address> waiting;
  uint32_t message = 0;
  std::string blockPath;
  pid_t owner = 0;
};

void forget(ExitNotice& notice, const Address& address);
void remember(ExitNotice& notice, const Address& address);

// The exit handler (on_exit) that removes the block's name and sends the
// exit code to everyone waiting.
void onProcessExit(int status, void* notice);

}  // namespace tarn

#endif
