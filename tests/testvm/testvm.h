/* What the stand-in VM's two files share: testvm.c holds the invocation
   entry points, the script, the record and the archive; testvm_jni.c the
   JNI functions. */
#ifndef TARN_TESTVM_H
#define TARN_TESTVM_H

#define _JNI_IMPLEMENTATION_
#include <windows.h>

#include <jni.h>

/* Appends one line to the file TESTVM_RECORD names. */
void record(const char* format, ...);
/* The value of a word "key=value" of the script, or NULL. */
const char* scripted(const char* key);
/* Writes the archive or class list the options named, once. */
void writeArchive(void);
/* The VM's "exit" hook from the options, or NULL. */
extern void(JNICALL* exitHook)(jint code);
/* A JNI call the launcher never makes: recorded, and the process ends. */
void trap(void);

void utf8Of(const WCHAR* text, jsize length, char* out, int size);
/* The JNI functions the stand-in implements; every other slot traps. */
void installFunctions(struct JNINativeInterface_* functions);

#endif
