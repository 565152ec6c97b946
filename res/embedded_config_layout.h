// The space reserved in the launcher for an embedded configuration. Plain
// defines, so that the resource script and the code share them.
#ifndef TARN_RES_EMBEDDED_CONFIG_LAYOUT_H
#define TARN_RES_EMBEDDED_CONFIG_LAYOUT_H

// RCDATA resource id of the reserved block in tarn.exe.
#define TARN_EMBEDDED_CONFIG_ID 250

// RCDATA resource id of the splash image that tarn-pack packs.
#define TARN_SPLASH_ID 251

// Whole block: a header of 20 bytes, then the text's room.
#define TARN_EMBEDDED_BLOCK_SIZE 16384
#define TARN_EMBEDDED_HEADER_SIZE 20
#define TARN_EMBEDDED_CAPACITY (TARN_EMBEDDED_BLOCK_SIZE - TARN_EMBEDDED_HEADER_SIZE)

#endif
