#include "jvm/cache_folder.h"

#include <gtest/gtest.h>

#include <chrono>

#include "jvm/cache_plan_test.h"

namespace tarn {
namespace {

// Several installs of one application, each with its own jar: the three
// keys used last keep their caches, the rest go once unused for a day.
TEST_F(PlanFixture, TheKeysUsedLastKeepTheirCachesAndOldOnesGo) {
  const std::string jar = S + "app" + S + "a.jar";
  std::vector<std::string> caches;
  for (int64_t install = 1; install <= 4; ++install) {
    files.files[jar].modified = install;
    start();
    caches.push_back(planStartupCache(in, files).options.back());
    later(3600LL * 1000000000LL);
  }
  EXPECT_EQ(cacheFiles().size(), 4u) << "the first is not old yet";
  files.files[jar].modified = 2;  // the second install again
  EXPECT_EQ(planStartupCache(in, files).options.back(), caches[1]);
  later(kCacheDay);
  // Another install's run, still being written, stays.
  files.files[inFolder("app-0123456789abcdef.p7.jsa")] = FileFacts{10, in.now, false};
  files.files[jar].modified = 3;
  EXPECT_EQ(planStartupCache(in, files).options.back(), caches[2]);
  EXPECT_FALSE(files.has(caches[0].substr(caches[0].find('=') + 1))) << "old and not kept";
  EXPECT_EQ(cacheFiles().size(), 4u);
  // Another application's files and foreign files stay.
  for (const char* name : {"app-cli-0123456789abcdef-01234567.jsa", "readme.txt",
                           "app-0123456789abcdef.p7.jsa.notes"})
    files.files[inFolder(name)] = FileFacts{1, 1, false};
  planStartupCache(in, files);
  EXPECT_EQ(cacheFiles().size(), 7u);
}

// A pending file goes once untouched for an hour and its process (the id
// in its name) has ended: a program that runs for days records all along.
TEST_F(PlanFixture, PendingFilesOfOtherRunsStayUntilAbandoned) {
  CachePlan plan = planStartupCache(in, files);
  const int64_t hour = 3600LL * 1000000000LL;
  const std::string fresh = plan.target + ".p7.jsa";
  const std::string longRunning = plan.target + ".p8.classlist";
  const std::string killed = plan.target + ".p9.classlist";
  const std::string idTaken = plan.target + ".p10.classlist";
  const std::string idTooLarge = plan.target + ".p4294967296.classlist";
  files.files[fresh] = FileFacts{10, in.now - hour / 60, false};
  for (const std::string& old : {longRunning, killed, idTaken, idTooLarge})
    files.files[old] = FileFacts{10, in.now - 30 * hour, false};
  files.processes = {{8, in.now - 31 * hour}, {10, in.now - 2 * hour}, {0, 0}};
  CachePlan meanwhile = planStartupCache(in, files);
  EXPECT_TRUE(files.has(fresh));
  EXPECT_TRUE(files.has(longRunning));
  EXPECT_FALSE(files.has(killed));
  EXPECT_FALSE(files.has(idTaken)) << "a later process took the id";
  EXPECT_FALSE(files.has(idTooLarge));
  EXPECT_EQ(meanwhile.state, "not ready yet, another start is making it");
  EXPECT_TRUE(meanwhile.options.empty());
}

// What tells a recording process from a later one that took its id.
TEST(ProcessStart, FromTheSystemsOwnFigures) {
  int64_t started = 0;
  const std::string fields = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 250 19\n";
  const std::string system = "cpu 1 2\nbtime 1700000000\nprocesses 5\n";
  EXPECT_TRUE(processStartFromProc("42 (a) b)" + fields, system, 100, &started));
  EXPECT_EQ(started, 1700000002500000000);
  EXPECT_FALSE(processStartFromProc("42 (a) S 1 2", system, 100, &started));
  EXPECT_FALSE(processStartFromProc("42 (a)" + fields, "cpu 1\n", 100, &started));
  RealCacheFiles real;
  const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count();
  EXPECT_TRUE(real.processRuns(currentProcessId(), now));
  EXPECT_FALSE(real.processRuns(currentProcessId(), now - kCacheDay)) << "started later";
}

TEST_F(PlanFixture, SimultaneousFirstStartsKeepOneFinishedCache) {
  CachePlan a = planStartupCache(in, files);
  in.processId = 43;
  EXPECT_TRUE(planStartupCache(in, files).options.empty()) << "while a records";
  files.remove(attemptMarker(a.target));  // both planned at one instant
  CachePlan b = planStartupCache(in, files);
  EXPECT_NE(a.pending, b.pending);
  files.files[a.pending] = FileFacts{1000, in.now, false};
  files.files[b.pending] = FileFacts{1000, in.now, false};
  finishStartupCache(a, files);
  finishStartupCache(b, files);  // same stamp: the target exists, this one goes
  finishStartupCache(b, files);  // a second call does nothing
  EXPECT_EQ(cacheFiles().size(), 1u);
}

// An attempt that left no cache (a full disk, a kill): no other for a
// day, and none at all without room for one.
TEST_F(PlanFixture, AFailedAttemptOrNoRoomRunsUncached) {
  CachePlan failed = start(0);
  EXPECT_FALSE(files.has(failed.pending));
  later(3600LL * 1000000000LL);
  CachePlan next = start();
  EXPECT_TRUE(next.options.empty());
  EXPECT_EQ(next.state, "skipped after an attempt 60 min ago that left none; the next one a day "
                        "after it");
  later(kCacheDay);
  files.free = 32 * 1024 * 1024 - 1;
  CachePlan cramped = planStartupCache(in, files);
  EXPECT_TRUE(cramped.options.empty());
  EXPECT_EQ(cramped.state, "skipped for lack of room, 31 MB free of the 32 MB a recording needs");
  EXPECT_TRUE(cacheFiles().empty()) << "the lapsed marker went, no new one came";
  files.free += 1;
  EXPECT_FALSE(start().pending.empty());
  // The application's last cache of the kind sizes the room.
  in.releaseVersion = "25.0.1";
  FileFacts aot{3 << 20, in.now, false};
  files.files[inFolder("app-0123456789abcdef-" + cacheStamp(aot) + ".aot")] = aot;
  files.free = 6 * 1024 * 1024 - 1;
  EXPECT_EQ(planStartupCache(in, files).state,
            "skipped for lack of room, 5 MB free of the 6 MB a recording needs");
}

}  // namespace
}  // namespace tarn
