// The end of a run that recorded a start-up cache: the archive the VM wrote
// put in place, or, for a cache built from a class list, the finisher
// started: the launcher's own executable again, which has the runtime build
// the cache from the run's class list after this process has gone, and puts
// it in place only when that worked. The finisher learns what to build from
// a plan file that the run writes into the cache's folder, which only the
// user can write to; the environment variable only names that file.
#ifndef TARN_JVM_CACHE_FINISH_H
#define TARN_JVM_CACHE_FINISH_H

#include <string>
#include <vector>

#include "jvm/startup_cache.h"

namespace tarn {

// The environment variable that makes the launcher's executable the
// finisher; its value is the name of the plan file in the cache's folder.
extern const char kCacheFinisherVariable[];

// The class list and the assembling run of the cache named target,
// recorded by the process processId: an AOT cache of linked classes, or a
// static archive (linked false). The class path option and the options the
// cache depends on (extra) follow the assembling run's own.
void planAssembly(const std::string& target, const std::string& processId,
                  const std::string& javaProgram, bool linked,
                  const std::vector<std::string>& extra, CachePlan* plan);

// The plan file of a cache built from a class list: <target>.p<process>.plan.
std::string planFile(const CachePlan& plan);

// A plan file's name for the caches of baseName, with the key and the
// recording process it names; false for any other name.
bool parsePlanFileName(const std::string& name, const std::string& baseName, std::string* key,
                       std::string* processId);

// What the plan file holds: the runtime's java program, then the assembling
// run's options after its own (the class path option first, after the
// linking option of an AOT cache), one a line.
std::string finisherText(const CachePlan& plan);

// The plan in the file called name in the cache folder of baseName, read
// back from its text. False, with nothing to act on, unless the name is a
// plan file's, the text is exactly one a launcher writes, and its program
// is the java program of a runtime folder (one with a release file).
bool finisherPlan(const std::string& folder, const std::string& baseName,
                  const std::string& name, const std::string& text, CacheFiles& files,
                  CachePlan* plan);

// After the VM has gone: puts the archive it wrote in place, or starts the
// finisher for a cache built from a class list. A run that left nothing
// keeps its attempt's marker. Runs once; later calls do nothing.
void finishStartupCache(CachePlan& plan, CacheFiles& files);

// The finisher's work: the assembling run, then the cache in place. The
// class list goes either way.
void assembleStartupCache(const CachePlan& plan, CacheFiles& files);

}  // namespace tarn

#endif
