// The start-up cache's tests: a launch's cache inputs over files in
// memory, and a run of the program through the plan, its end and the
// finisher it starts.
#ifndef TARN_JVM_CACHE_PLAN_TEST_H
#define TARN_JVM_CACHE_PLAN_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jvm/cache_finish.h"
#include "jvm/cache_folder.h"
#include "jvm/startup_cache.h"
#include "jvm/testing_cache_files.h"

namespace tarn {

struct PlanFixture : ::testing::Test {
  static inline const std::string S = std::string(1, kPathSeparator);
  static inline const std::string L = std::string(1, kPathListSeparator);

  void SetUp() override {
    in.folder = S + "cache" + S + "Demo";
    in.baseName = "app";
    in.runtimeHome = S + "jdk";
    in.releaseVersion = "17.0.15";
    in.vmLibrary = S + "jdk" + S + "libjvm";
    in.javaProgram = javaProgramOf(in.runtimeHome);
    in.launcherProgram = S + "app" + S + "app";
    in.workingFolder = S + "app";
    in.options = {"-Djava.class.path=" + S + "app" + S + "a.jar" + L + "lib.jar", "-Xmx1g",
                  "-Dtitle=x"};
    in.processId = 42;
    in.now = files.now = 10 * kCacheDay;
    files.files[in.vmLibrary] = FileFacts{20000, 100, false};
    files.files[in.javaProgram] = files.files[in.runtimeHome + S + "release"] = FileFacts{};
    files.files[S + "jdk" + S + "classes.jsa"] = FileFacts{20000, 100, false};
    files.files[S + "app" + S + "a.jar"] = FileFacts{300, 200, false};
    files.files[S + "app" + S + "lib.jar"] = FileFacts{400, 300, false};
  }
  std::string inFolder(const std::string& name) { return in.folder + S + name; }
  // What the finisher reads: the plan file that the variable names.
  bool told(const std::string& name, CachePlan* plan) {
    return finisherPlan(in.folder, in.baseName, name, files.contents[inFolder(name)], files, plan);
  }
  void later(int64_t nanoseconds) { in.now = files.now += nanoseconds; }
  // Runs the program once: plan, the VM writes what it was told, finish,
  // and the finisher where one was started.
  CachePlan start(uint64_t writtenSize = 1000) {
    CachePlan plan = planStartupCache(in, files);
    if (!plan.pending.empty() && writtenSize)
      files.files[plan.pending] = FileFacts{writtenSize, in.now, false};
    files.detached.clear();
    finishStartupCache(plan, files);
    CachePlan finisher;
    if (!files.detached.empty()) {
      const std::string& line = files.detached.back();
      const std::string name = line.substr(line.find('=') + 1);
      EXPECT_TRUE(told(name, &finisher)) << line;
      files.remove(inFolder(name));
      EXPECT_EQ(finisher.assembleArguments, plan.assembleArguments);
      assembleStartupCache(finisher, files);
    }
    return plan;
  }
  std::vector<std::string> cacheFiles() {
    return files.list(in.folder);
  }
  CacheInputs in;
  MemoryCacheFiles files;
};

}  // namespace tarn

#endif
