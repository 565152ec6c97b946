// The launcher's own version, shared by the resource script and the code.
#ifndef TARN_RES_VERSION_H
#define TARN_RES_VERSION_H
#define TARN_VERSION_MAJOR 0
#define TARN_VERSION_MINOR 1
#define TARN_VERSION_PATCH 0
#define TARN_VERSION_TEXT "0.1.0"
#endif
