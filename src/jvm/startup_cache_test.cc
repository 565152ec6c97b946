#include "jvm/startup_cache.h"

#include <gtest/gtest.h>

#include "config/testing_machine.h"
#include "jvm/cache_plan_test.h"

namespace tarn {
namespace {

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
  const std::string S(1, kPathSeparator);
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
