// UTF-8 and UTF-16, converted by the standards' rules alone, whatever the
// system's code page: for configuration files, embedded texts and names
// that are UTF-8 or UTF-16 by definition.
#ifndef TARN_OS_UNICODE_H
#define TARN_OS_UNICODE_H

#include <string>

namespace tarn {

// False for bytes that are no UTF-8: a broken or overlong sequence, an
// encoded surrogate or a code point past U+10FFFF. *wide is then undefined.
bool utf8ToUtf16(const std::string& text, std::u16string* wide);

// An unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const std::u16string& text);

// Bytes of a file in UTF-16, little- or big-endian, without a mark; a
// lone last byte becomes U+FFFD.
std::u16string utf16FromBytes(const std::string& bytes, bool bigEndian);
std::string utf16ToBytes(const std::u16string& text, bool bigEndian);

}  // namespace tarn

#endif
