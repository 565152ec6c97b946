/* A stand-in for a Java VM library, for testing the Windows launcher under
   Wine. It exports the two invocation entry points, implements only the JNI
   functions the launcher calls, and writes what it received, one fact a
   line, to the file named by TESTVM_RECORD.

   TESTVM_SCRIPT steers it, as comma-separated words:
     create=<n>   JNI_CreateJavaVM returns n
     stack=<n>    the default Java stack size the VM reports
     main=return|exit:<n>
     jni=<hex>    the newest JNI version it knows (default 0x150000, Java 21)
     load=<name>  loads a library by name, as a program's native code would
   A VM built to need testvm_dependency.dll records where it came from.

   Like a real VM it writes the class-data archive that -XX:ArchiveClassesAtExit
   (or a -XX:SharedArchiveFile that does not exist) names when it ends, read-only,
   and the class list of -XX:DumpLoadedClassList, and calls an "exit" hook
   when the program exits. It leaves an inheritable handle open on its own
   file, its value in TESTVM_HELD, as a program's native code might.
*/
#define _JNI_IMPLEMENTATION_
#include <windows.h>

#include <jni.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum Kind { KIND_CLASS = 1, KIND_STRING, KIND_ARRAY, KIND_OBJECT, KIND_BYTES };

typedef struct Object {
  int kind;
  char name[260];      /* class name, or the class of an object */
  WCHAR* text;         /* strings */
  jsize length;
  struct Object** elements; /* arrays */
  char utf8[4096];
} Object;

typedef struct Method {
  char clazz[260];
  char name[64];
  char signature[128];
} Method;

static char script[1024];
static char mainClass[260];
static int exceptionPending;
static struct JNINativeInterface_ functions;
static struct JNIInvokeInterface_ invocation;
static JNIEnv environment = &functions;
static JavaVM machine = &invocation;
static char archive[MAX_PATH];
static void(JNICALL* exitHook)(jint code);

static void writeArchive(void) {
  if (!archive[0]) return;
  HANDLE file = CreateFileA(archive, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, NULL);
  DWORD written = 0;
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, "archive\n", 8, &written, NULL);
    CloseHandle(file);
  }
  archive[0] = 0;
}

static void record(const char* format, ...) {
  char path[MAX_PATH];
  if (!GetEnvironmentVariableA("TESTVM_RECORD", path, sizeof path)) return;
  FILE* file = fopen(path, "ab");
  if (!file) return;
  va_list args;
  va_start(args, format);
  vfprintf(file, format, args);
  va_end(args);
  fputc('\n', file);
  fclose(file);
}

/* The value of a word "key=value" of the script, or NULL. */
static const char* scripted(const char* key) {
  static char value[256];
  size_t keyLength = strlen(key);
  const char* p = script;
  while (*p) {
    const char* end = strchr(p, ',');
    size_t length = end ? (size_t)(end - p) : strlen(p);
    if (length > keyLength && strncmp(p, key, keyLength) == 0 && p[keyLength] == '=') {
      size_t n = length - keyLength - 1;
      if (n >= sizeof value) n = sizeof value - 1;
      memcpy(value, p + keyLength + 1, n);
      value[n] = 0;
      return value;
    }
    p += length;
    if (*p == ',') ++p;
  }
  return NULL;
}

static Object* newObject(int kind, const char* name) {
  Object* object = (Object*)calloc(1, sizeof(Object));
  object->kind = kind;
  if (name) lstrcpynA(object->name, name, sizeof object->name);
  return object;
}

static void utf8Of(const WCHAR* text, jsize length, char* out, int size) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, length, out, size - 1, NULL, NULL);
  out[n > 0 ? n : 0] = 0;
}

static void trap(void) {
  record("unexpected JNI call");
  ExitProcess(99);
}

static jclass JNICALL findClass(JNIEnv* env, const char* name) {
  (void)env;
  if (strncmp(name, "java/", 5) != 0) {
    record("class %s", name);
    lstrcpynA(mainClass, name, sizeof mainClass);
  }
  return (jclass)newObject(KIND_CLASS, name);
}

static jmethodID method(jclass clazz, const char* name, const char* signature) {
  Method* m = (Method*)calloc(1, sizeof(Method));
  lstrcpynA(m->clazz, ((Object*)clazz)->name, sizeof m->clazz);
  lstrcpynA(m->name, name, sizeof m->name);
  lstrcpynA(m->signature, signature, sizeof m->signature);
  return (jmethodID)m;
}

static jmethodID JNICALL getMethodID(JNIEnv* env, jclass clazz, const char* name,
                                     const char* signature) {
  (void)env;
  return method(clazz, name, signature);
}

static jmethodID JNICALL getStaticMethodID(JNIEnv* env, jclass clazz, const char* name,
                                           const char* signature) {
  (void)env;
  if (strcmp(name, "main") == 0) record("method %s %s", name, signature);
  return method(clazz, name, signature);
}

static jstring JNICALL newString(JNIEnv* env, const jchar* characters, jsize length) {
  (void)env;
  Object* s = newObject(KIND_STRING, "java/lang/String");
  s->text = (WCHAR*)calloc((size_t)length + 1, sizeof(WCHAR));
  memcpy(s->text, characters, (size_t)length * sizeof(WCHAR));
  s->length = length;
  return (jstring)s;
}

static const char* JNICALL getStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
  (void)env;
  Object* s = (Object*)string;
  if (isCopy) *isCopy = JNI_TRUE;
  utf8Of(s->text, s->length, s->utf8, sizeof s->utf8);
  return s->utf8;
}

static void JNICALL releaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
  (void)env; (void)string; (void)chars;
}

static jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass clazz,
                                           jobject initial) {
  (void)env; (void)clazz; (void)initial;
  Object* array = newObject(KIND_ARRAY, "[Ljava/lang/String;");
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
  return exceptionPending ? (jthrowable)newObject(KIND_OBJECT, "java/lang/Throwable") : NULL;
}

static void JNICALL exceptionDescribe(JNIEnv* env) {
  (void)env;
  if (!exceptionPending) return;
  exceptionPending = 0;
  record("describe");
  fprintf(stderr, "testvm: exception described\n");
  fflush(stderr);
}

static void JNICALL exceptionClear(JNIEnv* env) { (void)env; exceptionPending = 0; }

static jclass JNICALL getObjectClass(JNIEnv* env, jobject object) {
  (void)env;
  return (jclass)newObject(KIND_CLASS, ((Object*)object)->name);
}

static jobject JNICALL newObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list args) {
  (void)env;
  Method* m = (Method*)id;
  Object* object = newObject(KIND_OBJECT, ((Object*)clazz)->name);
  if (strcmp(m->clazz, "java/io/FileOutputStream") == 0) {
    Object* name = va_arg(args, Object*);
    char utf8[1024];
    utf8Of(name->text, name->length, utf8, sizeof utf8);
    record("file %s", utf8);
    HANDLE file = CreateFileW(name->text, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
      exceptionPending = 1;
      return NULL;
    }
    CloseHandle(file);
    lstrcpynA(object->utf8, utf8, sizeof object->utf8);
  } else if (strcmp(m->clazz, "java/io/PrintStream") == 0) {
    Object* target = va_arg(args, Object*);
    lstrcpynA(object->utf8, target->utf8, sizeof object->utf8);
  }
  return (jobject)object;
}

static jobject JNICALL newObjectA(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  jobject object = newObjectV(env, clazz, id, args);
  va_end(args);
  return object;
}

static void runMain(Object* arguments) {
  record("args %d", (int)arguments->length);
  for (jsize i = 0; i < arguments->length; ++i) {
    char utf8[2048];
    Object* s = arguments->elements[i];
    utf8Of(s->text, s->length, utf8, sizeof utf8);
    record("arg %d %s", (int)i, utf8);
  }
  const char* action = scripted("main");
  if (action && strncmp(action, "exit:", 5) == 0) {
    writeArchive();
    if (exitHook) exitHook(atoi(action + 5));
    ExitProcess((UINT)atoi(action + 5));
  }
  record("main returned");
}

static void JNICALL callStaticVoidMethodV(JNIEnv* env, jclass clazz, jmethodID id,
                                          va_list args) {
  (void)env; (void)clazz;
  Method* m = (Method*)id;
  if (strcmp(m->name, "main") == 0) {
    runMain(va_arg(args, Object*));
  } else if (strcmp(m->name, "setOut") == 0 || strcmp(m->name, "setErr") == 0) {
    Object* stream = va_arg(args, Object*);
    record("%s %s", m->name, stream->utf8);
  } else if (strcmp(m->name, "exit") == 0) {
    int code = va_arg(args, int);
    record("System.exit %d", code);
    ExitProcess((UINT)code);
  }
}

static void JNICALL callStaticVoidMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  callStaticVoidMethodV(env, clazz, id, args);
  va_end(args);
}

static jint JNICALL destroyJavaVM(JavaVM* vm) {
  (void)vm;
  record("destroy");
  writeArchive();
  return 0;
}

static jint JNICALL detachCurrentThread(JavaVM* vm) {
  (void)vm;
  record("detach");
  return 0;
}

static void install(void) {
  void** slot = (void**)&functions;
  for (size_t i = 0; i < sizeof functions / sizeof(void*); ++i) slot[i] = (void*)trap;
  slot = (void**)&invocation;
  for (size_t i = 0; i < sizeof invocation / sizeof(void*); ++i) slot[i] = (void*)trap;
  functions.FindClass = findClass;
  functions.GetMethodID = getMethodID;
  functions.GetStaticMethodID = getStaticMethodID;
  functions.NewString = newString;
  functions.GetStringUTFChars = getStringUTFChars;
  functions.ReleaseStringUTFChars = releaseStringUTFChars;
  functions.NewObjectArray = newObjectArray;
  functions.SetObjectArrayElement = setObjectArrayElement;
  functions.DeleteLocalRef = deleteLocalRef;
  functions.ExceptionOccurred = exceptionOccurred;
  functions.ExceptionDescribe = exceptionDescribe;
  functions.ExceptionClear = exceptionClear;
  functions.GetObjectClass = getObjectClass;
  functions.NewObject = newObjectA;
  functions.NewObjectV = newObjectV;
  functions.CallStaticVoidMethod = callStaticVoidMethod;
  functions.CallStaticVoidMethodV = callStaticVoidMethodV;
  invocation.DestroyJavaVM = destroyJavaVM;
  invocation.DetachCurrentThread = detachCurrentThread;
}

/* Read in UTF-16 and recorded in UTF-8, whatever the process's code page. */
static void recordEnvironment(const char* name) {
  static WCHAR wideName[64];
  static WCHAR value[32768];
  static char utf8[3 * 32768];
  MultiByteToWideChar(CP_UTF8, 0, name, -1, wideName, 64);
  DWORD n = GetEnvironmentVariableW(wideName, value, 32768);
  utf8Of(value, (jsize)n, utf8, sizeof utf8);
  record("env %s=%s", name, n ? utf8 : "<unset>");
}

static void recordLibraries(void) {
  char path[MAX_PATH];
  HMODULE dependency = GetModuleHandleA("testvm_dependency.dll");
  if (dependency && GetModuleFileNameA(dependency, path, sizeof path))
    record("dependency %s", path);
  const char* name = scripted("load");
  if (!name) return;
  HMODULE loaded = LoadLibraryA(name);
  if (loaded && GetModuleFileNameA(loaded, path, sizeof path))
    record("loaded %s", path);
  else
    record("not loaded %s %lu", name, (unsigned long)GetLastError());
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
  JavaVMInitArgs* init = (JavaVMInitArgs*)args;
  if (!GetEnvironmentVariableA("TESTVM_SCRIPT", script, sizeof script)) script[0] = 0;
  install();
  record("version %#x", (unsigned)init->version);
  record("ignoreUnrecognized %d", (int)init->ignoreUnrecognized);
  for (jint i = 0; i < init->nOptions; ++i) {
    const char* option = init->options[i].optionString;
    record("option %s", option);
    if (strcmp(option, "exit") == 0) exitHook = (void(JNICALL*)(jint))init->options[i].extraInfo;
    if (strncmp(option, "-XX:ArchiveClassesAtExit=", 25) == 0 && strlen(option + 25) < MAX_PATH)
      strcpy(archive, option + 25);
    if (strncmp(option, "-XX:SharedArchiveFile=", 22) == 0 && strlen(option + 22) < MAX_PATH &&
        GetFileAttributesA(option + 22) == INVALID_FILE_ATTRIBUTES)
      strcpy(archive, option + 22);
    if (strncmp(option, "-XX:DumpLoadedClassList=", 24) == 0 && strlen(option + 24) < MAX_PATH)
      strcpy(archive, option + 24);
  }
  char self[MAX_PATH], held[32];
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  if (GetModuleFileNameA(GetModuleHandleA("jvm.dll"), self, sizeof self)) {
    HANDLE file = CreateFileA(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, NULL);
    sprintf(held, "%llx", (unsigned long long)(UINT_PTR)file);
    SetEnvironmentVariableA("TESTVM_HELD", held);
  }
  recordEnvironment("TARN_JVM_PATH");
  recordEnvironment("TARN_JVM_HOME");
  recordEnvironment("Path");
  /* The reserved stack of the calling thread: from its allocation base to
     the top the thread block gives. */
  MEMORY_BASIC_INFORMATION memory;
  VirtualQuery(&memory, &memory, sizeof memory);
  NT_TIB* tib = (NT_TIB*)NtCurrentTeb();
  record("stack %lu", (unsigned long)((char*)tib->StackBase - (char*)memory.AllocationBase));
  recordLibraries();
  const char* result = scripted("create");
  if (result && atoi(result) != 0) return atoi(result);
  *vm = &machine;
  *env = &environment;
  return 0;
}

#ifndef TESTVM_WITHOUT_DEFAULTS
/* The newest JNI version the VM stands in for: jni=<hex>, by default that
   of Java 21. */
static jint newestJniVersion(void) {
  const char* value = scripted("jni");
  return value ? (jint)strtol(value, NULL, 16) : 0x150000;
}

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  if (!GetEnvironmentVariableA("TESTVM_SCRIPT", script, sizeof script)) script[0] = 0;
  const char* stack = scripted("stack");
  /* The leading fields of the JDK 1.1 init-args record. */
  struct {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
  }* old = args;
  record("defaults version %#x", (unsigned)old->version);
  /* Only the JDK 1.1 record has the field, as in a real VM. */
  if (old->version == JNI_VERSION_1_1) {
    old->javaStackSize = stack ? atoi(stack) : 0;
    return JNI_ERR;
  }
  return old->version <= newestJniVersion() ? JNI_OK : JNI_EVERSION;
}
#endif

#ifdef TESTVM_NEEDS_DEPENDENCY
__declspec(dllimport) int testvmDependency(void);
int testvmUseDependency(void) { return testvmDependency(); }
#endif
