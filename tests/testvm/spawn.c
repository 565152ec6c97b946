/* Starts the command line in SPAWN_COMMAND_LINE exactly as written, waits
   for it and ends with its exit code: the launcher's own splitting of the
   command line can then be tested with any text. The variables named in
   SPAWN_UNSET (separated by ",") are removed from the child's environment,
   also those that Wine always sets, such as APPDATA. */
#include <string.h>
#include <windows.h>

int main(void) {
  static char line[32768];
  static char unset[1024];
  if (!GetEnvironmentVariableA("SPAWN_COMMAND_LINE", line, sizeof line)) return 101;
  if (GetEnvironmentVariableA("SPAWN_UNSET", unset, sizeof unset))
    for (char* name = strtok(unset, ","); name; name = strtok(NULL, ","))
      SetEnvironmentVariableA(name, NULL);
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
