#include "jvm/launch_cache.h"

#include <jni.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/config_paths.h"
#include "config/settings.h"
#include "jvm/cache_finish.h"
#include "jvm/environment.h"
#include "jvm/jvm_host.h"
#include "jvm/vm_platform.h"
#include "os/file_bytes.h"
#include "os/text.h"
#include "process/module_path.h"
#include "report/trace.h"
#include "runtime/runtime_home.h"

namespace tarn {

namespace {

// The VM's hooks get no context: what they need of the launch.
struct VmEnd {
  CachePlan* plan = nullptr;  // finished by the exit hook
  // The VM takes one exit hook: the one this took the place of (a
  // service's report) runs after it.
  ExitHook nextExitHook = nullptr;
  std::string pending;  // the file the run writes: a remark naming it is the cache's
  std::string inUse;    // the finished cache the VM starts from, "" when none
  std::atomic<bool> mainStarted{false};
  std::atomic<bool> failing{false};  // the VM said it cannot write the cache
  std::atomic<bool> programEnded{false};
  std::atomic<int32_t> exitValue{0};
};
VmEnd vmEnd;

// More than any plan's class path could take.
const size_t kPlanLimit = 16 << 20;

// How the VM reports that it cannot write its archive as it ends (a full
// disk, a vanished folder), on both streams, before it ends the process
// with 1.
const char* const kWriteFailures[] = {
    "An error has occurred while processing the shared archive file",
    "Error occurred during initialization of VM"};

void JNICALL finishAtExit(jint code) {
  RealCacheFiles files;
  if (vmEnd.plan) finishStartupCache(*vmEnd.plan, files);
  if (vmEnd.nextExitHook) vmEnd.nextExitHook(code);
}

// The VM's own output, written as the VM would write it, less the cache's
// remarks: any that names the file the run writes, and once the program
// runs, the report that the cache cannot be written with all that follows.
jint JNICALL watchVmOutput(FILE* stream, const char* format, va_list args) {
  char text[1024];
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(text, sizeof text, format, copy);
  va_end(copy);
  if (length < 0) text[0] = '\0';
  const bool whole = length >= 0 && static_cast<size_t>(length) < sizeof text;
  if (whole && vmEnd.mainStarted)
    for (const char* failure : kWriteFailures)
      if (std::strncmp(text, failure, std::strlen(failure)) == 0) vmEnd.failing = true;
  if (vmEnd.failing ||
      (whole && !vmEnd.pending.empty() && std::strstr(text, vmEnd.pending.c_str()))) {
    trace("start-up cache: the VM's remark left out: %s", text);
    return length;
  }
  int written = whole ? static_cast<int>(std::fwrite(text, 1, length, stream))
                      : std::vfprintf(stream, format, args);
  // Without the hook the VM writes these straight to the descriptor.
  if (stream == stdout || stream == stderr) std::fflush(stream);
  return written;
}

// The VM ends the process for an error. Before the program started, with a
// cache in use, the cache may be why: damaged behind its stamp's back, it
// would stop every later start too, so it goes and the next start makes
// another. When the error is the VM's failure to write the cache after the
// program ended, the process ends as the program did, not with the VM's 1;
// a crash or any other error is left alone.
void JNICALL vmAborted() {
  if (!vmEnd.mainStarted && !vmEnd.inUse.empty()) {
    RealCacheFiles files;
    bool removed = files.remove(vmEnd.inUse);
    trace("start-up cache: the VM could not start with %s; %s", vmEnd.inUse.c_str(),
          removed ? "removed" : "not removed");
    return;
  }
  if (!vmEnd.failing || !vmEnd.programEnded) return;
  int32_t value = vmEnd.exitValue;
  trace("start-up cache: not written; the run ends with the program's exit value %d",
        static_cast<int>(value));
  std::exit(value);
}

// The application's cache folder, made where missing; "" when there is
// none or it is not the user's own.
std::string ownCacheFolder(System& system, const std::string& productName,
                           const std::string& productCode, const std::string& module,
                           LeadByteTest lead, CacheFiles& files) {
  const std::string folder = startupCacheFolder(system, productName, productCode, module, lead);
  return !folder.empty() && makeOwnCacheFolders(files, userCacheFolder(system), folder)
             ? folder
             : std::string();
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
  RealCacheFiles files;
  CacheInputs in;
  in.folder = ownCacheFolder(*machine.system, settings.productName, settings.productCode, module,
                             machine.lead, files);
  if (in.folder.empty()) {
    trace("start-up cache: no per-user cache folder of the user's own");
    return;
  }
  in.baseName = executableName(module, machine.lead);
  in.vmLibrary = jvm.jvmPath;
  in.runtimeHome = runtimeHome(in.vmLibrary, kPathSeparator == '/', machine.lead);
  in.releaseVersion = releaseJavaVersion(jvm.release);
  in.vmVariant = releaseValue(jvm.release, "JVM_VARIANT");
  in.javaProgram = javaProgramOf(in.runtimeHome);
  in.launcherProgram = module;
  in.options = jvm.options;
  in.workingFolder = currentDirectory();
  in.processId = currentProcessId();
  in.now = std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch()).count();
  *plan = planStartupCache(in, files);
  trace("start-up cache in %s for runtime %s: %s", in.folder.c_str(), in.releaseVersion.c_str(),
        plan->state.c_str());

  // Ahead of the user's parameters, so that their own -Xlog still wins.
  JvmOptionList& options = jvm.options;
  auto at = options.begin();
  while (at != options.end() && !startsWith(*at, kClassPathOption)) ++at;
  if (at != options.end()) ++at;
  options.insert(at, plan->options.begin(), plan->options.end());
  if (!plan->pending.empty()) {
    vmEnd.plan = plan;
    vmEnd.nextExitHook = jvm.exitHook;
    jvm.exitHook = finishAtExit;
  }
  if (!plan->inUse.empty()) {
    vmEnd.inUse = plan->inUse;
    jvm.abortHook = vmAborted;
  }
  if (kVmSharesCLibrary && (plan->writesAtExit || !plan->pending.empty())) {
    vmEnd.pending = plan->pending;
    jvm.vfprintfHook = watchVmOutput;
    jvm.abortHook = vmAborted;
  }
}

void startupCacheMainStarted() { vmEnd.mainStarted = true; }

void startupCacheProgramEnded(int32_t exitValue) {
  vmEnd.exitValue = exitValue;
  vmEnd.programEnded = true;
}

void finishStartupCache(CachePlan& plan) {
  RealCacheFiles files;
  finishStartupCache(plan, files);
  if (vmEnd.plan == &plan) vmEnd.plan = nullptr;
}

bool runStartupCacheFinisher(Machine& machine, int32_t* exitValue) {
  System& system = *machine.system;
  std::string name;
  // Neither the program nor the assembling run has any business with it.
  if (!system.getEnvironment(kCacheFinisherVariable, &name)) return false;
  system.unsetEnvironment(kCacheFinisherVariable);
  std::string module, key, processId;
  uint32_t error = 0;  // the launch reports it
  if (name.empty() || !system.modulePath(&module, &error)) return false;
  const std::string baseName = executableName(module, machine.lead);
  if (!parsePlanFileName(name, baseName, &key, &processId)) {
    trace("start-up cache: %s=%s left alone, no plan file of this executable's",
          kCacheFinisherVariable, name.c_str());
    return false;
  }
  *exitValue = -1;
  std::string productName, productCode, text;
  RealCacheFiles files;
  const std::string folder =
      readProductInformation(machine, embeddedConfigurationText(), &productName, &productCode)
          ? ownCacheFolder(system, productName, productCode, module, machine.lead, files)
          : std::string();
  if (folder.empty()) {
    trace("start-up cache: no cache folder of the user's own for plan %s", name.c_str());
    return true;
  }
  const std::string path = folder + kPathSeparator + name;
  const bool read = readFileStart(path, kPlanLimit, &text);
  files.remove(path);
  CachePlan plan;
  if (!read || !finisherPlan(folder, baseName, name, text, files, &plan)) {
    trace("start-up cache: %s %s", path.c_str(), read ? "is no plan a launch wrote" : "is missing");
    return true;
  }
  lowerPriority();
  trace("start-up cache: building %s from the classes process %s loaded", plan.target.c_str(),
        processId.c_str());
  assembleStartupCache(plan, files);
  *exitValue = 0;
  return true;
}

}  // namespace tarn
