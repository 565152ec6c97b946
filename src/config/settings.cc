#include "config/settings.h"

#include "config/config_paths.h"
#include "config/ini_file.h"
#include "launcher/messages.h"

namespace tarn {

std::string embeddedConfigurationText() { return std::string(); }

bool readSettings(Machine& machine, const std::string& embeddedText, LauncherSettings* settings) {
  std::string path;
  if (!configFilePath(machine, &path)) return false;
  IniFile ini(*machine.profiles, path, embeddedText, machine.lead);
  settings->mainClass = ini.lookup("Java Runtime Environment", "Main Class");
  if (settings->mainClass.empty()) {
    printError(loadMessage(IDS_NO_MAIN_CLASS));
    return false;
  }
  return true;
}

bool readSingleInstanceSetting(Machine& machine, bool* singleInstance) {
  *singleInstance = false;
  std::string path;
  return configFilePath(machine, &path);
}

}  // namespace tarn
