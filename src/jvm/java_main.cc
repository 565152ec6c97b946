#include "jvm/java_main.h"

#include "config/settings.h"
#include "jvm/jvm_host.h"
#include "jvm/vm_platform.h"
#include "os/text.h"
#include "report/messages.h"
#include "report/trace.h"

namespace tarn {

jstring newJavaString(JNIEnv* env, const std::string& text) {
  // Decoded here rather than by String(byte[]): since Java 18 the VM's
  // default charset no longer follows the system's code page.
  std::u16string characters = systemTextToUtf16(text);
  static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is UTF-16");
  jstring string = env->NewString(reinterpret_cast<const jchar*>(characters.data()),
                                  static_cast<jsize>(characters.size()));
  if (env->ExceptionOccurred()) return nullptr;
  return string;
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (!stringClass) return nullptr;
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
  env->DeleteLocalRef(stringClass);
  if (!array) return nullptr;
  for (size_t i = 0; i < texts.size(); ++i) {
    jstring element = newJavaString(env, texts[i]);
    if (!element) {
      env->DeleteLocalRef(array);
      return nullptr;
    }
    env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
    env->DeleteLocalRef(element);
  }
  return array;
}

bool redirectStream(JNIEnv* env, const std::string& fileName, JavaStream stream) {
  jstring name = newJavaString(env, fileName);
  if (!name) return false;
  jclass fileClass = env->FindClass("java/io/FileOutputStream");
  if (!fileClass) return false;
  jmethodID fileInit = env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;)V");
  if (!fileInit) return false;
  jobject file = env->NewObject(fileClass, fileInit, name);
  if (!file) return false;
  jclass printClass = env->FindClass("java/io/PrintStream");
  if (!printClass) return false;
  jmethodID printInit = env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
  if (!printInit) return false;
  jobject print = env->NewObject(printClass, printInit, file);
  if (!print) return false;
  jclass systemClass = env->FindClass("java/lang/System");
  if (!systemClass) return false;
  jmethodID set = env->GetStaticMethodID(
      systemClass, stream == JavaStream::Output ? "setOut" : "setErr", "(Ljava/io/PrintStream;)V");
  if (!set) return false;
  env->CallStaticVoidMethod(systemClass, set, print);
  if (env->ExceptionOccurred()) {
    printPendingException(env);
    return false;
  }
  return true;
}

void printPendingException(JNIEnv* env) {
  // Not ExceptionDescribe: a real VM writes its "Exception in thread" line
  // to its own error stream and only the trace to System.err, so the line
  // misses an error file, and on Windows, where standard error is no
  // console, comes out after everything else.
  jthrowable exception = env->ExceptionOccurred();
  if (!exception) return;
  env->ExceptionClear();
  jclass type = env->GetObjectClass(exception);
  jmethodID print = type ? env->GetMethodID(type, "printStackTrace", "()V") : nullptr;
  if (print) {
    env->CallVoidMethod(exception, print);
  } else {
    env->ExceptionClear();
    env->Throw(exception);
  }
  if (env->ExceptionOccurred()) env->ExceptionDescribe();
  env->DeleteLocalRef(exception);
}

std::string exceptionText(JNIEnv* env, jthrowable exception) {
  jclass bytesClass = env->FindClass("java/io/ByteArrayOutputStream");
  if (!bytesClass) return std::string();
  jmethodID bytesInit = env->GetMethodID(bytesClass, "<init>", "()V");
  if (!bytesInit) return std::string();
  jobject bytes = env->NewObject(bytesClass, bytesInit);
  if (!bytes) return std::string();
  jclass printClass = env->FindClass("java/io/PrintStream");
  if (!printClass) return std::string();
  jmethodID printInit = env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
  if (!printInit) return std::string();
  jobject print = env->NewObject(printClass, printInit, bytes);
  if (!print) return std::string();
  jclass exceptionClass = env->GetObjectClass(exception);
  if (!exceptionClass) return std::string();
  jmethodID printStackTrace =
      env->GetMethodID(exceptionClass, "printStackTrace", "(Ljava/io/PrintStream;)V");
  if (!printStackTrace) return std::string();
  env->CallVoidMethod(exception, printStackTrace, print);
  printPendingException(env);
  jclass bytesObjectClass = env->GetObjectClass(bytes);
  if (!bytesObjectClass) return std::string();
  jmethodID toString = env->GetMethodID(bytesObjectClass, "toString", "()Ljava/lang/String;");
  if (!toString) return std::string();
  jstring string = static_cast<jstring>(env->CallObjectMethod(bytes, toString));
  printPendingException(env);
  if (!string) return std::string();
  const char* characters = env->GetStringUTFChars(string, nullptr);
  if (!characters) return std::string();
  std::string text = characters;
  env->ReleaseStringUTFChars(string, characters);
  return text;
}

// The program goes on after an uncaught exception of main.
ExceptionDecision exceptionDecision(const std::string&) { return ExceptionDecision::Continue; }

void callSystemExit(JNIEnv* env) {
  jclass systemClass = env->FindClass("java/lang/System");
  if (!systemClass) return;
  jmethodID exitMethod = env->GetStaticMethodID(systemClass, "exit", "(I)V");
  if (!exitMethod) return;
  env->CallStaticVoidMethod(systemClass, exitMethod, static_cast<jint>(-1));
  printPendingException(env);
}

namespace {

// A failure once the VM exists: the thread still detaches, or the VM's
// teardown would wait for it forever. Detaching hands the pending exception
// to the thread's uncaught-exception handler, as for main's own.
bool failAfterVm(JvmHost& jvm) {
  jvm.vm->DetachCurrentThread();
  return false;
}

}  // namespace

bool invokeMain(const JavaMainCall& call, bool* threw) {
  *threw = false;
  JvmHost& jvm = *call.jvm;
  JNIEnv* env = jvm.env;
  const std::string& mainClass = call.settings->mainClass;
  jstring className = newJavaString(env, mainClass);
  if (!className) {
    reportError(IDS_MAIN_CLASS_NOT_LOADED, mainClass);
    return failAfterVm(jvm);
  }
  const char* classChars = env->GetStringUTFChars(className, nullptr);
  if (!classChars) return failAfterVm(jvm);
  jclass mainType = env->FindClass(classChars);
  env->ReleaseStringUTFChars(className, classChars);
  if (!mainType) {
    reportError(IDS_MAIN_CLASS_NOT_FOUND, mainClass);
    return failAfterVm(jvm);
  }
  jmethodID mainMethod = env->GetStaticMethodID(mainType, "main", "([Ljava/lang/String;)V");
  if (!mainMethod) {
    if (!env->ExceptionOccurred()) reportError(IDS_NO_MAIN_METHOD);
    return failAfterVm(jvm);
  }
  jobjectArray arguments = newJavaStringArray(env, *call.arguments);
  if (!arguments) return failAfterVm(jvm);
  if (call.aboutToStart) call.aboutToStart(call.context);
  trace("calling %s.main, arguments: %d", mainClass.c_str(),
        static_cast<int>(call.arguments->size()));
  env->CallStaticVoidMethod(mainType, mainMethod, arguments);
  jthrowable exception = env->ExceptionOccurred();
  trace("main returned%s", exception ? " with an uncaught exception" : "");
  if (exception) {
    *threw = true;
    if (call.settings->failureCheck) {
      env->ExceptionClear();
      bool stop = exceptionDecision(exceptionText(env, exception)) == ExceptionDecision::Stop;
      env->Throw(exception);
      if (stop) {
        printPendingException(env);
        callSystemExit(env);
      }
    }
  }
  // Detaching hands the exception to the thread's uncaught-exception
  // handler, as java's own launcher lets it: the program's handler, or
  // "Exception in thread" and the trace on System.err in one piece.
  return jvm.vm->DetachCurrentThread() == 0;
}

uint32_t javaMainThreadBody(void* parameter) {
  const JavaMainCall* call = static_cast<const JavaMainCall*>(parameter);
  if (!call) return 1;
  if (!createJvm(*call->jvm, call->settings->outputFile, call->settings->errorFile)) return 1;
  bool threw = false;
  if (!invokeMain(*call, &threw)) return 1;
  return threw ? kMainThrew : 0;
}

}  // namespace tarn
