#include "config/settings.h"

#include "config/config_paths.h"
#include "config/embedded_config.h"
#include "config/ini_file.h"
#include "report/messages.h"
#include "report/trace.h"

namespace tarn {

namespace {

const char kProduct[] = "Product Information";
const char kApplication[] = "Application";
const char kRuntime[] = "Java Runtime Environment";

JavaVersion limit(const std::string& text, int32_t unbounded) {
  JavaVersion version;
  if (text == "any") {
    for (int32_t& part : version.parts) part = unbounded;
    version.count = 4;
  } else {
    version.parse(text, unbounded);
  }
  return version;
}

void readJvmSource(const std::string& value, RuntimeRules* rules) {
  if (!value.empty()) rules->favorMode = value == "favor_JRE" || value == "favor_JDK";
  rules->jdkWanted = value == "favor_JDK" || value == "only_JDK" || value.empty();
  rules->jreWanted = value == "favor_JRE" || value == "only_JRE" || value.empty();
}

void readVmProvider(const std::string& value, RuntimeRules* rules) {
  struct Row {
    const char* value;
    bool sunAllowed, sunPreferred, jrockitAllowed, jrockitPreferred;
  };
  static const Row rows[] = {
      {"jrockit", false, false, true, true},
      {"favor_sun", true, true, true, false},
      {"favor_jrockit", true, false, true, true},
      {"any", true, false, true, false},
  };
  if (value.empty()) return;
  for (const Row& row : rows) {
    if (!equalsIgnoringCase(value, row.value)) continue;
    rules->sunAllowed = row.sunAllowed;
    rules->sunPreferred = row.sunPreferred;
    rules->jrockitAllowed = row.jrockitAllowed;
    rules->jrockitPreferred = row.jrockitPreferred;
    return;
  }
}

// The runtime's form of a class name: packages separated by "/".
std::string slashForm(const std::string& className, LeadByteTest lead) {
  std::string result = className;
  for (size_t i = 0; i < result.size(); i = nextChar(result, i, lead))
    if (result[i] == '.') result[i] = '/';
  return result;
}

const char* embeddedStateText() {
  size_t size = 0;
  const unsigned char* block = embeddedBlock(&size);
  EmbeddedState state = EmbeddedState::Absent;
  decodeEmbeddedBlock(block, size, &state);
  switch (state) {
    case EmbeddedState::Absent: return "none";
    case EmbeddedState::Empty: return "empty";
    case EmbeddedState::Damaged: return "damaged, ignored";
    case EmbeddedState::Present: return "present";
  }
  return "";
}

// The dialog's link opens the address through the shell, which would as
// well start a program named there: only a web page is taken.
std::string downloadPage(const std::string& value) {
  if (value.empty()) return kDefaultDownloadPage;
  for (const char* scheme : {"https://", "http://"}) {
    const size_t length = std::char_traits<char>::length(scheme);
    if (value.size() > length && equalsIgnoringCase(value.substr(0, length), scheme)) return value;
  }
  trace("Download Page=%s: no http or https address, the default is shown", value.c_str());
  return kDefaultDownloadPage;
}

}  // namespace

std::string targetPath(const std::string& value) {
  std::string path = value;
  if (kPathSeparator == '/')
    for (char& c : path)
      if (c == '\\') c = '/';
  return path;
}

std::string lookupPath(IniFile& ini, const char* section, const char* key) {
  return targetPath(ini.lookup(section, key));
}
const char* const kDefaultDownloadPage = "https://adoptium.net/marketplace/";

std::string embeddedConfigurationText() {
  size_t size = 0;
  const unsigned char* block = embeddedBlock(&size);
  return utf16ToSystemText(decodeEmbeddedBlock(block, size));
}

bool readSettings(Machine& machine, const std::string& embeddedText, LauncherSettings* settings) {
  std::string path;
  if (!configFilePath(machine, &path)) return false;
  if (tracing()) {
    trace("configuration file %s: %s", path.c_str(),
          machine.system->fileExists(path) ? "found" : "not found");
    trace("embedded configuration: %s", embeddedStateText());
  }
  ProfileFiles& files = *machine.profiles;
  IniFile ini(files, path, embeddedText, machine.lead);
  settings->productCode = ini.lookup(kProduct, "Product Code");
  settings->productName = ini.lookup(kProduct, "Product Name");
  setErrorTitle(settings->productName);

  RuntimeRules& rules = settings->rules;
  const std::string minimum = ini.lookup(kRuntime, "Minimum Version");
  const std::string maximum = ini.lookup(kRuntime, "Maximum Version");
  rules.minimum = limit(minimum, 0);
  rules.maximum = limit(maximum, 65535);
  // Only ever switched on: nothing turns a service back into an application.
  if (ini.lookup(kApplication, "Application Type") == "service") settings->isService = true;
  const std::string preferred = ini.lookup(kRuntime, "Preferred versions");
  rules.preferredVersions = splitText(preferred, ";", machine.lead);

  // The folder the user chose is remembered in the per-user copy, which
  // then alone decides, even when it lacks the key.
  std::string userPath;
  if (isNtPlatform(machine) && !settings->isService)
    userPath = userConfigFilePath(machine, settings->productName, settings->productCode, false);
  const bool userFile = !userPath.empty() && userConfigFileExists(machine, userPath);
  if (userFile)
    rules.jrePath = targetPath(readProfileString(files, userPath, kRuntime, "JRE Path"));
  else
    rules.jrePath = lookupPath(ini, kRuntime, "JRE Path");
  if (tracing()) {
    if (userPath.empty())
      trace("per-user file: %s", settings->isService      ? "not used by a service"
                                 : !isNtPlatform(machine) ? "not used on this system"
                                                          : "none, no usable per-user folder");
    else
      trace("per-user file %s: %s", userPath.c_str(), userFile ? "found" : "not found");
    trace("JRE Path=%s (from the %s)", rules.jrePath.c_str(),
          userFile ? "per-user file" : "configuration");
  }

  const std::string jvmType = ini.lookup(kRuntime, "JVM Type");
  rules.jvmType = JvmType::Default;
  if (jvmType == "server") rules.jvmType = JvmType::Server;
  if (jvmType == "favor_server") rules.jvmType = JvmType::FavorServer;

  const std::string jvmSource = ini.lookup(kRuntime, "JVM Source");
  const std::string vmProvider = ini.lookup(kRuntime, "VM Provider");
  readJvmSource(jvmSource, &rules);
  readVmProvider(vmProvider, &rules);
  trace("runtime rules: Minimum Version=%s, Maximum Version=%s, Preferred versions=%s, "
        "JVM Type=%s, JVM Source=%s, VM Provider=%s",
        minimum.c_str(), maximum.c_str(), preferred.c_str(), jvmType.c_str(),
        jvmSource.c_str(), vmProvider.c_str());

  std::string mainClass = ini.lookup(kRuntime, "Main Class");
  trace("Main Class=%s", mainClass.c_str());
  if (mainClass.empty()) {
    reportError(IDS_NO_MAIN_CLASS);
    return false;
  }
  settings->mainClass = slashForm(mainClass, machine.lead);

  settings->failureCheck = equalsIgnoringCase(ini.lookup(kApplication, "Failure Check"), "Yes");
  settings->overrideWorkingDir =
      equalsIgnoringCase(ini.lookup(kApplication, "Override WorkingDir"), "Yes");
  settings->startupCache = equalsIgnoringCase(ini.lookup(kRuntime, "Startup Cache"), "Yes");
  settings->systemPath = lookupPath(ini, kRuntime, "System Path");
  settings->libraryPath = lookupPath(ini, kRuntime, "Library Path");
  settings->attachConsole = equalsIgnoringCase(ini.lookup(kApplication, "Attach Console"), "Yes");
  settings->appUserModelId = ini.lookup(kApplication, "App User Model ID");
  settings->downloadPage = downloadPage(ini.lookup(kRuntime, "Download Page"));
  settings->splashImage = lookupPath(ini, kApplication, "Splash Image");
  const std::string timeout = ini.lookup(kApplication, "Splash Timeout");
  settings->splashTimeout = splashTimeoutSeconds(timeout);
  if (!settings->splashImage.empty() || !timeout.empty())
    trace("Splash Image=%s, Splash Timeout=%s: %d s", settings->splashImage.c_str(),
          timeout.c_str(), static_cast<int>(settings->splashTimeout));
  return true;
}

bool readProductInformation(Machine& machine, const std::string& embeddedText,
                            std::string* productName, std::string* productCode) {
  std::string path;
  if (!configFilePath(machine, &path)) return false;
  IniFile ini(*machine.profiles, path, embeddedText, machine.lead);
  *productName = ini.lookup(kProduct, "Product Name");
  *productCode = ini.lookup(kProduct, "Product Code");
  return true;
}

int32_t splashTimeoutSeconds(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return kDefaultSplashTimeout;
  int32_t seconds = 0;
  for (char digit : text) {
    seconds = seconds * 10 + (digit - '0');
    if (seconds > kMostSplashTimeout) return kMostSplashTimeout;
  }
  return seconds;
}

bool readSingleInstanceSetting(Machine& machine, const std::string& embeddedText,
                               bool* singleInstance) {
  *singleInstance = false;
  std::string path;
  if (!configFilePath(machine, &path)) return false;
  IniFile ini(*machine.profiles, path, embeddedText, machine.lead);
  // Services never use the channel.
  if (ini.lookup(kApplication, "Application Type") == "service") return true;
  *singleInstance = ini.lookup(kApplication, "Single Instance") == "yes";
  return true;
}

}  // namespace tarn
