#include "jvm/startup_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "jvm/cache_folder.h"
#include "os/file_bytes.h"

extern char** environ;

namespace tarn {

namespace {

int64_t nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

// The program with the standard handles on /dev/null and every other
// descriptor closed, whatever the process or its libraries left open
// without close-on-exec, and signals as a fresh process has them (a
// service blocks its stop signals). Detached, it leads a session of its
// own, which the terminal's hang-up and Ctrl-C do not reach.
bool spawn(const std::string& program, const std::vector<std::string>& arguments,
           char* const* environment, bool detached, pid_t* child) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd <= 2; ++fd)
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (detached) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attributes, flags);
  int result = posix_spawn(child, program.c_str(), &actions, &attributes, argv.data(), environment);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return result == 0;
}

}  // namespace

bool RealCacheFiles::facts(const std::string& path, FileFacts* facts) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  facts->size = static_cast<uint64_t>(status.st_size);
  facts->modified = nanoseconds(status.st_mtim);
  facts->used = nanoseconds(status.st_atim);
  facts->directory = S_ISDIR(status.st_mode);
  return true;
}

std::vector<std::string> RealCacheFiles::list(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  return names;
}

bool RealCacheFiles::remove(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RealCacheFiles::rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RealCacheFiles::touch(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool set = futimens(fd, nullptr) == 0;
  close(fd);
  return set;
}

bool RealCacheFiles::writeNew(const std::string& path, const std::string& text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  return close(fd) == 0 && done == text.size();
}

void RealCacheFiles::markUsed(const std::string& path) {
  const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

uint64_t RealCacheFiles::freeSpace(const std::string& folder) {
  struct statvfs status;
  if (statvfs(folder.c_str(), &status) != 0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
}

bool RealCacheFiles::ownFolder(const std::string& folder) {
  mkdir(folder.c_str(), 0700);
  struct stat status;
  if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != geteuid())
    return false;
  // Earlier versions made the folders as the umask let them, which may
  // leave them open to the user's own group.
  const mode_t open = S_IWGRP | S_IWOTH;
  return (status.st_mode & open) == 0 || chmod(folder.c_str(), status.st_mode & 07777 & ~open) == 0;
}

void RealCacheFiles::makeMissingFolder(const std::string& folder) { mkdir(folder.c_str(), 0700); }

bool RealCacheFiles::processRuns(uint32_t processId, int64_t startedBy) {
  const pid_t pid = static_cast<pid_t>(processId);
  // EPERM: it runs, as another user.
  if (pid <= 0 || static_cast<uint32_t>(pid) != processId || (kill(pid, 0) != 0 && errno != EPERM))
    return false;
  std::string processStat, systemStat;
  int64_t started = 0;
  return !readFileStart("/proc/" + std::to_string(pid) + "/stat", 4096, &processStat) ||
         !readFileStart("/proc/stat", 1 << 20, &systemStat) ||
         !processStartFromProc(processStat, systemStat, sysconf(_SC_CLK_TCK), &started) ||
         started <= startedBy;
}

bool RealCacheFiles::runQuietly(const std::string& program,
                                const std::vector<std::string>& arguments) {
  pid_t child = 0;
  if (!spawn(program, arguments, environ, false, &child)) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RealCacheFiles::startDetached(const std::string& program, const std::string& variable,
                                   const std::string& value) {
  std::vector<char*> environment;
  const std::string prefix = variable + "=";
  for (char** entry = environ; *entry; ++entry)
    if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0) environment.push_back(*entry);
  std::string added = prefix + value;
  environment.push_back(&added[0]);
  environment.push_back(nullptr);
  // Never waited for: it outlives this process, whose end leaves it to init.
  pid_t child = 0;
  return spawn(program, {}, environment.data(), true, &child);
}

void lowerPriority() { setpriority(PRIO_PROCESS, 0, 10); }

uint32_t currentProcessId() { return static_cast<uint32_t>(getpid()); }

std::string currentDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string javaProgramOf(const std::string& runtimeHome) { return runtimeHome + "/bin/java"; }

}  // namespace tarn
