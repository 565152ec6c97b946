#include "jvm/startup_cache.h"

#include <gtest/gtest.h>

#include <chrono>

#include "config/testing_machine.h"
#include "jvm/cache_finish.h"
#include "jvm/cache_folder.h"
#include "jvm/testing_cache_files.h"

namespace tarn {
namespace {

const std::string S(1, kPathSeparator);
const std::string L(1, kPathListSeparator);

using FakeCacheFiles = MemoryCacheFiles;

struct KeyFixture : ::testing::Test {
  std::string key() {
    return cacheKey(files, "/jdk", version, "/jdk/lib/server/libjvm.so", {"/app/a.jar", "/app/b.jar"},
                    options);
  }
  void SetUp() override {
    files.files["/jdk/lib/server/libjvm.so"] = FileFacts{20000, 100, false};
    files.files["/app/a.jar"] = FileFacts{300, 200, false};
    files.files["/app/b.jar"] = FileFacts{400, 300, false};
  }
  FakeCacheFiles files;
  std::string version = "17.0.15";
  std::vector<std::string> options = {"-Xmx1g"};
};

TEST_F(KeyFixture, ChangesWithEveryFactItDependsOn) {
  const std::string base = key();
  EXPECT_EQ(base.size(), 16u);
  EXPECT_EQ(key(), base);
  files.files["/app/a.jar"].modified = 201;
  EXPECT_NE(key(), base) << "jar time";
  files.files["/app/a.jar"] = FileFacts{301, 200, false};
  EXPECT_NE(key(), base) << "jar size";
  files.files["/app/a.jar"] = FileFacts{300, 200, false};
  files.files["/jdk/lib/server/libjvm.so"].modified = 101;
  EXPECT_NE(key(), base) << "VM library time";
  files.files["/jdk/lib/server/libjvm.so"].modified = 100;
  version = "17.0.16";
  EXPECT_NE(key(), base) << "version";
  version = "17.0.15";
  options = {"-Xmx2g"};
  EXPECT_NE(key(), base) << "options";
  options = {"-Xmx1g"};
  EXPECT_EQ(key(), base);
  EXPECT_NE(cacheKey(files, "/jdk", version, "/jdk/lib/server/libjvm.so",
                     {"/app/b.jar", "/app/a.jar"}, options), base) << "class path order";
}

struct PlanFixture : ::testing::Test {
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
  FakeCacheFiles files;
};

TEST_F(PlanFixture, DynamicArchiveOnlyOverTheDefaultArchiveTheHeapMaps) {
  // A runtime linked without one: the VM would refuse to start with a
  // dynamic archive's options, so the cache comes from a class list.
  int starts = 0;
  auto records = [&](const char* how) {
    in.baseName = "app" + std::to_string(++starts);  // no attempt before it
    std::vector<std::string> options = planStartupCache(in, files).options;
    return !options.empty() && options.back().find(how) != std::string::npos;
  };
  const std::string base = S + "jdk" + S + "classes.jsa";
  for (const char* version : {"17.0.15", "21.0.5"}) {
    in.releaseVersion = version;
    files.files[base] = FileFacts{20000, 100, false};
    EXPECT_TRUE(records("SharedArchiveFile") || records("ArchiveClassesAtExit")) << version;
    files.files.erase(base);
    EXPECT_TRUE(records("DumpLoadedClassList")) << version;
  }
  in.releaseVersion = "17.0.15";
  files.files[base] = FileFacts{20000, 100, false};
  in.options.push_back("-Xmx48g");
  EXPECT_TRUE(records("DumpLoadedClassList")) << "a heap without compressed pointers maps another";
  files.files[S + "jdk" + S + "classes_nocoops.jsa"] = FileFacts{20000, 100, false};
  EXPECT_TRUE(records("ArchiveClassesAtExit"));
}

TEST_F(PlanFixture, ArchiveAtExitTrainsThenUsesThenRemakesWhenDamaged) {
  CachePlan first = start();
  ASSERT_EQ(first.options.size(), 2u);
  EXPECT_EQ(first.options[0], "-Xlog:cds*=off");
  EXPECT_EQ(first.options[1], "-XX:ArchiveClassesAtExit=" + first.pending);
  EXPECT_NE(first.pending.find(".p42.jsa"), std::string::npos);
  std::vector<std::string> names = cacheFiles();
  ASSERT_EQ(names.size(), 1u) << "the attempt's marker goes";
  const std::string finished = inFolder(names[0]);
  EXPECT_EQ(finished.compare(0, first.target.size(), first.target), 0);

  later(1000);
  CachePlan second = start();
  EXPECT_EQ(second.options, (std::vector<std::string>{"-Xlog:cds*=off",
                                                      "-XX:SharedArchiveFile=" + finished}));
  EXPECT_EQ(files.files[finished].used, in.now) << "marked as used";

  // Truncated: its size no longer matches the stamp in its name.
  files.files[finished].size = 10;
  CachePlan third = planStartupCache(in, files);
  EXPECT_FALSE(files.has(finished));
  EXPECT_EQ(third.options.back(), "-XX:ArchiveClassesAtExit=" + third.pending);
}

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

// Each reason for no cache is told apart, for the launch trace.
TEST_F(PlanFixture, NoCacheWhenTheUserOrTheClassPathOrTheFolderRulesItOut) {
  auto why = [&](const CacheInputs& inputs) {
    CachePlan plan = planStartupCache(inputs, files);
    return plan.options.empty() ? plan.state : std::string("a cache");
  };
  for (const char* own : {"-Xshare:off", "-XX:SharedArchiveFile=mine.jsa"}) {
    CacheInputs withOwn = in;
    withOwn.options.push_back(own);
    EXPECT_EQ("none, a sharing option among the VM parameters", why(withOwn)) << own;
  }
  const std::string folderOrMissing = "none, a class path entry that is a folder or missing";
  files.files[S + "app" + S + "lib.jar"].directory = true;
  EXPECT_EQ(folderOrMissing, why(in)) << "directory";
  files.files.erase(S + "app" + S + "lib.jar");
  EXPECT_EQ(folderOrMissing, why(in)) << "missing entry";
  files.files[S + "app" + S + "lib.jar"] = FileFacts{400, 300, false};
  files.canWrite = false;
  EXPECT_EQ("none, the cache folder is not writable", why(in));
  files.canWrite = true;
  in.vmVariant = "Openj9";
  EXPECT_EQ("none, not a HotSpot VM", why(in));
  in.vmVariant = "Hotspot";
  EXPECT_EQ("a cache", why(in));
  in.releaseVersion = "11.0.2";
  EXPECT_EQ("none, the runtime's version offers none", why(in));
}

TEST_F(PlanFixture, AutoArchiveWritesItsOwnFileFirst) {
  in.releaseVersion = "21.0.5";
  CachePlan first = start();
  EXPECT_EQ(first.options, (std::vector<std::string>{"-Xlog:cds*=off",
                                                     "-XX:+AutoCreateSharedArchive",
                                                     "-XX:SharedArchiveFile=" + first.pending}));
  CachePlan second = start();
  EXPECT_EQ(second.options, (std::vector<std::string>{"-Xlog:cds*=off",
                                                      "-XX:+AutoCreateSharedArchive",
                                                      "-XX:SharedArchiveFile=" +
                                                          inFolder(cacheFiles().at(0))}));
  EXPECT_TRUE(second.writesAtExit) << "the VM remakes an archive it cannot use";
}

// The recording run ends with the program; a finisher of its own builds
// the cache, and only a finished one appears under the cache's name.
TEST_F(PlanFixture, AotCacheRecordsThenAFinisherAssemblesIt) {
  in.releaseVersion = "25.0.3";
  in.options.push_back("-agentlib:jdwp=transport=dt_socket");
  CachePlan first = start();
  EXPECT_EQ(first.options,
            (std::vector<std::string>{"-Xlog:aot*=off", "-Xlog:cds*=off",
                                      "-XX:DumpLoadedClassList=" + first.target + ".p42.classlist"}));
  EXPECT_FALSE(first.writesAtExit);
  ASSERT_EQ(files.detached.size(), 1u);
  EXPECT_EQ(files.detached[0].compare(0, in.launcherProgram.size() + 21,
                                      in.launcherProgram + " TARN_CACHE_FINISHER="), 0);
  ASSERT_EQ(files.runs, std::vector<std::string>{in.javaProgram});
  // The class path and the shaping options, never an agent.
  EXPECT_EQ(files.runArguments,
            (std::vector<std::string>{"-Xshare:dump", "-XX:SharedClassListFile=" + first.pending,
                                      "-XX:SharedArchiveFile=" + first.target + ".p42.aot",
                                      "-XX:+AOTClassLinking", in.options[0], "-Xmx1g"}));
  std::vector<std::string> names = cacheFiles();
  ASSERT_EQ(names.size(), 1u) << "the class list and the marker are removed";
  EXPECT_NE(names[0].find(".aot"), std::string::npos);
  CachePlan second = start();
  EXPECT_EQ(second.options.back(), "-XX:AOTCache=" + inFolder(names[0]));

  // A failed assembly leaves nothing but the marker behind.
  files.files.clear();
  SetUp();
  in.releaseVersion = "25.0.3";
  files.assembles = false;
  CachePlan failed = start();
  EXPECT_EQ(cacheFiles(),
            std::vector<std::string>{attemptMarker(failed.target).substr(in.folder.size() + 1)});
  // Nothing recorded (the program was killed): nothing to assemble.
  files.files.clear();
  SetUp();
  in.releaseVersion = "25.0.3";
  files.runs.clear();
  start(0);
  EXPECT_TRUE(files.runs.empty());
}

// The finisher acts on nothing but a plan a launch wrote in the cache's
// folder for this executable's cache, and runs nothing but a runtime's java.
TEST_F(PlanFixture, AFinisherActsOnNoPlanButALaunchersOwn) {
  in.releaseVersion = "25.0.3";
  CachePlan recorded = planStartupCache(in, files);
  files.files[recorded.pending] = FileFacts{1000, in.now, false};
  finishStartupCache(recorded, files);
  const std::string name = planFile(recorded).substr(in.folder.size() + 1);
  const std::string text = files.contents[inFolder(name)];
  CachePlan plan;
  for (const std::string& other : {std::string("1"), "other" + name.substr(3), name + ".plan",
                                   ".." + S + name}) {
    files.contents[inFolder(other)] = text;
    EXPECT_FALSE(told(other, &plan)) << other;
  }
  const std::string java = in.javaProgram;
  const std::string rest = text.substr(java.size());
  for (const std::string& crafted : {text + "\n", rest, java + "\n-Xmx1g" + rest,
                                     java + rest + "\nMain", S + "bin" + S + "sh" + rest}) {
    files.contents[inFolder(name)] = crafted;
    EXPECT_FALSE(told(name, &plan)) << crafted;
  }
  files.files.erase(in.runtimeHome + S + "release");
  files.contents[inFolder(name)] = text;
  EXPECT_FALSE(told(name, &plan)) << "no runtime folder";
}

// A runtime made with jlink may lack the default archive that a dynamic one
// builds on, and the VM would not start: a class list makes a static one.
TEST_F(PlanFixture, WithoutTheDefaultArchiveAClassListMakesAStaticOne) {
  files.files.erase(S + "jdk" + S + "classes.jsa");
  CachePlan first = start();
  EXPECT_EQ(first.options, (std::vector<std::string>{"-Xlog:cds*=off",
                                                     "-XX:DumpLoadedClassList=" + first.pending}));
  EXPECT_EQ(files.runArguments,
            (std::vector<std::string>{"-Xshare:dump", "-XX:SharedClassListFile=" + first.pending,
                                      "-XX:SharedArchiveFile=" + first.target + ".p42.jsa",
                                      in.options[0], "-Xmx1g"}));
  std::vector<std::string> names = cacheFiles();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].substr(names[0].size() - 4), ".jsa");
  CachePlan second = start();
  const std::string archive = "-XX:SharedArchiveFile=" + inFolder(names[0]);
  EXPECT_EQ(second.options, (std::vector<std::string>{"-Xlog:cds*=off", archive}));
  EXPECT_FALSE(second.writesAtExit);
}

TEST(StartupCacheFolder, ByProductOrByTheExecutablesPathAndTheUsersOwn) {
  testing_machine::FakeSystem system;
#ifdef _WIN32
  const std::string base = "C:\\Users\\u\\AppData\\Local";
  system.environment["LOCALAPPDATA"] = base;
  const std::string exe = "C:\\Apps\\viewer.exe";
#else
  const std::string base = "/home/u/.cache";
  system.environment["HOME"] = "/home/u";
  const std::string exe = "/opt/apps/viewer";
#endif
  const std::string folder = base + S + "Demo ViewerPro" + S + "{0F1E}";
  EXPECT_EQ(startupCacheFolder(system, "Demo: Viewer/Pro*", "{0F1E}", exe, noLeadBytes), folder);
  MemoryCacheFiles files;
  EXPECT_TRUE(makeOwnCacheFolders(files, base, folder));
  EXPECT_EQ(files.folders, (std::vector<std::string>{base + S + "Demo ViewerPro", folder}));
  EXPECT_EQ(files.modes[base], 0700u) << "a missing root is made private";
  // Someone else's folder, or a link, at any level below the user's.
  files.foreign = {base + S + "Demo ViewerPro"};
  EXPECT_FALSE(makeOwnCacheFolders(files, base, folder));
  // The root is the user's setting: a shared folder stays as shared as it was.
  files.foreign = {base};
  files.modes = {{base, 01777}, {folder, 0775}};
  EXPECT_TRUE(makeOwnCacheFolders(files, base, folder));
  EXPECT_EQ(files.modes[base], 01777u);
  EXPECT_EQ(files.modes[folder], 0755u) << "the application's own folders are kept private";
  // A name or code that would climb out of the folder is no name.
  EXPECT_EQ(startupCacheFolder(system, "Demo", "..", exe, noLeadBytes), base + S + "Demo");
  std::string own = startupCacheFolder(system, "..", "", exe, noLeadBytes);
  EXPECT_EQ(own.compare(0, base.size() + 8, base + S + "viewer-"), 0) << own;
  EXPECT_EQ(own.size(), base.size() + 1 + 7 + 8);
  EXPECT_NE(startupCacheFolder(system, "", "", exe + "2", noLeadBytes), own);
  system.environment.clear();
  EXPECT_EQ(startupCacheFolder(system, "Demo", "", exe, noLeadBytes), "");
}

}  // namespace
}  // namespace tarn
