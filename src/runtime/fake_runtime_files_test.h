// Runtime folders for the runtime tests: the VM libraries' places below a
// home, release files and the first bytes of VM libraries held in memory.
#ifndef TARN_RUNTIME_FAKE_RUNTIME_FILES_TEST_H
#define TARN_RUNTIME_FAKE_RUNTIME_FILES_TEST_H

#include <cstdint>
#include <map>
#include <string>

#include "runtime/fake_machine_test.h"
#include "runtime/runtime_home.h"

namespace tarn {

#ifdef _WIN32
inline const char* const kClient = "bin/client/jvm.dll";
inline const char* const kServer = "bin/server/jvm.dll";
inline const char* const kJrockit = "bin/jrockit/jvm.dll";
inline const char* const kHotspot = "bin/hotspot/jvm.dll";
inline const char* const kRuntimeLibrary = "bin/java.dll";
inline const char* const kRoot = "C:/rt/";
inline const char* const kCompiler = "bin/javac.exe";
#else
inline const char* const kClient = "lib/client/libjvm.so";
inline const char* const kServer = "lib/server/libjvm.so";
inline const char* const kJrockit = "lib/jrockit/libjvm.so";
inline const char* const kHotspot = "lib/hotspot/libjvm.so";
inline const char* const kRuntimeLibrary = "lib/libjava.so";
inline const char* const kRoot = "/rt/";
inline const char* const kCompiler = "bin/javac";
#endif

inline std::string at(const std::string& relative) { return native(kRoot + relative); }

// Release files by folder and the first bytes of VM libraries by path.
struct FakeRuntimeFiles : RuntimeFiles {
  std::map<std::string, std::string> texts;  // release files by folder
  std::map<std::string, std::string> libraries;
  std::string read(const std::string& folder) override {
    auto it = texts.find(folder);
    return it == texts.end() ? std::string() : it->second;
  }
  std::string head(const std::string& path, size_t size) override {
    auto it = libraries.find(path);
    return it == libraries.end() ? std::string() : it->second.substr(0, size);
  }
};

// The start of a PE image of the machine type, its header at offset.
inline std::string peImage(uint16_t machine, uint32_t offset = 0x80) {
  std::string bytes(offset + 24, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3c + i] = static_cast<char>(offset >> (8 * i));
  bytes.replace(offset, 4, std::string("PE\0\0", 4));
  bytes[offset + 4] = static_cast<char>(machine & 0xff);
  bytes[offset + 5] = static_cast<char>(machine >> 8);
  return bytes;
}

}  // namespace tarn

#endif
