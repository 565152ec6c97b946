#include "ini_text.h"

#include "config/setting_names.h"
#include "os/unicode.h"

namespace tarn {

namespace {

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A;
}

std::u16string trim(const std::u16string& text) {
  size_t first = 0, last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The launcher's spelling where it has one (known names are ASCII).
std::u16string spelled(const std::u16string& name, const std::string& known) {
  return known.empty() ? name : std::u16string(known.begin(), known.end());
}

// One line of the file in the embedded form, or "" to drop it. *section
// is the launcher's spelling of the current section, "" for one it does
// not read.
std::u16string embeddedLine(const std::u16string& raw, std::string* section) {
  const std::u16string line = trim(raw);
  if (line.empty() || line[0] == u';') return std::u16string();
  if (line[0] == u'[') {
    const size_t close = line.rfind(u']');
    if (close == std::u16string::npos) return std::u16string();
    const std::u16string name = trim(line.substr(1, close - 1));
    *section = knownSectionName(utf16ToUtf8(name));
    return u"[" + spelled(name, *section) + u"]";
  }
  const size_t equals = line.find(u'=');
  if (equals == std::u16string::npos) return std::u16string();
  const std::u16string key = trim(line.substr(0, equals));
  std::u16string value = trim(line.substr(equals + 1));
  if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return spelled(key, knownKeyName(*section, utf16ToUtf8(key))) + u"=" + value;
}

}  // namespace

bool embeddedTextFromIni(const std::vector<unsigned char>& ini, std::u16string* text,
                         std::string* error) {
  std::u16string whole;
  if (ini.size() >= 2 && ini[0] == 0xFF && ini[1] == 0xFE) {
    if (ini.size() % 2 != 0) {
      *error = "the configuration is UTF-16 of an odd number of bytes";
      return false;
    }
    for (size_t i = 2; i < ini.size(); i += 2)
      whole += static_cast<char16_t>(ini[i] | ini[i + 1] << 8);
  } else {
    const size_t from = ini.size() >= 3 && ini[0] == 0xEF && ini[1] == 0xBB && ini[2] == 0xBF ? 3 : 0;
    if (!utf8ToUtf16(std::string(ini.begin() + static_cast<long>(from), ini.end()), &whole)) {
      *error = "the configuration is neither UTF-8 nor UTF-16 with a byte order mark; save it as UTF-8";
      return false;
    }
  }
  if (whole.find(u'\0') != std::u16string::npos) {
    *error = "the configuration holds NUL characters (UTF-16 without a byte order mark?)";
    return false;
  }
  text->clear();
  std::string section;
  size_t start = 0;
  while (start < whole.size()) {
    size_t end = whole.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = whole.size();
    const std::u16string line = embeddedLine(whole.substr(start, end - start), &section);
    if (!line.empty()) {
      if (!text->empty()) *text += u"\r\n";
      *text += line;
    }
    start = end + (whole.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
  }
  return true;
}

}  // namespace tarn
