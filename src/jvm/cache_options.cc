#include "jvm/cache_options.h"

#include "config/java_version.h"
#include "jvm/memory_share.h"
#include "os/text.h"

namespace tarn {

namespace {

// The flag name of an -XX option, without its + or -; "" for other options.
std::string flagName(const std::string& option) {
  if (!startsWith(option, "-XX:")) return std::string();
  std::string name = option.substr(4);
  if (!name.empty() && (name[0] == '+' || name[0] == '-')) name.erase(0, 1);
  return name.substr(0, name.find('='));
}

bool startsWithAny(const std::string& text, std::initializer_list<const char*> prefixes) {
  for (const char* prefix : prefixes)
    if (startsWith(text, prefix)) return true;
  return false;
}

// A heap size such as 48g or 34359738368: the VM leaves compressed object
// pointers off for one of 32 GB or more. Not a size: false.
bool isHeapOf32GbOrMore(const std::string& size) {
  uint64_t bytes = 0;
  return parseMemorySize(size, &bytes) && bytes >= (uint64_t(32) << 30);
}

}  // namespace

bool isAgent(const std::string& option) {
  return startsWithAny(option, {"-javaagent:", "-agentlib:", "-agentpath:"});
}

CacheKind cacheKindFor(const std::string& releaseVersion) {
  JavaVersion version;
  if (!version.parse(releaseVersion, 0)) return CacheKind::None;
  // 1.8 and older name the feature release second.
  int32_t feature = version.parts[0] == 1 ? version.parts[1] : version.parts[0];
  if (feature >= 25) return CacheKind::AotCache;
  if (feature >= 19) return CacheKind::AutoArchive;
  if (feature >= 13) return CacheKind::ArchiveAtExit;
  return CacheKind::None;
}

bool isSharingOption(const std::string& option) {
  if (startsWith(option, "-Xshare")) return true;
  std::string name = flagName(option);
  return startsWithAny(name, {"Shared", "AOT", "ArchiveClassesAtExit", "AutoCreateSharedArchive",
                              "DumpLoadedClassList", "UseSharedSpaces", "RequireSharedSpaces"});
}

std::string baseArchiveName(const std::vector<std::string>& options) {
  bool compressed = true;
  for (const std::string& option : options) {
    // The last option wins, as in the VM.
    if (startsWith(option, "-Xmx")) compressed = !isHeapOf32GbOrMore(option.substr(4));
    if (startsWith(option, "-XX:MaxHeapSize=")) compressed = !isHeapOf32GbOrMore(option.substr(16));
    if (option == "-XX:-UseCompressedOops" || option == "-XX:+UseZGC") compressed = false;
    if (option == "-XX:+UseCompressedOops") compressed = true;
  }
  return compressed ? "classes.jsa" : "classes_nocoops.jsa";
}

std::vector<std::string> cacheShapingOptions(const std::vector<std::string>& options) {
  std::vector<std::string> shaping;
  for (const std::string& option : options) {
    std::string name = flagName(option);
    bool keep;
    if (!name.empty())
      keep = !startsWithAny(name, {"StartFlightRecording", "FlightRecorder", "LogFile",
                                   "LogVMOutput", "ErrorFile", "HeapDump", "OnError",
                                   "OnOutOfMemoryError", "Print"});
    else
      keep = isAgent(option) ||
             startsWithAny(option, {"-Xmx", "-Xbootclasspath", "-Xverify", "-Djdk.module.",
                                    "-Djava.system.class.loader=", "--enable-preview"});
    if (keep) shaping.push_back(option);
  }
  return shaping;
}

}  // namespace tarn
