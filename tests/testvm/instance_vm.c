/* A stand-in Java VM for the single-instance and service tests under Wine.
   It plays the programs of tests/java by their class names, through the
   files of the folder named by the -Dstate.dir= option, as those programs
   do on a real VM:
     InstanceInt     int secondaryMain, answers 40 + the argument count
     InstanceVoid    void secondaryMain, runs until "release" exists
     InstanceNone    no secondaryMain; main ends with exit code 5
     InstanceHook    no secondaryMain; its shutdown hook runs until "end"
     ServiceProgram  main runs until stop() is called, or calls System.exit
                     with the number in "exit-with" when that file exists,
                     or throws when "throw" exists, its other thread
                     running until "quit"
   main records "main" (or each argument in "arguments"), writes "started"
   and waits for "quit" unless its first argument is "once". A file
   "no-vm" in the state folder makes JNI_CreateJavaVM fail.
   Threads attach and detach; every JNI call is safe from any thread. */
#define _JNI_IMPLEMENTATION_
#include <windows.h>

#include <jni.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct Object {
  char name[260];    /* a class's name */
  char utf8[2048];   /* a string's text */
  jsize length;      /* an array's length */
  struct Object** elements;
} Object;

typedef struct Method {
  char name[64];
  int returnsInt;
} Method;

static char stateDir[MAX_PATH];
static char program[260];
static __thread int exceptionPending;
static CRITICAL_SECTION fileLock;
static HANDLE stopped;
static void (JNICALL *exitHook)(jint code);
static struct JNINativeInterface_ functions;
static struct JNIInvokeInterface_ invocation;
static JNIEnv environment = &functions;
static JavaVM machine = &invocation;

static void statePath(const char* name, char* path) {
  snprintf(path, MAX_PATH, "%s\\%s", stateDir, name);
}

static void append(const char* name, const char* line) {
  char path[MAX_PATH];
  statePath(name, path);
  EnterCriticalSection(&fileLock);
  FILE* file = fopen(path, "ab");
  if (file) {
    fprintf(file, "%s\n", line);
    fclose(file);
  }
  LeaveCriticalSection(&fileLock);
}

static int exists(const char* name) {
  char path[MAX_PATH];
  statePath(name, path);
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static void waitFor(const char* name) {
  while (!exists(name)) Sleep(20);
}

static int is(const char* name) { return strcmp(program, name) == 0; }

static void listOf(Object* array, char* out, size_t size) {
  snprintf(out, size, "%d", (int)array->length);
  for (jsize i = 0; i < array->length; ++i) {
    size_t used = strlen(out);
    snprintf(out + used, size - used, " [%s]", array->elements[i]->utf8);
  }
}

static Object* newObject(const char* name) {
  Object* object = (Object*)calloc(1, sizeof(Object));
  if (name) lstrcpynA(object->name, name, sizeof object->name);
  return object;
}

static void trap(void) {
  append("vm-errors", "unexpected JNI call");
  ExitProcess(99);
}

static jclass JNICALL findClass(JNIEnv* env, const char* name) {
  (void)env;
  if (strncmp(name, "java/", 5) != 0) lstrcpynA(program, name, sizeof program);
  return (jclass)newObject(name);
}

static jmethodID JNICALL getStaticMethodID(JNIEnv* env, jclass clazz, const char* name,
                                           const char* signature) {
  (void)env; (void)clazz;
  int found = strcmp(name, "main") == 0;
  if (strcmp(name, "secondaryMain") == 0)
    found = (is("InstanceInt") && strcmp(signature, "([Ljava/lang/String;)I") == 0) ||
            (is("InstanceVoid") && strcmp(signature, "([Ljava/lang/String;)V") == 0);
  if (strcmp(name, "stop") == 0) found = is("ServiceProgram") && strcmp(signature, "()V") == 0;
  if (!found) {
    exceptionPending = 1; /* NoSuchMethodError */
    return NULL;
  }
  Method* m = (Method*)calloc(1, sizeof(Method));
  lstrcpynA(m->name, name, sizeof m->name);
  m->returnsInt = signature[strlen(signature) - 1] == 'I';
  return (jmethodID)m;
}

static jstring JNICALL newString(JNIEnv* env, const jchar* characters, jsize length) {
  (void)env;
  Object* s = newObject("java/lang/String");
  int n = WideCharToMultiByte(CP_UTF8, 0, (const WCHAR*)characters, length, s->utf8,
                              sizeof s->utf8 - 1, NULL, NULL);
  s->utf8[n > 0 ? n : 0] = 0;
  return (jstring)s;
}

static const char* JNICALL getStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
  (void)env;
  if (isCopy) *isCopy = JNI_FALSE;
  return ((Object*)string)->utf8;
}

static void JNICALL releaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
  (void)env; (void)string; (void)chars;
}

static jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass clazz,
                                           jobject initial) {
  (void)env; (void)clazz; (void)initial;
  Object* array = newObject("[Ljava/lang/String;");
  array->length = length;
  array->elements = (Object**)calloc((size_t)length + 1, sizeof(Object*));
  return (jobjectArray)array;
}

static void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index,
                                          jobject value) {
  (void)env;
  Object* a = (Object*)array;
  if (index >= 0 && index < a->length) a->elements[index] = (Object*)value;
}

static void JNICALL deleteLocalRef(JNIEnv* env, jobject object) { (void)env; (void)object; }

static jthrowable JNICALL exceptionOccurred(JNIEnv* env) {
  (void)env;
  return exceptionPending ? (jthrowable)newObject("java/lang/Throwable") : NULL;
}

static jboolean JNICALL exceptionCheck(JNIEnv* env) {
  (void)env;
  return exceptionPending ? JNI_TRUE : JNI_FALSE;
}

static void JNICALL exceptionDescribe(JNIEnv* env) {
  (void)env;
  if (exceptionPending) append("described", program);
  exceptionPending = 0;
}

static void JNICALL exceptionClear(JNIEnv* env) {
  (void)env;
  exceptionPending = 0;
}

static void runMain(Object* arguments) {
  if (is("ServiceProgram")) {
    for (jsize i = 0; i < arguments->length; ++i) append("arguments", arguments->elements[i]->utf8);
    append("started", program);
    if (exists("exit-with")) {
      char path[MAX_PATH];
      int code = 0;
      statePath("exit-with", path);
      FILE* file = fopen(path, "rb");
      if (file) {
        if (fscanf(file, "%d", &code) != 1) code = 0;
        fclose(file);
      }
      /* As a real VM ends the process on System.exit. */
      if (exitHook) exitHook(code);
      ExitProcess((UINT)code);
    }
    if (exists("throw")) {
      exceptionPending = 1;
      return;
    }
    WaitForSingleObject(stopped, INFINITE);
    append("main", "returned");
    return;
  }
  char line[4096];
  char list[3800];
  listOf(arguments, list, sizeof list);
  snprintf(line, sizeof line, "%s %s", program, list);
  append("main", line);
  if (arguments->length > 0 && strcmp(arguments->elements[0]->utf8, "once") == 0) return;
  append("started", program);
  waitFor("quit");
  if (is("InstanceNone")) ExitProcess(5);
}

/* A program takes a moment to stop, as real ones do: without it the service
   may report stopped before the control manager answers the stop request,
   and the stop-pending answer the tests read would be a race. */
static void stopProgram(void) {
  append("stop", "called");
  Sleep(500);
  SetEvent(stopped);
}

static void callStatic(Method* m, va_list args, jint* result) {
  if (strcmp(m->name, "main") == 0) {
    runMain(va_arg(args, Object*));
  } else if (strcmp(m->name, "secondaryMain") == 0) {
    char list[3800];
    listOf(va_arg(args, Object*), list, sizeof list);
    append("received", list);
    if (m->returnsInt) {
      *result = 40 + atoi(list);
    } else {
      waitFor("release");
      append("released", "done");
    }
  } else if (strcmp(m->name, "stop") == 0) {
    stopProgram();
  }
}

static void JNICALL callStaticVoidMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list args) {
  (void)env; (void)clazz;
  jint ignored = 0;
  callStatic((Method*)id, args, &ignored);
}

static void JNICALL callStaticVoidMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  callStaticVoidMethodV(env, clazz, id, args);
  va_end(args);
}

static void JNICALL callStaticVoidMethodA(JNIEnv* env, jclass clazz, jmethodID id,
                                          const jvalue* args) {
  (void)env; (void)clazz; (void)args;
  Method* m = (Method*)id;
  if (strcmp(m->name, "stop") == 0) {
    stopProgram();
  }
}

static jint JNICALL callStaticIntMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list args) {
  (void)env; (void)clazz;
  jint result = 0;
  callStatic((Method*)id, args, &result);
  return result;
}

static jint JNICALL callStaticIntMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  jint result = callStaticIntMethodV(env, clazz, id, args);
  va_end(args);
  return result;
}

static jint JNICALL attachCurrentThread(JavaVM* vm, void** env, void* args) {
  (void)vm; (void)args;
  *env = &environment;
  return JNI_OK;
}

static jint JNICALL detachCurrentThread(JavaVM* vm) {
  (void)vm;
  return JNI_OK;
}

static jint JNICALL destroyJavaVM(JavaVM* vm) {
  (void)vm;
  /* The program's non-daemon threads keep it running, then its hooks. */
  if (is("ServiceProgram") && exists("throw")) {
    append("threads", "running");
    waitFor("quit");
  }
  if (is("InstanceHook")) {
    append("hook", "running");
    waitFor("end");
  }
  append("destroyed", program);
  return JNI_OK;
}

static void install(void) {
  void** slot = (void**)&functions;
  for (size_t i = 0; i < sizeof functions / sizeof(void*); ++i) slot[i] = (void*)trap;
  slot = (void**)&invocation;
  for (size_t i = 0; i < sizeof invocation / sizeof(void*); ++i) slot[i] = (void*)trap;
  functions.FindClass = findClass;
  functions.GetStaticMethodID = getStaticMethodID;
  functions.NewString = newString;
  functions.GetStringUTFChars = getStringUTFChars;
  functions.ReleaseStringUTFChars = releaseStringUTFChars;
  functions.NewObjectArray = newObjectArray;
  functions.SetObjectArrayElement = setObjectArrayElement;
  functions.DeleteLocalRef = deleteLocalRef;
  functions.ExceptionOccurred = exceptionOccurred;
  functions.ExceptionCheck = exceptionCheck;
  functions.ExceptionDescribe = exceptionDescribe;
  functions.ExceptionClear = exceptionClear;
  functions.CallStaticVoidMethod = callStaticVoidMethod;
  functions.CallStaticVoidMethodV = callStaticVoidMethodV;
  functions.CallStaticVoidMethodA = callStaticVoidMethodA;
  functions.CallStaticIntMethod = callStaticIntMethod;
  functions.CallStaticIntMethodV = callStaticIntMethodV;
  invocation.AttachCurrentThread = attachCurrentThread;
  invocation.AttachCurrentThreadAsDaemon = attachCurrentThread;
  invocation.DetachCurrentThread = detachCurrentThread;
  invocation.DestroyJavaVM = destroyJavaVM;
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
  JavaVMInitArgs* init = (JavaVMInitArgs*)args;
  static const char option[] = "-Dstate.dir=";
  for (jint i = 0; i < init->nOptions; ++i) {
    if (strncmp(init->options[i].optionString, option, sizeof option - 1) == 0)
      lstrcpynA(stateDir, init->options[i].optionString + sizeof option - 1, sizeof stateDir);
    if (strcmp(init->options[i].optionString, "exit") == 0)
      exitHook = (void (JNICALL *)(jint))init->options[i].extraInfo;
  }
  InitializeCriticalSection(&fileLock);
  stopped = CreateEventA(NULL, TRUE, FALSE, NULL);
  install();
  if (exists("no-vm")) return JNI_ERR;
  *vm = &machine;
  *env = &environment;
  return JNI_OK;
}

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  (void)args;
  return JNI_ERR;
}
