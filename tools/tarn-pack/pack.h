// Turns a launcher executable into an application's executable: its
// configuration written into the block the launcher reserves, its jar
// appended so that the executable itself reads as that jar.
#ifndef TARN_TOOLS_PACK_H
#define TARN_TOOLS_PACK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

using Bytes = std::vector<unsigned char>;

enum class ExecutableKind { Unknown, Pe, Elf };

ExecutableKind executableKind(const Bytes& file);

// Positions of the reserved block's marker in file.
std::vector<size_t> findMarkers(const Bytes& file);

// The CheckSum field's position in a PE file, 0 when file is no PE.
size_t peChecksumField(const Bytes& file);
// The PE checksum of file, its CheckSum field counted as zero.
uint32_t peChecksum(const Bytes& file, size_t checksumField);

// What makes a Windows executable the application's own: its icon, its
// version information and the execution level its manifest asks for. Empty
// texts are left out; the product version defaults to the file version and
// the other way round, the description to the product name.
struct Identity {
  bool hasIcon = false;
  Bytes icon;  // the .ico file
  bool hasSplash = false;
  Bytes splash;  // the PNG, GIF or BMP file the launcher shows while Java starts
  std::string fileVersion, productVersion;  // "1.2" means 1.2.0.0
  std::string productName, company, description, copyright, originalName;  // UTF-8
  std::string executionLevel;  // "" keeps the launcher's, asInvoker

  bool hasVersion() const;
  bool any() const { return hasIcon || hasSplash || hasVersion() || !executionLevel.empty(); }
};

struct PackInput {
  Bytes launcher;
  Bytes ini;
  bool hasJar = false;
  Bytes jar;
  Identity identity;
};

// Builds the application's executable into *output. False with *error when
// the launcher is not one, the configuration does not fit or the jar is no
// zip the tool can move. An executable packed before may serve as the
// launcher: its configuration is replaced, and so is its jar when a new
// one is given (without one, the old jar stays). The configuration of an
// executable that carries a jar says "Embedded Jar=Yes" (withEmbeddedJar).
// An identity, for a Windows launcher only, rebuilds the resource section
// with the new icon, version and execution level and the configuration in
// its resource; everything else in it is kept.
bool pack(const PackInput& input, Bytes* output, std::string* error);

// The configuration an executable carries, as UTF-8; false when it is not
// a launcher.
bool embeddedTextOf(const Bytes& file, std::string* text, std::string* error);

// The splash image packed into a Windows executable; false when it has none.
bool splashImageOf(const Bytes& file, Bytes* image);

}  // namespace tarn

#endif
