#include "runtime/registry.h"

#include <windows.h>

#include "report/trace.h"
#include "runtime/installed_runtimes.h"

namespace tarn {

namespace {

// RegOpenKeyExA wants the key without the trailing backslash that lets a
// subkey name be appended to it.
std::string keyName(const std::string& key) {
  if (!key.empty() && key.back() == '\\') return key.substr(0, key.size() - 1);
  return key;
}

// KEY_WOW64_32KEY and KEY_WOW64_64KEY choose the view whatever the
// process's own bitness; 32-bit Windows has one view and ignores them.
REGSAM viewFlag(RegistryView view) {
  switch (view) {
    case RegistryView::Bits32: return KEY_WOW64_32KEY;
    case RegistryView::Bits64: return KEY_WOW64_64KEY;
    default: return 0;
  }
}

struct RealRegistry : Registry {
  RealRegistry(HKEY root, RegistryView view) : root(root), access(KEY_READ | viewFlag(view)) {}
  bool subkeyNames(const std::string& key, std::vector<std::string>* names) override {
    names->clear();
    HKEY handle;
    if (RegOpenKeyExA(root, keyName(key).c_str(), 0, access, &handle) !=
        ERROR_SUCCESS)
      return false;
    for (DWORD index = 0;; ++index) {
      char name[1024];  // 255 characters, up to three bytes each in UTF-8
      DWORD length = sizeof name;
      if (RegEnumKeyExA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      names->emplace_back(name, length);
    }
    RegCloseKey(handle);
    return true;
  }

  bool readString(const std::string& key, const std::string& value, std::string* data) override {
    data->clear();
    HKEY handle;
    if (RegOpenKeyExA(root, keyName(key).c_str(), 0, access, &handle) !=
        ERROR_SUCCESS)
      return false;
    bool ok = false;
    DWORD size = 0;
    if (RegQueryValueExA(handle, value.c_str(), nullptr, nullptr, nullptr, &size) ==
            ERROR_SUCCESS &&
        size > 0) {
      // One byte more than asked, so that data stored without its
      // terminator still ends.
      std::string buffer(size + 1, '\0');
      DWORD read = size;
      if (RegQueryValueExA(handle, value.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&buffer[0]), &read) == ERROR_SUCCESS) {
        *data = buffer.c_str();
        ok = !data->empty();
      }
    }
    RegCloseKey(handle);
    return ok;
  }
  const char* rootName() override { return root == HKEY_CURRENT_USER ? "HKCU" : "HKLM"; }
  HKEY root;
  REGSAM access;
};

struct RegistrySource : RuntimeSource {
  RegistrySource(Machine& machine, const TargetArchitecture& architecture)
      : machine(machine),
        machineType(architecture.machine),
        machine_wide(HKEY_LOCAL_MACHINE, architecture.registryView),
        user(HKEY_CURRENT_USER, architecture.registryView) {}
  void collect(const RuntimeRules& rules, const std::string& key,
               std::vector<JreCandidate>* candidates,
               std::vector<RuntimeRefusal>* refusals) override {
    collectFromKey(machine, machine_wide, rules, key, candidates, &files, machineType, refusals);
  }
  // Machine-wide registrations first, then the user's own installs, then
  // JAVA_HOME.
  void collectOthers(const RuntimeRules& rules, std::vector<JreCandidate>* candidates,
                     std::vector<RuntimeRefusal>* refusals) override {
    System& system = *machine.system;
    std::vector<InstalledRuntime> runtimes;
    for (Registry* hive : {static_cast<Registry*>(&machine_wide), static_cast<Registry*>(&user)})
      for (size_t i = 0; i < kModernRegistrationCount; ++i)
        listRegistered(system, *hive, files, machine.lead, kModernRegistrations[i], &runtimes);
    std::string javaHome;
    InstalledRuntime runtime;
    if (system.getEnvironment("JAVA_HOME", &javaHome) &&
        describeRuntime(system, files, machine.lead, javaHome, std::string(), &runtime)) {
      runtime.origin = "JAVA_HOME";
      runtimes.push_back(runtime);
    } else {
      trace("JAVA_HOME: not set");
    }
    collectFurther(system, files, machine.lead, machineType, rules, runtimes, candidates,
                   refusals);
  }
  Machine& machine;
  uint16_t machineType;
  DiskRuntimeFiles files;
  RealRegistry machine_wide;
  RealRegistry user;
};

}  // namespace

std::unique_ptr<RuntimeSource> systemRuntimeSource(Machine& machine,
                                                   const TargetArchitecture& architecture) {
  return std::make_unique<RegistrySource>(machine, architecture);
}

}  // namespace tarn
