#include "jvm/jvm_host.h"

#include <cstring>

#include "jvm/environment.h"
#include "jvm/java_main.h"
#include "jvm/vm_platform.h"
#include "os/system.h"
#include "os/text.h"
#include "report/messages.h"
#include "report/trace.h"
#include "runtime/discovery.h"

namespace tarn {

namespace {

// The JDK 1.1 init-args record, which current jni.h no longer declares but
// every VM still fills with its default Java stack size.
struct Jdk11InitArgs {
  jint version;
  char** properties;
  jint checkSource;
  jint nativeStackSize;
  jint javaStackSize;
  jint minHeapSize;
  jint maxHeapSize;
  jint verifyMode;
  char* classpath;
  void* vfprintfHook;
  void* exitHook;
  void* abortHook;
  jint enableClassGC;
  jint enableVerboseGC;
  jint disableAsyncGC;
  jint verbose;
  jboolean debugging;
  jint debugPort;
};
// The record's size in the headers that declared it, for 32-bit VMs.
static_assert(sizeof(void*) != 4 || sizeof(Jdk11InitArgs) == 72, "JDK 1.1 init-args layout");

}  // namespace

bool loadJvmLibrary(JvmHost& host) {
  searchRuntimeLibraryFolder(host.jvmPath);
  uint32_t error = 0;
  void* library = openLibrary(host.jvmPath, &error);
  if (!library) {
    reportError(IDS_VM_LIBRARY_NOT_LOADED, host.jvmPath, static_cast<int32_t>(error));
    return false;
  }
  void* create = librarySymbol(library, "JNI_CreateJavaVM", &error);
  if (!create) {
    reportError(IDS_WINDOWS_EXCEPTION, loadMessage(IDS_NO_CREATE_JAVA_VM),
                static_cast<int32_t>(error));
    return false;
  }
  void* defaults = librarySymbol(library, "JNI_GetDefaultJavaVMInitArgs", &error);
  if (!defaults) {
    reportError(IDS_WINDOWS_EXCEPTION, loadMessage(IDS_NO_CREATE_JAVA_VM),
                static_cast<int32_t>(error));
    return false;
  }
  host.createJavaVm = reinterpret_cast<CreateJavaVmEntry>(create);
  host.getDefaultInitArgs = reinterpret_cast<GetDefaultInitArgsEntry>(defaults);
  trace("VM library loaded: %s", host.jvmPath.c_str());
  return true;
}

namespace {

// JNI_VERSION_19, which jni.h declares from JDK 19 on.
constexpr jint kJniVersion19 = 0x00130000;

// A VM answers JNI_OK only for the versions it implements.
bool knowsJniVersion(const JvmHost& host, jint version) {
  JavaVMInitArgs args;
  std::memset(&args, 0, sizeof args);
  args.version = version;
  return host.getDefaultInitArgs && host.getDefaultInitArgs(&args) == JNI_OK;
}

}  // namespace

RuntimeTraits probeRuntimeTraits(JvmHost& host) {
  const std::string home =
      runtimeHome(host.jvmPath, kPathSeparator == '/', systemLeadByte) + kPathSeparator;
  host.release = DiskRuntimeFiles().read(home);
  const std::string release = releaseJavaVersion(host.release);
  const bool jni9 = knowsJniVersion(host, JNI_VERSION_9);
  const bool jni19 = knowsJniVersion(host, kJniVersion19);
  RuntimeTraits traits = runtimeTraits(jni9, jni19, release);
  trace("runtime %s, JNI 9 %s, JNI 19 %s: option strings in the %s code page, %s",
        release.empty() ? "without a release file" : release.c_str(), jni9 ? "known" : "unknown",
        jni19 ? "known" : "unknown", traits.optionsInProcessCodePage ? "process's" : "legacy",
        traits.scalesForDpi ? "per-monitor DPI aware" : "not DPI aware");
  return traits;
}

int32_t defaultThreadStackSize(JvmHost& host) {
  if (!host.getDefaultInitArgs) return 0;
  Jdk11InitArgs args;
  std::memset(&args, 0, sizeof args);
  args.version = JNI_VERSION_1_1;
  host.getDefaultInitArgs(&args);  // its result says nothing about the stack size
  return args.javaStackSize > 0 ? static_cast<int32_t>(args.javaStackSize) : 0;
}

std::string jniErrorReason(jint result) {
  switch (result) {
    case JNI_ERR: return loadMessage(IDS_JNI_ERR);
    case JNI_EDETACHED: return loadMessage(IDS_JNI_EDETACHED);
    case JNI_EVERSION: return loadMessage(IDS_JNI_EVERSION);
    case JNI_ENOMEM: return loadMessage(IDS_JNI_ENOMEM);
    case JNI_EEXIST: return loadMessage(IDS_JNI_EEXIST);
    case JNI_EINVAL: return loadMessage(IDS_JNI_EINVAL);
    default: return std::string();
  }
}

bool createJvm(JvmHost& host, const std::string& outputFile, const std::string& errorFile) {
  if (!host.createJavaVm) return false;
  // Older runtimes decode the option strings in the legacy code page.
  std::vector<std::string> texts = host.options;
  if (!host.traits.optionsInProcessCodePage)
    for (std::string& text : texts) text = legacyCodePageText(text);
  std::vector<JavaVMOption> options(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    options[i].optionString = const_cast<char*>(texts[i].c_str());
    options[i].extraInfo = nullptr;
  }
  auto hook = [&](const char* name, void* function) {
    if (function) options.push_back(JavaVMOption{const_cast<char*>(name), function});
  };
  hook("exit", reinterpret_cast<void*>(host.exitHook));
  hook("abort", reinterpret_cast<void*>(host.abortHook));
  hook("vfprintf", reinterpret_cast<void*>(host.vfprintfHook));
  JavaVMInitArgs args;
  args.version = JNI_VERSION_1_2;
  args.nOptions = static_cast<jint>(options.size());
  args.options = options.data();
  args.ignoreUnrecognized = JNI_FALSE;
  if (tracing())
    for (size_t i = 0; i < host.options.size(); ++i)
      trace("VM option %d: %s", static_cast<int>(i + 1), host.options[i].c_str());
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  jint result = host.createJavaVm(&vm, reinterpret_cast<void**>(&env), &args);
  if (result != 0) {
    reportError(IDS_JNI_EXCEPTION_REASON, loadMessage(IDS_VM_NOT_CREATED), jniErrorReason(result));
    return false;
  }
  host.vm = vm;
  host.env = env;
  trace("VM created");
  // Output first: a failure to move System.err is then still described on
  // the console.
  if (!outputFile.empty()) {
    bool moved = redirectStream(env, outputFile, JavaStream::Output);
    trace("System.out to %s: %s", outputFile.c_str(), moved ? "done" : "failed");
    if (!moved) printPendingException(env);
  }
  if (!errorFile.empty()) {
    bool moved = redirectStream(env, errorFile, JavaStream::Error);
    trace("System.err to %s: %s", errorFile.c_str(), moved ? "done" : "failed");
    if (!moved) printPendingException(env);
  }
  return true;
}

void destroyJvm(JvmHost& host) {
  if (!host.vm) return;
  trace("destroying the VM: waiting for the program's non-daemon threads");
  host.vm->DestroyJavaVM();
  host.vm = nullptr;
  host.env = nullptr;
}

}  // namespace tarn
