#include <windows.h>

#include "config/embedded_config.h"

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
  if (text.empty()) return std::string();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int count = static_cast<int>(text.size());
  int needed = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string result(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, count, &result[0], needed, nullptr, nullptr);
  return result;
}

}  // namespace tarn
