/* Test helper: reads a packed executable's identity the way Windows
   itself does (version.dll, the resource loader) and prints it, one fact a
   line:
     fixed FILE PRODUCT          the numbers of the fixed file information
     translation LANG CODEPAGE   hexadecimal
     string KEY=VALUE            each version string the shell shows
     icon SIZE ID WIDTH          the image of icon group 1 chosen for SIZE
                                 pixels, and its width once loaded
     manifest level LEVEL        the execution level manifest 1 asks for
   Exit code 1 when the file cannot be read at all. */
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

static void printUtf8(const wchar_t* text) {
  char buffer[4096];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
  if (n > 0) fputs(buffer, stdout);
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
  if (size == 0) {
    printf("no version information (%lu)\n", (unsigned long)GetLastError());
  } else {
    void* data = HeapAlloc(GetProcessHeap(), 0, size);
    if (data == NULL || !GetFileVersionInfoW(argv[1], 0, size, data)) return 1;
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    if (VerQueryValueW(data, L"\\", (void**)&fixed, &length) && length >= sizeof *fixed)
      printf("fixed %u.%u.%u.%u %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
             LOWORD(fixed->dwFileVersionLS), HIWORD(fixed->dwProductVersionMS),
             LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
             LOWORD(fixed->dwProductVersionLS));
    WORD* translation = NULL;
    if (VerQueryValueW(data, L"\\VarFileInfo\\Translation", (void**)&translation, &length) &&
        length >= 4) {
      printf("translation %04x %04x\n", translation[0], translation[1]);
      static const wchar_t* keys[] = {L"CompanyName",    L"FileDescription", L"FileVersion",
                                      L"LegalCopyright", L"OriginalFilename", L"ProductName",
                                      L"ProductVersion"};
      for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        wchar_t path[128];
        wchar_t* value = NULL;
        swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                 keys[i]);
        if (VerQueryValueW(data, path, (void**)&value, &length) && value != NULL) {
          fputs("string ", stdout);
          printUtf8(keys[i]);
          fputs("=", stdout);
          printUtf8(value);
          fputs("\n", stdout);
        }
      }
    }
  }

  HMODULE module = LoadLibraryExW(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
  if (module == NULL) return 1;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), (LPCWSTR)RT_GROUP_ICON);
  HGLOBAL group = found ? LoadResource(module, found) : NULL;
  static const int sizes[] = {16, 64};
  for (size_t i = 0; group != NULL && i < 2; ++i) {
    int id = LookupIconIdFromDirectoryEx((PBYTE)LockResource(group), TRUE, sizes[i], sizes[i],
                                         LR_DEFAULTCOLOR);
    HRSRC image = id ? FindResourceW(module, MAKEINTRESOURCEW(id), (LPCWSTR)RT_ICON) : NULL;
    HGLOBAL bytes = image ? LoadResource(module, image) : NULL;
    HICON icon = bytes ? CreateIconFromResourceEx((PBYTE)LockResource(bytes),
                                                  SizeofResource(module, image), TRUE, 0x30000,
                                                  0, 0, LR_DEFAULTCOLOR)
                       : NULL;
    ICONINFO info;
    BITMAP bitmap;
    if (icon != NULL && GetIconInfo(icon, &info) &&
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap))
      printf("icon %d %d %ld\n", sizes[i], id, (long)bitmap.bmWidth);
    else
      printf("icon %d none\n", sizes[i]);
  }
  HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), (LPCWSTR)RT_MANIFEST);
  HGLOBAL loaded = manifest ? LoadResource(module, manifest) : NULL;
  if (loaded != NULL) {
    DWORD length = SizeofResource(module, manifest);
    char* text = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length + 1);
    memcpy(text, LockResource(loaded), length);
    const char* element = strstr(text, "<requestedExecutionLevel");
    const char* level = element ? strstr(element, " level=\"") : NULL;
    if (level != NULL)
      printf("manifest level %.*s\n", (int)strcspn(level + 8, "\""), level + 8);
    else
      printf("manifest level none\n");
  }
  FreeLibrary(module);
  return 0;
}
