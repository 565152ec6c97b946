// The start-up cache of this launch: planned from the chosen runtime and
// the option list, and finished once the VM has gone.
#ifndef TARN_JVM_LAUNCH_CACHE_H
#define TARN_JVM_LAUNCH_CACHE_H

#include "jvm/startup_cache.h"

namespace tarn {

struct JvmHost;
struct LauncherSettings;

// With "Startup Cache" on: plans the cache into *plan from the chosen runtime
// and the option list, puts its options in, and arranges the finish at VM
// exit. The plan lives until finishStartupCache(plan).
void applyStartupCache(Machine& machine, const LauncherSettings& settings, JvmHost& jvm,
                       CachePlan* plan);

// After the VM is gone: finishes what the run started.
void finishStartupCache(CachePlan& plan);

}  // namespace tarn

#endif
