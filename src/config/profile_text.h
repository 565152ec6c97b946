// One value read from, or written into, the bytes of an INI file by the rules
// of the Windows profile functions, for platforms that lack them:
//
// - An optional UTF-8 byte-order mark is skipped. A carriage return, a line
//   feed or the pair ends a line; each line is trimmed at both ends of white
//   space (blank, tab, vertical tab, form feed and Ctrl-Z, an old DOS end mark).
// - A line starting with "[" and holding a "]" is a header; the section name
//   is the text between that "[" and the last "]", trimmed. Keys standing
//   before any header, and sections with an empty name, are never found.
// - Any other line is a key: the name before the first "=", the value after
//   it, both trimmed. A line without "=" is a key without a value. Comment
//   lines have no rule of their own: ";x" is a key nobody asks for.
// - Names are trimmed and matched without regard to ASCII case. The first
//   section of a name is the only one searched, and its first key counts; an
//   empty key name finds the first key with an empty name.
// - A value enclosed in matching single or double quotes loses them.
// - A name or value ends at a NUL byte.
#ifndef TARN_CONFIG_PROFILE_TEXT_H
#define TARN_CONFIG_PROFILE_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn {

// The whole value, "" when the section, the key or the value is missing.
std::string profileGetString(const std::string& fileBytes, const std::string& section,
                             const std::string& key);

// profileGetString with the contract of GetPrivateProfileStringA: at most
// size - 1 bytes and a terminator go to buffer; returns the bytes copied.
uint32_t profileCopyString(const std::string& fileBytes, const std::string& section,
                           const std::string& key, char* buffer, uint32_t size);

// One change to a file's bytes: `erase` bytes at `position` give way to
// `insert`. Both ends fall between whole characters of any encoding whose
// ASCII bytes stand for themselves.
struct ProfileEdit {
  size_t position = 0;
  size_t erase = 0;
  std::string insert;
};

// The edit that sets key to value. An existing key keeps its line but for
// the old value; a missing key is added after the last non-blank line of
// its section; a missing section is added at the end. New lines follow the
// file's own line ends (newLineEnd when it has none). Fails for an empty
// section or key name, a key holding "=" or starting with "[", or a line
// break or NUL anywhere, none of which would read back as written.
bool profileEditFor(const std::string& fileBytes, const std::string& section,
                    const std::string& key, const std::string& value,
                    const std::string& newLineEnd, ProfileEdit* edit);

// The file's bytes with that edit made; fails, leaving result alone, where
// profileEditFor does.
bool profileSetString(const std::string& fileBytes, const std::string& section,
                      const std::string& key, const std::string& value,
                      const std::string& newLineEnd, std::string* result);

}  // namespace tarn

#endif
