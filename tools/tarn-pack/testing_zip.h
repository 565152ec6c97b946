// A zip archive of stored entries, built in memory for the tests.
#ifndef TARN_TOOLS_TESTING_ZIP_H
#define TARN_TOOLS_TESTING_ZIP_H

#include <string>
#include <utility>
#include <vector>

#include "config/embedded_config.h"

namespace tarn {
namespace testing_zip {

using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline uint32_t get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Entries as (name, content); prefix stands before the archive and its
// offsets count from the start of prefix, as in a self-contained file.
inline Bytes makeZip(const std::vector<std::pair<std::string, std::string>>& entries,
                     const std::string& comment = "", const Bytes& prefix = Bytes()) {
  Bytes zip = prefix;
  std::vector<uint32_t> offsets;
  for (const auto& entry : entries) {
    offsets.push_back(static_cast<uint32_t>(zip.size()));
    const auto* data = reinterpret_cast<const unsigned char*>(entry.second.data());
    const uint32_t crc = crc32(data, entry.second.size());
    put32(zip, 0x04034b50);
    put16(zip, 10); put16(zip, 0); put16(zip, 0); put16(zip, 0); put16(zip, 0x21);
    put32(zip, crc);
    put32(zip, static_cast<uint32_t>(entry.second.size()));
    put32(zip, static_cast<uint32_t>(entry.second.size()));
    put16(zip, static_cast<uint32_t>(entry.first.size())); put16(zip, 0);
    zip.insert(zip.end(), entry.first.begin(), entry.first.end());
    zip.insert(zip.end(), entry.second.begin(), entry.second.end());
  }
  const uint32_t directory = static_cast<uint32_t>(zip.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& entry = entries[i];
    const auto* data = reinterpret_cast<const unsigned char*>(entry.second.data());
    put32(zip, 0x02014b50);
    put16(zip, 20); put16(zip, 10); put16(zip, 0); put16(zip, 0); put16(zip, 0); put16(zip, 0x21);
    put32(zip, crc32(data, entry.second.size()));
    put32(zip, static_cast<uint32_t>(entry.second.size()));
    put32(zip, static_cast<uint32_t>(entry.second.size()));
    put16(zip, static_cast<uint32_t>(entry.first.size())); put16(zip, 0); put16(zip, 0);
    put16(zip, 0); put16(zip, 0); put32(zip, 0);
    put32(zip, offsets[i]);
    zip.insert(zip.end(), entry.first.begin(), entry.first.end());
  }
  const uint32_t size = static_cast<uint32_t>(zip.size()) - directory;
  put32(zip, 0x06054b50);
  put16(zip, 0); put16(zip, 0);
  put16(zip, static_cast<uint32_t>(entries.size())); put16(zip, static_cast<uint32_t>(entries.size()));
  put32(zip, size); put32(zip, directory);
  put16(zip, static_cast<uint32_t>(comment.size()));
  zip.insert(zip.end(), comment.begin(), comment.end());
  return zip;
}

}  // namespace testing_zip
}  // namespace tarn

#endif
