#include "config/real_profile_files.h"

#include <windows.h>

#include "config/profile_encoding.h"
#include "config/profile_text.h"
#include "os/code_page_win32.h"
#include "os/file_bytes.h"
#include "os/replace_file.h"

namespace tarn {

// The launcher reads and writes the files itself rather than through the
// system's profile functions: those take a file without a byte-order mark
// to be in the process's code page, so under UTF-8 a file saved in the
// legacy code page reads as replacement characters, and writing one value
// stores the whole file back that way. Here each file keeps its encoding,
// and a new text replaces the old in one step.
namespace {

ProfileCodePages systemCodePages() {
  ProfileCodePages pages;
  pages.launcherTextIsUtf8 = processTextIsUtf8();
  pages.legacyToUtf16 = [](const std::string& text) {
    return codePageToUtf16(legacyCodePage(), text);
  };
  pages.legacyFromUtf16 = [](const std::u16string& text, std::string* bytes) {
    bool lossless = true;
    *bytes = codePageFromUtf16(legacyCodePage(), text, &lossless);
    return lossless;
  };
  return pages;
}

bool absent(const std::u16string& path) {
  if (GetFileAttributesW(wideChars(path)) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

uint32_t RealProfileFiles::getString(const std::string& section, const std::string& key,
                                     char* buffer, uint32_t size, const std::string& path) {
  std::string bytes;
  readFileStart(path, static_cast<size_t>(-1), &bytes);
  ProfileEncoding encoding;
  return profileCopyString(decodeProfileFile(bytes, systemCodePages(), &encoding), section, key,
                           buffer, size);
}

bool RealProfileFiles::writeString(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& path) {
  const std::u16string target = wideText(path);
  std::string bytes;
  const bool exists = readFileStart(path, static_cast<size_t>(-1), &bytes);
  if (!exists && !absent(target)) return false;  // never replace a file that could not be read
  std::string updated;
  if (!setProfileFileString(bytes, systemCodePages(), section, key, value, "\r\n", &updated))
    return false;
  if (exists && updated == bytes) return true;
  ReplaceFailure failure;
  return replaceFile(target, updated.data(), updated.size(), kKeepMode, &failure);
}

}  // namespace tarn
