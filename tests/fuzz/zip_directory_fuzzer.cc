// Arbitrary bytes as a jar: the directory reader either refuses them or
// finds offsets that all lie inside the archive, and after a shift the
// archive behind a prefix reads again with the same number of entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zip_directory.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> archive(data, data + size);
  tarn::ZipDirectory directory;
  std::string error;
  if (!tarn::readZipDirectory(archive.data(), archive.size(), &directory, &error)) {
    check(!error.empty());
    return 0;
  }
  check(directory.endRecord + 22 <= size);
  for (size_t field : directory.offsetFields) check(field + 4 <= size);
  const size_t shift = 1 + size % 5000;
  if (!tarn::shiftZipOffsets(&archive, directory, shift, &error)) return 0;
  std::vector<unsigned char> whole(shift, 0x5A);
  whole.insert(whole.end(), archive.begin(), archive.end());
  tarn::ZipDirectory moved;
  check(tarn::readZipDirectory(whole.data(), whole.size(), &moved, &error));
  check(moved.offsetFields.size() == directory.offsetFields.size());
  return 0;
}
