#include "config/ini_file.h"

namespace tarn {

std::vector<std::string> splitText(const std::string& text, const std::string& separator,
                                   LeadByteTest lead) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  size_t position = 0;
  bool found = false;
  while (true) {
    size_t at = findText(text, separator, position, lead);
    if (at == std::string::npos || separator.empty()) break;
    found = true;
    pieces.push_back(text.substr(position, at - position));
    position = at + separator.size();
    if (position >= text.size()) return pieces;
  }
  if (!found) {
    pieces.push_back(text);
  } else {
    pieces.push_back(text.substr(position));
  }
  return pieces;
}

std::string readProfileString(ProfileFiles& files, const std::string& path,
                              const std::string& section, const std::string& key) {
  uint32_t size = 256;
  while (true) {
    std::string buffer(size, '\0');
    uint32_t count = files.getString(section, key, &buffer[0], size, path);
    if (count == size - 1 && size < (1u << 31)) {
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

void IniFile::parse(const std::string&) { sections.clear(); }

std::string IniFile::lookup(const std::string& section, const std::string& key) const {
  return readProfileString(*files, path, section, key);
}

}  // namespace tarn
