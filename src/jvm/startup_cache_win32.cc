#include "jvm/startup_cache.h"

#include <windows.h>

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

}  // namespace

bool RealCacheFiles::facts(const std::string& path, FileFacts* facts) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  facts->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                   data.ftLastWriteTime.dwLowDateTime;
  // 100-nanosecond ticks since 1601.
  facts->modified = (static_cast<int64_t>(ticks) - 116444736000000000LL) * 100;
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

bool RealCacheFiles::writable(const std::string& folder) {
  std::string probe = folder + "\\.probe-" + std::to_string(GetCurrentProcessId());
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool RealCacheFiles::runQuietly(const std::string& program,
                                const std::vector<std::string>& arguments) {
  std::string commandLine = quoted(program);
  for (const std::string& argument : arguments) commandLine += " " + quoted(argument);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  if (nul == INVALID_HANDLE_VALUE) return false;
  // The child inherits the null device alone, however inheritable other
  // handles of the process are.
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::string listStorage(size, '\0');
  auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(&listStorage[0]);
  bool listed = InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &nul,
                                          sizeof nul, nullptr, nullptr);
  STARTUPINFOEXA startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = startup.StartupInfo.hStdOutput = nul;
  startup.StartupInfo.hStdError = nul;
  startup.lpAttributeList = list;
  PROCESS_INFORMATION process = {};
  // No console window of its own, also for a launcher without one.
  BOOL started = listed && CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                          nullptr, &startup.StartupInfo, &process);
  if (listed) DeleteProcThreadAttributeList(list);
  CloseHandle(nul);
  if (!started) return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0;
}

uint32_t currentProcessId() { return GetCurrentProcessId(); }

std::string currentDirectory() {
  wchar_t buffer[MAX_PATH];  // MAX_PATH characters, more bytes in UTF-8
  DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  return length > 0 && length < MAX_PATH ? launcherText(buffer, length) : std::string();
}

std::string javaProgramOf(const std::string& runtimeHome) { return runtimeHome + "\\bin\\java.exe"; }

}  // namespace tarn
