#include "ui/jre_not_found_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cwchar>

#include "os/code_page_win32.h"
#include "report/messages.h"
#include "ui/dpi_awareness.h"
#include "ui/hyperlink_control_win32.h"

namespace tarn {

namespace {

const int kTemplate = 201;
const int kFolderEdit = 201;
const int kBrowseButton = 202;
const int kMessageText = 203;
const int kErrorIcon = 204;
const int kLinkText = 205;
const int kFoundText = 207;

const char kBindingProperty[] = "TarnJreNotFoundDialog";

// Over a visible, not minimised owner, else over the work area; then kept
// inside the work area.
void centre(HWND dialog) {
  RECT box;
  GetWindowRect(dialog, &box);
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT over = area;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &over);
  LONG width = box.right - box.left;
  LONG height = box.bottom - box.top;
  LONG left = over.left + ((over.right - over.left) - width) / 2;
  LONG top = over.top + ((over.bottom - over.top) - height) / 2;
  if (left < area.left)
    left = area.left;
  else if (left + width > area.right)
    left = area.right - width;
  if (top < area.top)
    top = area.top;
  else if (top + height > area.bottom)
    top = area.bottom - height;
  SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The height the static control needs for its text at its width, drawn as
// a left-aligned static draws it.
LONG neededHeight(HWND control) {
  RECT box;
  GetClientRect(control, &box);
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return box.bottom - box.top;
}

struct Grow {
  HWND dialog;
  HWND grown;
  LONG from;  // controls at or below this line move, those across it grow
  LONG by;
};

BOOL CALLBACK growChild(HWND child, LPARAM context) {
  const Grow& grow = *reinterpret_cast<const Grow*>(context);
  if (child == grow.grown) return TRUE;
  RECT box;
  GetWindowRect(child, &box);
  MapWindowPoints(nullptr, grow.dialog, reinterpret_cast<POINT*>(&box), 2);
  if (box.top >= grow.from)
    SetWindowPos(child, nullptr, box.left, box.top + grow.by, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  else if (box.bottom >= grow.from)
    SetWindowPos(child, nullptr, 0, 0, box.right - box.left, box.bottom - box.top + grow.by,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

// Makes the text control as tall as its text: what lies below it moves
// down, what surrounds it (the group box, the dialog) grows with it. In
// pixels of the dialog's own font, so at any scaling.
void fitText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  RECT box;
  GetWindowRect(control, &box);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
  Grow grow{dialog, control, box.bottom, neededHeight(control) - (box.bottom - box.top)};
  if (grow.by <= 0) return;
  SetWindowPos(control, nullptr, 0, 0, box.right - box.left, box.bottom - box.top + grow.by,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EnumChildWindows(dialog, growChild, reinterpret_cast<LPARAM>(&grow));
  RECT window;
  GetWindowRect(dialog, &window);
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
               window.bottom - window.top + grow.by, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

struct DialogWindow {
  static INT_PTR CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = static_cast<JreNotFoundDialog*>(GetPropA(window, kBindingProperty));
    if (!dialog && message == WM_INITDIALOG) {
      dialog = reinterpret_cast<JreNotFoundDialog*>(lParam);
      SetPropA(window, kBindingProperty, dialog);
    }
    if (!dialog) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        initialise(*dialog, window);
        return FALSE;
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case IDOK:
            // Enter reaches here even while OK is disabled.
            if (!dialog->jvmPath.empty()) EndDialog(window, 1);
            return TRUE;
          case IDCANCEL:
            EndDialog(window, 2);
            return TRUE;
          case kBrowseButton:
            browse(*dialog, window);
            return TRUE;
        }
        return FALSE;
      case WM_NCDESTROY:
        RemovePropA(window, kBindingProperty);
        return FALSE;
    }
    return FALSE;
  }

  static void initialise(JreNotFoundDialog& dialog, HWND window) {
    // The link takes its control's text as its address.
    SetDlgItemTextA(window, kLinkText, dialog.notice.downloadPage.c_str());
    dialog.link = std::make_unique<HyperLinkControl>();
    dialog.link->attach(GetDlgItem(window, kLinkText));
    SetDlgItemTextA(window, kMessageText, dialog.notice.message.c_str());
    SetDlgItemTextA(window, kFoundText, dialog.notice.found.c_str());
    for (int id : {kMessageText, kLinkText, kFoundText}) fitText(window, id);
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_ERROR));
    SendDlgItemMessageA(window, kErrorIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    EnableWindow(GetDlgItem(window, IDOK), FALSE);
    centre(window);
  }

  static void browse(JreNotFoundDialog& dialog, HWND window) {
    std::string title = loadMessage(IDS_BROWSE_TITLE);
    BROWSEINFOA info = {};
    info.hwndOwner = window;
    info.pidlRoot = nullptr;
    info.pszDisplayName = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item) return;
    // MAX_PATH characters, which in UTF-8 may take more than MAX_PATH bytes.
    wchar_t wide[MAX_PATH] = L"";
    BOOL ok = SHGetPathFromIDListW(item, wide);
    CoTaskMemFree(item);
    if (!ok) return;
    const std::string path = launcherText(wide, wcslen(wide));
    SetDlgItemTextA(window, kFolderEdit, path.c_str());
    EnableWindow(GetDlgItem(window, IDOK), dialog.pickFolder(path) ? TRUE : FALSE);
  }
};

}  // namespace

JreNotFoundDialog::JreNotFoundDialog(Machine& machine, RuntimeNotFound notice, JvmType jvmType)
    : machine(machine), notice(std::move(notice)), jvmType(jvmType) {}

JreNotFoundDialog::~JreNotFoundDialog() = default;

int JreNotFoundDialog::show(void* owner) {
  // A window station nobody sees (a service's) would keep the dialog
  // waiting forever.
  if (!onVisibleWindowStation()) {
    printRuntimeNotFound(notice);
    return 2;
  }
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
  // The folder browser's new style needs COM on this thread.
  HRESULT com = OleInitialize(nullptr);
  // Sharp at any DPI, without deciding the process's own awareness, which
  // waits for the runtime (see dpi_awareness.h).
  void* dpi = enterPerMonitorDpiScope();
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kTemplate),
                                   static_cast<HWND>(owner), DialogWindow::proc,
                                   reinterpret_cast<LPARAM>(this));
  leaveDpiScope(dpi);
  link.reset();
  if (SUCCEEDED(com)) OleUninitialize();
  // Without a desktop to show it on (no window station, a service), the
  // message still reaches the console instead of nothing at all.
  if (result == -1 || result == 0) printRuntimeNotFound(notice);
  return result == 1 ? 1 : 2;
}

void* activeWindow() { return GetActiveWindow(); }

}  // namespace tarn
