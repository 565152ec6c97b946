#include "zip_directory.h"

#include <algorithm>

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

// The end record, searched from the end as the JDK searches: the first one
// whose comment reaches the end of the data exactly, or, where bytes such as
// a signature follow the archive, the first one that the records it names
// confirm: a central header right before it and a local header where the
// archive then starts.
size_t findEndRecord(const unsigned char* data, size_t size) {
  const size_t lowest = size - kEndSize > kMaxComment ? size - kEndSize - kMaxComment : 0;
  for (size_t at = size - kEndSize + 1; at-- > lowest;) {
    if (readLittle32(data + at) != kEndSignature) continue;
    if (at + kEndSize + readLittle16(data + at + 20) == size) return at;
    const uint32_t directorySize = readLittle32(data + at + 12);
    const uint32_t directoryOffset = readLittle32(data + at + 16);
    if (at >= kLocalSize + kCentralSize && directorySize >= kCentralSize &&
        directorySize <= at - kLocalSize && directoryOffset <= at - kLocalSize - directorySize &&
        readLittle32(data + at - directorySize) == kCentralSignature &&
        readLittle32(data + at - directorySize - directoryOffset) == kLocalSignature)
      return at;
  }
  return size;
}

std::string entryError(const char* what, uint32_t entry) {
  return std::string(what) + " (entry " + std::to_string(entry + 1) + ")";
}

// Checks every central header against the local header it names, with the
// offsets counted from base.
bool readEntries(const unsigned char* data, size_t base, uint16_t entries, ZipDirectory* directory,
                 std::string* error) {
  directory->offsetFields.clear();
  const uint32_t directoryOffset = directory->directoryOffset;
  size_t at = base + directoryOffset;
  const size_t limit = at + directory->directorySize;
  size_t first = directoryOffset;
  for (uint32_t i = 0; i < entries; ++i) {
    if (limit - at < kCentralSize || readLittle32(data + at) != kCentralSignature) {
      *error = entryError("damaged central directory", i);
      return false;
    }
    const size_t variable = static_cast<size_t>(readLittle16(data + at + 28)) +
                            readLittle16(data + at + 30) + readLittle16(data + at + 32);
    if (limit - at - kCentralSize < variable) {
      *error = entryError("damaged central directory", i);
      return false;
    }
    const uint32_t local = readLittle32(data + at + 42);
    if (local == 0xFFFFFFFF) {
      *error = kZip64;
      return false;
    }
    if (local > directoryOffset || directoryOffset - local < kLocalSize ||
        readLittle32(data + base + local) != kLocalSignature) {
      *error = "entry " + std::to_string(i + 1) + " names no local header";
      return false;
    }
    first = std::min<size_t>(first, local);
    directory->offsetFields.push_back(at + 42);
    at += kCentralSize + variable;
  }
  if (at != limit) {
    *error = "the central directory's size does not match its entries";
    return false;
  }
  directory->base = base;
  directory->firstRecord = base + first;
  return true;
}

}  // namespace

bool readZipDirectory(const unsigned char* data, size_t size, ZipDirectory* directory,
                      std::string* error) {
  *directory = ZipDirectory();
  if (size < kEndSize) {
    *error = "too short to be a zip archive";
    return false;
  }
  const size_t end = findEndRecord(data, size);
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
  // The directory stands right before the end record, which tells how many
  // bytes precede the archive: the JDK finds it there and nowhere else.
  if (directorySize > end || directoryOffset > end - directorySize) {
    *error = "the central directory lies outside the archive";
    return false;
  }
  directory->endRecord = end;
  directory->directoryOffset = directoryOffset;
  directory->directorySize = directorySize;
  if (!readEntries(data, end - directorySize - directoryOffset, entries, directory, error)) {
    directory->offsetFields.clear();
    return false;
  }
  return true;
}

std::vector<unsigned char> detachedZip(const unsigned char* data, size_t size,
                                       const ZipDirectory& directory) {
  const size_t first = directory.firstRecord;
  std::vector<unsigned char> jar(data + first, data + size);
  // Every offset is at least the first record's, counted from base.
  const uint32_t moved = static_cast<uint32_t>(first - directory.base);
  for (size_t field : directory.offsetFields)
    writeLittle32(&jar[field - first], readLittle32(data + field) - moved);
  writeLittle32(&jar[directory.endRecord + 16 - first], directory.directoryOffset - moved);
  return jar;
}

}  // namespace tarn
