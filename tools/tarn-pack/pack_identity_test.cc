// Packing a Windows launcher with the application's icon and version.
#include <gtest/gtest.h>

#include <cstring>

#include "config/embedded_config.h"
#include "pack.h"
#include "pe_resources.h"
#include "testing_pe.h"
#include "testing_zip.h"
#include "zip_directory.h"

namespace tarn {
namespace {

using testing_pe::get32;
using testing_pe::resource;
using testing_zip::makeZip;

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes emptyBlock(size_t room) {
  Bytes block(kEmbeddedHeaderSize + room, 0);
  const auto marker = embeddedMarker();
  std::memcpy(block.data(), marker.data(), marker.size());
  writeLittle32(&block[8], static_cast<uint32_t>(room));
  return block;
}

// The resources a launcher carries: strings, manifest, an icon of one
// image, version information and the empty configuration block.
ResourceTree launcherTree() {
  ResourceTree tree;
  tree.resources.push_back(resource(6, 13, 1033, "string table"));
  tree.resources.push_back(resource(kRtManifest, 1, 1033, "<assembly/>"));
  tree.resources.push_back(resource(kRtIcon, 1, 1033, "old icon image"));
  tree.resources.push_back(resource(kRtGroupIcon, 1, 1033, "old group"));
  tree.resources.push_back(resource(kRtVersion, 1, 1033, "old version"));
  Resource block = resource(kRtRcdata, 250, 1033, "");
  block.data = emptyBlock(200);
  tree.resources.push_back(block);
  return tree;
}

Bytes iconFile() {
  // Two PNG images of 16 and 32 pixels.
  Bytes file = {0, 0, 1, 0, 2, 0};
  const std::string images[] = {std::string("\x89PNG\r\n\x1a\n", 8) + "sixteen",
                                std::string("\x89PNG\r\n\x1a\n", 8) + "thirty-two"};
  uint32_t offset = 6 + 32;
  for (int i = 0; i < 2; ++i) {
    const unsigned char size = static_cast<unsigned char>(16 << i);
    file.insert(file.end(), {size, size, 0, 0, 1, 0, 32, 0});
    file.resize(file.size() + 8);
    writeLittle32(&file[file.size() - 8], static_cast<uint32_t>(images[i].size()));
    writeLittle32(&file[file.size() - 4], offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& image : images) file.insert(file.end(), image.begin(), image.end());
  return file;
}

PackInput identityInput() {
  PackInput input;
  input.launcher = testing_pe::image(launcherTree(), true, 0x1234);
  input.ini = bytes("[Java Runtime Environment]\nMain Class=app.Main\n");
  input.identity.hasIcon = true;
  input.identity.icon = iconFile();
  input.identity.fileVersion = "1.2";
  input.identity.productName = "Viewer";
  input.identity.originalName = "viewer.exe";
  return input;
}

const Resource* find(const ResourceTree& tree, uint16_t type, uint16_t name) {
  for (const Resource& r : tree.resources)
    if (r.type == resourceId(type) && r.name == resourceId(name)) return &r;
  return nullptr;
}

bool holds(const Bytes& data, const std::u16string& text) {
  Bytes wide;
  for (char16_t c : text) wide.insert(wide.end(), {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8)});
  return std::search(data.begin(), data.end(), wide.begin(), wide.end()) != data.end();
}

TEST(PackIdentity, IconVersionAndConfigurationInTheResources) {
  PackInput input = identityInput();
  input.hasJar = true;
  input.jar = makeZip({{"app/Main.class", "main"}});
  Bytes output;
  std::string error;
  ASSERT_TRUE(pack(input, &output, &error)) << error;

  ResourceTree tree;
  ASSERT_TRUE(readImageResources(output, &tree, &error)) << error;
  ResourceTree before = launcherTree();
  // Kept as they were.
  EXPECT_EQ(*find(before, 6, 13), *find(tree, 6, 13));
  EXPECT_EQ(*find(before, kRtManifest, 1), *find(tree, kRtManifest, 1));
  // Both images of the file, the group where the old one was.
  ASSERT_NE(nullptr, find(tree, kRtIcon, 2));
  EXPECT_EQ(nullptr, find(tree, kRtIcon, 3));
  EXPECT_NE(std::string::npos, std::string(find(tree, kRtIcon, 2)->data.begin(), find(tree, kRtIcon, 2)->data.end()).find("thirty-two"));
  const Resource* group = find(tree, kRtGroupIcon, 1);
  ASSERT_NE(nullptr, group);
  EXPECT_EQ(1033, group->language);
  EXPECT_EQ(6u + 2 * 14, group->data.size());
  const Resource* version = find(tree, kRtVersion, 1);
  ASSERT_NE(nullptr, version);
  EXPECT_TRUE(holds(version->data, u"Viewer"));
  EXPECT_TRUE(holds(version->data, u"viewer.exe"));
  EXPECT_TRUE(holds(version->data, u"FileDescription"));  // the product name stands in
  EXPECT_FALSE(holds(version->data, u"CompanyName"));
  // The configuration, in its resource and found by --print.
  const Resource* block = find(tree, kRtRcdata, 250);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(kEmbeddedHeaderSize + 200, block->data.size());
  EXPECT_EQ(u"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Application]\r\nEmbedded Jar=Yes",
            decodeEmbeddedBlock(block->data.data(), block->data.size()));
  EXPECT_EQ(1u, findMarkers(output).size());
  // The jar behind the image, the checksum recomputed.
  ZipDirectory directory;
  ASSERT_TRUE(readZipDirectory(output.data(), output.size(), &directory, &error)) << error;
  EXPECT_EQ(output.size() - input.jar.size(), directory.base);
  EXPECT_EQ(0u, get32(output, directory.offsetFields[0]));
  EXPECT_EQ(peChecksum(output, testing_pe::kChecksumField), get32(output, testing_pe::kChecksumField));

  // The same input, the same bytes.
  Bytes again;
  ASSERT_TRUE(pack(input, &again, &error)) << error;
  EXPECT_EQ(output, again);
}

TEST(PackIdentity, RepackingKeepsOrReplacesTheJar) {
  PackInput input = identityInput();
  input.hasJar = true;
  input.jar = makeZip({{"Old.class", "old old old"}});
  Bytes first, second;
  std::string error;
  ASSERT_TRUE(pack(input, &first, &error)) << error;

  // Another version, no jar: the old one moves behind the new resources.
  input.launcher = first;
  input.hasJar = false;
  input.identity.hasIcon = false;
  input.identity.productName = std::string(300, 'n');
  ASSERT_TRUE(pack(input, &second, &error)) << error;
  ZipDirectory directory;
  ASSERT_TRUE(readZipDirectory(second.data(), second.size(), &directory, &error)) << error;
  EXPECT_EQ(second.size() - makeZip({{"Old.class", "old old old"}}).size(), directory.firstRecord);
  ResourceTree tree;
  ASSERT_TRUE(readImageResources(second, &tree, &error)) << error;
  EXPECT_TRUE(holds(find(tree, kRtVersion, 1)->data, std::u16string(300, u'n')));
  EXPECT_NE(std::string::npos, std::string(find(tree, kRtIcon, 2)->data.begin(), find(tree, kRtIcon, 2)->data.end()).find("thirty-two"));

  // A new jar replaces it; without an identity the block is filled in place.
  input.launcher = second;
  input.hasJar = true;
  input.jar = makeZip({{"New.class", "new"}});
  input.identity = Identity();
  input.ini = bytes("[A]\nk=third\n");
  Bytes third;
  ASSERT_TRUE(pack(input, &third, &error)) << error;
  std::string shown;
  ASSERT_TRUE(embeddedTextOf(third, &shown, &error)) << error;
  EXPECT_EQ("[A]\r\nk=third\r\n[Application]\r\nEmbedded Jar=Yes", shown);
  ASSERT_TRUE(readZipDirectory(third.data(), third.size(), &directory, &error)) << error;
  EXPECT_EQ(1u, directory.offsetFields.size());
}

TEST(PackIdentity, A32BitLauncher) {
  PackInput input = identityInput();
  input.launcher = testing_pe::image32(launcherTree(), 0x1234);
  Bytes output;
  std::string error;
  ASSERT_TRUE(pack(input, &output, &error)) << error;
  ResourceTree tree;
  ASSERT_TRUE(readImageResources(output, &tree, &error)) << error;
  ASSERT_NE(nullptr, find(tree, kRtIcon, 2));
  EXPECT_TRUE(holds(find(tree, kRtVersion, 1)->data, u"Viewer"));
  std::string shown;
  ASSERT_TRUE(embeddedTextOf(output, &shown, &error)) << error;
  EXPECT_EQ("[Java Runtime Environment]\r\nMain Class=app.Main", shown);
  EXPECT_EQ(peChecksum(output, testing_pe::kChecksumField), get32(output, testing_pe::kChecksumField));
}

TEST(PackIdentity, ALargerConfigurationGrowsItsResource) {
  PackInput input = identityInput();
  const std::string value(300, 'v');
  input.ini = bytes("[A]\nk=" + value + "\n");
  Bytes output;
  std::string error;
  ASSERT_TRUE(pack(input, &output, &error)) << error;
  ResourceTree tree;
  ASSERT_TRUE(readImageResources(output, &tree, &error)) << error;
  const Resource* block = find(tree, kRtRcdata, 250);
  ASSERT_NE(nullptr, block);
  const std::u16string text = u"[A]\r\nk=" + std::u16string(300, u'v');
  EXPECT_EQ(kEmbeddedHeaderSize + 2 * text.size(), block->data.size());
  EXPECT_EQ(text, decodeEmbeddedBlock(block->data.data(), block->data.size()));

  // Without an identity a later packing writes into the grown room; a text
  // beyond it is refused, the file untouched.
  input.launcher = output;
  input.identity = Identity();
  input.ini = bytes("[A]\nk=short\n");
  Bytes again;
  ASSERT_TRUE(pack(input, &again, &error)) << error;
  std::string shown;
  ASSERT_TRUE(embeddedTextOf(again, &shown, &error)) << error;
  EXPECT_EQ("[A]\r\nk=short", shown);
  input.ini = bytes("[A]\nk=" + value + "more\n");
  EXPECT_FALSE(pack(input, &again, &error));
  EXPECT_NE(std::string::npos, error.find("reserves only")) << error;
}

TEST(PackIdentity, TheSplashImageGoesIntoAResourceAndStaysWhenPackedAgain) {
  PackInput input = identityInput();
  const Bytes gif = bytes(std::string("GIF89a\x03\0\x01\0\0\0\0;", 14));
  input.identity.hasSplash = true;
  input.identity.splash = gif;
  Bytes first, second, shown;
  std::string error;
  ASSERT_TRUE(pack(input, &first, &error)) << error;
  ASSERT_TRUE(splashImageOf(first, &shown));
  EXPECT_EQ(gif, shown);

  input.launcher = first;
  input.identity = Identity();
  input.identity.fileVersion = "2";
  ASSERT_TRUE(pack(input, &second, &error)) << error;
  ASSERT_TRUE(splashImageOf(second, &shown));
  EXPECT_EQ(gif, shown);
  EXPECT_FALSE(splashImageOf(identityInput().launcher, &shown));
}

TEST(PackIdentity, Refusals) {
  Bytes output = bytes("untouched");
  std::string error;
  auto refused = [&](const PackInput& input, const std::string& part) {
    error.clear();
    const bool ok = pack(input, &output, &error);
    EXPECT_FALSE(ok);
    EXPECT_NE(std::string::npos, error.find(part)) << error;
  };
  PackInput input = identityInput();
  input.identity.icon = bytes("GIF89a");
  refused(input, "the icon is not usable");

  input = identityInput();
  input.identity.fileVersion = "1.2.x";
  refused(input, "the version \"1.2.x\"");
  input.identity.fileVersion = "";
  input.identity.productVersion = "70000";
  refused(input, "the version \"70000\"");

  input = identityInput();
  input.identity.company = "Bad \xC3";
  refused(input, "CompanyName");

  input = identityInput();
  input.identity.hasSplash = true;
  input.identity.splash = bytes("\xff\xd8\xff JPEG");
  refused(input, "the splash image is not usable: it is no PNG, GIF or BMP file");

  input = identityInput();
  input.identity.executionLevel = "administrator";
  refused(input, "the execution level \"administrator\" is not");
  input.identity.executionLevel = "requireAdministrator";
  refused(input, "manifest names no execution level");

  input = identityInput();
  input.launcher.insert(input.launcher.end(), {'j', 'u', 'n', 'k'});
  refused(input, "data after its image");

  input = identityInput();
  Bytes elf(8192, 0);
  std::memcpy(elf.data(), "\x7f" "ELF", 4);
  input.launcher = elf;
  refused(input, "Linux executable");
  input.identity = Identity();
  input.identity.hasSplash = true;
  refused(input, "the launcher is a Linux executable, which shows no splash image");

  ResourceTree noBlock = launcherTree();
  noBlock.resources.pop_back();
  input = identityInput();
  input.launcher = testing_pe::image(noBlock);
  refused(input, "not a Tarn launcher");
  EXPECT_EQ(bytes("untouched"), output);
}

}  // namespace
}  // namespace tarn
