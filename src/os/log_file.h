// A log file that several processes append whole lines to. A service may
// write one where any local user can create files, so the file is never
// reached through a link of its last component, never one with a second
// name (a hard link), never one that another user owns, and private to its
// owner when it is new.
#ifndef TARN_OS_LOG_FILE_H
#define TARN_OS_LOG_FILE_H

#include <cstdint>
#include <string>

namespace tarn {

struct LogFile {
  intptr_t handle = -1;  // a file descriptor, or a HANDLE
};

// Opens the file to append to, creating it when missing. False, with the
// file left as it was, when the name is a link, names no regular file or
// one with another name besides,
// or when the file belongs to neither the current user nor (Windows) the
// Administrators or SYSTEM, or cannot be opened.
bool openLogFile(const std::string& path, LogFile* file);

// The line and the system's line end, in one write that the system puts at
// the end of the file whole, whatever other processes append.
bool appendLogLine(const LogFile& file, const std::string& line);

void closeLogFile(LogFile* file);

}  // namespace tarn

#endif
