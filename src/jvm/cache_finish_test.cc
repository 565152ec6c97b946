#include "jvm/cache_finish.h"

#include <gtest/gtest.h>

#include "jvm/cache_plan_test.h"

namespace tarn {
namespace {

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
// "\x83\x5C" is a Shift-JIS character whose second byte is that of "\":
// the finisher is still told its plan file's whole name.
TEST_F(PlanFixture, AProgramNameWithASeparatorByteInACharacterGetsItsCache) {
  in.baseName = "\x83\x5C";
  in.releaseVersion = "25.0.3";
  start();
  std::vector<std::string> names = cacheFiles();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].compare(0, 3, "\x83\x5C-"), 0) << names[0];
}

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

}  // namespace
}  // namespace tarn
