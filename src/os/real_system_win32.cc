#include "os/real_system.h"

#include <windows.h>

namespace tarn {

bool RealSystem::modulePath(std::string* path, uint32_t* error) {
  char buffer[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (length == 0) {
    *error = GetLastError();
    return false;
  }
  // A full buffer means the path was cut: never use a truncated path.
  if (length >= sizeof buffer) {
    *error = GetLastError() ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  path->assign(buffer, length);
  return true;
}

bool RealSystem::getEnvironment(const std::string& name, std::string* value) {
  value->clear();
  DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (size == 0) return false;
  std::string buffer(size, '\0');
  DWORD length = GetEnvironmentVariableA(name.c_str(), &buffer[0], size);
  if (length == 0 || length >= size) return false;
  buffer.resize(length);
  *value = buffer;
  return true;
}

bool RealSystem::setEnvironment(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0;
}

bool RealSystem::fileExists(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE handle = FindFirstFileA(path.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FindClose(handle);
  return true;
}

bool RealSystem::fullPathExists(const std::string& path) {
  if (path.size() >= MAX_PATH) return false;
  if (!fileExists(path)) return false;
  char full[MAX_PATH];
  char* filePart = nullptr;
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, &filePart);
  return length != 0 && length < sizeof full;
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
