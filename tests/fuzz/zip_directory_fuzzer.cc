// Arbitrary bytes as a jar: the directory reader either refuses them or
// finds offsets that all lie inside the data, and an archive that ends the
// data, detached and put behind other bytes, reads again with the same
// entries. (Behind an archive followed by other bytes, such as a signature,
// those bytes may hold a record that the new position confirms.)
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
  tarn::ZipDirectory directory;
  std::string error;
  if (!tarn::readZipDirectory(data, size, &directory, &error)) {
    check(!error.empty());
    return 0;
  }
  check(directory.endRecord + 22 <= size);
  check(directory.base <= directory.firstRecord && directory.firstRecord <= directory.endRecord);
  for (size_t field : directory.offsetFields) check(field + 4 <= size && field >= directory.firstRecord);
  std::vector<unsigned char> jar = tarn::detachedZip(data, size, directory);
  const size_t comment = data[directory.endRecord + 20] | data[directory.endRecord + 21] << 8;
  if (directory.endRecord + 22 + comment != size) return 0;
  const size_t prefix = 1 + size % 5000;
  std::vector<unsigned char> whole(prefix, 0x5A);
  whole.insert(whole.end(), jar.begin(), jar.end());
  tarn::ZipDirectory moved;
  check(tarn::readZipDirectory(whole.data(), whole.size(), &moved, &error));
  check(moved.offsetFields.size() == directory.offsetFields.size());
  return 0;
}
