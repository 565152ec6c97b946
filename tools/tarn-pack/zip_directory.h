// The parts of a zip archive that move when bytes are put in front of it:
// the central directory's offset in the end record and each central
// header's offset of its local header.
#ifndef TARN_TOOLS_ZIP_DIRECTORY_H
#define TARN_TOOLS_ZIP_DIRECTORY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct ZipDirectory {
  size_t endRecord = 0;            // position of the end of central directory record
  uint32_t directoryOffset = 0;    // where the central directory starts
  uint32_t directorySize = 0;
  // Position, inside the archive, of every central header's local-header
  // offset field, in directory order.
  std::vector<size_t> offsetFields;
};

// Reads and checks the directory of an archive held whole in data. False,
// with *error saying why, for anything but a plain single-disk zip whose
// every offset leads to the record it names; ZIP64 archives are refused.
bool readZipDirectory(const unsigned char* data, size_t size, ZipDirectory* directory,
                      std::string* error);

// Adds shift to every offset of the archive, so that it reads correctly
// once shift bytes stand in front of it. False when an offset would no
// longer fit in 32 bits (the archive is left unchanged then).
bool shiftZipOffsets(std::vector<unsigned char>* archive, const ZipDirectory& directory,
                     uint64_t shift, std::string* error);

}  // namespace tarn

#endif
