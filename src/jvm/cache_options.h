// The VM options of the start-up cache: which kind of cache a runtime's
// generation offers, and which of the user's options choose sharing
// themselves or shape the archive.
#ifndef TARN_JVM_CACHE_OPTIONS_H
#define TARN_JVM_CACHE_OPTIONS_H

#include <string>
#include <vector>

namespace tarn {

// What the runtime's generation offers.
enum class CacheKind {
  None,           // before 13, or the version is unknown
  ArchiveAtExit,  // 13 to 18: -XX:ArchiveClassesAtExit, then -XX:SharedArchiveFile
  AutoArchive,    // 19 to 24: -XX:+AutoCreateSharedArchive -XX:SharedArchiveFile
  AotCache,       // 25 and later: a class list made into a cache of linked classes, -XX:AOTCache
  // 13 to 24 on a runtime without the default archive a dynamic one builds
  // on (one made with jlink): a class list made into a static archive.
  ClassListArchive,
};

// By the JAVA_VERSION text of the runtime's release file.
CacheKind cacheKindFor(const std::string& releaseVersion);

// The option is one of the VM's class-data-sharing or AOT options.
bool isSharingOption(const std::string& option);

// The options the archive depends on beyond the class path: the -XX flags
// (less those that only write files), the heap limit, the module system,
// the boot class path, verification and agents.
std::vector<std::string> cacheShapingOptions(const std::vector<std::string>& options);

// The default class-data archive beside the VM library that a dynamic
// archive builds on: the VM maps the one for uncompressed object pointers
// when the options turn them off (a heap of 32 GB or more, ZGC).
std::string baseArchiveName(const std::vector<std::string>& options);

// The option loads a Java or native agent.
bool isAgent(const std::string& option);

}  // namespace tarn

#endif
