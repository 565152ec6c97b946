#include "pack_files.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>

#include "os/unicode.h"

namespace tarn {

namespace {

// Paths travel as UTF-8 and meet the system as UTF-16, so that no name
// depends on the ANSI code page.
std::wstring wide(const std::string& text) {
  std::u16string converted;
  if (!utf8ToUtf16(text, &converted)) return std::wstring();
  return std::wstring(converted.begin(), converted.end());
}

std::string narrow(const wchar_t* text, size_t size) {
  return utf16ToUtf8(std::u16string(text, text + size));
}

// The full path, in the extended form when it is too long for the plain
// one, so that deep folders work without the long-path setting.
std::wstring systemPath(const std::string& path) {
  const std::wstring given = wide(path);
  if (given.empty() || given.rfind(L"\\\\?\\", 0) == 0) return given;
  const DWORD room = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (room == 0) return given;
  std::wstring full(room, L'\0');
  const DWORD size = GetFullPathNameW(given.c_str(), room, &full[0], nullptr);
  if (size == 0 || size >= room) return given;
  full.resize(size);
  if (full.size() < MAX_PATH - 12 || full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool isFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder and those above it that are missing; 0 or the error of the
// first that could not be made. Something else of that name is left for
// the file's creation to report.
DWORD createFolders(const std::wstring& folder) {
  if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  const DWORD code = GetLastError();
  const size_t slash = folder.find_last_of(L"\\/");
  if (code != ERROR_PATH_NOT_FOUND || slash == std::wstring::npos || slash == 0) return code;
  const DWORD above = createFolders(folder.substr(0, slash));
  if (above != 0) return above;
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS
             ? 0
             : GetLastError();
}

bool writeAll(HANDLE file, const unsigned char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  const HANDLE file = CreateFileW(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, info) != 0;
  CloseHandle(file);
  return known;
}

void writeTo(DWORD which, const std::string& text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring converted = wide(text);
    for (size_t at = 0; at < converted.size();) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(converted.size() - at, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(handle, converted.data() + at, chunk, &written, nullptr) || written == 0)
        return;
      at += written;
    }
    return;
  }
  writeAll(handle, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

}  // namespace

std::vector<std::string> packArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(narrow(list[i], wcslen(list[i])));
  LocalFree(list);
  return arguments;
}

bool readWholeFile(const std::string& path, Bytes* bytes, std::string* error) {
  const std::wstring name = systemPath(path);
  if (isFolder(name)) {
    *error = path + ": is a folder";
    return false;
  }
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (name.empty() || file == INVALID_HANDLE_VALUE) {
    *error = fileErrorText(path, "cannot be read",
                           static_cast<int>(name.empty() ? ERROR_INVALID_NAME : GetLastError()));
    return false;
  }
  bytes->clear();
  unsigned char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
      const DWORD code = GetLastError();
      CloseHandle(file);
      *error = fileErrorText(path, "read error", static_cast<int>(code));
      return false;
    }
    if (read == 0) break;
    bytes->insert(bytes->end(), buffer, buffer + read);
  }
  CloseHandle(file);
  return true;
}

bool sameFile(const std::string& a, const std::string& b) {
  const std::wstring first = systemPath(a), second = systemPath(b);
  BY_HANDLE_FILE_INFORMATION one, other;
  if (fileIdentity(first, &one) && fileIdentity(second, &other))
    return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
  return CompareStringOrdinal(first.c_str(), -1, second.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool replaceFile(const std::string& path, const Bytes& bytes, const std::string&,
                 std::string* error) {
  const std::wstring target = systemPath(path);
  if (isFolder(target)) {
    *error = path + ": is a folder";
    return false;
  }
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash);
  const DWORD folderCode = folder.empty() || isFolder(folder) ? 0 : createFolders(folder);
  if (folderCode != 0) {
    *error = fileErrorText(path, "its folder cannot be created", static_cast<int>(folderCode));
    return false;
  }
  ReplaceFailure failure;
  if (replaceFile(SystemPath(target.begin(), target.end()), bytes.data(), bytes.size(), kKeepMode,
                  &failure))
    return true;
  *error = replaceFailureText(path, failure, utf16ToUtf8(failure.keptCopy));
  return false;
}

std::string systemMessage(int code) {
  wchar_t* text = nullptr;
  const DWORD size = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = size > 0 ? narrow(text, size) : std::string();
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' '))
    message.pop_back();
  return message.empty() ? "system error " + std::to_string(code) : message;
}

void writeOutput(const std::string& text) { writeTo(STD_OUTPUT_HANDLE, text); }

void writeError(const std::string& text) { writeTo(STD_ERROR_HANDLE, text); }

}  // namespace tarn
