#include "resource_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "testing_pe.h"

namespace tarn {
namespace {

using testing_pe::get32;
using testing_pe::resource;
using testing_pe::set32;

ResourceKey named(const std::u16string& text) {
  ResourceKey key;
  key.named = true;
  key.text = text;
  return key;
}

ResourceTree sampleTree() {
  ResourceTree tree;
  tree.resources.push_back(resource(kRtManifest, 1, 1033, "<assembly/>"));
  tree.resources.push_back(resource(6, 13, 1033, "strings"));
  tree.resources.push_back(resource(6, 13, 1031, "Zeichenketten"));
  tree.resources.push_back(resource(kRtRcdata, 250, 1033, std::string(40, 'c')));
  Resource custom = resource(0, 0, 0, "custom data");
  custom.type = named(u"TYPELIB");
  custom.name = named(u"MAIN");
  custom.codePage = 1252;
  tree.resources.push_back(custom);
  return tree;
}

ResourceTree parsed(const Bytes& section, uint32_t rva) {
  ResourceTree tree;
  std::string error;
  EXPECT_TRUE(parseResourceTree(section.data(), section.size(), rva, &tree, &error)) << error;
  return tree;
}

TEST(ResourceTree, RoundTripsInDirectoryOrder) {
  const ResourceTree tree = sampleTree();
  const Bytes section = serializeResourceTree(tree, 0x5000);
  ResourceTree back = parsed(section, 0x5000);
  ASSERT_EQ(5u, back.resources.size());
  // Strings before numbers, numbers ascending, languages ascending.
  EXPECT_EQ(u"TYPELIB", back.resources[0].type.text);
  EXPECT_EQ(1252u, back.resources[0].codePage);
  EXPECT_EQ(1031, back.resources[1].language);
  EXPECT_EQ(1033, back.resources[2].language);
  EXPECT_EQ(kRtRcdata, back.resources[3].type.id);
  EXPECT_EQ(kRtManifest, back.resources[4].type.id);
  ResourceTree sorted = tree;
  sortResources(&sorted);
  EXPECT_EQ(sorted, back);
  // Written again, the bytes are the same; at another address only the
  // data addresses differ.
  EXPECT_EQ(section, serializeResourceTree(back, 0x5000));
  EXPECT_EQ(sorted, parsed(serializeResourceTree(back, 0x9000), 0x9000));
  EXPECT_EQ(0u, section.size() % 8);
}

Bytes launcherSection(uint32_t* rva) {
  const char* source = std::getenv("TARN_SOURCE_DIR");
  if (source == nullptr) return Bytes();
  std::ifstream in(std::string(source) + "/tests/fuzz/seeds/pe_resources/launcher_rsrc", std::ios::binary);
  Bytes seed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (seed.size() < 4) return Bytes();
  *rva = readLittle32(seed.data());
  return Bytes(seed.begin() + 4, seed.end());
}

TEST(ResourceTree, TheLaunchersOwnSectionIsWrittenBackByteForByte) {
  uint32_t rva = 0;
  const Bytes section = launcherSection(&rva);
  if (section.empty()) GTEST_SKIP() << "TARN_SOURCE_DIR is not set";
  const ResourceTree tree = parsed(section, rva);
  bool icon = false, group = false, version = false, manifest = false, block = false;
  for (const Resource& r : tree.resources) {
    icon |= r.type == resourceId(kRtIcon);
    group |= r.type == resourceId(kRtGroupIcon) && r.name == resourceId(1);
    version |= r.type == resourceId(kRtVersion);
    manifest |= r.type == resourceId(kRtManifest) && r.name == resourceId(1);
    block |= r.type == resourceId(kRtRcdata) && r.name == resourceId(250) && r.data.size() == 16384;
  }
  EXPECT_TRUE(icon && group && version && manifest && block);
  EXPECT_EQ(section, serializeResourceTree(tree, rva));
}

TEST(ResourceTree, RefusesDamagedTables) {
  const Bytes good = serializeResourceTree(sampleTree(), 0x1000);
  ResourceTree tree;
  std::string error;
  auto refused = [&](const Bytes& section, uint32_t rva = 0x1000) {
    error.clear();
    const bool ok = parseResourceTree(section.data(), section.size(), rva, &tree, &error);
    return !ok && !error.empty();
  };
  // Cut anywhere inside the tables and data entries.
  for (size_t size = 0; size < 0xA0; size += 7) EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + size))) << size;
  // The data addressed from elsewhere.
  EXPECT_TRUE(refused(good, 0x2000));
  EXPECT_NE(std::string::npos, error.find("outside")) << error;

  Bytes loop(16 + 8, 0);
  loop[14] = 1;
  set32(loop, 20, 0x80000000u);  // the root's one entry is the root again
  EXPECT_TRUE(refused(loop));

  Bytes shallow(16 + 8 + 16, 0);
  shallow[14] = 1;
  set32(shallow, 20, 24);  // a leaf right under the root
  EXPECT_TRUE(refused(shallow));
  EXPECT_NE(std::string::npos, error.find("three levels")) << error;

  // Two entries for one resource: the second name made equal to the first.
  ResourceTree two;
  two.resources.push_back(resource(10, 1, 0, "a"));
  two.resources.push_back(resource(10, 2, 0, "b"));
  Bytes duplicate = serializeResourceTree(two, 0x1000);
  const size_t typeTable = 16 + 8;
  set32(duplicate, typeTable + 16 + 8, 1);  // name 2 becomes name 1
  EXPECT_TRUE(refused(duplicate));
  EXPECT_NE(std::string::npos, error.find("twice")) << error;

  // Two data entries sharing their bytes count as overlap once they add up
  // past the section.
  ResourceTree big;
  big.resources.push_back(resource(10, 1, 0, std::string(100, 'x')));
  big.resources.push_back(resource(10, 2, 0, std::string(100, 'y')));
  Bytes overlapping = serializeResourceTree(big, 0x1000);
  const size_t entries = 16 + 8 + 16 + 16 + 2 * (16 + 8);
  set32(overlapping, entries + 16, get32(overlapping, entries));
  set32(overlapping, entries + 16 + 4, static_cast<uint32_t>(overlapping.size() - (get32(overlapping, entries) - 0x1000)));
  set32(overlapping, entries + 4, get32(overlapping, entries + 16 + 4));
  EXPECT_TRUE(refused(overlapping));
}

}  // namespace
}  // namespace tarn
