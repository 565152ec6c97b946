// The end of a run that recorded a start-up cache: the archive the VM wrote
// put in place, or, for a cache built from a class list, the finisher
// started: the launcher's own executable again, which has the runtime build
// the cache from the run's class list after this process has gone, and puts
// it in place only when that worked.
#ifndef TARN_JVM_CACHE_FINISH_H
#define TARN_JVM_CACHE_FINISH_H

#include <string>
#include <vector>

#include "jvm/startup_cache.h"

namespace tarn {

// The environment variable that makes the launcher's executable the
// finisher; its value is what finisherText gives.
extern const char kCacheFinisherVariable[];

// The class list and the assembling run of the cache named target,
// recorded by the process processId: an AOT cache of linked classes, or a
// static archive (linked false). The class path option and the options the
// cache depends on (extra) follow the assembling run's own.
void planAssembly(const std::string& target, const std::string& processId,
                  const std::string& javaProgram, bool linked,
                  const std::vector<std::string>& extra, CachePlan* plan);

// What the finisher is told, one value a line, and the plan it reads back
// from it; false for a text that no launcher wrote.
std::string finisherText(const CachePlan& plan);
bool finisherPlan(const std::string& text, CachePlan* plan);

// After the VM has gone: puts the archive it wrote in place, or starts the
// finisher for a cache built from a class list. A run that left nothing
// keeps its attempt's marker. Runs once; later calls do nothing.
void finishStartupCache(CachePlan& plan, CacheFiles& files);

// The finisher's work: the assembling run, then the cache in place. The
// class list goes either way.
void assembleStartupCache(const CachePlan& plan, CacheFiles& files);

}  // namespace tarn

#endif
