// The start-up cache's folder as anyone may fill it: a release version on
// the first line, then names of files found in the folder, each with a
// size. Planning and finishing must never touch a file of another name
// shape, and a finished name must always carry the current key.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "jvm/startup_cache.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

const std::string kFolder = "/c";

struct Files : tarn::CacheFiles {
  bool facts(const std::string& path, tarn::FileFacts* out) override {
    auto found = files.find(path);
    if (found == files.end()) return false;
    *out = found->second;
    return true;
  }
  std::vector<std::string> list(const std::string& folder) override {
    std::vector<std::string> names;
    for (const auto& file : files)
      if (file.first.compare(0, folder.size() + 1, folder + "/") == 0)
        names.push_back(file.first.substr(folder.size() + 1));
    return names;
  }
  bool remove(const std::string& path) override {
    // Only the application's own files go.
    check(path.compare(0, kFolder.size() + 5, kFolder + "/app-") == 0);
    return files.erase(path) != 0;
  }
  bool rename(const std::string& from, const std::string& to) override {
    if (!files.count(from) || files.count(to)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool writable(const std::string&) override { return true; }
  bool runQuietly(const std::string&, const std::vector<std::string>&) override { return false; }
  std::map<std::string, tarn::FileFacts> files;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Files files;
  files.files["/jdk/libjvm"] = tarn::FileFacts{100, 1, false};
  files.files["/app/a.jar"] = tarn::FileFacts{10, 2, false};
  size_t start = text.find('\n');
  tarn::CacheInputs in;
  in.releaseVersion = text.substr(0, start);
  uint64_t n = 0;
  while (start != std::string::npos && start < text.size()) {
    size_t end = text.find('\n', start + 1);
    std::string name = text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    if (!name.empty() && name.find('/') == std::string::npos)
      files.files[kFolder + "/" + name] = tarn::FileFacts{++n * 7, static_cast<int64_t>(n), false};
    start = end;
  }
  in.folder = kFolder;
  in.baseName = "app";
  in.runtimeHome = "/jdk";
  in.vmLibrary = "/jdk/libjvm";
  in.javaProgram = "/jdk/java";
  in.options = {"-Djava.class.path=/app/a.jar", "-Xmx1g"};
  in.workingFolder = "/app";
  in.processId = 7;
  in.now = 1;
  tarn::CachePlan plan = tarn::planStartupCache(in, files);
  if (plan.pending.empty()) return 0;
  check(plan.pending.compare(0, plan.target.size(), plan.target) == 0);
  files.files[plan.pending] = tarn::FileFacts{1000, 5, false};
  tarn::finishStartupCache(plan, files);
  return 0;
}
