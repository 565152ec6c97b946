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

// The folder and those above it that are missing; 0 or the errno of the
// first that could not be made. Something else of that name is left for
// the file's creation to report.
int createFolders(const std::string& folder) {
  if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) return 0;
  const int code = errno;
  const size_t slash = folder.find_last_of('/');
  if (code != ENOENT || slash == std::string::npos || slash == 0) return code;
  const int above = createFolders(folder.substr(0, slash));
  if (above != 0) return above;
  return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
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
    *error = fileErrorText(path, "cannot be read", errno);
    return false;
  }
  bytes->clear();
  unsigned char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int code = errno;
      close(fd);
      *error = fileErrorText(path, "read error", code);
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
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  const int folderCode = folder.empty() || isFolder(folder) ? 0 : createFolders(folder);
  if (folderCode != 0) {
    *error = fileErrorText(path, "its folder cannot be created", folderCode);
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
