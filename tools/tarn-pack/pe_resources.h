// The resource section of a Windows executable, found, read and written
// back in the image without any Windows API: tarn-pack runs on Linux as well.
#ifndef TARN_TOOLS_PE_RESOURCES_H
#define TARN_TOOLS_PE_RESOURCES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "resource_tree.h"

namespace tarn {

// Position of the PE signature of a PE32 or PE32+ image, 0 when there is
// none.
size_t peHeader(const Bytes& file);

enum : size_t { kCertificateDirectory = 4 };

// The size the image's data directory entry gives (the certificate table's
// is a signature's), 0 when the image has no such entry.
uint32_t peDirectorySize(const Bytes& file, size_t index);

// The resources of a PE image. False with *error when the file is no PE
// image, has no resource directory or one outside a single section.
bool readImageResources(const Bytes& file, ResourceTree* tree, std::string* error);

// Where the image's own bytes end in file: past every section's data and
// the symbol table. What follows is appended data (a jar). 0 for no PE.
size_t peImageEnd(const Bytes& file);

// Writes *image (a PE image without appended data) with tree as its
// resources. The resource section is rewritten where it stands when the
// tree fits there or the section ends the image; otherwise a new section
// is added after the last one and the old one is zeroed and renamed. A
// symbol table after the sections moves behind the new data. The
// checksum is left to the caller. False with *error, *image unchanged,
// when the layout is not one this can edit soundly.
bool writeImageResources(Bytes* image, const ResourceTree& tree, std::string* error);

}  // namespace tarn

#endif
