// The configuration reader: an embedded configuration text parsed into
// sections, layered under the configuration file on disk.
#ifndef TARN_CONFIG_INI_FILE_H
#define TARN_CONFIG_INI_FILE_H

#include <string>
#include <vector>

#include "os/profile_files.h"
#include "os/text.h"

namespace tarn {

struct IniEntry {
  std::string key;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

// Splits at every occurrence of separator; a separator at the very end adds
// no empty piece, and an empty text gives no pieces.
std::vector<std::string> splitText(const std::string& text, const std::string& separator,
                                   LeadByteTest lead);

// One value from one profile file alone, read whole however long it is.
std::string readProfileString(ProfileFiles& files, const std::string& path,
                              const std::string& section, const std::string& key);

struct IniFile {
  IniFile(ProfileFiles& files, const std::string& path, const std::string& embeddedText,
          LeadByteTest lead);

  // Lines end at "\r\n" only. Key lines standing before any header have no
  // section to go to and are dropped.
  void parse(const std::string& text);

  // A non-empty file value wins; else the embedded value, extended by the
  // file's append section ("<section>+").
  std::string lookup(const std::string& section, const std::string& key) const;
  // The same for names in the code: their strings are made here, not at
  // each of the many calls.
  std::string lookup(const char* section, const char* key) const;

  ProfileFiles* files;
  std::string path;
  std::vector<IniSection> sections;
  LeadByteTest lead;
};

}  // namespace tarn

#endif
