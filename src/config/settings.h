// Every value the configuration holds, and the first reading pass.
#ifndef TARN_CONFIG_SETTINGS_H
#define TARN_CONFIG_SETTINGS_H

#include <cstdint>
#include <string>
#include <vector>

#include "config/java_version.h"
#include "os/machine.h"

namespace tarn {

enum class JvmType { Default = 0, Server = 1, FavorServer = 2 };

// Where the no-runtime message sends the user for a Java runtime: every
// current version, for every system, from a vendor-neutral source.
extern const char* const kDefaultDownloadPage;

struct RuntimeRules {
  JavaVersion minimum;
  JavaVersion maximum;
  std::vector<std::string> preferredVersions;
  std::string jrePath;
  JvmType jvmType = JvmType::Default;
  bool favorMode = true;
  bool jdkWanted = true;
  bool jreWanted = true;
  bool jrockitAllowed = false;
  bool sunAllowed = true;
  bool jrockitPreferred = false;
  bool sunPreferred = true;
};

constexpr int32_t kDefaultSplashTimeout = 60;
constexpr int32_t kMostSplashTimeout = 86400;

// "Splash Timeout": whole seconds, a day at most; any other text means the
// default.
int32_t splashTimeoutSeconds(const std::string& text);

struct LauncherSettings {
  std::string mainClass;
  bool isService = false;
  std::string productName;
  std::string productCode;
  std::string libraryPath;
  bool singleInstance = false;
  std::string outputFile;
  std::string errorFile;
  std::string systemPath;
  std::string extraArguments;
  bool failureCheck = false;
  bool overrideWorkingDir = false;
  bool startupCache = false;
  bool attachConsole = false;
  std::string appUserModelId;
  std::string downloadPage = kDefaultDownloadPage;  // an http(s) address
  std::string splashImage;
  int32_t splashTimeout = kDefaultSplashTimeout;  // seconds; 0 shows no splash
  RuntimeRules rules;
};

struct IniFile;

// A value that names files or folders in the running target's form: on
// Linux a "\" is read as "/", as Windows reads "/" as "\", so that one INI
// file serves both. Every such key is read through lookupPath.
std::string targetPath(const std::string& value);
std::string lookupPath(IniFile& ini, const char* section, const char* key);

// The embedded configuration the executable carries, "" when none.
std::string embeddedConfigurationText();

// The first pass; false (after the report) when no main class is set or
// the configuration file path cannot be formed.
bool readSettings(Machine& machine, const std::string& embeddedText, LauncherSettings* settings);

// "Product Name" and "Product Code" as readSettings reads them, alone, for
// a process that needs nothing else. False when the configuration file
// path cannot be formed.
bool readProductInformation(Machine& machine, const std::string& embeddedText,
                            std::string* productName, std::string* productCode);

// The single-instance reads, before readSettings and through the same
// layers. False when the configuration file path cannot be formed.
bool readSingleInstanceSetting(Machine& machine, const std::string& embeddedText,
                               bool* singleInstance);

}  // namespace tarn

#endif
