// Fakes of the machine for the configuration tests: a System with a chosen
// module path, environment and files, and profile files held in memory.
#ifndef TARN_CONFIG_TESTING_MACHINE_H
#define TARN_CONFIG_TESTING_MACHINE_H

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "os/machine.h"

namespace tarn {
namespace testing_machine {

struct FakeSystem : System {
  bool modulePath(std::string* path, uint32_t* error) override {
    if (module.empty()) {
      *error = 5;
      return false;
    }
    *path = module;
    return true;
  }
  bool getEnvironment(const std::string& name, std::string* value) override {
    auto found = environment.find(name);
    *value = found == environment.end() ? std::string() : found->second;
    return found != environment.end();
  }
  bool setEnvironment(const std::string& name, const std::string& value) override {
    environment[name] = value;
    return true;
  }
  bool unsetEnvironment(const std::string& name) override { return environment.erase(name) != 0; }
  bool fileExists(const std::string& path) override { return files.count(path) != 0; }
  bool fullPathExists(const std::string& path) override { return files.count(path) != 0; }
  bool isDirectory(const std::string& path) override { return folders.count(path) != 0; }
  bool createDirectory(const std::string& path) override {
    created.push_back(path);
    return folders.insert(path).second;
  }
  bool setCurrentDirectory(const std::string&) override { return true; }
  bool isNtPlatform() override { return nt; }

  std::string module;
  std::map<std::string, std::string> environment;
  std::set<std::string> files;
  std::set<std::string> folders;
  std::vector<std::string> created;
  bool nt = true;
};

// Sections and keys match without regard to case, as the platform's
// profile functions match them; an absent key reads as "".
struct FakeProfileFiles : ProfileFiles {
  using Key = std::tuple<std::string, std::string, std::string>;

  static std::string lower(std::string text) {
    for (char& c : text)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
  }

  void set(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value) {
    values[Key(path, lower(section), lower(key))] = value;
  }

  uint32_t getString(const std::string& section, const std::string& key, char* buffer,
                     uint32_t size, const std::string& path) override {
    reads.push_back(Key(path, section, key));
    if (size == 0) return 0;
    auto found = values.find(Key(path, lower(section), lower(key)));
    std::string value = found == values.end() ? std::string() : found->second;
    if (value.size() > size - 1) value.resize(size - 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<uint32_t>(value.size());
  }
  bool writeString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& path) override {
    set(path, section, key, value);
    return true;
  }

  bool wasRead(const std::string& section, const std::string& key) const {
    for (const Key& read : reads)
      if (std::get<1>(read) == section && std::get<2>(read) == key) return true;
    return false;
  }

  std::map<Key, std::string> values;
  std::vector<Key> reads;  // every getString, in order, names as asked
};

// A machine over the two fakes.
struct FakeMachine {
  FakeMachine() {
    machine.system = &system;
    machine.profiles = &profiles;
  }
  FakeMachine(const FakeMachine&) = delete;
  FakeMachine& operator=(const FakeMachine&) = delete;
  FakeSystem system;
  FakeProfileFiles profiles;
  Machine machine;
};

}  // namespace testing_machine
}  // namespace tarn

#endif
