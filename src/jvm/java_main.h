// What runs on the Java main thread: the VM's creation, the main class's
// main method, the program's streams and its uncaught exception.
#ifndef TARN_JVM_JAVA_MAIN_H
#define TARN_JVM_JAVA_MAIN_H

#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct JvmHost;
struct LauncherSettings;

// What the Java main thread runs with; all of it outlives the thread.
struct JavaMainCall {
  JvmHost* jvm = nullptr;
  const LauncherSettings* settings = nullptr;
  const std::vector<std::string>* arguments = nullptr;
  // Called just before main, with the context: the launch lets hand-overs
  // and a stop request that came early reach the program from then on.
  void (*aboutToStart)(void* context) = nullptr;
  void* context = nullptr;
};

// The Java main thread's procedure (parameter: a JavaMainCall): 0 once main
// has run and the thread has detached, kMainThrew when main ended with an
// uncaught exception (the thread detached as well), 1 otherwise.
constexpr uint32_t kMainThrew = 2;
uint32_t javaMainThreadBody(void* call);

// Finds the main class and its static main(String[]) and calls it with the
// program arguments. *threw tells whether main ended with an uncaught exception.
bool invokeMain(const JavaMainCall& call, bool* threw);

// Launcher text as a java.lang.String holding the characters the system's
// code page gives those bytes; null on failure.
jstring newJavaString(JNIEnv* env, const std::string& text);
jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts);

enum class JavaStream { Output, Error };

// Points System.out or System.err at a new print stream on the file
// (created, or emptied when it exists).
bool redirectStream(JNIEnv* env, const std::string& fileName, JavaStream stream);

// Prints the pending exception with its printStackTrace on System.err and
// clears it.
void printPendingException(JNIEnv* env);

// What the exception's printStackTrace writes; "" when it cannot be had.
std::string exceptionText(JNIEnv* env, jthrowable exception);

enum class ExceptionDecision { Continue, Stop };
ExceptionDecision exceptionDecision(const std::string& text);

// java.lang.System.exit(-1).
void callSystemExit(JNIEnv* env);

}  // namespace tarn

#endif
