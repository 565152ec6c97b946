#include "jvm/cache_folder.h"

#include <algorithm>
#include <vector>

#include "os/sort_few.h"
#include "os/text.h"

namespace tarn {

const int64_t kCacheDay = 24LL * 3600 * 1000000000LL;

namespace {

// A pending file untouched for this long whose process has ended was left
// by a run that never finished. Its process may record for days, writing
// nothing once the program's classes are loaded.
const int64_t kAbandonedAfter = 3600LL * 1000000000LL;
// How much later than a pending file's last write its process may seem to
// have started, with the system's coarser clocks and a step of the clock.
const int64_t kStartLeeway = 600LL * 1000000000LL;
// The keys whose caches stay however old, the one in use among them.
const size_t kKeptKeys = 3;

bool isHex(const std::string& text) {
  return text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

enum class FileKind { Finished, Pending, Marker };

struct CacheFile {
  std::string path;
  std::string key;
  FileKind kind = FileKind::Finished;
  std::string tail;  // what follows the key
  uint32_t processId = 0;  // a pending file's, 0 when none could have it
  FileFacts facts;
};

// <base>-<key>-<stamp>.jsa|.aot finished, <base>-<key>.p<process>.jsa|.aot|
// .classlist|.plan|.aotconf pending (the last of earlier versions),
// <base>-<key>.tried a marker; anything else is not ours.
bool parseName(const std::string& name, const std::string& prefix, CacheFile* file) {
  if (!startsWith(name, prefix) || name.size() < prefix.size() + 16) return false;
  file->key = name.substr(prefix.size(), 16);
  file->tail = name.substr(prefix.size() + 16);
  if (!isHex(file->key)) return false;
  const std::string& tail = file->tail;
  bool archive = endsWith(tail, ".jsa") || endsWith(tail, ".aot");
  size_t dot = tail.find('.', 2);
  if (tail.size() == 13 && tail[0] == '-' && isHex(tail.substr(1, 8)) && archive)
    file->kind = FileKind::Finished;
  else if (startsWith(tail, ".p") && dot != std::string::npos && dot > 2 &&
           tail.find_first_not_of("0123456789", 2) == dot &&
           (archive || endsWith(tail, ".classlist") || endsWith(tail, ".plan") ||
            endsWith(tail, ".aotconf"))) {
    file->kind = FileKind::Pending;
    const unsigned long long id = dot - 2 <= 10 ? decimalValue(tail.substr(2, dot - 2)) : 0;
    file->processId = id <= UINT32_MAX ? static_cast<uint32_t>(id) : 0;
  }
  else if (tail == ".tried")
    file->kind = FileKind::Marker;
  else
    return false;
  return true;
}

// A decimal number of at most 18 digits, so that it fits whatever follows.
bool smallNumber(const std::string& text, int64_t* value) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *value = static_cast<int64_t>(decimalValue(text));
  return true;
}

}  // namespace

bool processStartFromProc(const std::string& processStat, const std::string& systemStat,
                          int64_t ticksPerSecond, int64_t* started) {
  // The command's name, in parentheses, may hold blanks and parentheses
  // itself: the fields are counted from the last ")", which is field 2.
  size_t at = processStat.rfind(')');
  for (int field = 3; field <= 22 && at != std::string::npos; ++field)
    at = processStat.find(' ', at + 1);
  if (at == std::string::npos || ticksPerSecond <= 0) return false;
  const size_t end = processStat.find_first_of(" \n", at + 1);
  int64_t ticks = 0, boot = 0;
  if (!smallNumber(processStat.substr(at + 1, end == std::string::npos ? end : end - at - 1),
                   &ticks))
    return false;
  const std::string key = "\nbtime ";
  size_t line = ("\n" + systemStat).find(key);
  if (line == std::string::npos) return false;
  line += key.size() - 1;
  if (!smallNumber(systemStat.substr(line, systemStat.find('\n', line) - line), &boot))
    return false;
  const int64_t seconds = boot + ticks / ticksPerSecond;
  if (seconds > 9000000000LL) return false;
  *started = seconds * 1000000000LL + ticks % ticksPerSecond * (1000000000LL / ticksPerSecond);
  return true;
}

std::string cacheStamp(const FileFacts& facts) {
  // Each number closed by a separator, as the key's parts are.
  const std::string numbers =
      std::to_string(facts.size) + "\xff" + std::to_string(facts.modified) + "\xff";
  return hexDigits(fnv1a(numbers), 8);
}

KeyFiles sweepCacheFolder(const std::string& folder, const std::string& baseName,
                          const std::string& key, const std::string& extension, int64_t now,
                          CacheFiles& files) {
  KeyFiles found;
  std::vector<CacheFile> others;  // sound finished caches of other keys
  for (const std::string& name : files.list(folder)) {
    CacheFile file;
    file.path = folder + kPathSeparator + name;
    if (!parseName(name, baseName + "-", &file) || !files.facts(file.path, &file.facts)) continue;
    const bool own = file.key == key;
    const int64_t age = now - file.facts.modified;
    switch (file.kind) {
      case FileKind::Finished:
        if (file.tail.substr(1, 8) != cacheStamp(file.facts) ||
            (own && !endsWith(file.tail, extension)) || (own && !found.finished.empty()))
          files.remove(file.path);
        else if (own)
          found.finished = file.path;
        else
          others.push_back(file);
        break;
      case FileKind::Pending:
        if (age > kAbandonedAfter &&
            (file.processId == 0 ||
             !files.processRuns(file.processId, file.facts.modified + kStartLeeway)))
          files.remove(file.path);
        else if (own)
          found.pending = true;
        break;
      case FileKind::Marker:
        if (age > kCacheDay) {
          files.remove(file.path);
        } else if (own) {
          found.attempted = true;
          found.attemptedAt = file.facts.modified;
        }
        break;
    }
  }
  // Used last first; a cache is used when read, made when written.
  auto lastUse = [](const CacheFile& file) {
    return std::max(file.facts.used, file.facts.modified);
  };
  sortFew(others, [&](const CacheFile& a, const CacheFile& b) { return lastUse(a) > lastUse(b); });
  for (size_t i = 0; i < others.size(); ++i) {
    if (found.lastSize == 0 && endsWith(others[i].tail, extension))
      found.lastSize = others[i].facts.size;
    if (i + 1 >= kKeptKeys && now - lastUse(others[i]) > kCacheDay) files.remove(others[i].path);
  }
  return found;
}

}  // namespace tarn
