#include "config/embedded_config.h"

#include <cstring>

#include "os/little_endian.h"

namespace tarn {

std::array<unsigned char, kEmbeddedMarkerSize> embeddedMarker() {
  // Stored masked; the mask passes through an empty asm statement so that
  // the compiler cannot fold the unmasked marker into a constant.
  static const unsigned char masked[kEmbeddedMarkerSize] = {0xD3, 0x0E, 0x08, 0x14,
                                                            0x19, 0x1C, 0x1D, 0x40};
  unsigned char mask = 0x5A;
#if defined(__GNUC__)
  __asm__ __volatile__("" : "+r"(mask));
#endif
  std::array<unsigned char, kEmbeddedMarkerSize> marker{};
  for (size_t i = 0; i < kEmbeddedMarkerSize; ++i)
    marker[i] = static_cast<unsigned char>(masked[i] ^ mask);
  return marker;
}

uint32_t crc32(const unsigned char* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void applyKeystream(unsigned char* data, size_t size, uint32_t length) {
  // xorshift32, seeded from the length so that texts of different sizes
  // do not share a stream; the seed is never zero.
  uint32_t state = 0x6D2B79F5u ^ (length * 0x9E3779B9u);
  if (state == 0) state = 1;
  for (size_t i = 0; i < size; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    data[i] ^= static_cast<unsigned char>(state >> 24);
  }
}

bool encodeEmbeddedBlock(const std::u16string& text, unsigned char* block, size_t size) {
  if (size < kEmbeddedHeaderSize) return false;
  const size_t room = size - kEmbeddedHeaderSize;
  if (room > 0xFFFFFFFFu || text.size() > room / 2) return false;
  const uint32_t length = static_cast<uint32_t>(text.size() * 2);
  unsigned char* body = block + kEmbeddedHeaderSize;
  std::memset(body, 0, room);
  for (size_t i = 0; i < text.size(); ++i) {
    body[2 * i] = static_cast<unsigned char>(text[i] & 0xFF);
    body[2 * i + 1] = static_cast<unsigned char>(text[i] >> 8);
  }
  const auto marker = embeddedMarker();
  std::memcpy(block, marker.data(), marker.size());
  writeLittle32(block + 8, static_cast<uint32_t>(room));
  writeLittle32(block + 12, length);
  writeLittle32(block + 16, crc32(body, length));
  applyKeystream(body, length, length);
  return true;
}

std::u16string decodeEmbeddedBlock(const unsigned char* data, size_t size,
                                   EmbeddedState* state) {
  EmbeddedState ignored;
  if (!state) state = &ignored;
  *state = EmbeddedState::Absent;
  if (data == nullptr || size < kEmbeddedHeaderSize) return std::u16string();
  *state = EmbeddedState::Damaged;
  const auto marker = embeddedMarker();
  if (std::memcmp(data, marker.data(), marker.size()) != 0) return std::u16string();
  const uint32_t room = readLittle32(data + 8);
  const uint32_t length = readLittle32(data + 12);
  const uint32_t check = readLittle32(data + 16);
  const size_t available = size - kEmbeddedHeaderSize;
  if (room > available || length > room || length % 2 != 0) return std::u16string();
  std::string body(reinterpret_cast<const char*>(data + kEmbeddedHeaderSize), length);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&body[0]);
  applyKeystream(bytes, length, length);
  if (crc32(bytes, length) != check) return std::u16string();
  std::u16string text(length / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  *state = text.empty() ? EmbeddedState::Empty : EmbeddedState::Present;
  return text;
}

}  // namespace tarn
