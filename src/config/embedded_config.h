// The configuration an executable carries inside itself: a block of fixed
// size, reserved when the launcher is linked and filled in afterwards by
// tarn-pack. Layout, all numbers little-endian:
//
//   0  marker (8 bytes)
//   8  capacity: bytes of room after the header
//  12  length: bytes of text in use (UTF-16LE, so even)
//  16  check value: CRC-32 of the text before enciphering
//  20  the text, enciphered with a keystream, then zeros up to capacity
//
// The keystream only keeps the text from casual reading; it is no secret.
// This file is plain C++ with no dependency beyond the standard library,
// since the packaging tool builds it for the host as well.
#ifndef TARN_CONFIG_EMBEDDED_CONFIG_H
#define TARN_CONFIG_EMBEDDED_CONFIG_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "embedded_config_layout.h"

namespace tarn {

constexpr size_t kEmbeddedBlockSize = TARN_EMBEDDED_BLOCK_SIZE;
constexpr size_t kEmbeddedHeaderSize = TARN_EMBEDDED_HEADER_SIZE;
constexpr size_t kEmbeddedCapacity = TARN_EMBEDDED_CAPACITY;
constexpr size_t kEmbeddedMarkerSize = 8;

// The marker, put together at run time so that the program's constants
// hold no second copy of it.
std::array<unsigned char, kEmbeddedMarkerSize> embeddedMarker();

uint32_t crc32(const unsigned char* data, size_t size);

// XORs data with the keystream that belongs to a text of `length` bytes;
// applied twice it gives the data back.
void applyKeystream(unsigned char* data, size_t size, uint32_t length);

// Writes a block holding text over block[0, size), keeping size as the
// room it offers. False, with the block untouched, when the text does not
// fit or size is smaller than a header.
bool encodeEmbeddedBlock(const std::u16string& text, unsigned char* block, size_t size);

// What a block was found to be.
enum class EmbeddedState { Absent, Empty, Damaged, Present };

// The text a block holds; empty when the block is absent or damaged (wrong
// marker, a length beyond the room or the data, an odd length, a check
// value that does not match). With state, says which.
std::u16string decodeEmbeddedBlock(const unsigned char* data, size_t size,
                                   EmbeddedState* state = nullptr);

// The reserved block of the running executable as it lies in memory, or
// nullptr. Exposed for the tests.
const unsigned char* embeddedBlock(size_t* size);

// UTF-16 to the system's 8-bit text (Windows: the ANSI code page; Linux:
// the locale's character set; a character it cannot hold becomes "?").
std::string utf16ToSystemText(const std::u16string& text);

}  // namespace tarn

#endif
