// The start-up cache: the VM's class-data archive or ahead-of-time cache of
// one application, runtime and class path, kept in a per-user folder. It
// turns a runtime, a class path and the VM options into the options that
// use or make the cache, and moves a finished cache into place at exit.
#ifndef TARN_JVM_STARTUP_CACHE_H
#define TARN_JVM_STARTUP_CACHE_H

#include <cstdint>
#include <string>
#include <vector>

#include "jvm/cache_options.h"
#include "os/machine.h"

namespace tarn {

struct FileFacts {
  uint64_t size = 0;
  int64_t modified = 0;  // nanoseconds since 1970
  bool directory = false;
};

// The file system and processes as the cache sees them.
struct CacheFiles {
  virtual ~CacheFiles() = default;
  virtual bool facts(const std::string& path, FileFacts* facts) = 0;
  // The names (not paths) of the entries of a folder.
  virtual std::vector<std::string> list(const std::string& folder) = 0;
  virtual bool remove(const std::string& path) = 0;
  // Windows refuses an existing target; Linux replaces it.
  virtual bool rename(const std::string& from, const std::string& to) = 0;
  // A file can be made in the folder (one is made and removed).
  virtual bool writable(const std::string& folder) = 0;
  // Runs the program with the arguments, without input or output, and
  // waits: true when it ended with 0.
  virtual bool runQuietly(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// The per-user folder of an application's caches: <cache folder>/<product
// name>/<product code>, or <executable name>-<hash of its path> without a
// product name; "" when there is no usable per-user cache folder. With
// create set, the folders are made on the way.
std::string startupCacheFolder(System& system, const std::string& productName,
                               const std::string& productCode, const std::string& modulePath,
                               LeadByteTest lead, bool create);

// 16 hex digits over what a cache depends on.
std::string cacheKey(CacheFiles& files, const std::string& runtimeHome,
                     const std::string& releaseVersion, const std::string& vmLibrary,
                     const std::vector<std::string>& classPath,
                     const std::vector<std::string>& shapingOptions);

struct CacheInputs {
  std::string folder;        // from startupCacheFolder
  std::string baseName;      // the executable's name without extension
  std::string runtimeHome;
  std::string releaseVersion;
  std::string vmVariant;     // JVM_VARIANT of the release file, "" when none
  std::string vmLibrary;
  std::string javaProgram;   // the runtime's java launcher, for assembling an AOT cache
  std::vector<std::string> options;  // the VM options, class path option included
  std::string workingFolder; // for relative class path entries
  uint32_t processId = 0;
  int64_t now = 0;           // nanoseconds since 1970
};

// What a start does with its cache, and what is left for its end.
struct CachePlan {
  std::vector<std::string> options;  // added ahead of the user's VM parameters
  std::string pending;   // what this process writes; "" when nothing
  std::string target;    // the name the finished file takes, without its stamp
  std::string javaProgram;
  std::vector<std::string> assembleArguments;  // AOT: the assembling run
  bool finished = false;
  const char* none = "";  // without options: why, as the trace says it
};

// Removes stale and damaged files of the application and decides the
// options. No options when the runtime offers no cache (or is no HotSpot VM,
// whose options these are), the user chose a
// sharing option, a class path entry is no plain file, or nothing can be
// written.
CachePlan planStartupCache(const CacheInputs& inputs, CacheFiles& files);

// Moves the file this process wrote into place, assembling an AOT cache
// first. Runs once; later calls do nothing.
void finishStartupCache(CachePlan& plan, CacheFiles& files);

// The real file system and processes.
struct RealCacheFiles : CacheFiles {
  bool facts(const std::string& path, FileFacts* facts) override;
  std::vector<std::string> list(const std::string& folder) override;
  bool remove(const std::string& path) override;
  bool rename(const std::string& from, const std::string& to) override;
  bool writable(const std::string& folder) override;
  bool runQuietly(const std::string& program, const std::vector<std::string>& arguments) override;
};
uint32_t currentProcessId();
std::string currentDirectory();
// The runtime's java launcher below its home.
std::string javaProgramOf(const std::string& runtimeHome);

// The class path option, which the cache's own options follow.
extern const char kClassPathOption[];

// The list's pieces, empty ones left out.
std::vector<std::string> splitList(const std::string& list, char separator);

}  // namespace tarn

#endif
