// The few files the launcher reads itself (release files, library headers,
// configuration files), read through the system's own calls: the C++
// streams would bring their locale machinery into the executable.
#ifndef TARN_OS_FILE_BYTES_H
#define TARN_OS_FILE_BYTES_H

#include <cstddef>
#include <string>

namespace tarn {

// Up to limit bytes from the start of a regular file. False, with bytes
// empty, when the file is missing, is no regular file or cannot be read.
bool readFileStart(const std::string& path, size_t limit, std::string* bytes);

}  // namespace tarn

#endif
