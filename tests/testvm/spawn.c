/* Starts the command line in SPAWN_COMMAND_LINE exactly as written, waits
   for it and ends with its exit code: the launcher's own splitting of the
   command line can then be tested with any text. */
#include <windows.h>

int main(void) {
  static char line[32768];
  if (!GetEnvironmentVariableA("SPAWN_COMMAND_LINE", line, sizeof line)) return 101;
  STARTUPINFOA startup = {0};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process))
    return 102;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 103;
  GetExitCodeProcess(process.hProcess, &code);
  return (int)code;
}
