#include "pe_resources.h"

#include <gtest/gtest.h>

#include "testing_pe.h"

namespace tarn {
namespace {

using testing_pe::get32;
using testing_pe::image;
using testing_pe::resource;
using testing_pe::set32;

ResourceTree smallTree() {
  ResourceTree tree;
  tree.resources.push_back(resource(kRtManifest, 1, 1033, "<assembly/>"));
  tree.resources.push_back(resource(kRtRcdata, 250, 1033, "block"));
  return tree;
}

ResourceTree sorted(ResourceTree tree) {
  sortResources(&tree);
  return tree;
}

ResourceTree resourcesOf(const Bytes& file) {
  ResourceTree tree;
  std::string error;
  EXPECT_TRUE(readImageResources(file, &tree, &error)) << error;
  return tree;
}

TEST(ImageResources, ATreeThatFitsStaysInItsSection) {
  Bytes file = image(smallTree());
  EXPECT_EQ(0xA00u, peImageEnd(file));
  ResourceTree tree = resourcesOf(file);
  EXPECT_EQ(sorted(smallTree()), tree);
  tree.resources[0].data.assign(200, 'm');
  std::string error;
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(0xA00u, file.size());
  EXPECT_EQ(3, file[testing_pe::kPe + 6]);
  EXPECT_EQ(sorted(tree), resourcesOf(file));
  EXPECT_EQ(0x2000u, get32(file, testing_pe::kResourceDirectory));
  EXPECT_EQ(0x4000u, get32(file, testing_pe::kOptional + 56));
}

TEST(ImageResources, AGrownTreeMovesIntoANewLastSectionAndGrowsThere) {
  const Bytes original = image(smallTree());
  Bytes file = original;
  ResourceTree tree = resourcesOf(file);
  tree.resources.push_back(resource(kRtIcon, 1, 1033, std::string(0x300, 'i')));
  std::string error;
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(4, file[testing_pe::kPe + 6]);
  const size_t added = testing_pe::kSections + 3 * 40;
  EXPECT_EQ(0, std::memcmp(&file[added], ".rsrc\0\0\0", 8));
  EXPECT_EQ(0x4000u, get32(file, added + 12));  // after .reloc
  EXPECT_EQ(0xA00u, get32(file, added + 20));   // after the old end of the file
  EXPECT_EQ(0x400u, get32(file, added + 16));
  EXPECT_EQ(0x4000u, get32(file, testing_pe::kResourceDirectory));
  EXPECT_EQ(0x5000u, get32(file, testing_pe::kOptional + 56));
  EXPECT_EQ(0x800u, get32(file, testing_pe::kOptional + 8));
  EXPECT_EQ(0xE00u, file.size());
  EXPECT_EQ(sorted(tree), resourcesOf(file));
  // The old section is renamed and holds nothing of the old tree; the
  // other sections are untouched.
  EXPECT_EQ(0, std::memcmp(&file[testing_pe::kSections + 40], ".unused\0", 8));
  EXPECT_TRUE(std::all_of(file.begin() + 0x600, file.begin() + 0x800, [](unsigned char c) { return c == 0; }));
  EXPECT_TRUE(std::equal(original.begin() + 0x400, original.begin() + 0x600, file.begin() + 0x400));
  EXPECT_TRUE(std::equal(original.begin() + 0x800, original.end(), file.begin() + 0x800));

  // Once last, the section grows and shrinks where it is.
  tree.resources.back().data.assign(0x1100, 'j');
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(4, file[testing_pe::kPe + 6]);
  EXPECT_EQ(0xA00u + 0x1200u, file.size());
  EXPECT_EQ(0x6000u, get32(file, testing_pe::kOptional + 56));
  EXPECT_EQ(sorted(tree), resourcesOf(file));
  tree.resources.pop_back();
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(0xC00u, file.size());
  EXPECT_EQ(0x5000u, get32(file, testing_pe::kOptional + 56));
  EXPECT_EQ(0x600u, get32(file, testing_pe::kOptional + 8));
  EXPECT_EQ(sorted(tree), resourcesOf(file));
}

TEST(ImageResources, A32BitImageKeepsItsDirectoriesWhereTheyAre) {
  Bytes file = testing_pe::image32(smallTree());
  ResourceTree tree = resourcesOf(file);
  EXPECT_EQ(sorted(smallTree()), tree);
  tree.resources.push_back(resource(kRtIcon, 1, 1033, std::string(0x300, 'i')));
  std::string error;
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(0x4000u, get32(file, testing_pe::kResourceDirectory32));
  EXPECT_EQ(0u, get32(file, testing_pe::kResourceDirectory));  // no 64-bit field written
  EXPECT_EQ(0x5000u, get32(file, testing_pe::kOptional + 56));
  EXPECT_EQ(sorted(tree), resourcesOf(file));
}

TEST(ImageResources, RefusesLayoutsItCannotEditSoundly) {
  ResourceTree tree = smallTree();
  tree.resources.push_back(resource(kRtIcon, 1, 1033, std::string(0x300, 'i')));
  std::string error;
  // No room for another section header.
  Bytes file = image(smallTree(), false);
  const Bytes before = file;
  EXPECT_FALSE(writeImageResources(&file, tree, &error));
  EXPECT_NE(std::string::npos, error.find("no room")) << error;
  EXPECT_EQ(before, file);
  // Appended data is the caller's to move.
  file.push_back(1);
  EXPECT_FALSE(writeImageResources(&file, tree, &error));
  // No resource directory at all.
  file = image(smallTree());
  set32(file, testing_pe::kResourceDirectory, 0);
  EXPECT_FALSE(readImageResources(file, &tree, &error));
  EXPECT_NE(std::string::npos, error.find("no resources")) << error;
  EXPECT_FALSE(writeImageResources(&file, tree, &error));
  // A directory that does not start a section.
  set32(file, testing_pe::kResourceDirectory, 0x2010);
  EXPECT_FALSE(readImageResources(file, &tree, &error));
  // Headers that do not add up.
  file = image(smallTree());
  set32(file, testing_pe::kOptional + 36, 0x300);  // file alignment no power of two
  EXPECT_FALSE(readImageResources(file, &tree, &error));
  file = image(smallTree());
  set32(file, testing_pe::kSections + 40 + 20, 0x900);  // resource data past the end
  EXPECT_FALSE(readImageResources(file, &tree, &error));
  EXPECT_FALSE(readImageResources(Bytes(10, 'M'), &tree, &error));
  // Section data inside the headers, or shared with another section.
  file = image(smallTree());
  set32(file, testing_pe::kSections + 40 + 20, 0);
  EXPECT_FALSE(readImageResources(file, &tree, &error));
  file = image(smallTree());
  std::copy(file.begin() + 0x600, file.begin() + 0x800, file.begin() + 0x400);
  set32(file, testing_pe::kSections + 40 + 20, 0x400);  // .rsrc over .text
  ASSERT_TRUE(readImageResources(file, &tree, &error)) << error;
  const Bytes shared = file;
  EXPECT_FALSE(writeImageResources(&file, tree, &error));
  EXPECT_NE(std::string::npos, error.find("shares")) << error;
  EXPECT_EQ(shared, file);
}

TEST(ImageResources, TheSymbolTableBelongsToTheImage) {
  Bytes file = image(smallTree());
  // 2 symbols and a string table of 8 bytes after the last section.
  set32(file, testing_pe::kPe + 12, 0xA00);
  set32(file, testing_pe::kPe + 16, 2);
  file.resize(0xA00 + 36, 0);
  file.insert(file.end(), {8, 0, 0, 0, 'a', 'b', 'c', 0});
  EXPECT_EQ(file.size(), peImageEnd(file));
  const Bytes symbols(file.begin() + 0xA00, file.end());
  file.push_back('P');
  EXPECT_EQ(file.size() - 1, peImageEnd(file));
  file.pop_back();
  EXPECT_EQ(0u, peImageEnd(Bytes(100, 0)));

  // Resources that outgrow their section go where the symbol table was;
  // the table follows them, its pointer updated.
  ResourceTree tree = smallTree();
  tree.resources.push_back(resource(kRtIcon, 1, 1033, std::string(0x300, 'i')));
  std::string error;
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(0xA00u, get32(file, testing_pe::kSections + 3 * 40 + 20));
  EXPECT_EQ(0xE00u, get32(file, testing_pe::kPe + 12));
  EXPECT_EQ(symbols, Bytes(file.begin() + 0xE00, file.end()));
  EXPECT_EQ(file.size(), peImageEnd(file));
  EXPECT_EQ(sorted(tree), resourcesOf(file));
  tree.resources.back().data.assign(0x500, 'j');
  ASSERT_TRUE(writeImageResources(&file, tree, &error)) << error;
  EXPECT_EQ(0x1000u, get32(file, testing_pe::kPe + 12));
  EXPECT_EQ(symbols, Bytes(file.begin() + 0x1000, file.end()));
  EXPECT_EQ(sorted(tree), resourcesOf(file));

  // A symbol table among the sections is left alone.
  file = image(smallTree());
  set32(file, testing_pe::kPe + 12, 0x500);
  set32(file, testing_pe::kPe + 16, 1);
  set32(file, 0x500 + 18, 4);
  EXPECT_FALSE(writeImageResources(&file, tree, &error));
  EXPECT_NE(std::string::npos, error.find("symbol table")) << error;
}

}  // namespace
}  // namespace tarn
