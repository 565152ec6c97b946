// The in-process Java VM: its library, entry points, options and thread.
#ifndef TARN_JVM_JVM_HOST_H
#define TARN_JVM_JVM_HOST_H

#include <jni.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "jvm/runtime_traits.h"

namespace tarn {

using JvmOptionList = std::vector<std::string>;

using CreateJavaVmEntry = jint(JNICALL*)(JavaVM** vm, void** env, void* args);
using GetDefaultInitArgsEntry = jint(JNICALL*)(void* args);
// Called by the VM as the process ends through System.exit.
using ExitHook = void(JNICALL*)(jint code);
// Called by the VM just before it ends the process for an error.
using AbortHook = void(JNICALL*)();
// Writes the VM's own output (its messages, logs and dumps) in its place.
using VfprintfHook = jint(JNICALL*)(FILE* stream, const char* format, va_list args);

struct JvmHost {
  std::string jvmPath;
  CreateJavaVmEntry createJavaVm = nullptr;
  GetDefaultInitArgsEntry getDefaultInitArgs = nullptr;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;  // valid on the Java main thread only
  JvmOptionList options;
  int32_t threadStackSize = 0;  // bytes; 0 = not set
  ExitHook exitHook = nullptr;  // handed over as the "exit" option when set
  AbortHook abortHook = nullptr;        // "abort", likewise
  VfprintfHook vfprintfHook = nullptr;  // "vfprintf", likewise
  RuntimeTraits traits;         // found by probeRuntimeTraits
  std::string release;          // the runtime's release file, "" when none
};

// Loads jvmPath and resolves both entry points; reports why not.
bool loadJvmLibrary(JvmHost& host);

// Reads the runtime's release file into host.release and asks the loaded
// library which JNI versions it knows, for the traits the launcher adapts to.
RuntimeTraits probeRuntimeTraits(JvmHost& host);

// The VM's default Java stack size in bytes, or 0.
int32_t defaultThreadStackSize(JvmHost& host);

// Creates the VM on the calling thread from the option list, then sends
// System.out / System.err to the files named (when not empty).
bool createJvm(JvmHost& host, const std::string& outputFile, const std::string& errorFile);

// Waits for the program's non-daemon threads and ends the VM, when there is one.
void destroyJvm(JvmHost& host);

// The string-table text for a JNI_CreateJavaVM result; "" for unknown codes.
std::string jniErrorReason(jint result);

}  // namespace tarn

#endif
