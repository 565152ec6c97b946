/* The stand-in VM's JNI functions: the few the launcher calls, on objects
   that are plain records; every other slot of the table traps. */
#include "testvm.h"

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

static char mainClass[260];
static int exceptionPending;

static Object* newObject(int kind, const char* name) {
  Object* object = (Object*)calloc(1, sizeof(Object));
  object->kind = kind;
  if (name) lstrcpynA(object->name, name, sizeof object->name);
  return object;
}

void utf8Of(const WCHAR* text, jsize length, char* out, int size) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, length, out, size - 1, NULL, NULL);
  out[n > 0 ? n : 0] = 0;
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

void installFunctions(struct JNINativeInterface_* functions) {
  void** slot = (void**)functions;
  for (size_t i = 0; i < sizeof *functions / sizeof(void*); ++i) slot[i] = (void*)trap;
  functions->FindClass = findClass;
  functions->GetMethodID = getMethodID;
  functions->GetStaticMethodID = getStaticMethodID;
  functions->NewString = newString;
  functions->GetStringUTFChars = getStringUTFChars;
  functions->ReleaseStringUTFChars = releaseStringUTFChars;
  functions->NewObjectArray = newObjectArray;
  functions->SetObjectArrayElement = setObjectArrayElement;
  functions->DeleteLocalRef = deleteLocalRef;
  functions->ExceptionOccurred = exceptionOccurred;
  functions->ExceptionDescribe = exceptionDescribe;
  functions->ExceptionClear = exceptionClear;
  functions->GetObjectClass = getObjectClass;
  functions->NewObject = newObjectA;
  functions->NewObjectV = newObjectV;
  functions->CallStaticVoidMethod = callStaticVoidMethod;
  functions->CallStaticVoidMethodV = callStaticVoidMethodV;
}
