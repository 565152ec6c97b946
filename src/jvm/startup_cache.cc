#include "jvm/startup_cache.h"

#include <algorithm>

#include "config/config_paths.h"
#include "config/ini_file.h"
#include "jvm/cache_finish.h"
#include "jvm/cache_folder.h"
#include "os/text.h"

namespace tarn {

namespace {

const uint64_t kHashBasis = kFnv1aBasis;
const uint64_t kMegabyte = 1024 * 1024;

// The text, then a separator, so that "ab","c" and "a","bc" differ.
uint64_t hashText(uint64_t hash, const std::string& text) {
  return fnv1a(std::string(1, '\xff'), fnv1a(text, hash));
}

uint64_t hashNumber(uint64_t hash, uint64_t number) {
  return hashText(hash, std::to_string(number));
}

std::string extensionOf(CacheKind kind) { return kind == CacheKind::AotCache ? ".aot" : ".jsa"; }

// Recorded as a class list and built after the program.
bool fromClassList(CacheKind kind) {
  return kind == CacheKind::AotCache || kind == CacheKind::ClassListArchive;
}

bool isAbsolute(const std::string& path) {
  return !path.empty() && (path[0] == '/' || path[0] == kPathSeparator ||
                           (path.size() > 1 && path[1] == ':'));
}

// The free space a recording run needs: twice the cache it makes (and on
// 25 and later a class list of a few hundred kilobytes), so that it never
// fills the disk. Measured (docs/performance.md): Maven's archive is 11 MB
// on 17, its cache 27 MB on 25; the application's last cache, where there
// is one, says it better. An archive built from a class list holds the
// runtime's classes too, as an AOT cache does.
uint64_t roomNeeded(CacheKind kind, uint64_t lastSize) {
  return 2 * (lastSize ? lastSize : (fromClassList(kind) ? 32 : 16) * kMegabyte);
}

std::string megabytes(uint64_t bytes) { return std::to_string(bytes / kMegabyte) + " MB"; }

std::string minutes(int64_t nanoseconds) {
  return std::to_string(nanoseconds / 60000000000LL) + " min";
}

// The options of a recording run, with what its end needs.
void planRecording(const CacheInputs& in, CacheKind kind, const std::string& classPathOption,
                   const std::vector<std::string>& shaping, CachePlan* plan) {
  if (fromClassList(kind)) {
    std::vector<std::string> extra = {classPathOption};
    for (const std::string& option : shaping)
      if (!isAgent(option)) extra.push_back(option);
    planAssembly(plan->target, std::to_string(in.processId), in.javaProgram,
                 kind == CacheKind::AotCache, extra, plan);
    plan->launcherProgram = in.launcherProgram;
    // Written as classes load, at a small cost, where recording for the
    // JDK's own assembling step would take about as long again as the
    // program (docs/performance.md); the VM's end is left alone.
    plan->options.push_back("-XX:DumpLoadedClassList=" + plan->pending);
    return;
  }
  plan->pending = plan->target + ".p" + std::to_string(in.processId) + ".jsa";
  plan->writesAtExit = true;
  if (kind == CacheKind::AutoArchive) {
    plan->options.push_back("-XX:+AutoCreateSharedArchive");
    plan->options.push_back("-XX:SharedArchiveFile=" + plan->pending);
  } else {
    plan->options.push_back("-XX:ArchiveClassesAtExit=" + plan->pending);
  }
}

}  // namespace

const char kClassPathOption[] = "-Djava.class.path=";

std::vector<std::string> splitList(const std::string& list, char separator) {
  std::vector<std::string> pieces = splitText(list, std::string(1, separator), noLeadBytes);
  pieces.erase(std::remove(pieces.begin(), pieces.end(), std::string()), pieces.end());
  return pieces;
}

std::string startupCacheFolder(System& system, const std::string& productName,
                               const std::string& productCode, const std::string& modulePath,
                               LeadByteTest lead) {
  std::string folder = userCacheFolder(system);
  if (folder.empty() || modulePath.empty()) return std::string();
  return folder + kPathSeparator + applicationFolder(productName, productCode, modulePath, lead);
}

bool makeOwnCacheFolders(CacheFiles& files, const std::string& root, const std::string& folder) {
  files.makeMissingFolder(root);  // a link elsewhere or a shared folder is fine
  for (size_t at = folder.find(kPathSeparator, root.size() + 1);;
       at = folder.find(kPathSeparator, at + 1)) {
    if (!files.ownFolder(folder.substr(0, at))) return false;
    if (at == std::string::npos) return true;
  }
}

std::string attemptMarker(const std::string& target) { return target + ".tried"; }

std::string cacheKey(CacheFiles& files, const std::string& runtimeHome,
                     const std::string& releaseVersion, const std::string& vmLibrary,
                     const std::vector<std::string>& classPath,
                     const std::vector<std::string>& shapingOptions) {
  uint64_t hash = kHashBasis;
  hash = hashText(hash, runtimeHome);
  hash = hashText(hash, releaseVersion);
  FileFacts facts;
  if (!files.facts(vmLibrary, &facts)) facts = FileFacts();
  hash = hashText(hash, vmLibrary);
  hash = hashNumber(hashNumber(hash, facts.size), static_cast<uint64_t>(facts.modified));
  hash = hashText(hash, "class path");
  for (const std::string& entry : classPath) {
    if (!files.facts(entry, &facts)) facts = FileFacts();
    hash = hashText(hash, entry);
    hash = hashNumber(hashNumber(hash, facts.size), static_cast<uint64_t>(facts.modified));
  }
  hash = hashText(hash, "options");
  for (const std::string& option : shapingOptions) hash = hashText(hash, option);
  return hexDigits(hash, 16);
}

CachePlan planStartupCache(const CacheInputs& in, CacheFiles& files) {
  CachePlan plan;
  CacheKind kind = cacheKindFor(in.releaseVersion);
  plan.state = "none, the runtime's version offers none";
  if (kind == CacheKind::None || in.folder.empty() || in.baseName.empty()) return plan;
  // Another VM would refuse these options, and the program would not start.
  plan.state = "none, not a HotSpot VM";
  if (!in.vmVariant.empty() && !equalsIgnoringCase(in.vmVariant, "hotspot")) return plan;
  plan.state = "none, a sharing option among the VM parameters";
  std::string classPathOption;
  for (const std::string& option : in.options) {
    if (isSharingOption(option)) return plan;  // the user's own choice
    if (classPathOption.empty() && startsWith(option, kClassPathOption)) classPathOption = option;
  }
  // The VM refuses to archive with a directory on the class path, and
  // ends the program with an error for it.
  std::vector<std::string> classPath;
  plan.state = "none, a class path entry that is a folder or missing";
  for (std::string entry : splitList(classPathOption.substr(sizeof kClassPathOption - 1),
                                     kPathListSeparator)) {
    if (!isAbsolute(entry)) entry = in.workingFolder + kPathSeparator + entry;
    FileFacts facts;
    if (!files.facts(entry, &facts) || facts.directory) return plan;
    classPath.push_back(entry);
  }
  plan.state = "none, no class path";
  if (classPath.empty()) return plan;
  // A dynamic archive builds on the runtime's default one; without it the
  // VM refuses to start (a linked runtime made without one, say). A static
  // archive built from a class list needs none.
  std::string base;
  if (kind == CacheKind::ArchiveAtExit || kind == CacheKind::AutoArchive) {
    base = in.vmLibrary.substr(
        0, in.vmLibrary.find_last_of(kPathSeparator == '/' ? "/" : "/\\") + 1) +
        baseArchiveName(in.options);
    FileFacts facts;
    if (!files.facts(base, &facts) || facts.directory) kind = CacheKind::ClassListArchive;
  }
  std::vector<std::string> shaping = cacheShapingOptions(in.options);
  // The finisher is told the assembling run's values one a line.
  plan.state = "none, a line break in the class path or the VM parameters";
  for (const std::string& option : in.options)
    if (fromClassList(kind) && option.find('\n') != std::string::npos) return plan;
  std::string key = cacheKey(files, in.runtimeHome, in.releaseVersion, in.vmLibrary, classPath,
                             shaping);
  std::string extension = extensionOf(kind);
  plan.folder = in.folder;
  plan.target = in.folder + kPathSeparator + in.baseName + "-" + key;
  KeyFiles found = sweepCacheFolder(in.folder, in.baseName, key, extension, in.now, files);

  // Nothing but a finished cache or a recording run of its own changes
  // the run: while another start makes the cache, after an attempt that
  // left none, or without room, it runs as without the cache.
  if (found.finished.empty()) {
    if (found.pending) {
      plan.state = "not ready yet, another start is making it";
      return plan;
    }
    if (found.attempted) {
      plan.state = "skipped after an attempt " + minutes(in.now - found.attemptedAt) +
                   " ago that left none; the next one a day after it";
      return plan;
    }
    uint64_t needed = roomNeeded(kind, found.lastSize);
    uint64_t free = files.freeSpace(in.folder);
    if (free < needed) {
      plan.state = "skipped for lack of room, " + megabytes(free) + " free of the " +
                   megabytes(needed) + " a recording needs";
      return plan;
    }
    // A run that cannot write its archive ends with an error.
    if (!files.touch(attemptMarker(plan.target))) {
      plan.state = "none, the cache folder is not writable";
      return plan;
    }
  }

  // Warnings about the cache would reach the program's own output.
  if (kind == CacheKind::AotCache) plan.options.push_back("-Xlog:aot*=off");
  plan.options.push_back("-Xlog:cds*=off");
  if (found.finished.empty()) {
    planRecording(in, kind, classPathOption, shaping, &plan);
    if (kind == CacheKind::AotCache)
      plan.state = "recording, built in the background after the program";
    else if (kind == CacheKind::ClassListArchive)
      plan.state = "recording a class list, as the runtime has no default class-data archive " +
                   base + " for a dynamic one; built in the background after the program";
    else
      plan.state = "recording, written at exit";
    return plan;
  }
  files.markUsed(found.finished);
  if (found.attempted) files.remove(attemptMarker(plan.target));
  plan.state = "in use";
  plan.inUse = found.finished;
  if (kind == CacheKind::AotCache) {
    plan.options.push_back("-XX:AOTCache=" + found.finished);
  } else {
    // A runtime that finds the archive unusable makes it anew in place;
    // its stamp then no longer matches and the next start replaces it.
    if (kind == CacheKind::AutoArchive) {
      plan.options.push_back("-XX:+AutoCreateSharedArchive");
      plan.writesAtExit = true;
    }
    plan.options.push_back("-XX:SharedArchiveFile=" + found.finished);
  }
  return plan;
}

}  // namespace tarn
