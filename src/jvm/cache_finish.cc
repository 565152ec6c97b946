#include "jvm/cache_finish.h"

#include "config/ini_file.h"
#include "jvm/cache_folder.h"
#include "os/text.h"
#include "report/trace.h"

namespace tarn {

const char kCacheFinisherVariable[] = "TARN_CACHE_FINISHER";

namespace {

const char kClassListExtension[] = ".classlist";
const char kPlanExtension[] = ".plan";
const char kArchiveOption[] = "-XX:SharedArchiveFile=";
// Leads the options in the plan of an AOT cache.
const char kLinkingOption[] = "-XX:+AOTClassLinking";
// The assembling run's arguments before the ones the plan holds.
const size_t kOwnArguments = 3;

// Another start may have put its own in place first; then this one goes.
void placeCache(const std::string& target, const std::string& written,
                const std::string& extension, CacheFiles& files) {
  FileFacts facts;
  if (!files.facts(written, &facts) || facts.size == 0) {
    trace("start-up cache: nothing written");
    files.remove(written);
    return;
  }
  const std::string finished = target + "-" + cacheStamp(facts) + extension;
  bool placed = files.rename(written, finished);
  trace("start-up cache %s: %s", finished.c_str(), placed ? "written" : "another start's kept");
  if (!placed) files.remove(written);
  if (placed || files.facts(finished, &facts)) files.remove(attemptMarker(target));
}

// The file the assembling run writes: <name>.aot or <name>.jsa beside the
// class list <name>.classlist.
std::string assembledFile(const CachePlan& plan) {
  return plan.assembleArguments[2].substr(sizeof kArchiveOption - 1);
}

bool isLowerHex(const std::string& text) {
  return text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// The java program below a runtime's home, and that home a runtime folder.
bool isRuntimeJava(const std::string& program, CacheFiles& files) {
  const std::string below = javaProgramOf("");
  if (program.size() <= below.size() || !endsWith(program, below)) return false;
  const std::string home = program.substr(0, program.size() - below.size());
  FileFacts facts;
  return files.facts(program, &facts) && !facts.directory &&
         files.facts(home + kPathSeparator + "release", &facts) && !facts.directory;
}

}  // namespace

void planAssembly(const std::string& target, const std::string& processId,
                  const std::string& javaProgram, bool linked,
                  const std::vector<std::string>& extra, CachePlan* plan) {
  const std::string own = target + ".p" + processId;
  plan->target = target;
  plan->pending = own + kClassListExtension;
  plan->javaProgram = javaProgram;
  // The class list of the recording run, and for an AOT cache the classes
  // it names linked ahead of time.
  plan->assembleArguments = {"-Xshare:dump", "-XX:SharedClassListFile=" + plan->pending,
                             kArchiveOption + own + (linked ? ".aot" : ".jsa")};
  if (linked) plan->assembleArguments.push_back(kLinkingOption);
  plan->assembleArguments.insert(plan->assembleArguments.end(), extra.begin(), extra.end());
}

std::string planFile(const CachePlan& plan) {
  return plan.pending.substr(0, plan.pending.size() - (sizeof kClassListExtension - 1)) +
         kPlanExtension;
}

bool parsePlanFileName(const std::string& name, const std::string& baseName, std::string* key,
                       std::string* processId) {
  // <base>-<16 hex digits>.p<1 to 10 digits>.plan
  const size_t keyAt = baseName.size() + 1;
  const size_t idAt = keyAt + 16 + 2;
  const size_t idEnd = name.size() - (sizeof kPlanExtension - 1);
  if (baseName.empty() || name.size() <= idAt + (sizeof kPlanExtension - 1) ||
      !startsWith(name, baseName + "-") || !endsWith(name, kPlanExtension) ||
      name.compare(keyAt + 16, 2, ".p") != 0 || idEnd - idAt > 10)
    return false;
  *key = name.substr(keyAt, 16);
  *processId = name.substr(idAt, idEnd - idAt);
  return isLowerHex(*key) && processId->find_first_not_of("0123456789") == std::string::npos;
}

std::string finisherText(const CachePlan& plan) {
  std::string text = plan.javaProgram;
  for (size_t i = kOwnArguments; i < plan.assembleArguments.size(); ++i)
    text += "\n" + plan.assembleArguments[i];
  return text;
}

bool finisherPlan(const std::string& folder, const std::string& baseName,
                  const std::string& name, const std::string& text, CacheFiles& files,
                  CachePlan* plan) {
  std::string key, processId;
  if (!parsePlanFileName(name, baseName, &key, &processId)) return false;
  std::vector<std::string> lines = splitText(text, "\n", noLeadBytes);
  // The java program and options, the class path first (after the linking
  // option of an AOT cache): nothing for java to take for a program of its
  // own to run.
  const bool linked = lines.size() > 1 && lines[1] == kLinkingOption;
  const size_t classPath = linked ? 2 : 1;
  if (lines.size() <= classPath || !startsWith(lines[classPath], kClassPathOption)) return false;
  for (size_t i = 1; i < lines.size(); ++i)
    if (!startsWith(lines[i], "-")) return false;
  if (!isRuntimeJava(lines[0], files)) return false;
  planAssembly(folder + kPathSeparator + baseName + "-" + key, processId, lines[0], linked,
               std::vector<std::string>(lines.begin() + classPath, lines.end()), plan);
  return finisherText(*plan) == text;  // not even a line break more
}

void finishStartupCache(CachePlan& plan, CacheFiles& files) {
  if (plan.finished || plan.pending.empty()) return;
  plan.finished = true;
  if (plan.assembleArguments.empty()) {
    placeCache(plan.target, plan.pending, ".jsa", files);
    return;
  }
  FileFacts facts;
  if (!files.facts(plan.pending, &facts) || facts.size == 0) {
    trace("start-up cache: nothing recorded");
    files.remove(plan.pending);
    return;
  }
  // This process ends with the program; the cache is made after it. The
  // list was last written when the program's classes were loaded, perhaps
  // hours ago: the builder gets its hour from now.
  files.touch(plan.pending);
  const std::string told = planFile(plan);
  files.remove(told);  // a stale one of a process that had this id
  bool started = files.writeNew(told, finisherText(plan)) &&
                 files.startDetached(plan.launcherProgram, kCacheFinisherVariable,
                                     told.substr(plan.folder.size() + 1));
  trace("start-up cache: %s", started ? "building in the background" : "no process to build it");
  if (!started) {
    files.remove(told);
    files.remove(plan.pending);
  }
}

void assembleStartupCache(const CachePlan& plan, CacheFiles& files) {
  bool assembled = files.runQuietly(plan.javaProgram, plan.assembleArguments);
  files.remove(plan.pending);
  const std::string written = assembledFile(plan);
  if (assembled)
    placeCache(plan.target, written, written.substr(written.size() - 4), files);
  else
    files.remove(written);
}

}  // namespace tarn
