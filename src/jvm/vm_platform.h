// What hosting the VM needs of the machine: loading its library, a thread
// with a chosen stack, memory figures, the code page, the environment.
#ifndef TARN_JVM_VM_PLATFORM_H
#define TARN_JVM_VM_PLATFORM_H

#include <cstdint>
#include <string>

namespace tarn {

// Libraries loaded by name are never looked for in the current folder,
// which may be anyone's (Downloads, a share, a document's folder). Called
// first thing, before any library is loaded late. Linux never looks there.
void keepCurrentFolderOutOfLibrarySearch();

// The runtime's own folder of libraries (Windows: home\bin, beside the VM's
// folder) takes the current folder's place in that search, for the VM
// library's imports and every library the VM and the program load later.
void searchRuntimeLibraryFolder(const std::string& jvmPath);

// The loaded library, or null with the system's error code in *error. The
// library is never unloaded.
void* openLibrary(const std::string& path, uint32_t* error);
// An exported symbol, or null with the system's error code in *error.
void* librarySymbol(void* library, const char* name, uint32_t* error);

// The VM's C library is the launcher's own (Linux), so the FILE pointers
// it hands its vfprintf hook can be written here. A Windows VM brings a C
// runtime of its own, whose FILE is not the launcher's. Known when
// compiling, so that a Windows build carries none of the hook's code.
#ifdef _WIN32
constexpr bool kVmSharesCLibrary = false;
#else
constexpr bool kVmSharesCLibrary = true;
#endif

using ThreadBody = uint32_t (*)(void* parameter);
// Runs body on a new thread with stackSize bytes (0: the system default)
// and waits for it. False, without running body, when no thread could be
// created.
bool runThread(int32_t stackSize, ThreadBody body, void* parameter, uint32_t* exitCode);

struct MemoryFigures {
  uint64_t totalPhysical = 0;     // bytes of physical memory
  uint64_t availableVirtual = 0;  // bytes of address space this process may still take
};
MemoryFigures memoryFigures();

// Launcher text in the code page that runtimes before Java 19 decode VM
// option strings with: on Windows under the UTF-8 code page the system
// locale's legacy one (a character it lacks becomes "?"); elsewhere the
// text as it is.
std::string legacyCodePageText(const std::string& text);

// %NAME% replaced by the variable's value in the process environment; an
// unset name stays as written. A failed expansion leaves the text alone.
void expandEnvironment(std::string& text);

}  // namespace tarn

#endif
