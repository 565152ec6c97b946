#include "jvm/vm_platform.h"

#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "os/expand_environment.h"
#include "os/file_bytes.h"

namespace tarn {

// The loader looks for a library's dependencies in its own run paths
// ($ORIGIN for the VM's), LD_LIBRARY_PATH as the process started, its cache
// and the system folders: the current folder only where one of those names it.
void keepCurrentFolderOutOfLibrarySearch() {}
void searchRuntimeLibraryFolder(const std::string&) {}

void* openLibrary(const std::string& path, uint32_t* error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!library) {
    // dlopen gives no number: a file that cannot be reached reports why,
    // one that is there is not a library.
    struct stat info;
    *error = stat(path.c_str(), &info) != 0 ? static_cast<uint32_t>(errno) : ENOEXEC;
  }
  return library;
}

void* librarySymbol(void* library, const char* name, uint32_t* error) {
  dlerror();
  void* symbol = dlsym(library, name);
  if (!symbol) *error = ENOENT;
  return symbol;
}

namespace {

struct ThreadStart {
  ThreadBody body;
  void* parameter;
  uint32_t exitCode;
};

void* threadMain(void* start) {
  ThreadStart* s = static_cast<ThreadStart*>(start);
  s->exitCode = s->body(s->parameter);
  return nullptr;
}

}  // namespace

bool runThread(int32_t stackSize, ThreadBody body, void* parameter, uint32_t* exitCode) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  if (stackSize > 0) {
    // Below the minimum no thread starts at all; Windows rounds up as well.
    size_t size = static_cast<size_t>(stackSize);
    if (size < static_cast<size_t>(PTHREAD_STACK_MIN)) size = PTHREAD_STACK_MIN;
    pthread_attr_setstacksize(&attributes, size);
  }
  ThreadStart start{body, parameter, 1};
  pthread_t thread;
  int created = pthread_create(&thread, &attributes, threadMain, &start);
  pthread_attr_destroy(&attributes);
  if (created != 0) return false;
  pthread_join(thread, nullptr);
  *exitCode = start.exitCode;
  return true;
}

MemoryFigures memoryFigures() {
  MemoryFigures figures;
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0)
    figures.totalPhysical = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
  // The address space left: the limit (RLIMIT_AS, else the user half of a
  // 47-bit space) minus what the process has mapped already.
  uint64_t limit = sizeof(void*) >= 8 ? (uint64_t{1} << 47) : (uint64_t{3} << 30);
  struct rlimit rl;
  if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY &&
      static_cast<uint64_t>(rl.rlim_cur) < limit)
    limit = static_cast<uint64_t>(rl.rlim_cur);
  // statm starts with the size of the mappings, in pages.
  std::string statm;
  readFileStart("/proc/self/statm", 64, &statm);
  uint64_t used = std::strtoull(statm.c_str(), nullptr, 10);
  if (pageSize > 0) used *= static_cast<uint64_t>(pageSize);
  figures.availableVirtual = limit > used ? limit - used : 0;
  return figures;
}

std::string legacyCodePageText(const std::string& text) { return text; }

void expandEnvironment(std::string& text) {
  text = expandEnvironmentText(text, [](const std::string& name, std::string* value) {
    const char* found = getenv(name.c_str());
    if (!found) return false;
    *value = found;
    return true;
  });
}

}  // namespace tarn
