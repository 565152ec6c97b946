// In-memory machine for the runtime tests: a set of existing files, an
// executable path, and profile writes recorded instead of done.
#ifndef TARN_RUNTIME_FAKE_MACHINE_TEST_H
#define TARN_RUNTIME_FAKE_MACHINE_TEST_H

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "os/machine.h"
#include "runtime/installed_runtimes.h"
#include "runtime/registry.h"

namespace tarn {

// Writes a path with '/' as the target's separator.
inline std::string native(std::string path) {
  for (char& c : path)
    if (c == '/') c = kPathSeparator;
  return path;
}

struct FakeSystem : System {
  std::string module;
  std::set<std::string> files;
  std::map<std::string, std::string> environment;
  std::vector<std::string> created;
  bool nt = true;

  void add(const std::string& path) { files.insert(native(path)); }

  bool modulePath(std::string* path, uint32_t* error) override {
    if (module.empty()) {
      *error = 5;
      return false;
    }
    *path = module;
    return true;
  }
  bool getEnvironment(const std::string& name, std::string* value) override {
    auto it = environment.find(name);
    *value = it == environment.end() ? std::string() : it->second;
    return it != environment.end();
  }
  bool setEnvironment(const std::string& name, const std::string& value) override {
    environment[name] = value;
    return true;
  }
  bool unsetEnvironment(const std::string& name) override { return environment.erase(name) != 0; }
  bool fileExists(const std::string& path) override { return files.count(path) != 0; }
  bool fullPathExists(const std::string& path) override { return fileExists(path); }
  bool isDirectory(const std::string& path) override { return fileExists(path); }
  bool createDirectory(const std::string& path) override {
    created.push_back(path);
    files.insert(path);
    return true;
  }
  bool setCurrentDirectory(const std::string&) override { return true; }
  bool isNtPlatform() override { return nt; }
};

struct FakeProfiles : ProfileFiles {
  // (section, key, value, path) of every write.
  std::vector<std::tuple<std::string, std::string, std::string, std::string>> writes;
  std::map<std::string, std::string> values;  // key -> value, any file

  uint32_t getString(const std::string&, const std::string& key, char* buffer, uint32_t size,
                     const std::string&) override {
    std::string value = values.count(key) ? values[key] : std::string();
    if (size == 0) return 0;
    if (value.size() > size - 1) value.resize(size - 1);
    value.copy(buffer, value.size());
    buffer[value.size()] = '\0';
    return static_cast<uint32_t>(value.size());
  }
  bool writeString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& path) override {
    writes.emplace_back(section, key, value, path);
    return true;
  }
};

struct FakeMachine {
  FakeSystem system;
  FakeProfiles profiles;
  Machine machine;
  FakeMachine() {
    machine.system = &system;
    machine.profiles = &profiles;
  }
};

// Registry contents: subkey names by key, and string values by key and
// value name.
struct FakeRegistry : Registry {
  std::map<std::string, std::vector<std::string>> keys;
  std::map<std::string, std::string> values;  // by key + "|" + value name
  // A subkey of key whose subpath holds home in the named value.
  void add(const std::string& key, const std::string& name, const std::string& home,
           const std::string& subpath = "", const std::string& value = "JavaHome") {
    keys[key].push_back(name);
    values[key + name + subpath + "|" + value] = home;
  }
  void add(const Registration& r, const std::string& name, const std::string& home) {
    add(r.key, name, home, r.subpath, r.value);
  }
  bool subkeyNames(const std::string& key, std::vector<std::string>* names) override {
    auto it = keys.find(key);
    if (it == keys.end()) return false;
    *names = it->second;
    return true;
  }
  bool readString(const std::string& key, const std::string& value,
                  std::string* data) override {
    auto it = values.find(key + "|" + value);
    if (it == values.end() || it->second.empty()) return false;
    *data = it->second;
    return true;
  }
};

}  // namespace tarn

#endif
