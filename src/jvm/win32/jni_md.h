// Machine-dependent JNI types for the Windows build (the JDK installed on
// the build machine brings only its own platform's copy of this header).
#ifndef TARN_JVM_WIN32_JNI_MD_H
#define TARN_JVM_WIN32_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
