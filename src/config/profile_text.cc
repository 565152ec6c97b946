#include "config/profile_text.h"

#include <cstring>

namespace tarn {
namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

// The profile functions' white space: the C set, and Ctrl-Z, which old DOS
// files carry as an end mark.
bool isProfileSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A name or value ends at a NUL byte, as it does in the C strings that the
// platform functions keep.
std::string cutAtNul(const std::string& text, size_t begin, size_t end) {
  const void* nul = std::memchr(text.data() + begin, '\0', end - begin);
  if (nul) end = static_cast<const char*>(nul) - text.data();
  return text.substr(begin, end - begin);
}

std::string trimmedName(const std::string& name) {
  std::string cut = cutAtNul(name, 0, name.size());
  size_t begin = 0, end = cut.size();
  while (begin < end && isProfileSpace(static_cast<unsigned char>(cut[begin]))) ++begin;
  while (end > begin && isProfileSpace(static_cast<unsigned char>(cut[end - 1]))) --end;
  return cut.substr(begin, end - begin);
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

// One line of the file: [start, next) with its line feed, and the trimmed
// content [begin, end).
struct Line {
  size_t start = 0, begin = 0, end = 0, next = 0;
  bool blank() const { return begin == end; }
};

struct Scanner {
  const std::string& bytes;
  size_t position;

  explicit Scanner(const std::string& text)
      : bytes(text), position(text.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0) {}

  // A carriage return, a line feed, or the pair ends a line.
  bool next(Line* line) {
    if (position >= bytes.size()) return false;
    line->start = position;
    size_t stop = position;
    while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n') ++stop;
    if (stop < bytes.size())
      stop += (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
    line->next = stop;
    size_t begin = position, end = line->next;
    while (begin < end && isProfileSpace(static_cast<unsigned char>(bytes[begin]))) ++begin;
    while (end > begin && isProfileSpace(static_cast<unsigned char>(bytes[end - 1]))) --end;
    line->begin = begin;
    line->end = end;
    position = line->next;
    return true;
  }

  // For a header line, sets the section name and returns true.
  bool header(const Line& line, std::string* name) const {
    if (line.blank() || bytes[line.begin] != '[') return false;
    size_t close = std::string::npos;
    for (size_t i = line.end; i > line.begin; --i)
      if (bytes[i - 1] == ']') {
        close = i - 1;
        break;
      }
    if (close == std::string::npos) return false;
    size_t begin = line.begin + 1;
    while (begin < close && isProfileSpace(static_cast<unsigned char>(bytes[begin]))) ++begin;
    while (close > begin && isProfileSpace(static_cast<unsigned char>(bytes[close - 1]))) --close;
    *name = cutAtNul(bytes, begin, close);
    return true;
  }

  // For a key line: the key's name and the position of its "=" (npos when
  // it has none).
  void key(const Line& line, std::string* name, size_t* equals) const {
    const void* found = std::memchr(bytes.data() + line.begin, '=', line.end - line.begin);
    size_t nameEnd = line.end;
    *equals = std::string::npos;
    if (found) {
      *equals = static_cast<const char*>(found) - bytes.data();
      nameEnd = *equals;
      while (nameEnd > line.begin && isProfileSpace(static_cast<unsigned char>(bytes[nameEnd - 1])))
        --nameEnd;
    }
    *name = cutAtNul(bytes, line.begin, nameEnd);
  }
};

// Where a key stands in the file, or what is missing.
struct KeyPlace {
  bool sectionFound = false;
  bool keyFound = false;
  Line keyLine;
  size_t equals = std::string::npos;
  Line lastFilled;       // last non-blank line of the section, its header at least
  Line lastFilledInFile;  // last non-blank line of the whole file
  bool anyFilled = false;
};

KeyPlace findKey(const std::string& bytes, const std::string& section, const std::string& key) {
  KeyPlace place;
  Scanner scanner(bytes);
  enum { Before, Inside, After } state = Before;
  Line line;
  std::string name;
  while (scanner.next(&line)) {
    if (line.blank()) continue;
    place.anyFilled = true;
    place.lastFilledInFile = line;
    if (state == After) continue;
    if (scanner.header(line, &name)) {
      if (state == Inside) {
        state = After;
      } else if (!name.empty() && sameName(name, section)) {
        state = Inside;
        place.sectionFound = true;
        place.lastFilled = line;
      }
      continue;
    }
    if (state != Inside) continue;
    place.lastFilled = line;
    size_t equals;
    scanner.key(line, &name, &equals);
    if (!place.keyFound && sameName(name, key)) {
      place.keyFound = true;
      place.keyLine = line;
      place.equals = equals;
      // Neither a read nor a replacement needs the rest of the section.
      state = After;
    }
  }
  return place;
}

// The text before position ends with a line break.
bool endsLine(const std::string& text, size_t position) {
  return position > 0 && (text[position - 1] == '\n' || text[position - 1] == '\r');
}

bool hasAny(const std::string& text, const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (text.find(bytes[i]) != std::string::npos) return true;
  return false;
}

}  // namespace

std::string profileGetString(const std::string& fileBytes, const std::string& section,
                             const std::string& key) {
  std::string sectionName = trimmedName(section), keyName = trimmedName(key);
  if (sectionName.empty()) return std::string();
  KeyPlace place = findKey(fileBytes, sectionName, keyName);
  if (!place.keyFound || place.equals == std::string::npos) return std::string();
  size_t begin = place.equals + 1;
  while (begin < place.keyLine.end && isProfileSpace(static_cast<unsigned char>(fileBytes[begin])))
    ++begin;
  std::string value = cutAtNul(fileBytes, begin, place.keyLine.end);
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return value;
}

uint32_t profileCopyString(const std::string& fileBytes, const std::string& section,
                           const std::string& key, char* buffer, uint32_t size) {
  if (!buffer || size == 0) return 0;
  std::string value = profileGetString(fileBytes, section, key);
  size_t count = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return static_cast<uint32_t>(count);
}

bool profileEditFor(const std::string& fileBytes, const std::string& section,
                    const std::string& key, const std::string& value,
                    const std::string& newLineEnd, ProfileEdit* edit) {
  static const char kBreaks[] = {'\r', '\n', '\0'};
  if (hasAny(section, kBreaks, 3) || hasAny(key, kBreaks, 3) || hasAny(value, kBreaks, 3))
    return false;
  std::string sectionName = trimmedName(section), keyName = trimmedName(key);
  if (sectionName.empty() || keyName.empty()) return false;
  if (keyName.find('=') != std::string::npos || keyName[0] == '[') return false;
  // Leading blanks would be read away again; the platform drops them too.
  size_t valueBegin = 0;
  while (valueBegin < value.size() && isProfileSpace(static_cast<unsigned char>(value[valueBegin])))
    ++valueBegin;
  const std::string newValue = value.substr(valueBegin);

  // New lines end as the file's first line does.
  size_t stop = fileBytes.find_first_of("\r\n");
  std::string lineEnd = newLineEnd;
  if (stop != std::string::npos) {
    lineEnd = fileBytes.substr(stop, 1);
    if (fileBytes.compare(stop, 2, "\r\n") == 0) lineEnd = "\r\n";
  }

  KeyPlace place = findKey(fileBytes, sectionName, keyName);
  ProfileEdit change;
  if (place.keyFound) {
    // Only the old value goes; the blanks around it stay.
    const Line& line = place.keyLine;
    size_t keep = line.end;
    if (place.equals != std::string::npos) {
      keep = place.equals + 1;
      while (keep < line.end && isProfileSpace(static_cast<unsigned char>(fileBytes[keep]))) ++keep;
    }
    change.position = keep;
    change.erase = line.end - keep;
    if (place.equals == std::string::npos) change.insert = "=";
    change.insert += newValue;
  } else if (place.sectionFound) {
    const Line& last = place.lastFilled;
    change.position = last.next;
    if (!endsLine(fileBytes, last.next)) change.insert = lineEnd;
    change.insert += keyName + "=" + newValue + lineEnd;
  } else {
    change.position = fileBytes.size();
    size_t contentStart = fileBytes.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
    if (fileBytes.size() > contentStart && !endsLine(fileBytes, fileBytes.size()))
      change.insert = lineEnd;
    // A blank line between sections, unless one stands there already.
    if (place.anyFilled &&
        fileBytes.find_first_of("\r\n", place.lastFilledInFile.next) == std::string::npos)
      change.insert += lineEnd;
    change.insert += "[" + sectionName + "]" + lineEnd + keyName + "=" + newValue + lineEnd;
  }
  *edit = std::move(change);
  return true;
}

bool profileSetString(const std::string& fileBytes, const std::string& section,
                      const std::string& key, const std::string& value,
                      const std::string& newLineEnd, std::string* result) {
  ProfileEdit edit;
  if (!profileEditFor(fileBytes, section, key, value, newLineEnd, &edit)) return false;
  *result = fileBytes;
  result->replace(edit.position, edit.erase, edit.insert);
  return true;
}

}  // namespace tarn
