// What tarn-pack needs of the machine: its arguments, whole files in, one
// file out, and text for the user. Paths and texts are UTF-8 on both
// systems; on Windows a path may use either separator, a drive letter, a
// UNC name or characters outside the ANSI code page.
#ifndef TARN_TOOLS_PACK_FILES_H
#define TARN_TOOLS_PACK_FILES_H

#include <string>
#include <vector>

#include "os/replace_file.h"
#include "pack.h"

namespace tarn {

#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

// The command-line arguments after the program's name.
std::vector<std::string> packArguments(int argc, char** argv);

// False with "<path>: is a folder", "<path>: cannot be read: <reason>" or
// "<path>: read error: <reason>", the reason in the system's words.
bool readWholeFile(const std::string& path, Bytes* bytes, std::string* error);

// Both names lead to one existing file, by any spelling or link; where
// either is missing, both spell the same full path.
bool sameFile(const std::string& a, const std::string& b);

// Makes `path` hold exactly `bytes`: written to a new file in the same
// folder, then put in place in one step, so that an existing file of that
// name stays whole until then and nothing half-written is ever left under
// it. Missing folders above it are created. On Linux the file gets the
// permissions of `like` and is executable by its owner; on Windows a
// replaced file keeps its attributes and access rights.
bool replaceFile(const std::string& path, const Bytes& bytes, const std::string& like,
                 std::string* error);

// The system's text for an error code (errno or GetLastError), in UTF-8.
std::string systemMessage(int code);

// "<path>: <what>: <reason>", the system's reason for the error code.
std::string fileErrorText(const std::string& path, const char* what, int code);

// "<path>: ..." for a failed replacement; keptCopy names the new file where
// it had to be left.
std::string replaceFailureText(const std::string& path, const ReplaceFailure& failure,
                               const std::string& keptCopy);

// Text for standard output and standard error; a console shows UTF-8
// text as such, elsewhere the bytes go out as they are.
void writeOutput(const std::string& text);
void writeError(const std::string& text);

}  // namespace tarn

#endif
