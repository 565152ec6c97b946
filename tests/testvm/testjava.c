/* A stand-in for a runtime's java.exe, for the start-up cache's assembling
   run under Wine: it records its arguments and whether it holds the handle
   that the test VM (bin\server\jvm.dll beside it) left open on its own file
   in the launcher (TESTVM_HELD), and writes the cache -XX:SharedArchiveFile
   names. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int inherited(void) {
  char value[32], path[MAX_PATH];
  BY_HANDLE_FILE_INFORMATION held, file;
  char* slash = GetModuleFileNameA(NULL, path, MAX_PATH - 16) ? strrchr(path, '\\') : NULL;
  if (!slash || !GetEnvironmentVariableA("TESTVM_HELD", value, sizeof value)) return 0;
  strcpy(slash + 1, "server\\jvm.dll");
  HANDLE opened = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              0, NULL);
  int same = GetFileInformationByHandle((HANDLE)(UINT_PTR)strtoull(value, NULL, 16), &held) &&
             GetFileInformationByHandle(opened, &file) &&
             held.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
             held.nFileIndexHigh == file.nFileIndexHigh && held.nFileIndexLow == file.nFileIndexLow;
  CloseHandle(opened);
  return same;
}

int main(int argc, char** argv) {
  char path[MAX_PATH];
  FILE* record =
      GetEnvironmentVariableA("TESTVM_RECORD", path, sizeof path) ? fopen(path, "ab") : NULL;
  if (!record) return 1;
  fprintf(record, "java inherited %s\n", inherited() ? "yes" : "no");
  for (int i = 1; i < argc; ++i) {
    fprintf(record, "java %s\n", argv[i]);
    FILE* cache = strncmp(argv[i], "-XX:SharedArchiveFile=", 22) ? NULL : fopen(argv[i] + 22, "wb");
    if (cache && fputs("cache\n", cache) >= 0) fclose(cache);
  }
  fclose(record);
  return 0;
}
