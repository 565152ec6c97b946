#include "jvm/cache_options.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(StartupCache, GenerationsByReleaseVersion) {
  EXPECT_EQ(cacheKindFor("25.0.3"), CacheKind::AotCache);
  EXPECT_EQ(cacheKindFor("26-ea"), CacheKind::AotCache);
  // 24 has no one-run training: it keeps the dynamic archive.
  EXPECT_EQ(cacheKindFor("24.0.1"), CacheKind::AutoArchive);
  EXPECT_EQ(cacheKindFor("21.0.5"), CacheKind::AutoArchive);
  EXPECT_EQ(cacheKindFor("19"), CacheKind::AutoArchive);
  EXPECT_EQ(cacheKindFor("18.0.2.1"), CacheKind::ArchiveAtExit);
  EXPECT_EQ(cacheKindFor("17.0.15"), CacheKind::ArchiveAtExit);
  EXPECT_EQ(cacheKindFor("13"), CacheKind::ArchiveAtExit);
  EXPECT_EQ(cacheKindFor("12.0.2"), CacheKind::None);
  EXPECT_EQ(cacheKindFor("1.8.0_392"), CacheKind::None);
  EXPECT_EQ(cacheKindFor(""), CacheKind::None);
  EXPECT_EQ(cacheKindFor("unknown"), CacheKind::None);
}

TEST(StartupCache, SharingOptionsAndShapingOptions) {
  for (const char* option : {"-Xshare:off", "-Xshare:auto", "-XX:SharedArchiveFile=a.jsa",
                             "-XX:ArchiveClassesAtExit=a.jsa", "-XX:+AutoCreateSharedArchive",
                             "-XX:AOTCache=a.aot", "-XX:AOTMode=off", "-XX:-UseSharedSpaces",
                             "-XX:DumpLoadedClassList=l.txt", "-XX:+RequireSharedSpaces"})
    EXPECT_TRUE(isSharingOption(option)) << option;
  for (const char* option : {"-Xmx1g", "-XX:+UseG1GC", "-Dshared=x", "-Dapp.aot=1", "-ea"})
    EXPECT_FALSE(isSharingOption(option)) << option;

  std::vector<std::string> shaping = cacheShapingOptions(
      {"-Djava.class.path=a.jar", "-Xmx512m", "-Xms64m", "-Xss2m", "-Dapp.title=x",
       "-XX:+UseZGC", "-XX:+HeapDumpOnOutOfMemoryError", "-XX:StartFlightRecording=filename=r.jfr",
       "-Xlog:gc:file=gc.log", "-Djdk.module.addmods=java.sql", "-javaagent:a.jar", "-ea",
       "--enable-preview"});
  EXPECT_EQ(shaping, (std::vector<std::string>{"-Xmx512m", "-XX:+UseZGC",
                                                "-Djdk.module.addmods=java.sql", "-javaagent:a.jar",
                                                "--enable-preview"}));
}

TEST(StartupCache, BaseArchiveByTheHeapsPointers) {
  using Options = std::vector<std::string>;
  EXPECT_EQ(baseArchiveName({}), "classes.jsa");
  for (const Options& options : {Options{"-Xmx31g"}, Options{"-Xmx32767m", "-Xms40g"},
                                 Options{"-Xmx48g", "-Xmx4g"}, Options{"-Xmx0040g9"}, Options{"-Xmxg"},
                                 Options{"-Xmx"},
                                 Options{"-XX:-UseCompressedOops", "-XX:+UseCompressedOops"}})
    EXPECT_EQ(baseArchiveName(options), "classes.jsa") << options[0];
  for (const Options& options : {Options{"-Xmx32g"}, Options{"-Xmx34359738368"}, Options{"-Xmx1T"},
                                 Options{"-XX:MaxHeapSize=99999999999999999999999k"},
                                 Options{"-XX:+UseZGC"}, Options{"-XX:-UseCompressedOops"}})
    EXPECT_EQ(baseArchiveName(options), "classes_nocoops.jsa") << options[0];
}

}  // namespace
}  // namespace tarn
