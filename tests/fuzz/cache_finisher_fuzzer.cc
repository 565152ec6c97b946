// What the start-up cache's finisher is told, as anyone may set its
// variable: it acts only on a text a launcher could have written, and then
// touches nothing but the files of the cache it names.
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
  const std::string text(reinterpret_cast<const char*>(data), size);
  tarn::CachePlan plan;
  if (!tarn::finisherPlan(text, &plan)) return 0;
  check(tarn::finisherText(plan) == text);
  tarn::MemoryCacheFiles files;
  files.files[plan.pending] = tarn::FileFacts{1000, 5, false};
  files.files["/elsewhere"] = tarn::FileFacts{1, 1, false};
  tarn::assembleStartupCache(plan, files);
  check(files.has("/elsewhere") && !files.has(plan.pending));
  for (const std::string& path : files.removed)
    check(path.compare(0, plan.target.size(), plan.target) == 0);
  return 0;
}
