#include "jvm/cache_finish.h"

#include "config/ini_file.h"
#include "jvm/cache_folder.h"
#include "os/text.h"
#include "report/trace.h"

namespace tarn {

const char kCacheFinisherVariable[] = "TARN_CACHE_FINISHER";

namespace {

const char kClassListExtension[] = ".classlist";
const char kArchiveOption[] = "-XX:SharedArchiveFile=";
// Leads the finisher's options of an AOT cache.
const char kLinkingOption[] = "-XX:+AOTClassLinking";
// The assembling run's arguments before the ones the finisher is told.
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

std::string finisherText(const CachePlan& plan) {
  const size_t from = plan.target.size() + 2;
  const size_t to = plan.pending.size() - (sizeof kClassListExtension - 1);
  std::string text = plan.target + "\n" + plan.pending.substr(from, to - from) + "\n" +
                     plan.javaProgram;
  for (size_t i = kOwnArguments; i < plan.assembleArguments.size(); ++i)
    text += "\n" + plan.assembleArguments[i];
  return text;
}

bool finisherPlan(const std::string& text, CachePlan* plan) {
  std::vector<std::string> lines = splitText(text, "\n", noLeadBytes);
  // The target, the process, the java program, the linking option of an AOT
  // cache and at least the class path.
  if (lines.size() < 4 || lines[1].size() > 10 ||
      lines[1].find_first_not_of("0123456789") != std::string::npos)
    return false;
  for (const std::string& line : lines)
    if (line.empty()) return false;
  const bool linked = lines[3] == kLinkingOption;
  if (linked && lines.size() < 5) return false;
  planAssembly(lines[0], lines[1], lines[2], linked,
               std::vector<std::string>(lines.begin() + (linked ? 4 : 3), lines.end()), plan);
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
  // This process ends with the program; the cache is made after it.
  bool started = files.startDetached(plan.launcherProgram, kCacheFinisherVariable,
                                     finisherText(plan));
  trace("start-up cache: %s", started ? "building in the background" : "no process to build it");
  if (!started) files.remove(plan.pending);
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
