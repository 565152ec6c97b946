#include "os/file_bytes.h"

#include <windows.h>

#include "os/code_page_win32.h"

namespace tarn {

bool readFileStart(const std::string& path, size_t limit, std::string* bytes) {
  bytes->clear();
  HANDLE file = CreateFileW(wideChars(wideText(path)), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileType(file) == FILE_TYPE_DISK;
  char chunk[65536];
  while (ok && bytes->size() < limit) {
    DWORD wanted = static_cast<DWORD>(limit - bytes->size() < sizeof chunk ? limit - bytes->size()
                                                                            : sizeof chunk);
    DWORD got = 0;
    if (!ReadFile(file, chunk, wanted, &got, nullptr)) ok = false;
    if (!ok || got == 0) break;
    bytes->append(chunk, got);
  }
  CloseHandle(file);
  if (!ok) bytes->clear();
  return ok;
}

}  // namespace tarn
