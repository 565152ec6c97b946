#include "config/real_profile_files.h"

#include <windows.h>

#include "config/profile_encoding.h"
#include "config/profile_text.h"
#include "os/code_page_win32.h"
#include "os/file_bytes.h"

namespace tarn {

// The launcher reads and writes the files itself rather than through the
// system's profile functions: those take a file without a byte-order mark
// to be in the process's code page, so under UTF-8 a file saved in the
// legacy code page reads as replacement characters, and writing one value
// stores the whole file back that way. Here each file keeps its encoding.
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

std::u16string numbered(const std::u16string& path, unsigned number) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
    number /= 10;
  } while (number);
  return path + u"." + digits + u".tmp";
}

bool writeAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = bytes.size() - done > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size() - done);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file) != 0;
}

// The new bytes go to a temporary file beside the old one, which then
// takes its place in one step: a crash leaves either file whole.
bool replaceFile(const std::u16string& target, const std::string& bytes, bool exists) {
  const std::u16string base = numbered(target, GetCurrentProcessId());
  std::u16string temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = numbered(base, attempt);
    file = CreateFileW(wideChars(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = writeAll(file, bytes);
  ok = CloseHandle(file) && ok;
  if (ok && exists)
    ok = ReplaceFileW(wideChars(target), wideChars(temporary), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                      nullptr, nullptr) != 0;
  else if (ok)
    ok = MoveFileExW(wideChars(temporary), wideChars(target), MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileW(wideChars(temporary));
  return ok;
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
  return replaceFile(target, updated, exists);
}

}  // namespace tarn
