#include <windows.h>

#include "config/embedded_config.h"
#include "os/code_page_win32.h"

namespace tarn {

const unsigned char* embeddedBlock(size_t* size) {
  *size = 0;
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(TARN_EMBEDDED_CONFIG_ID),
                              MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(nullptr, found);
  if (loaded == nullptr) return nullptr;
  const void* data = LockResource(loaded);
  if (data == nullptr) return nullptr;
  *size = SizeofResource(nullptr, found);
  return static_cast<const unsigned char*>(data);
}

std::string utf16ToSystemText(const std::u16string& text) {
  return codePageFromUtf16(CP_ACP, text);
}

}  // namespace tarn
