#include "os/replace_file.h"

#include <windows.h>

namespace tarn {
namespace {

const wchar_t* wide(const SystemPath& path) { return reinterpret_cast<const wchar_t*>(path.c_str()); }

struct RealPlacing : FilePlacing {
  bool exists(const SystemPath& path) override {
    return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
  }
  bool replace(const SystemPath& from, const SystemPath& to, int* code) override {
    if (ReplaceFileW(wide(to), wide(from), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr))
      return true;
    *code = static_cast<int>(GetLastError());
    return false;
  }
  bool move(const SystemPath& from, const SystemPath& to, int* code) override {
    if (MoveFileExW(wide(from), wide(to), MOVEFILE_WRITE_THROUGH)) return true;
    *code = static_cast<int>(GetLastError());
    return false;
  }
  void remove(const SystemPath& path) override { DeleteFileW(wide(path)); }
};

bool writeAll(HANDLE file, const unsigned char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool fail(ReplaceFailure* failure, ReplaceFailure::Step step, DWORD code) {
  failure->step = step;
  failure->code = static_cast<int>(code);
  return false;
}

}  // namespace

bool replaceFile(const SystemPath& path, const void* data, size_t size, int,
                 ReplaceFailure* failure) {
  SystemPath temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; !path.empty() && file == INVALID_HANDLE_VALUE && attempt < 100;
       ++attempt) {
    temporary = temporaryBeside(path, GetCurrentProcessId(), attempt);
    file = CreateFileW(wide(temporary), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  if (file == INVALID_HANDLE_VALUE)
    return fail(failure, ReplaceFailure::Step::Create,
                path.empty() ? ERROR_INVALID_NAME : GetLastError());
  const bool written =
      writeAll(file, static_cast<const unsigned char*>(data), size) && FlushFileBuffers(file);
  const DWORD code = GetLastError();
  if (!CloseHandle(file) || !written) {
    const DWORD closing = GetLastError();
    DeleteFileW(wide(temporary));
    return fail(failure, ReplaceFailure::Step::Write, written ? closing : code);
  }
  RealPlacing system;
  return placeTemporary(system, temporary, path, failure);
}

}  // namespace tarn
