// The start-up cache's file system in memory, for the tests and the fuzz
// target: files with their facts, a folder listing by path prefix, and an
// assembling run that writes the cache it is asked for.
#ifndef TARN_JVM_TESTING_CACHE_FILES_H
#define TARN_JVM_TESTING_CACHE_FILES_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jvm/startup_cache.h"

namespace tarn {

struct MemoryCacheFiles : CacheFiles {
  bool facts(const std::string& path, FileFacts* out) override {
    auto found = files.find(path);
    if (found == files.end()) return false;
    *out = found->second;
    return true;
  }
  std::vector<std::string> list(const std::string& folder) override {
    std::vector<std::string> names;
    const std::string prefix = folder + kPathSeparator;
    for (const auto& file : files)
      if (file.first.compare(0, prefix.size(), prefix) == 0)
        names.push_back(file.first.substr(prefix.size()));
    return names;
  }
  bool remove(const std::string& path) override {
    removed.push_back(path);
    return files.erase(path) != 0;
  }
  bool rename(const std::string& from, const std::string& to) override {
    if (!files.count(from) || files.count(to)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool touch(const std::string& path) override {
    if (!canWrite) return false;
    files[path].modified = now;
    return true;
  }
  bool writeNew(const std::string& path, const std::string& text) override {
    if (!canWrite || files.count(path)) return false;
    files[path] = FileFacts{text.size(), now, false};
    contents[path] = text;
    return true;
  }
  void markUsed(const std::string& path) override {
    if (files.count(path)) files[path].used = now;
  }
  uint64_t freeSpace(const std::string&) override { return free; }
  // Folders are made with mode 0700; an own one loses others' write access.
  bool ownFolder(const std::string& folder) override {
    folders.push_back(folder);
    if (foreign.count(folder)) return false;
    modes.emplace(folder, 0700);
    modes[folder] &= ~022u;
    return true;
  }
  void makeMissingFolder(const std::string& folder) override { modes.emplace(folder, 0700); }
  bool processRuns(uint32_t processId, int64_t startedBy) override {
    auto found = processes.find(processId);
    return found != processes.end() && found->second <= startedBy;
  }
  bool runQuietly(const std::string& program, const std::vector<std::string>& arguments) override {
    runs.push_back(program);
    runArguments = arguments;
    const std::string cacheOption = "-XX:SharedArchiveFile=";
    for (const std::string& argument : arguments)
      if (assembles && argument.compare(0, cacheOption.size(), cacheOption) == 0)
        files[argument.substr(cacheOption.size())] = FileFacts{5000, 77, false};
    return assembles;
  }
  bool startDetached(const std::string& program, const std::string& variable,
                     const std::string& value) override {
    detached.push_back(program + " " + variable + "=" + value);
    return true;
  }
  bool has(const std::string& path) const { return files.count(path) != 0; }

  std::map<std::string, FileFacts> files;
  std::map<std::string, std::string> contents;  // of the files writeNew made
  std::vector<std::string> removed;
  bool canWrite = true;
  bool assembles = true;
  int64_t now = 0;  // what touch and markUsed set
  uint64_t free = UINT64_MAX;
  std::set<std::string> foreign;      // folders that are not the user's own
  std::vector<std::string> folders;   // asked of ownFolder
  std::map<std::string, unsigned> modes;  // the folders there are
  std::map<uint32_t, int64_t> processes;  // those running, with their start
  std::vector<std::string> runs;
  std::vector<std::string> runArguments;
  std::vector<std::string> detached;  // "<program> <variable>=<value>"
};

}  // namespace tarn

#endif
