#include "resource_tree.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "os/little_endian.h"

namespace tarn {

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kDirectorySize = 16;
constexpr size_t kEntrySize = 8;
constexpr size_t kDataEntrySize = 16;

uint16_t read16(const unsigned char* p) { return readLittle16(p); }
uint32_t read32(const unsigned char* p) { return readLittle32(p); }

struct Parser {
  const unsigned char* section;
  size_t size;
  uint32_t rva;
  std::set<uint32_t> seen;  // directories and data entries, each taken once
  size_t dataTotal = 0;
  std::string* error;

  bool fail(const std::string& why) {
    *error = "the resource section is damaged: " + why;
    return false;
  }

  bool key(uint32_t field, ResourceKey* key) {
    if (!(field & kHighBit)) {
      if (field > 0xFFFF) return fail("an entry's number is out of range");
      *key = resourceId(static_cast<uint16_t>(field));
      return true;
    }
    const uint32_t at = field & ~kHighBit;
    if (at > size || size - at < 2) return fail("a name lies outside the section");
    const size_t length = read16(section + at);
    if ((size - at - 2) / 2 < length) return fail("a name runs past the section");
    key->named = true;
    key->id = 0;
    key->text.resize(length);
    for (size_t i = 0; i < length; ++i)
      key->text[i] = static_cast<char16_t>(read16(section + at + 2 + 2 * i));
    return true;
  }

  bool take(uint32_t at) {
    if (!seen.insert(at).second) return fail("a table is reached twice");
    return true;
  }

  bool directory(uint32_t at, int level, Resource* path, ResourceTree* tree) {
    if (!take(at)) return false;
    if (at > size || size - at < kDirectorySize) return fail("a table lies outside the section");
    const unsigned char* table = section + at;
    if (level == 0) {
      tree->characteristics = read32(table);
      tree->timeDateStamp = read32(table + 4);
      tree->majorVersion = read16(table + 8);
      tree->minorVersion = read16(table + 10);
    }
    const size_t count = static_cast<size_t>(read16(table + 12)) + read16(table + 14);
    if ((size - at - kDirectorySize) / kEntrySize < count) return fail("a table runs past the section");
    for (size_t i = 0; i < count; ++i) {
      const unsigned char* entry = table + kDirectorySize + i * kEntrySize;
      const uint32_t name = read32(entry);
      const uint32_t target = read32(entry + 4);
      if (level == 0) {
        if (!key(name, &path->type)) return false;
      } else if (level == 1) {
        if (!key(name, &path->name)) return false;
      } else {
        if (name & kHighBit) return fail("a language is given as a string");
        if (name > 0xFFFF) return fail("a language is out of range");
        path->language = static_cast<uint16_t>(name);
      }
      const bool subdirectory = (target & kHighBit) != 0;
      if (subdirectory != (level < 2)) return fail("the tree is not three levels deep");
      if (subdirectory) {
        if (!directory(target & ~kHighBit, level + 1, path, tree)) return false;
      } else if (!leaf(target, *path, tree)) {
        return false;
      }
    }
    return true;
  }

  bool leaf(uint32_t at, Resource resource, ResourceTree* tree) {
    if (!take(at)) return false;
    if (at > size || size - at < kDataEntrySize) return fail("a data entry lies outside the section");
    const uint32_t dataRva = read32(section + at);
    const uint32_t length = read32(section + at + 4);
    if (dataRva < rva || dataRva - rva > size || size - (dataRva - rva) < length)
      return fail("a resource's data lies outside the section");
    dataTotal += length;
    if (dataTotal > size) return fail("resources overlap");
    const unsigned char* data = section + (dataRva - rva);
    resource.data.assign(data, data + length);
    resource.codePage = read32(section + at + 8);
    tree->resources.push_back(std::move(resource));
    return true;
  }
};

bool resourceLess(const Resource& a, const Resource& b) {
  if (!(a.type == b.type)) return a.type < b.type;
  if (!(a.name == b.name)) return a.name < b.name;
  return a.language < b.language;
}

}  // namespace

size_t alignUp(size_t value, size_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

bool operator==(const ResourceKey& a, const ResourceKey& b) {
  return a.named == b.named && (a.named ? a.text == b.text : a.id == b.id);
}

bool operator<(const ResourceKey& a, const ResourceKey& b) {
  if (a.named != b.named) return a.named;
  return a.named ? a.text < b.text : a.id < b.id;
}

ResourceKey resourceId(uint16_t id) {
  ResourceKey key;
  key.id = id;
  return key;
}

bool operator==(const Resource& a, const Resource& b) {
  return a.type == b.type && a.name == b.name && a.language == b.language &&
         a.codePage == b.codePage && a.data == b.data;
}

bool operator==(const ResourceTree& a, const ResourceTree& b) {
  return a.characteristics == b.characteristics && a.timeDateStamp == b.timeDateStamp &&
         a.majorVersion == b.majorVersion && a.minorVersion == b.minorVersion &&
         a.resources == b.resources;
}

void sortResources(ResourceTree* tree) {
  std::stable_sort(tree->resources.begin(), tree->resources.end(), resourceLess);
}

bool parseResourceTree(const unsigned char* section, size_t size, uint32_t sectionRva,
                       ResourceTree* tree, std::string* error) {
  ResourceTree result;
  Parser parser{section, size, sectionRva, {}, 0, error};
  Resource path;
  if (!parser.directory(0, 0, &path, &result)) return false;
  sortResources(&result);
  for (size_t i = 1; i < result.resources.size(); ++i) {
    if (!resourceLess(result.resources[i - 1], result.resources[i]))
      return parser.fail("a resource is named twice");
  }
  *tree = std::move(result);
  return true;
}

Bytes serializeResourceTree(const ResourceTree& input, uint32_t sectionRva) {
  ResourceTree tree = input;
  sortResources(&tree);
  const std::vector<Resource>& all = tree.resources;

  // The tables' shape: per type the range of its resources, per name too.
  struct Range {
    size_t first, last;
  };
  std::vector<Range> types, names;
  for (size_t i = 0; i < all.size(); ++i) {
    if (i == 0 || !(all[i].type == all[i - 1].type)) types.push_back({i, i});
    types.back().last = i + 1;
    if (i == 0 || !(all[i].type == all[i - 1].type) || !(all[i].name == all[i - 1].name))
      names.push_back({i, i});
    names.back().last = i + 1;
  }

  // Offsets, depth first: the root, then each type's table followed by its
  // names' tables.
  size_t at = kDirectorySize + kEntrySize * types.size();
  std::vector<size_t> typeTable(types.size()), nameTable(names.size());
  size_t nameIndex = 0;
  for (size_t t = 0; t < types.size(); ++t) {
    typeTable[t] = at;
    const size_t first = nameIndex;
    while (nameIndex < names.size() && names[nameIndex].first < types[t].last) ++nameIndex;
    at += kDirectorySize + kEntrySize * (nameIndex - first);
    for (size_t n = first; n < nameIndex; ++n) {
      nameTable[n] = at;
      at += kDirectorySize + kEntrySize * (names[n].last - names[n].first);
    }
  }
  const size_t dataEntries = at;
  at += kDataEntrySize * all.size();
  // Strings: one per named type and per named name, in table order.
  std::vector<size_t> typeString(types.size()), nameString(names.size());
  for (size_t t = 0; t < types.size(); ++t) {
    if (!all[types[t].first].type.named) continue;
    typeString[t] = at;
    at += 2 + 2 * all[types[t].first].type.text.size();
  }
  for (size_t n = 0; n < names.size(); ++n) {
    if (!all[names[n].first].name.named) continue;
    nameString[n] = at;
    at += 2 + 2 * all[names[n].first].name.text.size();
  }
  std::vector<size_t> dataAt(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    at = alignUp(at, 8);
    dataAt[i] = at;
    at += all[i].data.size();
  }
  Bytes out(alignUp(at, 8), 0);

  auto table = [&](size_t offset, const std::vector<ResourceKey>& keys) {
    writeLittle32(&out[offset], tree.characteristics);
    writeLittle32(&out[offset + 4], tree.timeDateStamp);
    writeLittle16(&out[offset + 8], tree.majorVersion);
    writeLittle16(&out[offset + 10], tree.minorVersion);
    const auto named = std::count_if(keys.begin(), keys.end(), [](const ResourceKey& k) { return k.named; });
    writeLittle16(&out[offset + 12], static_cast<uint16_t>(named));
    writeLittle16(&out[offset + 14], static_cast<uint16_t>(keys.size() - static_cast<size_t>(named)));
  };
  auto entry = [&](size_t offset, const ResourceKey& key, size_t stringAt, uint32_t target) {
    writeLittle32(&out[offset], key.named ? kHighBit | static_cast<uint32_t>(stringAt) : key.id);
    writeLittle32(&out[offset + 4], target);
  };
  auto string = [&](size_t offset, const std::u16string& text) {
    writeLittle16(&out[offset], static_cast<uint16_t>(text.size()));
    for (size_t i = 0; i < text.size(); ++i) writeLittle16(&out[offset + 2 + 2 * i], text[i]);
  };

  std::vector<ResourceKey> keys;
  for (const Range& t : types) keys.push_back(all[t.first].type);
  table(0, keys);
  nameIndex = 0;
  for (size_t t = 0; t < types.size(); ++t) {
    entry(kDirectorySize + kEntrySize * t, all[types[t].first].type, typeString[t],
          kHighBit | static_cast<uint32_t>(typeTable[t]));
    if (all[types[t].first].type.named) string(typeString[t], all[types[t].first].type.text);
    keys.clear();
    const size_t first = nameIndex;
    while (nameIndex < names.size() && names[nameIndex].first < types[t].last)
      keys.push_back(all[names[nameIndex++].first].name);
    table(typeTable[t], keys);
    for (size_t n = first; n < nameIndex; ++n) {
      entry(typeTable[t] + kDirectorySize + kEntrySize * (n - first), all[names[n].first].name,
            nameString[n], kHighBit | static_cast<uint32_t>(nameTable[n]));
      if (all[names[n].first].name.named) string(nameString[n], all[names[n].first].name.text);
      keys.assign(names[n].last - names[n].first, ResourceKey());
      table(nameTable[n], keys);
      for (size_t i = names[n].first; i < names[n].last; ++i) {
        entry(nameTable[n] + kDirectorySize + kEntrySize * (i - names[n].first),
              resourceId(all[i].language), 0,
              static_cast<uint32_t>(dataEntries + kDataEntrySize * i));
      }
    }
  }
  for (size_t i = 0; i < all.size(); ++i) {
    unsigned char* data = &out[dataEntries + kDataEntrySize * i];
    writeLittle32(data, sectionRva + static_cast<uint32_t>(dataAt[i]));
    writeLittle32(data + 4, static_cast<uint32_t>(all[i].data.size()));
    writeLittle32(data + 8, all[i].codePage);
    if (!all[i].data.empty()) std::memcpy(&out[dataAt[i]], all[i].data.data(), all[i].data.size());
  }
  return out;
}

}  // namespace tarn
