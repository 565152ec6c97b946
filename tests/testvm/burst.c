/* Starts copies of a program at one instant, as a file manager does when it
   opens several selected files with it: copy k of count gets the k
   arguments <round>.k.1 to <round>.k.k. All are created suspended and let
   go together. Prints "k code" for each copy as it ends.
   Usage: burst <count> <round> <program> */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 4) return 101;
  int count = atoi(argv[1]);
  if (count < 1 || count > MAXIMUM_WAIT_OBJECTS) return 101;
  HANDLE processes[MAXIMUM_WAIT_OBJECTS];
  HANDLE threads[MAXIMUM_WAIT_OBJECTS];
  int copy[MAXIMUM_WAIT_OBJECTS];
  for (int k = 1; k <= count; ++k) {
    char line[8192];
    int used = snprintf(line, sizeof line, "\"%s\"", argv[3]);
    for (int i = 1; i <= k && used < (int)sizeof line; ++i)
      used += snprintf(line + used, sizeof line - used, " %s.%d.%d", argv[2], k, i);
    STARTUPINFOA startup = {0};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL, &startup,
                        &process))
      return 102;
    processes[k - 1] = process.hProcess;
    threads[k - 1] = process.hThread;
    copy[k - 1] = k;
  }
  for (int k = 0; k < count; ++k) ResumeThread(threads[k]);
  for (int running = count; running > 0; --running) {
    DWORD ended = WaitForMultipleObjects((DWORD)running, processes, FALSE, INFINITE);
    if (ended >= WAIT_OBJECT_0 + (DWORD)running) return 103;
    ended -= WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(processes[ended], &code);
    printf("%d %d\n", copy[ended], (int)code);
    fflush(stdout);
    processes[ended] = processes[running - 1];
    copy[ended] = copy[running - 1];
  }
  return 0;
}
