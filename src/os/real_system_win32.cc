#include "os/real_system.h"

#include <windows.h>

#include "os/code_page_win32.h"

namespace tarn {

bool RealSystem::modulePath(std::string* path, uint32_t* error) {
  // Read in UTF-16, where a path of MAX_PATH characters fits MAX_PATH units;
  // in UTF-8 it may take three times the bytes.
  std::u16string buffer(MAX_PATH, u'\0');
  while (true) {
    DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(&buffer[0]),
                                      static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      *error = GetLastError();
      return false;
    }
    if (length < buffer.size()) {
      *path = launcherText(wideChars(buffer), length);
      return true;
    }
    // A full buffer means the path was cut: never use a truncated path.
    if (buffer.size() >= 32768) {
      *error = GetLastError() ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
      return false;
    }
    buffer.resize(buffer.size() * 4);
  }
}

// Through UTF-16: the ANSI functions of some systems (Wine's among them)
// count the value in characters and cut what takes several bytes.
bool RealSystem::getEnvironment(const std::string& name, std::string* value) {
  value->clear();
  const std::u16string wideName = wideText(name);
  DWORD size = GetEnvironmentVariableW(wideChars(wideName), nullptr, 0);
  if (size == 0) return false;
  std::u16string buffer(size, u'\0');
  DWORD length = GetEnvironmentVariableW(wideChars(wideName), reinterpret_cast<wchar_t*>(&buffer[0]),
                                         size);
  if (length == 0 || length >= size) return false;
  *value = launcherText(wideChars(buffer), length);
  return true;
}

bool RealSystem::setEnvironment(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableW(wideChars(wideText(name)), wideChars(wideText(value))) != 0;
}

bool RealSystem::unsetEnvironment(const std::string& name) {
  return SetEnvironmentVariableW(wideChars(wideText(name)), nullptr) != 0;
}

bool RealSystem::fileExists(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE handle = FindFirstFileA(path.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FindClose(handle);
  return true;
}

bool RealSystem::fullPathExists(const std::string& path) {
  // MAX_PATH counts characters, not the bytes UTF-8 takes for them.
  const std::u16string wide = wideText(path);
  if (wide.size() >= MAX_PATH) return false;
  if (!fileExists(path)) return false;
  wchar_t full[MAX_PATH];
  wchar_t* filePart = nullptr;
  DWORD length = GetFullPathNameW(wideChars(wide), MAX_PATH, full, &filePart);
  return length != 0 && length < MAX_PATH;
}

bool RealSystem::isDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RealSystem::createDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RealSystem::setCurrentDirectory(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) != 0;
}

bool RealSystem::isNtPlatform() {
  // GetVersionExA is deprecated but still answers the platform id.
  OSVERSIONINFOEXA extended = {};
  extended.dwOSVersionInfoSize = sizeof extended;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended)))
    return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
  OSVERSIONINFOA basic = {};
  basic.dwOSVersionInfoSize = sizeof basic;
  if (GetVersionExA(&basic)) return basic.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
  return false;
}

}  // namespace tarn
