// What the start-up cache's finisher is told: the plan file's name, which
// anyone may put in its variable, on the first line, then the file's text.
// It acts only on a plan a launcher could have written for this cache
// folder, runs nothing but the runtime's java, and then touches nothing but
// the files of the cache the name gives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jvm/cache_finish.h"
#include "jvm/testing_cache_files.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t line = input.find('\n');
  const std::string name = input.substr(0, line);
  const std::string text = line == std::string::npos ? std::string() : input.substr(line + 1);
  tarn::MemoryCacheFiles files;
  files.files["/jdk/bin/java"] = files.files["/jdk/release"] = tarn::FileFacts{};
  files.files["/elsewhere"] = tarn::FileFacts{1, 1, false};
  tarn::CachePlan plan;
  if (!tarn::finisherPlan("/c", "app", name, text, files, &plan)) return 0;
  check(tarn::finisherText(plan) == text);
  check(plan.javaProgram == "/jdk/bin/java");
  check(plan.target.size() == 7 + 16 && plan.target.compare(0, 7, "/c/app-") == 0 &&
        plan.target.find('/', 3) == std::string::npos);
  check(tarn::planFile(plan) == "/c/" + name);
  files.files[plan.pending] = tarn::FileFacts{1000, 5, false};
  tarn::assembleStartupCache(plan, files);
  check(files.has("/elsewhere") && !files.has(plan.pending));
  for (const std::string& path : files.removed)
    check(path.compare(0, plan.target.size(), plan.target) == 0);
  return 0;
}
