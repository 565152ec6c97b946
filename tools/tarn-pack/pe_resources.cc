#include "pe_resources.h"

#include <algorithm>
#include <cstring>

#include "os/little_endian.h"

namespace tarn {

namespace {

constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kResourceDirectoryIndex = 2;

uint16_t read16(const unsigned char* p) { return readLittle16(p); }
uint32_t read32(const unsigned char* p) { return readLittle32(p); }

// The image's headers, as far as the resource editing needs them.
struct Section {
  size_t header;
  uint32_t virtualSize, virtualAddress, rawSize, rawPointer, characteristics;
  uint32_t loadedEnd() const { return virtualAddress + std::max(virtualSize, rawSize); }
};

struct Layout {
  size_t pe = 0;
  size_t optional = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t sizeOfImage = 0;
  size_t directories = 0;
  uint32_t directoryCount = 0;
  size_t sectionTable = 0;
  std::vector<Section> sections;
};

bool powerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// Where the optional header's data directories start, and how many of them
// it holds and the file has room for the count of.
void dataDirectories(const Bytes& file, size_t pe, size_t* at, uint32_t* count) {
  const size_t optional = pe + 24;
  const size_t optionalSize = read16(&file[pe + 20]);
  const size_t fixedSize = read16(&file[optional]) == 0x20B ? 112 : 96;
  *at = optional + fixedSize;
  *count = 0;
  if (optionalSize < fixedSize || file.size() < *at) return;
  *count = std::min<uint32_t>(read32(&file[*at - 4]),
                              static_cast<uint32_t>((optionalSize - fixedSize) / 8));
}

bool readLayout(const Bytes& file, Layout* layout, std::string* error) {
  *error = "not a Windows (PE) image";
  const size_t pe = peHeader(file);
  if (pe == 0) return false;
  const size_t optionalSize = read16(&file[pe + 20]);
  const size_t optional = pe + 24;
  const size_t fixedSize = read16(&file[optional]) == 0x20B ? 112 : 96;
  if (file.size() - optional < optionalSize || optionalSize < fixedSize) return false;
  layout->pe = pe;
  layout->optional = optional;
  layout->sectionAlignment = read32(&file[optional + 32]);
  layout->fileAlignment = read32(&file[optional + 36]);
  layout->sizeOfImage = read32(&file[optional + 56]);
  layout->sizeOfHeaders = read32(&file[optional + 60]);
  dataDirectories(file, pe, &layout->directories, &layout->directoryCount);
  layout->sectionTable = optional + optionalSize;
  const size_t count = read16(&file[pe + 6]);
  *error = "the image's headers are damaged";
  if (!powerOfTwo(layout->fileAlignment) || !powerOfTwo(layout->sectionAlignment) ||
      layout->fileAlignment > 0x10000 || layout->sectionAlignment < layout->fileAlignment)
    return false;
  if ((file.size() - layout->sectionTable) / kSectionHeaderSize < count ||
      layout->sizeOfHeaders < layout->sectionTable + kSectionHeaderSize * count)
    return false;
  layout->sections.clear();
  for (size_t i = 0; i < count; ++i) {
    const size_t header = layout->sectionTable + i * kSectionHeaderSize;
    Section section{header,
                    read32(&file[header + 8]),
                    read32(&file[header + 12]),
                    read32(&file[header + 16]),
                    read32(&file[header + 20]),
                    read32(&file[header + 36])};
    if (section.rawSize != 0 &&
        (section.rawPointer < layout->sizeOfHeaders || section.rawPointer > file.size() ||
         file.size() - section.rawPointer < section.rawSize))
      return false;
    if (section.loadedEnd() < section.virtualAddress) return false;  // wraps around
    layout->sections.push_back(section);
  }
  error->clear();
  return true;
}

// The section that holds the resource directory, -1 with *error if none.
int resourceSection(const Bytes& file, const Layout& layout, std::string* error) {
  if (layout.directoryCount <= kResourceDirectoryIndex ||
      read32(&file[layout.directories + 8 * kResourceDirectoryIndex]) == 0) {
    *error = "the image has no resources";
    return -1;
  }
  const uint32_t rva = read32(&file[layout.directories + 8 * kResourceDirectoryIndex]);
  for (size_t i = 0; i < layout.sections.size(); ++i) {
    const Section& section = layout.sections[i];
    if (section.virtualAddress == rva && section.rawSize != 0) return static_cast<int>(i);
  }
  *error = "the image's resources do not start a section of their own";
  return -1;
}

void putHeader(Bytes* image, const Section& section, const char* name) {
  unsigned char* header = &(*image)[section.header];
  if (name != nullptr) {
    std::memset(header, 0, 8);
    std::memcpy(header, name, std::strlen(name));
  }
  writeLittle32(header + 8, section.virtualSize);
  writeLittle32(header + 12, section.virtualAddress);
  writeLittle32(header + 16, section.rawSize);
  writeLittle32(header + 20, section.rawPointer);
  writeLittle32(header + 36, section.characteristics);
}

}  // namespace

size_t peHeader(const Bytes& file) {
  if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return 0;
  const uint32_t at = read32(&file[0x3C]);
  if (at < 0x40 || at > file.size() || file.size() - at < 24 + 96) return 0;
  if (std::memcmp(&file[at], "PE\0\0", 4) != 0) return 0;
  const uint16_t magic = read16(&file[at + 24]);
  if (magic != 0x10B && magic != 0x20B) return 0;
  return at;
}

uint32_t peDirectorySize(const Bytes& file, size_t index) {
  const size_t pe = peHeader(file);
  if (pe == 0) return 0;
  size_t at;
  uint32_t count;
  dataDirectories(file, pe, &at, &count);
  const size_t entry = at + 8 * index;
  if (index >= count || entry + 8 > file.size()) return 0;
  return read32(&file[entry + 4]);
}

bool readImageResources(const Bytes& file, ResourceTree* tree, std::string* error) {
  Layout layout;
  if (!readLayout(file, &layout, error)) return false;
  const int index = resourceSection(file, layout, error);
  if (index < 0) return false;
  const Section& section = layout.sections[static_cast<size_t>(index)];
  const size_t loaded = section.virtualSize == 0 ? section.rawSize
                                                 : std::min(section.virtualSize, section.rawSize);
  return parseResourceTree(&file[section.rawPointer], loaded, section.virtualAddress, tree, error);
}

namespace {

// The COFF symbol table and the string table after it, [*start, *end) in
// file; false when the image has none that fits in the file.
bool symbolTable(const Bytes& file, const Layout& layout, size_t* start, size_t* end) {
  const uint32_t symbols = read32(&file[layout.pe + 12]);
  const uint64_t count = read32(&file[layout.pe + 16]);
  if (symbols == 0 || symbols > file.size() || (file.size() - symbols) / 18 < count) return false;
  *start = symbols;
  *end = symbols + static_cast<size_t>(count) * 18;
  if (file.size() - *end >= 4) {
    const uint32_t strings = read32(&file[*end]);
    if (strings >= 4 && strings <= file.size() - *end) *end += strings;
  }
  return true;
}

size_t sectionDataEnd(const Bytes& file, const Layout& layout) {
  size_t end = std::min<size_t>(layout.sizeOfHeaders, file.size());
  for (const Section& section : layout.sections)
    if (section.rawSize != 0) end = std::max<size_t>(end, section.rawPointer + section.rawSize);
  return end;
}

}  // namespace

size_t peImageEnd(const Bytes& file) {
  Layout layout;
  std::string ignored;
  if (!readLayout(file, &layout, &ignored)) return 0;
  size_t end = sectionDataEnd(file, layout);
  size_t symbolsStart, symbolsEnd;
  if (symbolTable(file, layout, &symbolsStart, &symbolsEnd)) end = std::max(end, symbolsEnd);
  return end;
}

bool writeImageResources(Bytes* image, const ResourceTree& tree, std::string* error) {
  Layout layout;
  if (!readLayout(*image, &layout, error)) return false;
  const int index = resourceSection(*image, layout, error);
  if (index < 0) return false;
  if (image->size() != peImageEnd(*image)) {
    *error = "the image carries appended data";
    return false;
  }
  const Section old = layout.sections[static_cast<size_t>(index)];
  uint32_t nextAddress = 0xFFFFFFFFu, lastEnd = 0;
  bool last = true;
  for (const Section& other : layout.sections) {
    if (other.header != old.header && other.rawSize != 0 && other.rawPointer < old.rawPointer + old.rawSize &&
        old.rawPointer < other.rawPointer + other.rawSize) {
      *error = "the image's resource section shares its file data with another section";
      return false;
    }
    lastEnd = std::max(lastEnd, other.loadedEnd());
    if (other.virtualAddress > old.virtualAddress) {
      last = false;
      nextAddress = std::min(nextAddress, other.virtualAddress);
    }
  }
  // Section data, then at most the symbol table: that table moves behind
  // resources that grow at the end, so section data stays contiguous.
  const size_t dataEnd = sectionDataEnd(*image, layout);
  size_t symbolsStart = image->size(), symbolsEnd = image->size();
  const bool symbols = symbolTable(*image, layout, &symbolsStart, &symbolsEnd);
  if (symbols && (symbolsStart < dataEnd || symbolsEnd != image->size())) {
    *error = "the image's symbol table lies among its sections";
    return false;
  }
  const Bytes tail(image->begin() + static_cast<long>(symbols ? symbolsStart : image->size()), image->end());
  const bool endsData = old.rawPointer + static_cast<size_t>(old.rawSize) == dataEnd;

  Bytes result = *image;
  const size_t initializedField = layout.optional + 8;
  auto addInitialized = [&](int64_t change) {
    const int64_t value = static_cast<int64_t>(read32(&result[initializedField])) + change;
    writeLittle32(&result[initializedField], static_cast<uint32_t>(std::max<int64_t>(0, value)));
  };
  // Puts blob at rawPointer, padded, and the symbol table after it.
  auto place = [&](uint64_t rawPointer, const Bytes& blob) {
    const uint64_t rawSize = alignUp(blob.size(), layout.fileAlignment);
    result.resize(rawPointer, 0);
    result.insert(result.end(), blob.begin(), blob.end());
    result.resize(rawPointer + rawSize, 0);
    if (symbols) writeLittle32(&result[layout.pe + 12], static_cast<uint32_t>(result.size()));
    result.insert(result.end(), tail.begin(), tail.end());
    return static_cast<uint32_t>(rawSize);
  };
  Section written = old;
  Bytes blob = serializeResourceTree(tree, old.virtualAddress);

  if (last && endsData) {
    // The resources end the image (a file packed before): they grow or
    // shrink where they are.
    if (old.virtualAddress + alignUp(blob.size(), layout.fileAlignment) > 0xFFFFFFFFu ||
        old.rawPointer + alignUp(blob.size(), layout.fileAlignment) + tail.size() > 0xFFFFFFFFu) {
      *error = "the resources are too large";
      return false;
    }
    written.rawSize = place(old.rawPointer, blob);
    written.virtualSize = static_cast<uint32_t>(blob.size());
    addInitialized(static_cast<int64_t>(written.rawSize) - old.rawSize);
    putHeader(&result, written, nullptr);
    writeLittle32(&result[layout.optional + 56], static_cast<uint32_t>(alignUp(
        written.virtualAddress + static_cast<uint64_t>(written.virtualSize), layout.sectionAlignment)));
  } else if (blob.size() <= old.rawSize && old.virtualAddress + blob.size() <= nextAddress) {
    // It fits where the old tree stood; the section keeps its extent.
    std::copy(blob.begin(), blob.end(), result.begin() + old.rawPointer);
    std::fill(result.begin() + old.rawPointer + static_cast<long>(blob.size()),
              result.begin() + old.rawPointer + old.rawSize, 0);
    written.virtualSize = std::max<uint32_t>(old.virtualSize, static_cast<uint32_t>(blob.size()));
    putHeader(&result, written, nullptr);
  } else {
    // A new section after the last one; the old one stays mapped, zeroed.
    const size_t slot = layout.sectionTable + kSectionHeaderSize * layout.sections.size();
    size_t firstData = layout.sizeOfHeaders;
    for (const Section& section : layout.sections)
      if (section.rawSize != 0) firstData = std::min<size_t>(firstData, section.rawPointer);
    if (slot + kSectionHeaderSize > firstData ||
        std::any_of(result.begin() + slot, result.begin() + slot + kSectionHeaderSize,
                    [](unsigned char c) { return c != 0; })) {
      *error = "the image's headers have no room for another section";
      return false;
    }
    const uint64_t address = alignUp(std::max(lastEnd, layout.sizeOfImage), layout.sectionAlignment);
    const uint64_t rawPointer = alignUp(dataEnd, layout.fileAlignment);
    blob = serializeResourceTree(tree, static_cast<uint32_t>(address));
    const uint64_t rawSize = alignUp(blob.size(), layout.fileAlignment);
    if (address + rawSize > 0xFFFFFFFFu || rawPointer + rawSize + tail.size() > 0xFFFFFFFFu) {
      *error = "the resources are too large";
      return false;
    }
    std::fill(result.begin() + old.rawPointer, result.begin() + old.rawPointer + old.rawSize, 0);
    putHeader(&result, old, ".unused");
    written.header = slot;
    written.virtualAddress = static_cast<uint32_t>(address);
    written.virtualSize = static_cast<uint32_t>(blob.size());
    written.rawPointer = static_cast<uint32_t>(rawPointer);
    written.rawSize = place(rawPointer, blob);
    putHeader(&result, written, ".rsrc");
    writeLittle16(&result[layout.pe + 6], static_cast<uint16_t>(layout.sections.size() + 1));
    addInitialized(static_cast<int64_t>(rawSize));
    writeLittle32(&result[layout.optional + 56],
                  static_cast<uint32_t>(alignUp(address + blob.size(), layout.sectionAlignment)));
  }
  const size_t directory = layout.directories + 8 * kResourceDirectoryIndex;
  writeLittle32(&result[directory], written.virtualAddress);
  writeLittle32(&result[directory + 4], static_cast<uint32_t>(blob.size()));
  *image = std::move(result);
  return true;
}

}  // namespace tarn
