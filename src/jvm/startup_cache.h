// The start-up cache: the VM's class-data archive or ahead-of-time cache of
// one application, runtime and class path, kept in a per-user folder. It
// turns a runtime, a class path and the VM options into the options that
// use or make the cache, or into no options at all when making one now
// could cost the program anything.
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
  int64_t used = 0;      // last access, nanoseconds since 1970
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
  // Makes the file, empty, or sets the time of the one there to now: false
  // when it cannot be written.
  virtual bool touch(const std::string& path) = 0;
  // Makes the file, readable by the user alone, holding the text: false
  // when there is one already or it cannot be written whole.
  virtual bool writeNew(const std::string& path, const std::string& text) = 0;
  // Sets the last access time to now, and leaves the modified time (and
  // with it a finished cache's stamp) alone.
  virtual void markUsed(const std::string& path) = 0;
  // The bytes this user may still write in the folder's file system; the
  // most there can be when that is unknown.
  virtual uint64_t freeSpace(const std::string& folder) = 0;
  // Makes the folder when it is missing; true when it then is a folder of
  // the user's own, not a link, that no one else may write to (any write
  // access of others is taken away).
  virtual bool ownFolder(const std::string& folder) = 0;
  // Makes the folder, private, when it is missing; one that is there keeps
  // its owner and mode whatever they are.
  virtual void makeMissingFolder(const std::string& folder) = 0;
  // A process of that id runs that had started by then (nanoseconds since
  // 1970): one that has taken the id of an ended one since does not count.
  // Where its start cannot be learnt, any process of the id counts.
  virtual bool processRuns(uint32_t processId, int64_t startedBy) = 0;
  // Runs the program with the arguments, its standard handles on the null
  // device and no other handle of this process, and waits: true when it
  // ended with 0.
  virtual bool runQuietly(const std::string& program, const std::vector<std::string>& arguments) = 0;
  // Starts the program on its own (its own session, no console), with the
  // handles runQuietly gives and one more environment variable, and does
  // not wait for it.
  virtual bool startDetached(const std::string& program, const std::string& variable,
                             const std::string& value) = 0;
};

// The per-user folder of an application's caches: <cache folder>/<product
// name>/<product code>, or <executable name>-<hash of its path> without a
// product name; "" when there is no usable per-user cache folder.
std::string startupCacheFolder(System& system, const std::string& productName,
                               const std::string& productCode, const std::string& modulePath,
                               LeadByteTest lead);

// Makes the application's folders below the user's cache folder (root)
// where missing: true when each is the user's own, so that no one else can
// have put a link or a cache there. The root is the user's setting, and may
// be shared (a group's folder, /tmp): it is only made when missing.
bool makeOwnCacheFolders(CacheFiles& files, const std::string& root, const std::string& folder);

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
  std::string javaProgram;   // the runtime's java launcher, which builds a cache from a class list
  std::vector<std::string> options;  // the VM options, class path option included
  std::string launcherProgram;  // this executable, which also finishes an AOT cache
  std::string workingFolder; // for relative class path entries
  uint32_t processId = 0;
  int64_t now = 0;           // nanoseconds since 1970
};

// What a start does with its cache, and what is left for its end.
struct CachePlan {
  std::vector<std::string> options;  // added ahead of the user's VM parameters
  std::string state;     // what this start does with the cache, as the trace says it
  std::string pending;   // what this process writes; "" when nothing
  std::string inUse;     // the finished cache this start uses; "" when none
  std::string folder;    // the cache folder, which target and pending are in
  std::string target;    // the name the finished file takes, without its stamp
  std::string javaProgram;
  std::vector<std::string> assembleArguments;  // from a class list: the assembling run
  std::string launcherProgram;                 // from a class list: the finisher
  bool writesAtExit = false;  // the VM may write a file as it ends
  bool finished = false;
};

// Sweeps the application's files and decides the options. No options when
// the runtime offers no cache (or is no HotSpot VM, whose options these
// are), the user chose a sharing option, a class path entry is no plain
// file, or nothing can be written; and none either while another start
// makes this cache, after an attempt that left none, or without room.
CachePlan planStartupCache(const CacheInputs& inputs, CacheFiles& files);

// The marker of an attempt at the cache named target: while it is fresh,
// no other start records.
std::string attemptMarker(const std::string& target);

// The real file system and processes.
struct RealCacheFiles : CacheFiles {
  bool facts(const std::string& path, FileFacts* facts) override;
  std::vector<std::string> list(const std::string& folder) override;
  bool remove(const std::string& path) override;
  bool rename(const std::string& from, const std::string& to) override;
  bool touch(const std::string& path) override;
  bool writeNew(const std::string& path, const std::string& text) override;
  void markUsed(const std::string& path) override;
  uint64_t freeSpace(const std::string& folder) override;
  bool ownFolder(const std::string& folder) override;
  void makeMissingFolder(const std::string& folder) override;
  bool processRuns(uint32_t processId, int64_t startedBy) override;
  bool runQuietly(const std::string& program, const std::vector<std::string>& arguments) override;
  bool startDetached(const std::string& program, const std::string& variable,
                     const std::string& value) override;
};
uint32_t currentProcessId();
// This process, and what it starts, give way to others for the processor.
void lowerPriority();
std::string currentDirectory();
// The runtime's java launcher below its home.
std::string javaProgramOf(const std::string& runtimeHome);

// The class path option, which the cache's own options follow.
extern const char kClassPathOption[];

// The list's pieces, empty ones left out.
std::vector<std::string> splitList(const std::string& list, char separator);

}  // namespace tarn

#endif
