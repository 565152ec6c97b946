// Arbitrary bytes as a resource section (its address in the first four
// bytes) and as a whole image: the reader refuses them with a reason or
// gives a tree that, written out and read again, is the same tree; an
// image it accepts can be written with its own tree and reads back alike.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "os/little_endian.h"
#include "pe_resources.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t rva = tarn::readLittle32(data) & 0x7FFFFFFFu;
  tarn::ResourceTree tree;
  std::string error;
  if (tarn::parseResourceTree(data + 4, size - 4, rva, &tree, &error)) {
    const tarn::Bytes written = tarn::serializeResourceTree(tree, rva);
    tarn::ResourceTree back;
    check(tarn::parseResourceTree(written.data(), written.size(), rva, &back, &error));
    check(back == tree);
    check(tarn::serializeResourceTree(back, rva) == written);
  } else {
    check(!error.empty());
  }

  tarn::Bytes image(data, data + size);
  if (!tarn::readImageResources(image, &tree, &error)) return 0;
  const size_t end = tarn::peImageEnd(image);
  check(end > 0 && end <= size);
  image.resize(end);
  if (!tarn::writeImageResources(&image, tree, &error)) return 0;
  tarn::ResourceTree back;
  check(tarn::readImageResources(image, &back, &error));
  check(back == tree);
  return 0;
}
