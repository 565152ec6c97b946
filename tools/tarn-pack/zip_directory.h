// The records of a zip archive that say where the others are: the end
// record with the central directory's offset, and each central header's
// offset of its local header. A packed executable carries its jar behind the
// launcher with these offsets counted from the jar's first byte, as a jar of
// its own has them: that is the one layout the JDK still reads once a
// signature follows the archive.
#ifndef TARN_TOOLS_ZIP_DIRECTORY_H
#define TARN_TOOLS_ZIP_DIRECTORY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct ZipDirectory {
  // Where the offsets count from: 0 when they are positions in the whole
  // data, else the length of what stands in front of the archive.
  size_t base = 0;
  size_t firstRecord = 0;          // position of the archive's first record
  size_t endRecord = 0;            // position of the end of central directory record
  uint32_t directoryOffset = 0;    // where the central directory starts, from base
  uint32_t directorySize = 0;
  // Position of every central header's local-header offset field, in
  // directory order.
  std::vector<size_t> offsetFields;
};

// Reads and checks the directory of an archive held whole in data, which
// may have bytes in front of it (offsets counted from the archive's start,
// or from the data's) and after its end record. False, with *error saying
// why, for anything but a plain single-disk zip whose central directory
// stands right before its end record and whose every offset leads to the
// record it names; ZIP64 archives are refused.
bool readZipDirectory(const unsigned char* data, size_t size, ZipDirectory* directory,
                      std::string* error);

// The archive from its first record to the end of the data, as a jar of
// its own: offsets counted from that first record.
std::vector<unsigned char> detachedZip(const unsigned char* data, size_t size,
                                       const ZipDirectory& directory);

}  // namespace tarn

#endif
