#include "os/replace_file.h"

namespace tarn {

namespace {

#ifdef _WIN32
const char16_t kSeparators[] = u"\\/";
#else
const char kSeparators[] = "/";
#endif

}  // namespace

bool placeTemporary(FilePlacing& system, const SystemPath& temporary, const SystemPath& target,
                    ReplaceFailure* failure) {
  const bool existed = system.exists(target);
  int code = 0;
  if (existed ? system.replace(temporary, target, &code) : system.move(temporary, target, &code))
    return true;
  failure->step = ReplaceFailure::Step::Place;
  failure->code = code;
  // A replace that failed after the old file left its name (a scanner
  // holding the new one, say): the temporary is the only copy left.
  if (existed && !system.exists(target)) {
    int ignored = 0;
    if (system.move(temporary, target, &ignored)) return true;
    failure->keptCopy = temporary;
    return false;
  }
  system.remove(temporary);
  return false;
}

SystemPath temporaryBeside(const SystemPath& target, unsigned long process, unsigned attempt) {
  const size_t slash = target.find_last_of(kSeparators);
  const size_t base = slash == SystemPath::npos ? 0 : slash + 1;
  const std::string suffix = "." + std::to_string(process) + "." + std::to_string(attempt) + ".tmp";
  SystemPath name = target.substr(0, base);
  name += '.';
  name += target.substr(base);
  name.append(suffix.begin(), suffix.end());
  return name;
}

}  // namespace tarn
