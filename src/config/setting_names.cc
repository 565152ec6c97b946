#include "config/setting_names.h"

#include "os/text.h"

namespace tarn {

// One pair a line: the Maven plugin's tests read this table.
const SettingName kSettingNames[] = {
    {"Product Information", "Product Code"},
    {"Product Information", "Product Name"},
    {"Java Runtime Environment", "Minimum Version"},
    {"Java Runtime Environment", "Maximum Version"},
    {"Java Runtime Environment", "Preferred versions"},
    {"Java Runtime Environment", "JRE Path"},
    {"Java Runtime Environment", "JVM Type"},
    {"Java Runtime Environment", "JVM Source"},
    {"Java Runtime Environment", "VM Provider"},
    {"Java Runtime Environment", "Main Class"},
    {"Java Runtime Environment", "System Path"},
    {"Java Runtime Environment", "Library Path"},
    {"Java Runtime Environment", "Startup Cache"},
    {"Java Runtime Environment", "Virtual Machine Parameters"},
    {"Java Runtime Environment", "Download Page"},
    {"Application", "Application Type"},
    {"Application", "Failure Check"},
    {"Application", "Override WorkingDir"},
    {"Application", "Single Instance"},
    {"Application", "Embedded Jar"},
    {"Application", "Output File"},
    {"Application", "Error File"},
    {"Application", "Cmd"},
    {"Application", "Attach Console"},
    {"Application", "App User Model ID"},
    {"Application", "Splash Image"},
    {"Application", "Splash Timeout"},
    {"Class Path", "Class Path"},
};
const size_t kSettingNameCount = sizeof kSettingNames / sizeof kSettingNames[0];

namespace {

// The name of the section that an append section ("<name>+") extends.
std::string extendedSection(const std::string& name) {
  return !name.empty() && name.back() == '+' ? name.substr(0, name.size() - 1) : name;
}

}  // namespace

std::string knownSectionName(const std::string& name) {
  const std::string plain = extendedSection(name);
  for (size_t i = 0; i < kSettingNameCount; ++i)
    if (equalsIgnoringCase(plain, kSettingNames[i].section))
      return kSettingNames[i].section + name.substr(plain.size());
  return std::string();
}

std::string knownKeyName(const std::string& section, const std::string& key) {
  const std::string plain = extendedSection(section);
  for (size_t i = 0; i < kSettingNameCount; ++i)
    if (plain == kSettingNames[i].section && equalsIgnoringCase(key, kSettingNames[i].key))
      return kSettingNames[i].key;
  return std::string();
}

}  // namespace tarn
