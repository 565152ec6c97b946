// A small PE32+ image for the tests: .text, .rsrc and .reloc, 0x200 bytes
// of file data each (the resources more if they need it), sections 0x1000
// apart; the resource section holds the tree it is given.
#ifndef TARN_TOOLS_TESTING_PE_H
#define TARN_TOOLS_TESTING_PE_H

#include <algorithm>
#include <cstring>

#include "os/little_endian.h"
#include "pe_resources.h"

namespace tarn {
namespace testing_pe {

constexpr size_t kPe = 0x80;
constexpr size_t kOptional = kPe + 24;
constexpr size_t kSections = kOptional + 240;
constexpr size_t kChecksumField = kOptional + 64;
constexpr size_t kResourceDirectory = kOptional + 112 + 2 * 8;

inline uint32_t get32(const Bytes& b, size_t at) { return readLittle32(&b[at]); }
inline void set32(Bytes& b, size_t at, uint32_t v) { writeLittle32(&b[at], v); }

inline void section(Bytes& file, int index, const char* name, uint32_t address, uint32_t rawPointer,
                    uint32_t virtualSize, uint32_t rawSize, uint32_t characteristics) {
  const size_t header = kSections + 40 * static_cast<size_t>(index);
  std::memcpy(&file[header], name, std::strlen(name));
  set32(file, header + 8, virtualSize);
  set32(file, header + 12, address);
  set32(file, header + 16, rawSize);
  set32(file, header + 20, rawPointer);
  set32(file, header + 36, characteristics);
}

// headerRoom false fills the space after the section table, so that no
// section can be added.
inline Bytes image(const ResourceTree& tree, bool headerRoom = true, uint32_t checksum = 0) {
  const Bytes resources = serializeResourceTree(tree, 0x2000);
  const uint32_t rsrcRaw = static_cast<uint32_t>(std::max<size_t>(0x200, (resources.size() + 0x1FF) & ~size_t{0x1FF}));
  const uint32_t relocAddress = 0x2000 + ((rsrcRaw + 0xFFF) & ~0xFFFu);
  Bytes file(0x800 + rsrcRaw, 0);
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = kPe;
  std::memcpy(&file[kPe], "PE\0\0", 4);
  file[kPe + 4] = 0x64;  // x86-64
  file[kPe + 5] = 0x86;
  file[kPe + 6] = 3;     // sections
  file[kPe + 20] = 240;  // size of the optional header
  file[kOptional] = 0x0B;
  file[kOptional + 1] = 0x02;
  set32(file, kOptional + 8, 0x200 + rsrcRaw);  // initialized data
  set32(file, kOptional + 32, 0x1000);  // section alignment
  set32(file, kOptional + 36, 0x200);   // file alignment
  set32(file, kOptional + 56, relocAddress + 0x1000);  // size of image
  set32(file, kOptional + 60, 0x400);   // size of headers
  set32(file, kChecksumField, checksum);
  set32(file, kOptional + 108, 16);     // data directories
  section(file, 0, ".text", 0x1000, 0x400, 0x10, 0x200, 0x60000020);
  section(file, 1, ".rsrc", 0x2000, 0x600, static_cast<uint32_t>(resources.size()), rsrcRaw, 0xC0000040);
  section(file, 2, ".reloc", relocAddress, 0x600 + rsrcRaw, 0x8, 0x200, 0x42000040);
  std::memcpy(&file[0x600], resources.data(), resources.size());
  set32(file, kResourceDirectory, 0x2000);
  set32(file, kResourceDirectory + 4, static_cast<uint32_t>(resources.size()));
  if (!headerRoom) std::memset(&file[kSections + 3 * 40], 0xCC, 0x400 - (kSections + 3 * 40));
  return file;
}

// The same image as a 32-bit one (PE32): its data directories 16 bytes
// earlier, the optional header keeping its size.
constexpr size_t kResourceDirectory32 = kOptional + 96 + 2 * 8;

inline Bytes image32(const ResourceTree& tree, uint32_t checksum = 0) {
  Bytes file = image(tree, true, checksum);
  file[kPe + 4] = 0x4C;  // i386
  file[kPe + 5] = 0x01;
  file[kOptional] = 0x0B;
  file[kOptional + 1] = 0x01;
  std::memmove(&file[kOptional + 96], &file[kOptional + 112], 16 * 8);
  std::memset(&file[kOptional + 96 + 16 * 8], 0, 16);
  set32(file, kOptional + 108, 0);
  set32(file, kOptional + 92, 16);
  return file;
}

inline Resource resource(uint16_t type, uint16_t name, uint16_t language, const std::string& data) {
  Resource r;
  r.type = resourceId(type);
  r.name = resourceId(name);
  r.language = language;
  r.data.assign(data.begin(), data.end());
  return r;
}

}  // namespace testing_pe
}  // namespace tarn

#endif
