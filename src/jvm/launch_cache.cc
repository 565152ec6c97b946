#include "jvm/launch_cache.h"

#include <jni.h>

#include <chrono>

#include "config/config_paths.h"
#include "config/settings.h"
#include "jvm/environment.h"
#include "jvm/jvm_host.h"
#include "os/text.h"
#include "process/module_path.h"
#include "report/trace.h"
#include "runtime/runtime_home.h"

namespace tarn {

namespace {

// The plan that the VM's exit hook finishes: the hook gets no context.
CachePlan* exitPlan = nullptr;
// The VM takes one exit hook: the one this took the place of (a service's
// report) runs after it.
ExitHook nextExitHook = nullptr;

void JNICALL finishAtExit(jint code) {
  RealCacheFiles files;
  if (exitPlan) finishStartupCache(*exitPlan, files);
  if (nextExitHook) nextExitHook(code);
}

}  // namespace

void applyStartupCache(Machine& machine, const LauncherSettings& settings, JvmHost& jvm,
                       CachePlan* plan) {
  if (!settings.startupCache) {
    trace("start-up cache: not asked for");
    return;
  }
  // The VM reads these variables too: a sharing option there is the user's.
  for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"}) {
    std::string value;
    machine.system->getEnvironment(name, &value);
    for (const std::string& option : splitList(value, ' ')) {
      if (!isSharingOption(option)) continue;
      trace("start-up cache: none, %s holds a sharing option", name);
      return;
    }
  }
  std::string module;
  if (!modulePath(*machine.system, &module)) return;
  CacheInputs in;
  in.folder = startupCacheFolder(*machine.system, settings.productName, settings.productCode,
                                 module, machine.lead, true);
  if (in.folder.empty() || !machine.system->isDirectory(in.folder)) {
    trace("start-up cache: no per-user cache folder");
    return;
  }
  in.baseName = executableName(module, machine.lead);
  in.vmLibrary = jvm.jvmPath;
  in.runtimeHome = runtimeHome(in.vmLibrary, kPathSeparator == '/', machine.lead);
  in.releaseVersion = releaseJavaVersion(jvm.release);
  in.vmVariant = releaseValue(jvm.release, "JVM_VARIANT");
  in.javaProgram = javaProgramOf(in.runtimeHome);
  in.options = jvm.options;
  in.workingFolder = currentDirectory();
  in.processId = currentProcessId();
  in.now = std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch()).count();
  RealCacheFiles files;
  *plan = planStartupCache(in, files);
  trace("start-up cache in %s for runtime %s: %s%s", in.folder.c_str(),
        in.releaseVersion.c_str(),
        plan->options.empty()   ? "none, "
        : plan->pending.empty() ? "in use"
                                : "written at exit",
        plan->options.empty() ? plan->none : "");

  // Ahead of the user's parameters, so that their own -Xlog still wins.
  JvmOptionList& options = jvm.options;
  auto at = options.begin();
  while (at != options.end() && !startsWith(*at, kClassPathOption)) ++at;
  if (at != options.end()) ++at;
  options.insert(at, plan->options.begin(), plan->options.end());
  if (!plan->pending.empty()) {
    exitPlan = plan;
    nextExitHook = jvm.exitHook;
    jvm.exitHook = finishAtExit;
  }
}

void finishStartupCache(CachePlan& plan) {
  RealCacheFiles files;
  finishStartupCache(plan, files);
  if (exitPlan == &plan) exitPlan = nullptr;
}

}  // namespace tarn
