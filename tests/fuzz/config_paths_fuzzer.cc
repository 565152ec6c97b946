// Configuration file names from arbitrary module paths and product names:
// the folders of the path are kept whole and every name ends in ".ini";
// a per-user folder from any variable value is absolute or none, and the
// application's folder below it is its own from any names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config_paths.h"

namespace {

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void check(bool condition) {
  if (!condition) __builtin_trap();
}

bool endsWithIni(const std::string& text) {
  return text.size() >= 4 && text.compare(text.size() - 4, 4, ".ini") == 0;
}

void checkPath(const std::string& module, tarn::LeadByteTest lead) {
  std::string config = tarn::configFilePathFor(module, lead);
  if (module.empty()) {
    check(config.empty());
    return;
  }
  size_t nameStart = tarn::fileNameStart(module, lead);
  check(nameStart <= module.size());
  check(endsWithIni(config));
  check(config.compare(0, nameStart, module, 0, nameStart) == 0);
  std::string base = tarn::userConfigBaseName(module, lead);
  check(endsWithIni(base) && base.size() <= module.size() - nameStart + 4);
  std::string cleaned = tarn::cleanProductName(module, lead);
  check(cleaned.size() <= module.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  checkPath(text, tarn::noLeadBytes);
  checkPath(text, shiftJisLead);
  std::string cleaned = tarn::cleanProductName(text, tarn::noLeadBytes);
  check(cleaned.find_first_of("\\?\"|><:/*") == std::string::npos);
  // A per-user folder is the value itself and absolute, or there is none.
  std::string appData = tarn::appDataFolderFor(text);
  check(appData.empty() || (appData == text && appData.size() < 260 &&
                            (appData.compare(1, 2, ":\\") == 0 || appData.compare(1, 2, ":/") == 0 ||
                             appData[0] == '\\' || appData[0] == '/')));
  size_t half = size / 2;
  std::string xdg = tarn::xdgConfigFolderFor(text.substr(0, half), text.substr(half));
  check(xdg.empty() || xdg[0] == '/');
  // One or two folder names of the application's own, none of them ".."
  // or blank: nothing reaches the per-user folder itself or above it. (This
  // target's separator, "/", is never a trail byte: its texts have none.)
  std::string own = tarn::applicationFolder(text.substr(0, half), text.substr(half), text,
                                            tarn::noLeadBytes);
  size_t slash = own.find('/');
  check(slash == std::string::npos || own.find('/', slash + 1) == std::string::npos);
  for (const std::string& name : {own.substr(0, slash), slash == std::string::npos ? "x" : own.substr(slash + 1)})
    check(name.find_first_not_of(". ") != std::string::npos);
  return 0;
}
