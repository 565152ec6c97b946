// The run of the Java program: environment, VM library, options, the Java
// main thread.
#ifndef TARN_JVM_JAVA_MAIN_H
#define TARN_JVM_JAVA_MAIN_H

#include <cstdint>

#include "jvm/jvm_host.h"

namespace tarn {

struct Launcher;

void prepareEnvironment(Launcher& launcher);
bool loadJvmLibrary(JvmHost& host);
bool buildOptionList(Launcher& launcher);
int32_t defaultThreadStackSize(JvmHost& host);
// Runs createJvm and invokeMain on a thread of threadStackSize; 0 or 1.
uint32_t runOnJavaMainThread(Launcher& launcher);
void destroyJvm(JvmHost& host);

}  // namespace tarn

#endif
