#include "zip_directory.h"

#include "os/little_endian.h"

namespace tarn {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kMaxComment = 0xFFFF;

const char kZip64[] =
    "ZIP64 archives (more than 65535 entries or 4 GiB) are not supported";

}  // namespace

bool readZipDirectory(const unsigned char* data, size_t size, ZipDirectory* directory,
                      std::string* error) {
  *directory = ZipDirectory();
  if (size < kEndSize) {
    *error = "too short to be a zip archive";
    return false;
  }
  // The end record is the last one whose comment reaches the end exactly.
  size_t end = size;
  const size_t lowest = size - kEndSize > kMaxComment ? size - kEndSize - kMaxComment : 0;
  for (size_t at = size - kEndSize + 1; at-- > lowest;) {
    if (readLittle32(data + at) == kEndSignature && at + kEndSize + readLittle16(data + at + 20) == size) {
      end = at;
      break;
    }
  }
  if (end == size) {
    *error = "no end of central directory record: not a zip archive";
    return false;
  }
  const unsigned char* record = data + end;
  const uint16_t disk = readLittle16(record + 4), directoryDisk = readLittle16(record + 6);
  const uint16_t entriesHere = readLittle16(record + 8), entries = readLittle16(record + 10);
  const uint32_t directorySize = readLittle32(record + 12), directoryOffset = readLittle32(record + 16);
  if (end >= kZip64LocatorSize && readLittle32(data + end - kZip64LocatorSize) == kZip64LocatorSignature) {
    *error = kZip64;
    return false;
  }
  if (entries == 0xFFFF || entriesHere == 0xFFFF || directorySize == 0xFFFFFFFF ||
      directoryOffset == 0xFFFFFFFF) {
    *error = kZip64;
    return false;
  }
  if (disk != 0 || directoryDisk != 0 || entriesHere != entries) {
    *error = "archives split over several disks are not supported";
    return false;
  }
  if (directoryOffset > end || directorySize > end - directoryOffset) {
    *error = "the central directory lies outside the archive";
    return false;
  }
  size_t at = directoryOffset;
  const size_t limit = static_cast<size_t>(directoryOffset) + directorySize;
  for (uint32_t i = 0; i < entries; ++i) {
    if (limit - at < kCentralSize || readLittle32(data + at) != kCentralSignature) {
      *error = "damaged central directory (entry " + std::to_string(i + 1) + ")";
      return false;
    }
    const size_t variable =
        static_cast<size_t>(readLittle16(data + at + 28)) + readLittle16(data + at + 30) + readLittle16(data + at + 32);
    if (limit - at - kCentralSize < variable) {
      *error = "damaged central directory (entry " + std::to_string(i + 1) + ")";
      return false;
    }
    const uint32_t local = readLittle32(data + at + 42);
    if (local == 0xFFFFFFFF) {
      *error = kZip64;
      return false;
    }
    if (local > directoryOffset || directoryOffset - local < kLocalSize ||
        readLittle32(data + local) != kLocalSignature) {
      *error = "entry " + std::to_string(i + 1) + " names no local header";
      return false;
    }
    directory->offsetFields.push_back(at + 42);
    at += kCentralSize + variable;
  }
  if (at != limit) {
    *error = "the central directory's size does not match its entries";
    return false;
  }
  directory->endRecord = end;
  directory->directoryOffset = directoryOffset;
  directory->directorySize = directorySize;
  return true;
}

bool shiftZipOffsets(std::vector<unsigned char>* archive, const ZipDirectory& directory,
                     uint64_t shift, std::string* error) {
  // Every offset lies before the directory, so its new value is the largest.
  if (directory.directoryOffset + shift >= 0xFFFFFFFFu) {
    *error = "the packed executable would need ZIP64 offsets (over 4 GiB)";
    return false;
  }
  unsigned char* data = archive->data();
  writeLittle32(data + directory.endRecord + 16, static_cast<uint32_t>(directory.directoryOffset + shift));
  for (size_t field : directory.offsetFields)
    writeLittle32(data + field, static_cast<uint32_t>(readLittle32(data + field) + shift));
  return true;
}

}  // namespace tarn
