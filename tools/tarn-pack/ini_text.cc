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

// The launcher's test of a yes/no key: ASCII letters in any case.
bool isYes(const std::u16string& value) {
  const char16_t* yes = u"yes";
  if (value.size() != 3) return false;
  for (size_t i = 0; i < 3; ++i) {
    char16_t c = value[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != yes[i]) return false;
  }
  return true;
}

// Whether the launcher may take the line for a section header: it skips
// bytes above 127 around one as blanks, and every character beyond ASCII
// becomes such a byte or "?" in its code page.
bool mayBeHeader(const std::u16string& line) {
  auto blank = [](char16_t c) { return (c >= 1 && c <= 32) || c >= 128; };
  size_t first = 0, last = line.size();
  while (first < last && blank(line[first])) ++first;
  while (last > first && blank(line[last - 1])) --last;
  return last - first >= 2 && line[first] == u'[' && line[last - 1] == u']';
}

}  // namespace

bool withEmbeddedJar(std::u16string* text, bool given, std::string* error) {
  static const std::u16string kSection = u"[Application]", kKey = u"Embedded Jar=";
  // Lines of the embedded form: a header is "[name]", any other line "key=value".
  size_t header = std::u16string::npos;
  for (size_t start = 0; start < text->size();) {
    size_t end = text->find(u"\r\n", start);
    if (end == std::u16string::npos) end = text->size();
    const std::u16string line = text->substr(start, end - start);
    start = end + 2;
    if (header == std::u16string::npos) {
      if (line == kSection) header = end;
      continue;
    }
    if (mayBeHeader(line)) break;
    if (line.compare(0, kKey.size(), kKey) != 0) continue;
    const std::u16string value = line.substr(kKey.size());
    if (isYes(value)) return true;
    if (value.empty()) break;  // the first of a key counts: one put in front of it wins
    *error = "the configuration sets \"Embedded Jar=" + utf16ToUtf8(value) + "\", so the " +
             (given ? "jar would never be used; leave the key out or set it to Yes, or give no jar"
                    : "jar of the earlier packing would never be used; leave the key out or set it "
                      "to Yes, or pack the plain launcher");
    return false;
  }
  if (header != std::u16string::npos) {
    text->insert(header, u"\r\n" + kKey + u"Yes");
  } else {
    if (!text->empty()) *text += u"\r\n";
    *text += kSection + u"\r\n" + kKey + u"Yes";
  }
  return true;
}

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
