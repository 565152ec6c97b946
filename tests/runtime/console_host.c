/* Runs a program from a console of its own, as a command prompt runs a
   window program, and writes what the console then shows to OUTPUT: its
   lines up to the cursor, in UTF-8, trailing blanks cut. --stdout FILE
   redirects the program's standard output as "> FILE" would.
   console_host OUTPUT [--stdout FILE] PROGRAM [ARGUMENTS...]
   Exit code: the program's, or 124 when it did not end within 60 seconds. */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
  static wchar_t command[8192];
  size_t used = 0;
  int first = 2, i;
  HANDLE file = INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  STARTUPINFOW start;
  PROCESS_INFORMATION process;
  DWORD status = 124;
  if (argc > 3 && wcscmp(argv[2], L"--stdout") == 0) {
    file = CreateFileW(argv[3], GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    first = 4;
  }
  if (argc <= first) return 2;
  for (i = first; i < argc; ++i)
    used += swprintf(command + used, 8192 - used, L"%ls\"%ls\"", i > first ? L" " : L"", argv[i]);
  FreeConsole();
  if (!AllocConsole()) return 3;
  ZeroMemory(&start, sizeof start);
  start.cb = sizeof start;
  start.dwFlags = file != INVALID_HANDLE_VALUE ? STARTF_USESTDHANDLES : 0;
  start.hStdOutput = file;
  /* Detached: Windows gives a window program neither the prompt's console
     nor, unless redirected, its handles; Wine would hand it both. */
  if (!CreateProcessW(NULL, command, NULL, NULL, file != INVALID_HANDLE_VALUE, DETACHED_PROCESS,
                      NULL, NULL, &start, &process))
    return 4;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &status);
  HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
  CONSOLE_SCREEN_BUFFER_INFO info;
  FILE* out = _wfopen(argv[1], L"wb");
  if (!out || !GetConsoleScreenBufferInfo(screen, &info)) return 5;
  for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
    wchar_t line[1024];
    char bytes[4096];
    DWORD read = 0;
    COORD at = {0, y};
    ReadConsoleOutputCharacterW(screen, line, info.dwSize.X < 1024 ? info.dwSize.X : 1024, at, &read);
    while (read > 0 && line[read - 1] == L' ') --read;
    fwrite(bytes, WideCharToMultiByte(CP_UTF8, 0, line, (int)read, bytes, sizeof bytes, NULL, NULL), 1, out);
    fputc('\n', out);
  }
  fclose(out);
  return (int)status;
}
