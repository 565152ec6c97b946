// Stepping through 8-bit launcher text in the system's code page, where a
// double-byte character (lead byte, trail byte) counts as one character so
// that a trail byte is never mistaken for a quote, a blank or a separator.
#ifndef TARN_OS_TEXT_H
#define TARN_OS_TEXT_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn {

// True when the byte opens a double-byte character of the code page.
using LeadByteTest = bool (*)(unsigned char);

// The running system's test (IsDBCSLeadByte on Windows; on Linux the
// locale's multibyte sets never hide ASCII inside a character, so none).
bool systemLeadByte(unsigned char c);

// For single-byte code pages and tests.
inline bool noLeadBytes(unsigned char) { return false; }

// Position of the character after the one at i (never past the end).
size_t nextChar(const std::string& text, size_t i, LeadByteTest lead);

// First position >= from holding byte c as a whole character, or npos.
size_t findChar(const std::string& text, char c, size_t from, LeadByteTest lead);

// Last position holding byte c as a whole character, or npos.
size_t findLastChar(const std::string& text, char c, LeadByteTest lead);

// First position >= from where `needle` starts on a character boundary.
size_t findText(const std::string& text, const std::string& needle, size_t from,
                LeadByteTest lead);

// The C library's white space (blank, tab, line feed, vertical tab, form
// feed, carriage return), tested only on single-byte characters.
bool isWhiteSpace(unsigned char c);

// Text without white space at both ends, stepping whole characters.
std::string trimWhiteSpace(const std::string& text, LeadByteTest lead);

// Launcher text read as the system's code page reads it (Windows: the
// process's ANSI code page; Linux: the locale's), as UTF-16. Undecodable
// bytes become U+FFFD.
std::u16string systemTextToUtf16(const std::string& text);

// Byte-wise prefix and suffix tests; those of literals make no string.
bool startsWith(const std::string& text, const std::string& prefix);
bool endsWith(const std::string& text, const std::string& suffix);
bool startsWith(const std::string& text, const char* prefix);
bool endsWith(const std::string& text, const char* suffix);

// Keyword comparison without regard to case; the keywords are plain ASCII.
bool equalsIgnoringCase(const std::string& text, const char* keyword);

// FNV-1a over the text's bytes, continuing from hash: stable across builds
// and platforms, for names that other processes and later runs rely on.
constexpr uint64_t kFnv1aBasis = 14695981039346656037ULL;
uint64_t fnv1a(const std::string& text, uint64_t hash = kFnv1aBasis);

// The value of a text of decimal digits only, at most 19 of them; the
// caller has checked both. (std::stoull brings the C99 strtoull and its
// checks, a kilobyte of the Windows executable.)
uint64_t decimalValue(const std::string& digits);

// The value's last `digits` hexadecimal digits, lower case, zero-padded.
std::string hexDigits(uint64_t value, int digits);

// The values formatted by printf rules; args is left for the caller to end.
std::string formatList(const char* format, va_list args);
// vsnprintf by the platform's C runtime: the length the whole text needs,
// writing at most size bytes of it when buffer is given.
int formatInto(char* buffer, size_t size, const char* format, va_list args);

}  // namespace tarn

#endif
