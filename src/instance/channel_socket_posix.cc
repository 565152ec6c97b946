#include "instance/channel_socket_posix.h"

#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace tarn {

namespace {

bool sameAddress(const Address& a, const Address& b) {
  return a.length == b.length && std::memcmp(&a.socket, &b.socket, a.length) == 0;
}

}  // namespace

Address ownerAddress(const std::string& socketName, uint32_t processId) {
  Address address{};
  address.socket.sun_family = AF_UNIX;
  std::string name = socketName + "-" + std::to_string(processId);
  // Abstract namespace: a leading zero byte, no file to clean up.
  std::memcpy(address.socket.sun_path + 1, name.data(), name.size());
  address.length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return address;
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

bool sendDatagram(int fd, const Address& to, uint32_t message, DatagramKind kind,
                  int32_t value) {
  Datagram datagram{message, kind, value};
  return sendto(fd, &datagram, sizeof datagram, MSG_NOSIGNAL,
                reinterpret_cast<const sockaddr*>(&to.socket), to.length) == ssize_t(sizeof datagram);
}

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

}  // namespace tarn
