#include "pack.h"

#include <gtest/gtest.h>

#include <cstring>

#include "config/embedded_config.h"
#include "testing_zip.h"
#include "zip_directory.h"

namespace tarn {
namespace {

using testing_zip::get32;
using testing_zip::makeZip;

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

void putBlock(Bytes* file, size_t at, size_t room) {
  const auto marker = embeddedMarker();
  std::memcpy(&(*file)[at], marker.data(), marker.size());
  for (int i = 0; i < 4; ++i) (*file)[at + 8 + i] = static_cast<unsigned char>(room >> (8 * i));
}

// An ELF-looking launcher with a reserved block of the given room.
Bytes elfLauncher(size_t room = kEmbeddedCapacity) {
  Bytes file(4096 + kEmbeddedHeaderSize + room + 100, 0x11);
  std::memcpy(file.data(), "\x7f" "ELF\x02\x01\x01", 7);
  std::fill(file.begin() + 4096, file.begin() + 4096 + static_cast<long>(kEmbeddedHeaderSize + room), 0);
  putBlock(&file, 4096, room);
  return file;
}

// A PE-looking launcher: DOS header, PE signature, COFF header, a PE32+
// optional header with its data directories, then a reserved block.
Bytes peLauncher(uint32_t checksum, uint32_t certificateSize = 0) {
  Bytes file(0x400 + kEmbeddedBlockSize, 0);
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = 0x80;
  std::memcpy(&file[0x80], "PE\0\0", 4);
  file[0x80 + 20] = 240;  // size of the optional header
  const size_t optional = 0x80 + 24;
  file[optional] = 0x0B;
  file[optional + 1] = 0x02;
  for (int i = 0; i < 4; ++i) file[optional + 64 + i] = static_cast<unsigned char>(checksum >> (8 * i));
  file[optional + 108] = 16;  // data directories
  for (int i = 0; i < 4; ++i)
    file[optional + 112 + 4 * 8 + 4 + i] = static_cast<unsigned char>(certificateSize >> (8 * i));
  putBlock(&file, 0x400, kEmbeddedCapacity);
  return file;
}

TEST(Pack, EmbedsTheConfigurationAndAppendsTheJar) {
  PackInput input;
  input.launcher = elfLauncher();
  input.ini = bytes("[Java Runtime Environment]\nMain Class=app.Main\n[Application]\nEmbedded Jar=Yes\n");
  input.hasJar = true;
  input.jar = makeZip({{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\n"}, {"app/Main.class", "..."}});
  Bytes output;
  std::string error;
  ASSERT_TRUE(pack(input, &output, &error)) << error;
  ASSERT_EQ(input.launcher.size() + input.jar.size(), output.size());
  EXPECT_EQ(std::vector<size_t>{4096}, findMarkers(output));
  EXPECT_EQ(u"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Application]\r\nEmbedded Jar=Yes",
            decodeEmbeddedBlock(&output[4096], output.size() - 4096));
  // Outside the block the launcher is unchanged.
  EXPECT_TRUE(std::equal(input.launcher.begin(), input.launcher.begin() + 4096, output.begin()));
  EXPECT_TRUE(std::equal(input.launcher.begin() + 4096 + static_cast<long>(kEmbeddedBlockSize),
                         input.launcher.end(), output.begin() + 4096 + static_cast<long>(kEmbeddedBlockSize)));
  // The whole file reads as the jar, whose offsets count from its own start.
  ZipDirectory directory;
  ASSERT_TRUE(readZipDirectory(output.data(), output.size(), &directory, &error)) << error;
  ASSERT_EQ(2u, directory.offsetFields.size());
  EXPECT_EQ(input.launcher.size(), directory.base);
  EXPECT_TRUE(std::equal(input.jar.begin(), input.jar.end(), output.end() - static_cast<long>(input.jar.size())));

  std::string shown;
  ASSERT_TRUE(embeddedTextOf(output, &shown, &error));
  EXPECT_EQ("[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Application]\r\nEmbedded Jar=Yes", shown);

  // Without a jar only the block changes.
  input.hasJar = false;
  ASSERT_TRUE(pack(input, &output, &error)) << error;
  EXPECT_EQ(input.launcher.size(), output.size());
}

TEST(Pack, RepackingReplacesConfigurationAndJar) {
  PackInput input;
  input.launcher = elfLauncher();
  input.ini = bytes("[A]\nk=first\n");
  input.hasJar = true;
  input.jar = makeZip({{"Old.class", "old old old"}});
  Bytes first, second;
  std::string error;
  ASSERT_TRUE(pack(input, &first, &error)) << error;

  input.launcher = first;
  input.ini = bytes("[A]\nk=second\n");
  input.jar = makeZip({{"New.class", "new"}});
  ASSERT_TRUE(pack(input, &second, &error)) << error;
  const size_t launcherSize = first.size() - makeZip({{"Old.class", "old old old"}}).size();
  ASSERT_EQ(launcherSize + input.jar.size(), second.size());
  EXPECT_EQ(u"[A]\r\nk=second\r\n[Application]\r\nEmbedded Jar=Yes",
            decodeEmbeddedBlock(&second[4096], second.size() - 4096));
  ZipDirectory directory;
  ASSERT_TRUE(readZipDirectory(second.data(), second.size(), &directory, &error)) << error;
  ASSERT_EQ(1u, directory.offsetFields.size());
  EXPECT_EQ(launcherSize, directory.firstRecord);

  // Without a new jar the old one stays, still readable.
  input.launcher = first;
  input.hasJar = false;
  ASSERT_TRUE(pack(input, &second, &error)) << error;
  EXPECT_EQ(first.size(), second.size());
  EXPECT_TRUE(readZipDirectory(second.data(), second.size(), &directory, &error)) << error;
}

// A jar, given or kept from an earlier packing, is the program's: the
// configuration says so, and one that says otherwise is refused.
TEST(Pack, AJarIsEmbeddedByTheConfiguration) {
  PackInput input;
  input.launcher = elfLauncher();
  input.hasJar = true;
  input.jar = makeZip({{"app/Main.class", "main"}});
  const Bytes plain = input.launcher;
  Bytes packed, output;
  std::string error;
  ASSERT_TRUE(pack(input, &packed, &error)) << error;
  struct Case {
    const Bytes* launcher;
    bool jar;
    const char* ini;
    const char16_t* text;  // null: refused
  } const cases[] = {
      {&plain, true, "[A]\nk=v\n", u"[A]\r\nk=v\r\n[Application]\r\nEmbedded Jar=Yes"},
      {&plain, true, "[application]\nCmd=x\n[B]\n", u"[Application]\r\nEmbedded Jar=Yes\r\nCmd=x\r\n[B]"},
      {&plain, true, "[Application]\nembedded jar = \n", u"[Application]\r\nEmbedded Jar=Yes\r\nEmbedded Jar="},
      {&plain, true, "[Application]\nEmbedded Jar=yES\n", u"[Application]\r\nEmbedded Jar=yES"},
      // A key line the launcher may read as a header ends the section; only
      // the first section of a name is read from an embedded text.
      {&plain, true, "[Application]\n\xC3\xA9[x=]\nEmbedded Jar=Yes\n",
       u"[Application]\r\nEmbedded Jar=Yes\r\n\u00e9[x=]\r\nEmbedded Jar=Yes"},
      {&plain, true, "[Application]\n[Application]\nEmbedded Jar=No\n",
       u"[Application]\r\nEmbedded Jar=Yes\r\n[Application]\r\nEmbedded Jar=No"},
      {&plain, true, "[Application]\nEmbedded Jar=no\n", nullptr},
      // The jar of an earlier packing stays and counts.
      {&packed, false, "[A]\nk=w\n", u"[A]\r\nk=w\r\n[Application]\r\nEmbedded Jar=Yes"},
      {&packed, false, "[Application]\nEmbedded Jar=false\n", nullptr},
  };
  for (const Case& c : cases) {
    input.launcher = *c.launcher;
    input.hasJar = c.jar;
    input.ini = bytes(c.ini);
    EXPECT_EQ(c.text != nullptr, pack(input, &output, &error)) << c.ini;
    if (c.text == nullptr) EXPECT_NE(std::string::npos, error.find("would never be used")) << error;
    else EXPECT_EQ(c.text, decodeEmbeddedBlock(&output[4096], output.size() - 4096)) << c.ini;
  }
}

TEST(Pack, ConfigurationMustFitTheRoom) {
  PackInput input;
  input.launcher = elfLauncher(20);
  Bytes output;
  std::string error;
  input.ini = bytes("[A]\nk=vvv\n");  // 10 characters, 20 bytes: fits exactly
  EXPECT_TRUE(pack(input, &output, &error)) << error;
  input.ini = bytes("[A]\nk=vvvv\n");
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_NE(std::string::npos, error.find("22 bytes")) << error;
  EXPECT_NE(std::string::npos, error.find("only 20")) << error;
}

TEST(Pack, RefusesWhatIsNoLauncher) {
  PackInput input;
  input.ini = bytes("[A]\nk=v\n");
  Bytes output;
  std::string error;
  input.launcher = bytes("#!/bin/sh\necho not a launcher\n");
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_NE(std::string::npos, error.find("neither")) << error;

  input.launcher = elfLauncher();
  input.launcher[4096] ^= 1;  // the marker gone: an ordinary ELF program
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_NE(std::string::npos, error.find("not a Tarn launcher")) << error;

  input.launcher = elfLauncher();
  putBlock(&input.launcher, 100, 16);
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_NE(std::string::npos, error.find("2 configuration markers")) << error;

  input.launcher = elfLauncher();
  input.launcher[4096 + 11] = 0x10;  // room past the end of the file
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_NE(std::string::npos, error.find("damaged")) << error;

  input.launcher = peLauncher(0, 0x2000);
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_NE(std::string::npos, error.find("signed")) << error;
}

TEST(Pack, RefusesAJarThatIsNoZip) {
  PackInput input;
  input.launcher = elfLauncher();
  input.ini = bytes("[A]\nk=v\n");
  input.hasJar = true;
  input.jar = bytes("not a zip");
  Bytes output = bytes("untouched");
  std::string error;
  EXPECT_FALSE(pack(input, &output, &error));
  EXPECT_EQ(0u, error.find("the jar is not usable")) << error;
  EXPECT_EQ(bytes("untouched"), output);
}

TEST(PeChecksum, FoldsCarriesAndAddsTheLength) {
  EXPECT_EQ(7u, peChecksum({0x01, 0x00, 0x02, 0x00}, 1000));
  EXPECT_EQ(6u, peChecksum({0xFF, 0xFF, 0x02, 0x00}, 1000));
  EXPECT_EQ(5u + 3u, peChecksum({0x01, 0x00, 0x04}, 1000));  // odd length: last byte alone
  EXPECT_EQ(0u + 4u, peChecksum({0x01, 0x00, 0x02, 0x00}, 0));  // the field itself is skipped
}

TEST(PeChecksum, KeptZeroOrRecomputed) {
  PackInput input;
  input.ini = bytes("[A]\nk=v\n");
  Bytes output;
  std::string error;
  input.launcher = peLauncher(0);
  ASSERT_EQ(ExecutableKind::Pe, executableKind(input.launcher));
  ASSERT_TRUE(pack(input, &output, &error)) << error;
  const size_t field = peChecksumField(output);
  ASSERT_EQ(0x80u + 24 + 64, field);
  EXPECT_EQ(0u, get32(output, field));

  input.launcher = peLauncher(0x12345);
  input.hasJar = true;
  input.jar = makeZip({{"A.class", "x"}});
  ASSERT_TRUE(pack(input, &output, &error)) << error;
  EXPECT_EQ(peChecksum(output, field), get32(output, field));
  EXPECT_NE(peChecksum(input.launcher, field), get32(output, field));
}

}  // namespace
}  // namespace tarn
