// A file's whole content replaced in one step: the new bytes go to a new
// file beside it, which then takes its place. A crash, a full disk or a
// scanner holding the file open leaves the old file or the new one under
// the name, and the new bytes are never thrown away while they are the only
// copy left.
#ifndef TARN_OS_REPLACE_FILE_H
#define TARN_OS_REPLACE_FILE_H

#include <cstddef>
#include <string>

namespace tarn {

// A path as the system's file functions take it: UTF-16 on Windows, so that
// no name depends on the ANSI code page; bytes elsewhere.
#ifdef _WIN32
using SystemPath = std::u16string;
#else
using SystemPath = std::string;
#endif

// Linux permissions that keep a replaced file's own mode and owner, and give
// a new file 0666 less the umask. (Windows: a replaced file always keeps its
// attributes and access rights, a new one gets its folder's.)
constexpr int kKeepMode = -1;

struct ReplaceFailure {
  // Making the new file, writing it, or putting it in the old one's place.
  enum class Step { Create, Write, Place } step = Step::Create;
  int code = 0;  // errno, or GetLastError
  // Where the new bytes are when the old file is gone and they could not
  // take its name; empty otherwise, the new file then removed.
  SystemPath keptCopy;
};

bool replaceFile(const SystemPath& path, const void* data, size_t size, int mode,
                 ReplaceFailure* failure);

// The system's calls of the last step, where Windows' replace can stop
// halfway with the old file gone; a test fakes them.
struct FilePlacing {
  virtual ~FilePlacing() = default;
  // The name is taken, by a file that could be looked at.
  virtual bool exists(const SystemPath& path) = 0;
  // `from` in the place of the existing `to`, which keeps its attributes
  // and access rights on Windows.
  virtual bool replace(const SystemPath& from, const SystemPath& to, int* code) = 0;
  // `from` renamed to `to`, never over another file where the system allows.
  virtual bool move(const SystemPath& from, const SystemPath& to, int* code) = 0;
  virtual void remove(const SystemPath& path) = 0;
};

// Puts the finished temporary in the target's place. On failure the
// temporary is removed, unless the target existed and is gone: then it is
// moved to the target's name or, failing that, kept and named.
bool placeTemporary(FilePlacing& system, const SystemPath& temporary, const SystemPath& target,
                    ReplaceFailure* failure);

// The temporary's name for `attempt`: beside the target, hidden on Linux.
SystemPath temporaryBeside(const SystemPath& target, unsigned long process, unsigned attempt);

}  // namespace tarn

#endif
