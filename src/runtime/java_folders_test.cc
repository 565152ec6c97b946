#include "runtime/java_folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "os/real_system.h"
#include "runtime/selection.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

struct Tree {
  fs::path root;
  Tree() {
    char name[] = "/tmp/tarn-folders.XXXXXX";
    root = mkdtemp(name);
  }
  ~Tree() { fs::remove_all(root); }
  void file(const std::string& relative, const std::string& text = "") {
    fs::path path = root / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  std::string at(const std::string& relative) const { return (root / relative).string(); }
};

// A runtime of the given kind and version with a server VM.
void install(Tree& tree, const std::string& folder, const std::string& version, bool jdk,
             const std::string& vm = "lib/server/libjvm.so") {
  tree.file(folder + "/release", "IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"" + version + "\"\n");
  tree.file(folder + "/" + vm);
  if (jdk) tree.file(folder + "/bin/javac");
}

TEST(JavaFolders, ScansRootsByNameAndLeavesOutLinks) {
  Tree tree;
  install(tree, "jvm/b-jdk", "17.0.15", true);
  install(tree, "jvm/a-jre", "1.8.0_392", false, "lib/amd64/server/libjvm.so");
  fs::create_directory_symlink(tree.root / "jvm/b-jdk", tree.root / "jvm/0-link");
  install(tree, "opt/c", "", false);
  tree.file("jvm/not-a-folder");
  std::vector<InstalledRuntime> found =
      scanJavaFolders({tree.at("jvm"), tree.at("missing"), tree.at("opt")});
  ASSERT_EQ(3u, found.size());
  EXPECT_EQ(tree.at("jvm/b-jdk/"), found[0].folder);  // through the link, by its real path
  EXPECT_EQ("17.0.15", found[0].version);
  EXPECT_TRUE(found[0].jdk);
  EXPECT_EQ(tree.at("jvm/a-jre/"), found[1].folder);
  EXPECT_EQ("1.8.0_392", found[1].version);
  EXPECT_FALSE(found[1].jdk);
  EXPECT_EQ("", found[2].version);
}

struct InstalledTreeSource : RuntimeSource {
  System& system;
  std::vector<InstalledRuntime> installed;
  InstalledTreeSource(System& system, std::vector<InstalledRuntime> installed)
      : system(system), installed(std::move(installed)) {}
  void collect(const RuntimeRules& rules, const std::string& key,
               std::vector<JreCandidate>* candidates,
               std::vector<RuntimeRefusal>* refusals) override {
    collectInstalled(system, rules, key, installed, candidates, refusals);
  }
};

TEST(JavaFolders, CandidatesFollowTheRegistryRules) {
  Tree tree;
  install(tree, "jvm/jdk8", "1.8.0_392", true, "jre/lib/amd64/server/libjvm.so");
  install(tree, "jvm/jdk17", "17.0.15", true);
  install(tree, "jvm/jre21", "21.0.1", false, "lib/client/libjvm.so");
  tree.file("jvm/jre21/lib/server/libjvm.so");
  RealSystem system;
  InstalledTreeSource source(system, scanJavaFolders({tree.at("jvm")}));

  RuntimeRules rules;
  rules.minimum.parse("0", 0);
  rules.maximum.parse("65535.65535.65535.65535", 65535);
  JreCandidate chosen;
  ASSERT_TRUE(searchRegistry(rules, source, &chosen));
  EXPECT_EQ(tree.at("jvm/jre21/"), chosen.home);

  // An older JDK is used through its jre folder; a later one is its own home.
  rules.jreWanted = false;
  rules.maximum.parse("1.8", 65535);
  ASSERT_TRUE(searchRegistry(rules, source, &chosen));
  EXPECT_EQ(tree.at("jvm/jdk8/jre/"), chosen.home);

  // FavorServer: a JRE with a client VM does not count as server.
  rules = RuntimeRules();
  rules.maximum.parse("any", 65535);
  rules.jvmType = JvmType::FavorServer;
  ASSERT_TRUE(searchRegistry(rules, source, &chosen));
  EXPECT_EQ(tree.at("jvm/jdk17/"), chosen.home);

  rules.sunAllowed = rules.sunPreferred = false;
  rules.jrockitAllowed = rules.jrockitPreferred = true;
  EXPECT_FALSE(searchRegistry(rules, source, &chosen));
}

TEST(JavaFolders, JavaHomeAfterTheSystemFoldersAndOnceOnly) {
  Tree tree;
  install(tree, "jvm/jdk17", "17.0.15", true);
  install(tree, "unzipped/jdk-22", "22.0.1", true);
  fs::create_directory_symlink(tree.at("jvm/jdk17"), tree.at("link"));
  RealSystem system;
  DiskRuntimeFiles files;
  RuntimeRules rules;
  std::vector<InstalledRuntime> installed = scanJavaFolders({tree.at("jvm")});

  // Through a link into the system folders: the runtime found there.
  InstalledRuntime home;
  ASSERT_TRUE(javaHomeRuntime(system, tree.at("link") + "/", &home));
  EXPECT_EQ(tree.at("jvm/jdk17/"), home.folder);
  EXPECT_EQ("17.0.15", home.version);
  EXPECT_TRUE(home.jdk);
  std::vector<JreCandidate> candidates;
  collectInstalled(system, rules, kJavaSoftJdkKey, installed, &candidates);
  collectFurther(system, files, noLeadBytes, 0, rules, {home}, &candidates);
  EXPECT_EQ(1u, candidates.size());

  // An unzipped runtime elsewhere is one more, and the newest.
  ASSERT_TRUE(javaHomeRuntime(system, tree.at("unzipped/jdk-22"), &home));
  collectFurther(system, files, noLeadBytes, 0, rules, {home}, &candidates);
  ASSERT_EQ(2u, candidates.size());
  EXPECT_EQ(tree.at("unzipped/jdk-22/"), candidates[1].home);

  EXPECT_FALSE(javaHomeRuntime(system, tree.at("missing"), &home));
  EXPECT_FALSE(javaHomeRuntime(system, "", &home));
}

TEST(ReleaseFile, JavaVersionValue) {
  EXPECT_EQ("17.0.15", releaseJavaVersion("JAVA_VERSION_DATE=\"2025\"\nJAVA_VERSION=\"17.0.15\"\n"));
  EXPECT_EQ("1.8.0_392", releaseJavaVersion("JAVA_VERSION=1.8.0_392\r\n"));
  EXPECT_EQ("", releaseJavaVersion("IMPLEMENTOR=x\n"));
  EXPECT_EQ("\"", releaseJavaVersion("JAVA_VERSION=\""));
  EXPECT_EQ("", releaseJavaVersion(""));
  EXPECT_EQ("Openj9", releaseValue("JAVA_VERSION=\"17\"\nJVM_VARIANT=\"Openj9\"\n", "JVM_VARIANT"));
}

}  // namespace
}  // namespace tarn
