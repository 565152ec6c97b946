#include "jvm/startup_cache.h"

#include <algorithm>

#include "config/config_paths.h"
#include "config/ini_file.h"
#include "os/text.h"
#include "report/trace.h"

namespace tarn {

namespace {

const uint64_t kHashBasis = kFnv1aBasis;

// The text, then a separator, so that "ab","c" and "a","bc" differ.
uint64_t hashText(uint64_t hash, const std::string& text) {
  return fnv1a(std::string(1, '\xff'), fnv1a(text, hash));
}

uint64_t hashNumber(uint64_t hash, uint64_t number) {
  return hashText(hash, std::to_string(number));
}

bool isHex(const std::string& text) {
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// Empty, or nothing but dots and blanks: no folder of its own.
bool isBlankName(const std::string& name) {
  return name.find_first_not_of(". ") == std::string::npos;
}

// A pending file older than this was left by a run that never finished.
const int64_t kAbandonedAfter = 3600LL * 1000000000LL;

std::string extensionOf(CacheKind kind) { return kind == CacheKind::AotCache ? ".aot" : ".jsa"; }

// The stamp of a finished file: its name then says which size and time it
// had when it was put in place, so a truncated or rewritten one shows.
std::string stampOf(const FileFacts& facts) {
  return hexDigits(hashNumber(hashNumber(kHashBasis, facts.size),
                              static_cast<uint64_t>(facts.modified)), 8);
}

bool isAbsolute(const std::string& path) {
  return !path.empty() && (path[0] == '/' || path[0] == kPathSeparator ||
                           (path.size() > 1 && path[1] == ':'));
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
                               LeadByteTest lead, bool create) {
  std::string folder = userCacheFolder(system);
  if (folder.empty() || modulePath.empty()) return std::string();
  if (create) system.createDirectory(folder);
  std::vector<std::string> levels;
  std::string name = cleanProductName(productName, lead);
  if (isBlankName(name)) {
    // Copies of one executable in different places are different applications.
    levels.push_back(executableName(modulePath, lead) + "-" +
                     hexDigits(hashText(kHashBasis, modulePath), 8));
  } else {
    levels.push_back(name);
    std::string code = cleanProductName(productCode, lead);
    if (!isBlankName(code)) levels.push_back(code);
  }
  for (const std::string& level : levels) {
    folder += kPathSeparator;
    folder += level;
    if (create) system.createDirectory(folder);
  }
  return folder;
}

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
  plan.none = "the runtime's version offers none";
  if (kind == CacheKind::None || in.folder.empty() || in.baseName.empty()) return plan;
  // Another VM would refuse these options, and the program would not start.
  plan.none = "not a HotSpot VM";
  if (!in.vmVariant.empty() && !equalsIgnoringCase(in.vmVariant, "hotspot")) return plan;
  plan.none = "a sharing option among the VM parameters";
  std::string classPathOption;
  for (const std::string& option : in.options) {
    if (isSharingOption(option)) return plan;  // the user's own choice
    if (classPathOption.empty() && startsWith(option, kClassPathOption)) classPathOption = option;
  }
  // The VM refuses to archive with a directory on the class path, and
  // ends the program with an error for it.
  std::vector<std::string> classPath;
  plan.none = "a class path entry that is a folder or missing";
  for (std::string entry : splitList(classPathOption.substr(sizeof kClassPathOption - 1),
                                     kPathListSeparator)) {
    if (!isAbsolute(entry)) entry = in.workingFolder + kPathSeparator + entry;
    FileFacts facts;
    if (!files.facts(entry, &facts) || facts.directory) return plan;
    classPath.push_back(entry);
  }
  plan.none = "no class path";
  if (classPath.empty()) return plan;
  plan.none = "";
  std::vector<std::string> shaping = cacheShapingOptions(in.options);
  std::string key = cacheKey(files, in.runtimeHome, in.releaseVersion, in.vmLibrary, classPath,
                             shaping);
  std::string extension = extensionOf(kind);

  // Sweep the application's files: other keys' are stale, a finished file
  // whose stamp does not match was damaged, and a pending one long left
  // alone was abandoned.
  const std::string prefix = in.baseName + "-";
  std::string finished;
  for (const std::string& name : files.list(in.folder)) {
    if (!startsWith(name, prefix) || name.size() < prefix.size() + 16) continue;
    std::string nameKey = name.substr(prefix.size(), 16);
    std::string tail = name.substr(prefix.size() + 16);
    if (!isHex(nameKey)) continue;
    bool isFinished = tail.size() == 13 && tail[0] == '-' && isHex(tail.substr(1, 8)) &&
                      (endsWith(tail, ".jsa") || endsWith(tail, ".aot"));
    size_t dot = tail.find('.', 2);
    bool isPending = startsWith(tail, ".p") && dot != std::string::npos && dot > 2 &&
                     tail.find_first_not_of("0123456789", 2) == dot &&
                     (endsWith(tail, ".jsa") || endsWith(tail, ".aot") || endsWith(tail, ".aotconf"));
    if (!isFinished && !isPending) continue;  // another application's
    std::string path = in.folder + kPathSeparator + name;
    FileFacts facts;
    if (nameKey != key) {
      files.remove(path);
    } else if (isFinished) {
      bool sound = files.facts(path, &facts) && endsWith(tail, extension) &&
                   tail.substr(1, 8) == stampOf(facts);
      if (sound && finished.empty())
        finished = path;
      else
        files.remove(path);
    } else if (files.facts(path, &facts) && in.now - facts.modified > kAbandonedAfter) {
      files.remove(path);
    }
  }

  // Warnings about the cache would reach the program's own output.
  if (kind == CacheKind::AotCache) plan.options.push_back("-Xlog:aot*=off");
  plan.options.push_back("-Xlog:cds*=off");
  if (!finished.empty()) {
    if (kind == CacheKind::AotCache) {
      plan.options.push_back("-XX:AOTCache=" + finished);
    } else {
      // A runtime that finds the archive unusable makes it anew in place;
      // its stamp then no longer matches and the next start replaces it.
      if (kind == CacheKind::AutoArchive) plan.options.push_back("-XX:+AutoCreateSharedArchive");
      plan.options.push_back("-XX:SharedArchiveFile=" + finished);
    }
    return plan;
  }

  // A run that cannot write its archive ends with an error.
  if (!files.writable(in.folder)) {
    plan.options.clear();
    plan.none = "the cache folder is not writable";
    return plan;
  }
  plan.target = in.folder + kPathSeparator + in.baseName + "-" + key;
  std::string own = plan.target + ".p" + std::to_string(in.processId);
  switch (kind) {
    case CacheKind::ArchiveAtExit:
      plan.pending = own + extension;
      plan.options.push_back("-XX:ArchiveClassesAtExit=" + plan.pending);
      break;
    case CacheKind::AutoArchive:
      plan.pending = own + extension;
      plan.options.push_back("-XX:+AutoCreateSharedArchive");
      plan.options.push_back("-XX:SharedArchiveFile=" + plan.pending);
      break;
    default:
      // The recording run announces its file on the VM's own output, which
      // nothing but this flag keeps off the program's.
      plan.pending = own + ".aotconf";
      plan.options.push_back("-XX:+UnlockDiagnosticVMOptions");
      plan.options.push_back("-XX:-DisplayVMOutput");
      plan.options.push_back("-XX:AOTMode=record");
      plan.options.push_back("-XX:AOTConfiguration=" + plan.pending);
      plan.javaProgram = in.javaProgram;
      plan.assembleArguments = {"-XX:AOTMode=create", "-XX:AOTConfiguration=" + plan.pending,
                                "-XX:AOTCache=" + own + extension, classPathOption};
      for (const std::string& option : shaping)
        if (!isAgent(option)) plan.assembleArguments.push_back(option);
      break;
  }
  return plan;
}

void finishStartupCache(CachePlan& plan, CacheFiles& files) {
  if (plan.finished || plan.pending.empty()) return;
  plan.finished = true;
  FileFacts facts;
  std::string written = plan.pending;
  std::string extension = ".jsa";
  if (!plan.assembleArguments.empty()) {
    // The recorded configuration becomes the cache in a run of its own.
    const std::string cacheOption = "-XX:AOTCache=";
    for (const std::string& argument : plan.assembleArguments)
      if (startsWith(argument, cacheOption)) written = argument.substr(cacheOption.size());
    extension = ".aot";
    bool recorded = files.facts(plan.pending, &facts) && facts.size > 0;
    bool assembled = recorded && files.runQuietly(plan.javaProgram, plan.assembleArguments);
    files.remove(plan.pending);
    if (!assembled) {
      trace("start-up cache: %s", recorded ? "not assembled" : "nothing recorded");
      files.remove(written);
      return;
    }
  }
  if (!files.facts(written, &facts) || facts.size == 0) {
    trace("start-up cache: nothing written");
    files.remove(written);
    return;
  }
  // Another start may have put its own in place first; then this one goes.
  const std::string target = plan.target + "-" + stampOf(facts) + extension;
  bool placed = files.rename(written, target);
  trace("start-up cache %s: %s", target.c_str(), placed ? "written" : "another start's kept");
  if (!placed) files.remove(written);
}

}  // namespace tarn
