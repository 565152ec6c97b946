#include "jvm/environment.h"

#include "config/settings.h"
#include "jvm/jvm_host.h"
#include "jvm/vm_platform.h"
#include "process/module_path.h"
#include "report/trace.h"

namespace tarn {

std::string stripPathComponents(const std::string& path, int n, char separator,
                                LeadByteTest lead) {
  std::string result = path;
  for (int k = 0; k < n; ++k) {
    size_t last = findLastChar(result, separator, lead);
    if (last == std::string::npos) break;
    result.resize(last);
  }
  return result;
}

std::string toPathList(const std::string& list, bool posix) {
  if (!posix) return list;
  std::string result = list;
  for (char& c : result)
    if (c == ';') c = ':';
  return result;
}

std::string toTargetPathList(const std::string& list) {
  return toPathList(list, kPathListSeparator == ':');
}

namespace {

std::string lastComponent(const std::string& path, char separator) {
  size_t last = path.rfind(separator);
  return last == std::string::npos ? path : path.substr(last + 1);
}

// Joins a and b with the separator unless a is empty or ends in one.
std::string joinList(const std::string& a, const std::string& b, char listSeparator) {
  if (a.empty() || a.back() == listSeparator) return a + b;
  return a + listSeparator + b;
}

}  // namespace

std::string runtimeHome(const std::string& jvmPath, bool posix, LeadByteTest lead) {
  if (!posix) return stripPathComponents(jvmPath, 3, '\\', lead);
  std::string twoUp = stripPathComponents(jvmPath, 2, '/', lead);
  if (lastComponent(twoUp, '/') == "lib") return stripPathComponents(twoUp, 1, '/', lead);
  std::string threeUp = stripPathComponents(twoUp, 1, '/', lead);
  if (lastComponent(threeUp, '/') == "lib") return stripPathComponents(threeUp, 1, '/', lead);
  return stripPathComponents(jvmPath, 3, '/', lead);
}

EnvironmentPlan planEnvironment(const EnvironmentInputs& in, LeadByteTest lead) {
  EnvironmentPlan plan;
  const char separator = in.posix ? '/' : '\\';
  const char listSeparator = in.posix ? ':' : ';';
  plan.jvmHome = runtimeHome(in.jvmPath, in.posix, lead);
  std::string binFolder;
  std::string libFolder;
  if (in.posix) {
    binFolder = plan.jvmHome + "/bin";
    libFolder = plan.jvmHome + "/lib";
  } else {
    binFolder = stripPathComponents(in.jvmPath, 2, separator, lead);
    size_t last = findLastChar(binFolder, separator, lead);
    libFolder = (last == std::string::npos ? std::string() : binFolder.substr(0, last + 1)) + "lib";
  }

  const std::string libraryPath = toPathList(in.libraryPath, in.posix);
  if (!libraryPath.empty()) {
    // Separators at the joints, so that the configured value, the
    // executable's folder and the runtime's lib folder stay entries of their own.
    std::string text = in.moduleFolder.empty()
                           ? libraryPath
                           : joinList(libraryPath, in.moduleFolder, listSeparator);
    text += listSeparator;
    text += '.';
    if (in.posix) {
      if (in.librarySearchPathSet) text += ":%LD_LIBRARY_PATH%";
    } else {
      text += ";%Path%";
    }
    text += listSeparator;
    text += libFolder;
    plan.libraryPathOption = "-Djava.library.path=" + text;
  }

  plan.searchPathName = in.posix ? "PATH" : "Path";
  std::string searchPath = toPathList(in.systemPath, in.posix);
  if (!searchPath.empty() && searchPath.back() != listSeparator) searchPath += listSeparator;
  searchPath += "%" + plan.searchPathName + "%";
  searchPath += listSeparator;
  searchPath += binFolder;
  plan.searchPath = searchPath;
  return plan;
}

void prepareEnvironment(Machine& machine, const LauncherSettings& settings, JvmHost& jvm) {
  System& system = *machine.system;
  EnvironmentInputs in;
  in.posix = kPathSeparator == '/';
  in.jvmPath = jvm.jvmPath;
  in.libraryPath = settings.libraryPath;
  in.systemPath = settings.systemPath;
  std::string ldPath;
  in.librarySearchPathSet = system.getEnvironment("LD_LIBRARY_PATH", &ldPath) && !ldPath.empty();

  system.setEnvironment("TARN_JVM_PATH", in.jvmPath);
  trace("set TARN_JVM_PATH=%s", in.jvmPath.c_str());
  EnvironmentPlan plan;
  plan.jvmHome = runtimeHome(in.jvmPath, in.posix, machine.lead);
  system.setEnvironment("TARN_JVM_HOME", plan.jvmHome);
  trace("set TARN_JVM_HOME=%s", plan.jvmHome.c_str());

  if (!in.libraryPath.empty()) {
    std::string module;
    if (modulePath(system, &module)) {
      size_t last = findLastChar(module, kPathSeparator, machine.lead);
      if (last != std::string::npos) in.moduleFolder = module.substr(0, last + 1);
    }
  }
  plan = planEnvironment(in, machine.lead);
  if (!plan.libraryPathOption.empty()) {
    std::string option = plan.libraryPathOption;
    expandEnvironment(option);
    jvm.options.push_back(option);
  }
  std::string searchPath = plan.searchPath;
  expandEnvironment(searchPath);
  system.setEnvironment(plan.searchPathName, searchPath);
  trace("set %s=%s", plan.searchPathName.c_str(), searchPath.c_str());
}

}  // namespace tarn
