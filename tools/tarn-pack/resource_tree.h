// The resources of a Windows executable as a plain list, and the resource
// section's own format: the three-level directory tree, its strings and data.
#ifndef TARN_TOOLS_RESOURCE_TREE_H
#define TARN_TOOLS_RESOURCE_TREE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

using Bytes = std::vector<unsigned char>;

// A type or a name in the tree: a number, or a string when `text` is set.
struct ResourceKey {
  bool named = false;
  uint16_t id = 0;
  std::u16string text;
};

bool operator==(const ResourceKey& a, const ResourceKey& b);
// The directory's order: strings (by code unit) before numbers (ascending).
bool operator<(const ResourceKey& a, const ResourceKey& b);

ResourceKey resourceId(uint16_t id);

struct Resource {
  ResourceKey type;
  ResourceKey name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  Bytes data;
};

bool operator==(const Resource& a, const Resource& b);

// The whole tree: the fields of its root directory, which every directory
// of a written tree shares, and the leaves in directory order.
struct ResourceTree {
  uint32_t characteristics = 0;
  uint32_t timeDateStamp = 0;
  uint16_t majorVersion = 0;
  uint16_t minorVersion = 0;
  std::vector<Resource> resources;
};

bool operator==(const ResourceTree& a, const ResourceTree& b);

enum : uint16_t {
  kRtIcon = 3,
  kRtRcdata = 10,
  kRtGroupIcon = 14,
  kRtVersion = 16,
  kRtManifest = 24,
};

// Reads the tree from section, the resource section's bytes as loaded at
// sectionRva (leaves name their data by address). False with *error for a
// tree that is not three levels deep (type, name, language), that runs
// outside the section or loops, or that names one resource twice.
bool parseResourceTree(const unsigned char* section, size_t size, uint32_t sectionRva,
                       ResourceTree* tree, std::string* error);

// The section's bytes for a tree loaded at sectionRva: every directory
// table depth first, then the data entries, the strings and the data,
// each datum on an 8-byte boundary. Resources are put in directory order.
Bytes serializeResourceTree(const ResourceTree& tree, uint32_t sectionRva);

// Sorts the resources into directory order.
void sortResources(ResourceTree* tree);

// The value rounded up to a multiple of alignment.
size_t alignUp(size_t value, size_t alignment);

}  // namespace tarn

#endif
