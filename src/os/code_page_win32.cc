#include "os/code_page_win32.h"

#include <windows.h>

namespace tarn {

bool processTextIsUtf8() { return GetACP() == CP_UTF8; }

unsigned legacyCodePage() {
  if (!processTextIsUtf8()) return GetACP();
  DWORD page = 0;
  if (GetLocaleInfoW(GetSystemDefaultLCID(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<wchar_t*>(&page), sizeof page / sizeof(wchar_t)) == 0 ||
      page == 0)
    return 1252;
  return page;
}

std::u16string codePageToUtf16(unsigned codePage, const std::string& text) {
  if (text.empty()) return std::u16string();
  const int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::u16string(text.size(), u'\uFFFD');
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, reinterpret_cast<wchar_t*>(&wide[0]), length);
  return wide;
}

std::string codePageFromUtf16(unsigned codePage, const std::u16string& text, bool* lossless) {
  if (lossless) *lossless = true;
  if (text.empty()) return std::string();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  // UTF-8 takes neither a default character nor the flag that reports it.
  // Elsewhere no best fit: "Łódź" as "Lodz" would name another folder.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL defaulted = FALSE;
  BOOL* used = utf8 ? nullptr : &defaulted;
  int length = WideCharToMultiByte(codePage, flags, wide, size, nullptr, 0, nullptr, used);
  if (length <= 0) {
    if (lossless) *lossless = false;
    return std::string();
  }
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, wide, size, &result[0], length, nullptr, used);
  if (lossless && defaulted) *lossless = false;
  return result;
}

std::u16string wideText(const std::string& text) { return codePageToUtf16(CP_ACP, text); }

std::string launcherText(const wchar_t* text, size_t length) {
  const char16_t* units = reinterpret_cast<const char16_t*>(text);
  return codePageFromUtf16(CP_ACP, std::u16string(units, units + length));
}

}  // namespace tarn
