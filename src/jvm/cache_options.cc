#include "jvm/cache_options.h"

#include <cstdint>

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

std::string defaultArchiveName(const std::vector<std::string>& options) {
  const uint64_t kCompressedLimit = 32ull << 30;
  bool compressed = true;
  for (const std::string& option : options) {
    if (option == "-XX:-UseCompressedOops") {
      compressed = false;
    } else if (option == "-XX:+UseCompressedOops") {
      compressed = true;
    } else if (startsWith(option, "-Xmx")) {
      // Saturates rather than wrapping: an absurd size is a large one.
      uint64_t number = 0;
      size_t at = 4;
      for (; at < option.size() && option[at] >= '0' && option[at] <= '9'; ++at)
        number = number > UINT64_MAX / 10 ? UINT64_MAX : number * 10 + (option[at] - '0');
      uint64_t unit = at + 1 == option.size() ? unitMultiplier(option) : 1;
      compressed = number < (kCompressedLimit + unit - 1) / unit;
    }
  }
  return compressed ? "classes.jsa" : "classes_nocoops.jsa";
}

bool isSharingOption(const std::string& option) {
  if (startsWith(option, "-Xshare")) return true;
  std::string name = flagName(option);
  return startsWithAny(name, {"Shared", "AOT", "ArchiveClassesAtExit", "AutoCreateSharedArchive",
                              "DumpLoadedClassList", "UseSharedSpaces", "RequireSharedSpaces"});
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
