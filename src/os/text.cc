#include "os/text.h"

#include <cstdio>
#include <vector>

namespace tarn {

size_t nextChar(const std::string& text, size_t i, LeadByteTest lead) {
  if (i >= text.size()) return text.size();
  if (lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) return i + 2;
  return i + 1;
}

size_t findChar(const std::string& text, char c, size_t from, LeadByteTest lead) {
  // Walk from the start so that `from` itself is known to be a boundary.
  size_t i = 0;
  while (i < from && i < text.size()) i = nextChar(text, i, lead);
  for (; i < text.size(); i = nextChar(text, i, lead)) {
    if (text[i] == c) return i;
  }
  return std::string::npos;
}

size_t findLastChar(const std::string& text, char c, LeadByteTest lead) {
  size_t found = std::string::npos;
  for (size_t i = 0; i < text.size(); i = nextChar(text, i, lead))
    if (text[i] == c) found = i;
  return found;
}

size_t findText(const std::string& text, const std::string& needle, size_t from,
                LeadByteTest lead) {
  if (needle.empty()) return from <= text.size() ? from : std::string::npos;
  size_t i = 0;
  while (i < from && i < text.size()) i = nextChar(text, i, lead);
  for (; i < text.size(); i = nextChar(text, i, lead))
    if (text.compare(i, needle.size(), needle) == 0) return i;
  return std::string::npos;
}

bool isWhiteSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string trimWhiteSpace(const std::string& text, LeadByteTest lead) {
  size_t begin = 0;
  while (begin < text.size() && isWhiteSpace(static_cast<unsigned char>(text[begin])))
    begin = nextChar(text, begin, lead);
  // The end is the boundary after the last non-blank character.
  size_t end = begin;
  for (size_t i = begin; i < text.size();) {
    size_t next = nextChar(text, i, lead);
    if (next - i > 1 || !isWhiteSpace(static_cast<unsigned char>(text[i]))) end = next;
    i = next;
  }
  return text.substr(begin, end - begin);
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool endsWith(const std::string& text, const char* suffix) {
  const size_t size = std::char_traits<char>::length(suffix);
  return text.size() >= size && text.compare(text.size() - size, size, suffix) == 0;
}

bool equalsIgnoringCase(const std::string& text, const char* keyword) {
  size_t i = 0;
  for (; i < text.size() && keyword[i]; ++i) {
    char a = text[i];
    char b = keyword[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return i == text.size() && keyword[i] == '\0';
}

uint64_t fnv1a(const std::string& text, uint64_t hash) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return hash;
}

uint64_t decimalValue(const std::string& digits) {
  uint64_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

std::string hexDigits(uint64_t value, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = kDigits[value & 15];
  return text;
}

std::string formatList(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int needed = formatInto(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(needed) + 1);
  formatInto(buffer.data(), buffer.size(), format, args);
  return std::string(buffer.data(), static_cast<size_t>(needed));
}

}  // namespace tarn
