#include "jvm/cache_folder.h"

#include <algorithm>
#include <vector>

#include "os/text.h"

namespace tarn {

const int64_t kCacheDay = 24LL * 3600 * 1000000000LL;

namespace {

// A pending file older than this was left by a run that never finished.
const int64_t kAbandonedAfter = 3600LL * 1000000000LL;
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
  FileFacts facts;
};

// <base>-<key>-<stamp>.jsa|.aot finished, <base>-<key>.p<process>.jsa|.aot|
// .classlist|.aotconf pending (the last of earlier versions), <base>-<key>.tried
// a marker; anything else is not ours.
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
           (archive || endsWith(tail, ".classlist") || endsWith(tail, ".aotconf")))
    file->kind = FileKind::Pending;
  else if (tail == ".tried")
    file->kind = FileKind::Marker;
  else
    return false;
  return true;
}

}  // namespace

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
        if (age > kAbandonedAfter)
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
  std::sort(others.begin(), others.end(), [&](const CacheFile& a, const CacheFile& b) {
    return lastUse(a) > lastUse(b);
  });
  for (size_t i = 0; i < others.size(); ++i) {
    if (found.lastSize == 0 && endsWith(others[i].tail, extension))
      found.lastSize = others[i].facts.size;
    if (i + 1 >= kKeptKeys && now - lastUse(others[i]) > kCacheDay) files.remove(others[i].path);
  }
  return found;
}

}  // namespace tarn
