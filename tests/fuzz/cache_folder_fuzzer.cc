// The start-up cache's folder as anyone may fill it: a release version on
// the first line, then names of files found in the folder, each with a
// size. Planning must remove only the application's own files (its name,
// a key of 16 hex digits), and what it writes carries the current key. The
// same bytes stand for the system's process figures, as a program's name
// in them is anyone's to choose.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jvm/cache_finish.h"
#include "jvm/cache_folder.h"
#include "jvm/testing_cache_files.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

const std::string kFolder = "/c";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int64_t started = 0;
  tarn::processStartFromProc(text, text, 100, &started);
  tarn::MemoryCacheFiles files;
  files.assembles = false;
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
  in.now = files.now = 1;
  tarn::CachePlan plan = tarn::planStartupCache(in, files);
  // Only the application's own files go.
  for (const std::string& path : files.removed) {
    check(path.compare(0, kFolder.size() + 5, kFolder + "/app-") == 0);
    std::string key = path.substr(kFolder.size() + 5, 16);
    check(key.size() == 16 && key.find_first_not_of("0123456789abcdef") == std::string::npos);
  }
  if (plan.pending.empty()) return 0;
  check(plan.pending.compare(0, plan.target.size(), plan.target) == 0);
  files.files[plan.pending] = tarn::FileFacts{1000, 5, false};
  tarn::finishStartupCache(plan, files);
  return 0;
}
