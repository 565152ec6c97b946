#include "jvm/startup_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

extern char** environ;

namespace tarn {

bool RealCacheFiles::facts(const std::string& path, FileFacts* facts) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  facts->size = static_cast<uint64_t>(status.st_size);
  facts->modified = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000LL +
                    status.st_mtim.tv_nsec;
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

bool RealCacheFiles::writable(const std::string& folder) {
  std::string probe = folder + "/.probe-" + std::to_string(getpid());
  int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool RealCacheFiles::runQuietly(const std::string& program,
                                const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd <= 2; ++fd)
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  // Whatever the process or its libraries left open without close-on-exec
  // stays behind.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // A service blocks its stop signals; the child must not inherit that.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t child = 0;
  int result = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

uint32_t currentProcessId() { return static_cast<uint32_t>(getpid()); }

std::string currentDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string javaProgramOf(const std::string& runtimeHome) { return runtimeHome + "/bin/java"; }

}  // namespace tarn
