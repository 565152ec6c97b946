#include "config/ini_file.h"

namespace tarn {

// One walk through the text, character by character, so that a text of many
// separators costs no more than its length.
std::vector<std::string> splitText(const std::string& text, const std::string& separator,
                                   LeadByteTest lead) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) return {text};
  size_t position = 0;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, separator.size(), separator) != 0) {
      i = nextChar(text, i, lead);
      continue;
    }
    pieces.push_back(text.substr(position, i - position));
    position = i = i + separator.size();
    if (position >= text.size()) return pieces;
  }
  pieces.push_back(text.substr(position));
  return pieces;
}

std::string readProfileString(ProfileFiles& files, const std::string& path,
                              const std::string& section, const std::string& key) {
  uint32_t size = 256;
  while (true) {
    std::string buffer(size, '\0');
    uint32_t count = files.getString(section, key, &buffer[0], size, path);
    // Wine cuts one more byte when a quoted value just fills the buffer, so
    // a count one short of full may be a cut value too.
    if (count + 2 >= size && size < (1u << 31)) {
      size *= 2;
      continue;
    }
    if (count >= size) count = size - 1;
    buffer.resize(count);
    return buffer.substr(0, buffer.find('\0'));
  }
}

IniFile::IniFile(ProfileFiles& files, const std::string& path, const std::string& embeddedText,
                 LeadByteTest lead)
    : files(&files), path(path), lead(lead) {
  parse(embeddedText);
}

namespace {

// The header test alone looks at single bytes: control characters, the
// blank and every byte above 127 are skipped at both ends.
bool isHeaderBlank(unsigned char c) { return (c >= 1 && c <= 32) || c >= 128; }

bool isHeader(const std::string& line) {
  size_t begin = 0, end = line.size();
  while (begin < end && isHeaderBlank(static_cast<unsigned char>(line[begin]))) ++begin;
  while (end > begin && isHeaderBlank(static_cast<unsigned char>(line[end - 1]))) --end;
  return end - begin >= 2 && line[begin] == '[' && line[end - 1] == ']';
}

}  // namespace

void IniFile::parse(const std::string& text) {
  sections.clear();
  IniSection* current = nullptr;
  for (const std::string& line : splitText(text, "\r\n", lead)) {
    if (line.empty()) continue;
    if (isHeader(line)) {
      // A lead byte among the skipped bytes may swallow the "[" as its trail
      // byte; the character-wise search then finds no name, and the header
      // opens a section with an empty one.
      size_t open = findChar(line, '[', 0, lead);
      size_t close = findLastChar(line, ']', lead);
      IniSection section;
      if (open != std::string::npos && close != std::string::npos && close > open)
        section.name = line.substr(open + 1, close - open - 1);
      sections.push_back(std::move(section));
      current = &sections.back();
      continue;
    }
    size_t equals = findChar(line, '=', 0, lead);
    // Without a section there is nothing to hold a key: such lines are dropped.
    if (equals == std::string::npos || !current) continue;
    current->entries.push_back({trimWhiteSpace(line.substr(0, equals), lead),
                                trimWhiteSpace(line.substr(equals + 1), lead)});
  }
}

std::string IniFile::lookup(const std::string& section, const std::string& key) const {
  std::string result;
  for (const IniSection& candidate : sections) {
    if (candidate.name != section) continue;
    for (const IniEntry& entry : candidate.entries) {
      if (entry.key == key) {
        result = entry.value;
        break;
      }
    }
    break;
  }
  std::string fileValue = readProfileString(*files, path, section, key);
  if (!fileValue.empty()) return fileValue;
  std::string appended = readProfileString(*files, path, section + "+", key);
  if (!appended.empty()) {
    if (appended[0] != ' ') result += ' ';
    result += appended;
  }
  return result;
}

std::string IniFile::lookup(const char* section, const char* key) const {
  return lookup(std::string(section), std::string(key));
}

}  // namespace tarn
