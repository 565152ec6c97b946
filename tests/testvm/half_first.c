/* Plays a first instance that ends while it sets up: creates the block of
   the executable given, named from its path as the launcher names it, says
   so with the file <state>\holding, and once <state>\go exists publishes
   its process id (and nothing else) and soon ends with exit code 7.
   Usage: half_first <executable path> <state folder> */
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 3) return 101;
  char name[MAX_PATH];
  lstrcpynA(name, argv[1], sizeof name);
  for (char* c = name; *c; ++c)
    if (*c == '\\') *c = '_';
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, 1052, name);
  if (!mapping || GetLastError() != 0) return 102;
  unsigned char* view = (unsigned char*)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (!view) return 103;
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\holding", argv[2]);
  CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
  snprintf(path, sizeof path, "%s\\go", argv[2]);
  while (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) Sleep(20);
  DWORD id = GetCurrentProcessId();
  for (int i = 0; i < 4; ++i) view[4 + i] = (unsigned char)(id >> (8 * i));
  Sleep(1000);
  return 7;
}
