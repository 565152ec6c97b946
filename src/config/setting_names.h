// The configuration's sections and keys as the launcher spells them. A
// file beside the launcher matches names without regard to case, the
// embedded configuration exactly, so tarn-pack writes a known name in this
// spelling before it embeds it.
#ifndef TARN_CONFIG_SETTING_NAMES_H
#define TARN_CONFIG_SETTING_NAMES_H

#include <cstddef>
#include <string>

namespace tarn {

struct SettingName {
  const char* section;
  const char* key;
};

// Every key the launcher reads, under its section.
extern const SettingName kSettingNames[];
extern const size_t kSettingNameCount;

// The launcher's spelling of a section name that equals a known one but
// for ASCII case, an append section's "+" kept; "" for any other name.
std::string knownSectionName(const std::string& name);

// The same for a key under `section`, given in the launcher's spelling.
std::string knownKeyName(const std::string& section, const std::string& key);

}  // namespace tarn

#endif
