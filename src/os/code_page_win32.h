// The Windows code pages the launcher's text meets. Its own text is in the
// process's ANSI code page, which the manifest asks to be UTF-8 (Windows 10
// 1903 and later honour it). Files saved before, and Java runtimes that
// predate it, use the system locale's ANSI code page instead: the legacy
// one. Where Windows ignores the manifest the two are the same.
#ifndef TARN_OS_CODE_PAGE_WIN32_H
#define TARN_OS_CODE_PAGE_WIN32_H

#include <string>

namespace tarn {

// The process's ANSI code page is UTF-8.
bool processTextIsUtf8();

// The system locale's ANSI code page, as older Java runtimes find it.
unsigned legacyCodePage();

// Text of a code page as UTF-16; undecodable bytes become U+FFFD.
std::u16string codePageToUtf16(unsigned codePage, const std::string& text);
// UTF-16 in a code page; a character it lacks becomes "?", and *lossless
// (when given) tells whether that happened.
std::string codePageFromUtf16(unsigned codePage, const std::u16string& text,
                              bool* lossless = nullptr);

// Launcher text and the system's UTF-16 strings. (std::u16string rather
// than std::wstring: the C++ library carries every member of the latter
// into the executable.)
std::u16string wideText(const std::string& text);
inline const wchar_t* wideChars(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
std::string launcherText(const wchar_t* text, size_t length);

}  // namespace tarn

#endif
