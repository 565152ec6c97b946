/* Reads another process's dialog for the dialog tests: waits for a top-level
   window with the given caption and prints one line per child control,
   "id|class|enabled|left,top,right,bottom|text" (screen coordinates), after
   a first line "window|left,top,right,bottom|caption". With a folder as
   the second argument, the window is the shell's folder browser and that
   folder gets selected in it, as a user would by clicking through the tree.
   With "--click ID" as the second and third arguments, the window's button
   ID is pressed instead.
   Exit code 1 when the window does not appear within 20 seconds. */
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static BOOL CALLBACK print_child(HWND child, LPARAM unused) {
  char cls[64] = "", text[512] = "";
  RECT r;
  (void)unused;
  GetClassNameA(child, cls, sizeof cls);
  SendMessageA(child, WM_GETTEXT, sizeof text, (LPARAM)text);
  GetWindowRect(child, &r);
  printf("%d|%s|%d|%ld,%ld,%ld,%ld|%s\n", GetDlgCtrlID(child), cls, IsWindowEnabled(child) ? 1 : 0,
         r.left, r.top, r.right, r.bottom, text);
  return TRUE;
}

int main(int argc, char** argv) {
  HWND window = NULL;
  RECT r;
  char caption[256] = "";
  int i;
  if (argc < 2) return 2;
  for (i = 0; i < 200 && !window; ++i) {
    window = FindWindowA(NULL, argv[1]);
    if (!window) Sleep(100);
  }
  if (!window) return 1;
  if (argc > 3 && strcmp(argv[2], "--click") == 0) {
    /* Presses a button of the window, as a click on it would. */
    Sleep(300);
    PostMessageA(GetDlgItem(window, atoi(argv[3])), BM_CLICK, 0, 0);
    return 0;
  }
  if (argc > 2) {
    /* Selects the drive through the browser's own message (its text in the
       browser's memory), then walks down as a user does on the keyboard:
       Right opens the selected folder, typing a name selects it. */
    DWORD pid = 0;
    HANDLE process;
    char* remote;
    const char* path = argv[2];
    HWND tree = FindWindowExA(window, NULL, "SysTreeView32", NULL);
    const char* name;
    char drive[4] = {path[0], ':', '\\', '\0'};
    if (!tree || strlen(path) < 3) return 2;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 3;
    remote = VirtualAllocEx(process, NULL, sizeof drive, MEM_COMMIT, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(process, remote, drive, sizeof drive, NULL)) return 3;
    Sleep(300);
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, (LPARAM)remote);
    CloseHandle(process);
    for (name = path + 3; *name; ) {
      LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
      if (item && !(SendMessageA(tree, TVM_GETITEMSTATE, item, TVIS_EXPANDED) & TVIS_EXPANDED))
        SendMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);
      Sleep(200);
      for (; *name && *name != '\\'; ++name) SendMessageA(tree, WM_CHAR, (unsigned char)*name, 0);
      if (*name) ++name;
      Sleep(1200); /* the tree forgets typed letters after a pause */
      if (getenv("PROBE_TRACE")) {
        char t[260] = "";
        SendMessageA(GetDlgItem(window, 14149), WM_GETTEXT, sizeof t, (LPARAM)t);
        fprintf(stderr, "-> %s\n", t);
      }
    }
  }
  Sleep(300); /* let the dialog finish its initialisation */
  GetWindowRect(window, &r);
  GetWindowTextA(window, caption, sizeof caption);
  printf("window|%ld,%ld,%ld,%ld|%s\n", r.left, r.top, r.right, r.bottom, caption);
  EnumChildWindows(window, print_child, 0);
  fflush(stdout);
  return 0;
}
