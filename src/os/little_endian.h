// Little-endian numbers in byte buffers, whatever the machine's own order:
// the hand-over block, the embedded configuration, PE and zip structures.
#ifndef TARN_OS_LITTLE_ENDIAN_H
#define TARN_OS_LITTLE_ENDIAN_H

#include <cstdint>

namespace tarn {

inline uint16_t readLittle16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t readLittle32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void writeLittle16(unsigned char* p, uint16_t value) {
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
}

inline void writeLittle32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace tarn

#endif
