/* Starts the command line in SPAWN_COMMAND_LINE exactly as written, waits
   for it and ends with its exit code: the launcher's own splitting of the
   command line can then be tested with any text, in UTF-16, so characters
   outside the ANSI code page reach it too. The variables named in
   SPAWN_UNSET (separated by ",") are removed from the child's environment,
   also those that Wine always sets, such as APPDATA. */
#include <windows.h>
#include <wchar.h>

int main(void) {
  static wchar_t line[32768];
  static wchar_t unset[1024];
  if (!GetEnvironmentVariableW(L"SPAWN_COMMAND_LINE", line, 32768)) return 101;
  if (GetEnvironmentVariableW(L"SPAWN_UNSET", unset, 1024)) {
    for (wchar_t* name = unset; *name;) {
      wchar_t* comma = wcschr(name, L',');
      if (comma) *comma = 0;
      if (*name) SetEnvironmentVariableW(name, NULL);
      if (!comma) break;
      name = comma + 1;
    }
  }
  STARTUPINFOW startup = {0};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process))
    return 102;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 103;
  GetExitCodeProcess(process.hProcess, &code);
  return (int)code;
}
