// What a runtime's folder holds: the VM library below its home, the private
// runtime beside the executable, the release file, and the machine type its
// VM library is built for.
#ifndef TARN_RUNTIME_RUNTIME_HOME_H
#define TARN_RUNTIME_RUNTIME_HOME_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/settings.h"
#include "os/machine.h"

namespace tarn {

// The private runtime's folder below an application's or an older JDK's
// folder, with the separator.
extern const char* const kPrivateSubfolder;

// The folder with the path separator appended when it does not end in one.
std::string withTrailingSeparator(const std::string& folder, LeadByteTest lead);

// The first VM library below home that exists, by the VM type; "" when there
// is none (serverVm is then left alone). An empty home keeps the paths
// relative.
std::string chooseJvmDll(System& system, const std::string& home, JvmType type,
                         bool* serverVm = nullptr);

// A runtime beside the executable (its folder, else its jre subfolder) that
// holds the Java runtime library. False when the executable's path cannot be
// obtained; true with an empty home when there is no private runtime.
bool findPrivateJre(Machine& machine, std::string* home);

// Two runtime homes are the same folder, compared without a trailing
// separator and, on Windows, without case and separator differences.
bool sameHome(const std::string& a, const std::string& b, LeadByteTest lead);

// The VM folders below home by their own names, for the trace: "client,
// server", or "none".
std::string vmTypes(System& system, const std::string& home);

// The JAVA_VERSION of a runtime's release file text, without its quotes; ""
// when it has none.
std::string releaseJavaVersion(const std::string& text);
// Any value of a release file by the same rule.
std::string releaseValue(const std::string& text, const std::string& name);

// Reads a runtime's files.
struct RuntimeFiles {
  virtual ~RuntimeFiles() = default;
  // The text of the release file in the folder (ending in the separator);
  // "" when there is none.
  virtual std::string read(const std::string& folder) = 0;
  // Up to size bytes from the start of the file; "" when it cannot be read.
  virtual std::string head(const std::string& path, size_t size) = 0;
};

// The runtime files on disk.
struct DiskRuntimeFiles : RuntimeFiles {
  std::string read(const std::string& folder) override;
  std::string head(const std::string& path, size_t size) override;
};

// The machine type in the header of a PE image; 0 when the bytes do not
// hold one.
uint16_t peMachine(const std::string& bytes);
// The same, or an ELF image's machine in the PE numbers, for the messages.
uint16_t imageMachine(const std::string& bytes);

// The library is a PE image of another machine type than the given one. A
// machine type that cannot be read does not count, nor does a given 0.
bool foreignArchitecture(uint16_t machineType, RuntimeFiles& files, const std::string& library);

// The machine type the library's image is built for (imageMachine); 0 when
// it cannot be read.
uint16_t libraryMachine(RuntimeFiles& files, const std::string& library);

}  // namespace tarn

#endif
