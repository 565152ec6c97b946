#include "pack_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace tarn {

namespace fs = std::filesystem;

namespace {

bool isFolder(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool writeAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::vector<std::string> packArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool readWholeFile(const std::string& path, Bytes* bytes, std::string* error) {
  if (isFolder(path)) {
    *error = path + ": is a folder";
    return false;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = path + ": cannot be read";
    return false;
  }
  bytes->clear();
  unsigned char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      *error = path + ": read error";
      return false;
    }
    if (n == 0) break;
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  close(fd);
  return true;
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code code;
  if (fs::equivalent(a, b, code)) return true;
  const fs::path first = fs::weakly_canonical(fs::absolute(a, code), code);
  if (code) return false;
  const fs::path second = fs::weakly_canonical(fs::absolute(b, code), code);
  return !code && first == second;
}

bool replaceFile(const std::string& path, const Bytes& bytes, const std::string& like,
                 std::string* error) {
  if (isFolder(path)) {
    *error = path + ": is a folder";
    return false;
  }
  int mode = 0700;
  struct stat status;
  if (stat(like.c_str(), &status) == 0) mode = static_cast<int>((status.st_mode & 0777) | 0700);
  ReplaceFailure failure;
  if (replaceFile(path, bytes.data(), bytes.size(), mode, &failure)) return true;
  *error = replaceFailureText(path, failure, failure.keptCopy);
  return false;
}

std::string systemMessage(int code) { return std::strerror(code); }

void writeOutput(const std::string& text) {
  writeAll(1, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

void writeError(const std::string& text) {
  writeAll(2, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

}  // namespace tarn
