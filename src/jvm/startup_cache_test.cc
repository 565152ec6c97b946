#include "jvm/startup_cache.h"

#include <gtest/gtest.h>

#include "config/testing_machine.h"
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
    in.javaProgram = S + "jdk" + S + "java";
    in.workingFolder = S + "app";
    in.options = {"-Djava.class.path=" + S + "app" + S + "a.jar" + L + "lib.jar", "-Xmx1g",
                  "-Dtitle=x"};
    in.processId = 42;
    in.now = 10LL * 3600 * 1000000000LL;
    files.files[in.vmLibrary] = FileFacts{20000, 100, false};
    files.files[S + "app" + S + "a.jar"] = FileFacts{300, 200, false};
    files.files[S + "app" + S + "lib.jar"] = FileFacts{400, 300, false};
  }
  std::string inFolder(const std::string& name) { return in.folder + S + name; }
  // Runs the program once: plan, the VM writes what it was told, finish.
  CachePlan start(uint64_t writtenSize = 1000) {
    CachePlan plan = planStartupCache(in, files);
    if (!plan.pending.empty()) files.files[plan.pending] = FileFacts{writtenSize, in.now, false};
    finishStartupCache(plan, files);
    return plan;
  }
  std::vector<std::string> cacheFiles() {
    return files.list(in.folder);
  }
  CacheInputs in;
  FakeCacheFiles files;
};

TEST_F(PlanFixture, ArchiveAtExitTrainsThenUsesThenRemakesWhenDamaged) {
  CachePlan first = start();
  ASSERT_EQ(first.options.size(), 2u);
  EXPECT_EQ(first.options[0], "-Xlog:cds*=off");
  EXPECT_EQ(first.options[1], "-XX:ArchiveClassesAtExit=" + first.pending);
  EXPECT_NE(first.pending.find(".p42.jsa"), std::string::npos);
  std::vector<std::string> names = cacheFiles();
  ASSERT_EQ(names.size(), 1u);
  const std::string finished = inFolder(names[0]);
  EXPECT_EQ(finished.compare(0, first.target.size(), first.target), 0);

  CachePlan second = start();
  EXPECT_EQ(second.options, (std::vector<std::string>{"-Xlog:cds*=off",
                                                      "-XX:SharedArchiveFile=" + finished}));
  EXPECT_TRUE(second.pending.empty());

  // Truncated: its size no longer matches the stamp in its name.
  files.files[finished].size = 10;
  CachePlan third = planStartupCache(in, files);
  EXPECT_FALSE(files.has(finished));
  EXPECT_EQ(third.options.back(), "-XX:ArchiveClassesAtExit=" + third.pending);
}

TEST_F(PlanFixture, AChangedJarMakesANewCacheAndRemovesTheOld) {
  start();
  std::string old = cacheFiles().at(0);
  files.files[in.folder + S + "app-cli-0123456789abcdef-01234567.jsa"] = FileFacts{1, 1, false};
  files.files[in.folder + S + "app-0123456789abcdef.p7.jsa.notes"] = FileFacts{1, 1, false};
  files.files[in.folder + S + "readme.txt"] = FileFacts{1, 1, false};
  files.files[S + "app" + S + "a.jar"].modified = 999;
  CachePlan plan = planStartupCache(in, files);
  EXPECT_FALSE(files.has(inFolder(old)));
  EXPECT_FALSE(plan.pending.empty());
  // Another application's files and foreign files stay.
  EXPECT_TRUE(files.has(inFolder("app-cli-0123456789abcdef-01234567.jsa")));
  EXPECT_TRUE(files.has(inFolder("app-0123456789abcdef.p7.jsa.notes")));
  EXPECT_TRUE(files.has(inFolder("readme.txt")));
}

TEST_F(PlanFixture, PendingFilesOfOtherRunsStayUntilAbandoned) {
  CachePlan plan = planStartupCache(in, files);
  std::string running = plan.target + ".p7.jsa";
  std::string abandoned = plan.target + ".p8.jsa";
  files.files[running] = FileFacts{10, in.now - 60LL * 1000000000LL, false};
  files.files[abandoned] = FileFacts{10, in.now - 2LL * 3600 * 1000000000LL, false};
  planStartupCache(in, files);
  EXPECT_TRUE(files.has(running));
  EXPECT_FALSE(files.has(abandoned));
}

TEST_F(PlanFixture, SimultaneousFirstStartsKeepOneFinishedCache) {
  CachePlan a = planStartupCache(in, files);
  in.processId = 43;
  CachePlan b = planStartupCache(in, files);
  EXPECT_NE(a.pending, b.pending);
  files.files[a.pending] = FileFacts{1000, in.now, false};
  files.files[b.pending] = FileFacts{1000, in.now, false};
  finishStartupCache(a, files);
  finishStartupCache(b, files);  // same stamp: the target exists, this one goes
  finishStartupCache(b, files);  // a second call does nothing
  EXPECT_EQ(cacheFiles().size(), 1u);
}

// Each reason for no cache is told apart, for the launch trace.
TEST_F(PlanFixture, NoCacheWhenTheUserOrTheClassPathOrTheFolderRulesItOut) {
  auto why = [&](const CacheInputs& inputs) {
    CachePlan plan = planStartupCache(inputs, files);
    return plan.options.empty() ? std::string(plan.none) : std::string("a cache");
  };
  for (const char* own : {"-Xshare:off", "-XX:SharedArchiveFile=mine.jsa"}) {
    CacheInputs withOwn = in;
    withOwn.options.push_back(own);
    EXPECT_EQ("a sharing option among the VM parameters", why(withOwn)) << own;
  }
  const std::string folderOrMissing = "a class path entry that is a folder or missing";
  files.files[S + "app" + S + "lib.jar"].directory = true;
  EXPECT_EQ(folderOrMissing, why(in)) << "directory";
  files.files.erase(S + "app" + S + "lib.jar");
  EXPECT_EQ(folderOrMissing, why(in)) << "missing entry";
  files.files[S + "app" + S + "lib.jar"] = FileFacts{400, 300, false};
  files.canWrite = false;
  EXPECT_EQ("the cache folder is not writable", why(in));
  files.canWrite = true;
  in.vmVariant = "Openj9";
  EXPECT_EQ("not a HotSpot VM", why(in));
  in.vmVariant = "Hotspot";
  EXPECT_EQ("a cache", why(in));
  in.releaseVersion = "11.0.2";
  EXPECT_EQ("the runtime's version offers none", why(in));
  EXPECT_TRUE(cacheFiles().empty());
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
}

TEST_F(PlanFixture, AotCacheRecordsThenAssemblesQuietly) {
  in.releaseVersion = "25.0.3";
  in.options.push_back("-agentlib:jdwp=transport=dt_socket");
  CachePlan first = start();
  EXPECT_EQ(first.options,
            (std::vector<std::string>{"-Xlog:aot*=off", "-Xlog:cds*=off",
                                      "-XX:+UnlockDiagnosticVMOptions", "-XX:-DisplayVMOutput",
                                      "-XX:AOTMode=record", "-XX:AOTConfiguration=" + first.pending}));
  ASSERT_EQ(files.runs, std::vector<std::string>{in.javaProgram});
  // The class path and the shaping options, never an agent.
  EXPECT_EQ(files.runArguments,
            (std::vector<std::string>{"-XX:AOTMode=create", "-XX:AOTConfiguration=" + first.pending,
                                      "-XX:AOTCache=" + first.target + ".p42.aot", in.options[0],
                                      "-Xmx1g"}));
  std::vector<std::string> names = cacheFiles();
  ASSERT_EQ(names.size(), 1u) << "the configuration is removed";
  EXPECT_NE(names[0].find(".aot"), std::string::npos);
  CachePlan second = start();
  EXPECT_EQ(second.options.back(), "-XX:AOTCache=" + inFolder(names[0]));

  // A failed assembly leaves nothing behind.
  files.files.clear();
  SetUp();
  in.releaseVersion = "25.0.3";
  files.assembles = false;
  start();
  EXPECT_TRUE(cacheFiles().empty());
  // Nothing recorded (the program was killed): nothing to assemble.
  files.runs.clear();
  files.assembles = true;
  CachePlan plan = planStartupCache(in, files);
  finishStartupCache(plan, files);
  EXPECT_TRUE(files.runs.empty());
}

TEST(StartupCacheFolder, ByProductOrByTheExecutablesPath) {
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
  EXPECT_EQ(startupCacheFolder(system, "Demo: Viewer/Pro*", "{0F1E}", exe, noLeadBytes, true),
            base + S + "Demo ViewerPro" + S + "{0F1E}");
  EXPECT_EQ(system.created, (std::vector<std::string>{base, base + S + "Demo ViewerPro",
                                                      base + S + "Demo ViewerPro" + S + "{0F1E}"}));
  // A name or code that would climb out of the folder is no name.
  EXPECT_EQ(startupCacheFolder(system, "Demo", "..", exe, noLeadBytes, false), base + S + "Demo");
  std::string own = startupCacheFolder(system, "..", "", exe, noLeadBytes, false);
  EXPECT_EQ(own.compare(0, base.size() + 8, base + S + "viewer-"), 0) << own;
  EXPECT_EQ(own.size(), base.size() + 1 + 7 + 8);
  EXPECT_NE(startupCacheFolder(system, "", "", exe + "2", noLeadBytes, false), own);
  system.environment.clear();
  EXPECT_EQ(startupCacheFolder(system, "Demo", "", exe, noLeadBytes, false), "");
}

}  // namespace
}  // namespace tarn
