// The start-up cache of this launch: planned from the chosen runtime and
// the option list, finished once the VM has gone, and watched while the VM
// ends, so that a cache the VM fails to write leaves the run as the program
// left it. Also the finisher process that builds an AOT cache afterwards.
#ifndef TARN_JVM_LAUNCH_CACHE_H
#define TARN_JVM_LAUNCH_CACHE_H

#include <cstdint>

#include "jvm/startup_cache.h"

namespace tarn {

struct JvmHost;
struct LauncherSettings;

// With "Startup Cache" on: plans the cache into *plan from the chosen runtime
// and the option list, puts its options in, and arranges the finish at VM
// exit. The plan lives until finishStartupCache(plan).
void applyStartupCache(Machine& machine, const LauncherSettings& settings, JvmHost& jvm,
                       CachePlan* plan);

// The program's main method is about to run: from now on the VM's report
// that it cannot write its archive is about the cache.
void startupCacheMainStarted();

// The program has ended with this exit value, and the VM goes next: should
// it then fail to write the cache, the process still ends with this value.
void startupCacheProgramEnded(int32_t exitValue);

// After the VM is gone: finishes what the run started.
void finishStartupCache(CachePlan& plan);

// Takes kCacheFinisherVariable out of the environment. When it names a
// plan file of this executable's caches, this process is the finisher:
// builds the cache that the plan in the cache's folder describes, or
// nothing when there is no sound plan, and returns true with the process's
// exit value. Any other value is traced and the launch goes on (false).
bool runStartupCacheFinisher(Machine& machine, int32_t* exitValue);

}  // namespace tarn

#endif
