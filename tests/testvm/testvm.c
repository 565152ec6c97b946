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
#include "testvm.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char script[1024];
static struct JNINativeInterface_ functions;
static struct JNIInvokeInterface_ invocation;
static JNIEnv environment = &functions;
static JavaVM machine = &invocation;
static char archive[MAX_PATH];
void(JNICALL* exitHook)(jint code);

void writeArchive(void) {
  if (!archive[0]) return;
  HANDLE file = CreateFileA(archive, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, NULL);
  DWORD written = 0;
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, "archive\n", 8, &written, NULL);
    CloseHandle(file);
  }
  archive[0] = 0;
}

void record(const char* format, ...) {
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

const char* scripted(const char* key) {
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

void trap(void) {
  record("unexpected JNI call");
  ExitProcess(99);
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
  installFunctions(&functions);
  void** slot = (void**)&invocation;
  for (size_t i = 0; i < sizeof invocation / sizeof(void*); ++i) slot[i] = (void*)trap;
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
