// The files of an application's cache folder: their names, and the sweep
// that keeps the caches of the few keys used last, so that several
// installs of one application each keep theirs.
#ifndef TARN_JVM_CACHE_FOLDER_H
#define TARN_JVM_CACHE_FOLDER_H

#include <cstdint>
#include <string>

#include "jvm/startup_cache.h"

namespace tarn {

// The stamp of a finished file: its name then says which size and time it
// had when it was put in place, so a truncated or rewritten one shows.
std::string cacheStamp(const FileFacts& facts);

// What the folder holds for the key a start uses, once swept.
struct KeyFiles {
  std::string finished;    // a sound finished cache of the key, "" when none
  bool pending = false;    // a file of the key that another run still writes
  bool attempted = false;  // a fresh marker of an attempt at the key
  int64_t attemptedAt = 0;
  uint64_t lastSize = 0;   // the size of the cache used last of another key, 0 when none
};

// Removes what is of no more use: damaged finished files, pending files
// long untouched whose process has ended, markers older than a day, and the caches of keys beyond
// the few used last once they have not been used for a day. Nothing but
// the application's own cache files is ever removed. Finished files carry
// extension; a finished file of the key with another one is damaged.
KeyFiles sweepCacheFolder(const std::string& folder, const std::string& baseName,
                          const std::string& key, const std::string& extension, int64_t now,
                          CacheFiles& files);

// When a process started, in nanoseconds since 1970, from its line in
// Linux's /proc/<pid>/stat (its start in clock ticks after boot) and the
// text of /proc/stat (the boot's time); false when they hold none.
bool processStartFromProc(const std::string& processStat, const std::string& systemStat,
                          int64_t ticksPerSecond, int64_t* started);

// A day, the age at which a marker lapses and an unused cache is old.
extern const int64_t kCacheDay;

}  // namespace tarn

#endif
