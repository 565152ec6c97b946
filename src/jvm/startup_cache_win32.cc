#include "jvm/startup_cache.h"

#include <windows.h>

#include <limits>

#include "os/code_page_win32.h"

namespace tarn {

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::string quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string text = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    text += c;
  }
  text.append(backslashes * 2, '\\');
  return text + "\"";
}

// The VM makes its archives read-only, which blocks deleting and moving.
void makeWritable(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }

int64_t nanoseconds(const FILETIME& time) {
  uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  // 100-nanosecond ticks since 1601.
  return (static_cast<int64_t>(ticks) - 116444736000000000LL) * 100;
}

// This process's environment with variable set to value, as CreateProcessW
// takes it: "name=value" strings, then an empty one.
std::u16string environmentWith(const std::string& variable, const std::string& value) {
  const std::u16string entry = wideText(variable + "=" + value);
  const std::u16string prefix = wideText(variable + "=");
  std::u16string block;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const char16_t* at = reinterpret_cast<const char16_t*>(strings); *at;) {
      std::u16string one(at);
      at += one.size() + 1;
      // A shorter entry ("OS=Windows_NT") is compared no further than its end.
      if (one.size() < prefix.size() ||
          CompareStringOrdinal(wideChars(one), static_cast<int>(prefix.size()), wideChars(prefix),
                               static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL)
        block += one + u'\0';
    }
    FreeEnvironmentStringsW(strings);
  }
  return block + entry + u'\0' + u'\0';
}

// The program with its standard handles on NUL and, through an explicit
// list, no other handle of this process, however inheritable. Detached, it
// has no console and is not in this one's group for Ctrl-C; and where a job
// would end it with this process, it leaves the job when the job lets it.
bool spawn(const std::string& program, const std::vector<std::string>& arguments,
           const std::u16string* environment, HANDLE* process) {
  std::string commandLine = quoted(program);
  for (const std::string& argument : arguments) commandLine += " " + quoted(argument);
  std::u16string wideCommandLine = wideText(commandLine);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  if (nul == INVALID_HANDLE_VALUE) return false;
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::string listStorage(size, '\0');
  auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(&listStorage[0]);
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = startup.StartupInfo.hStdOutput = nul;
  startup.StartupInfo.hStdError = nul;
  bool listed = InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &nul,
                                          sizeof nul, nullptr, nullptr);
  startup.lpAttributeList = list;
  DWORD flags = EXTENDED_STARTUPINFO_PRESENT | CREATE_UNICODE_ENVIRONMENT |
                (environment ? DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP : CREATE_NO_WINDOW);
  PROCESS_INFORMATION started = {};
  std::u16string programText = wideText(program);
  auto create = [&](DWORD more) {
    return listed &&
           CreateProcessW(wideChars(programText), reinterpret_cast<wchar_t*>(&wideCommandLine[0]),
                          nullptr, nullptr, TRUE, flags | more,
                          environment ? const_cast<char16_t*>(environment->c_str()) : nullptr,
                          nullptr, &startup.StartupInfo, &started);
  };
  bool ok = (environment && create(CREATE_BREAKAWAY_FROM_JOB)) || create(0);
  if (listed) DeleteProcThreadAttributeList(list);
  CloseHandle(nul);
  if (!ok) return false;
  CloseHandle(started.hThread);
  *process = started.hProcess;
  return true;
}

}  // namespace

bool RealCacheFiles::facts(const std::string& path, FileFacts* facts) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  facts->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  facts->modified = nanoseconds(data.ftLastWriteTime);
  facts->used = nanoseconds(data.ftLastAccessTime);
  facts->directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return true;
}

std::vector<std::string> RealCacheFiles::list(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

bool RealCacheFiles::remove(const std::string& path) {
  makeWritable(path);
  return DeleteFileA(path.c_str()) != 0;
}

bool RealCacheFiles::rename(const std::string& from, const std::string& to) {
  makeWritable(from);
  return MoveFileExA(from.c_str(), to.c_str(), 0) != 0;
}

bool RealCacheFiles::touch(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  bool set = SetFileTime(file, nullptr, &now, &now) != 0;
  CloseHandle(file);
  return set;
}

bool RealCacheFiles::writeNew(const std::string& path, const std::string& text) {
  // The folder is the user's own, and so is what it inherits.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
  return CloseHandle(file) && whole;
}

void RealCacheFiles::markUsed(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(file, nullptr, &now, nullptr);
  CloseHandle(file);
}

uint64_t RealCacheFiles::freeSpace(const std::string& folder) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr))
    return std::numeric_limits<uint64_t>::max();
  return available.QuadPart;
}

// The folder lies in the user's own profile: one that is no link is theirs.
bool RealCacheFiles::ownFolder(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void RealCacheFiles::makeMissingFolder(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
}

bool RealCacheFiles::processRuns(uint32_t processId, int64_t startedBy) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  // Another user's, or an elevated one: it runs, its start unknown.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  FILETIME created, exited, kernel, user;
  bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  if (runs && GetProcessTimes(process, &created, &exited, &kernel, &user))
    runs = nanoseconds(created) <= startedBy;
  CloseHandle(process);
  return runs;
}

bool RealCacheFiles::runQuietly(const std::string& program,
                                const std::vector<std::string>& arguments) {
  HANDLE process = nullptr;
  if (!spawn(program, arguments, nullptr, &process)) return false;
  WaitForSingleObject(process, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code == 0;
}

bool RealCacheFiles::startDetached(const std::string& program, const std::string& variable,
                                   const std::string& value) {
  const std::u16string environment = environmentWith(variable, value);
  HANDLE process = nullptr;
  if (!spawn(program, {}, &environment, &process)) return false;
  CloseHandle(process);
  return true;
}

void lowerPriority() { SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS); }

uint32_t currentProcessId() { return GetCurrentProcessId(); }

std::string currentDirectory() {
  wchar_t buffer[MAX_PATH];  // MAX_PATH characters, more bytes in UTF-8
  DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  return length > 0 && length < MAX_PATH ? launcherText(buffer, length) : std::string();
}

std::string javaProgramOf(const std::string& runtimeHome) { return runtimeHome + "\\bin\\java.exe"; }

}  // namespace tarn
