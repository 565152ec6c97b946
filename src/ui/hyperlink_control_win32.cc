#include "ui/hyperlink_control_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "ui/link_colors.h"

namespace tarn {

namespace {

const char kBindingProperty[] = "TarnHyperLink";

LRESULT CALLBACK linkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* link = static_cast<HyperLinkControl*>(GetPropA(window, kBindingProperty));
  if (!link) return DefWindowProcA(window, message, wParam, lParam);
  return link->handle(message, wParam, lParam);
}

bool staticDrawsOtherThanText(LONG_PTR style) {
  LONG_PTR type = style & SS_TYPEMASK;
  return (type >= SS_ICON && type <= SS_WHITEFRAME) || (type >= SS_OWNERDRAW && type <= SS_ENHMETAFILE);
}

// A registry colour text: a string of at most 11 characters.
bool readColorValue(HKEY key, const char* name, LinkColor* color) {
  char buffer[12];
  DWORD type = 0;
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (size == 0 || buffer[size - 1] != '\0') return false;
  return parseLinkColor(std::string(buffer), color);
}

}  // namespace

HyperLinkControl::~HyperLinkControl() {
  if (window) {
    if (tooltip) DestroyWindow(tooltip);
    release();
  }
  if (linkFont) DeleteObject(linkFont);
}

bool HyperLinkControl::attach(HWND control) {
  window = control;
  SetPropA(control, kBindingProperty, this);
  previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc)));
  if (!previousProc) {
    RemovePropA(control, kBindingProperty);
    window = nullptr;
    return false;
  }
  initialise();
  return true;
}

void HyperLinkControl::initialise() {
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpiA(className, "static") == 0) {
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    SetWindowLongPtrA(window, GWL_STYLE, style | SS_NOTIFY);
    if (staticDrawsOtherThanText(style)) painted = false;
  }
  // The system's own hand: the shared cursor is neither copied nor freed.
  handCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
  if (painted) {
    normalFont = reinterpret_cast<HFONT>(SendMessageA(GetParent(window), WM_GETFONT, 0, 0));
    if (!normalFont) normalFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    makeLinkFont();
  }
  tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, nullptr, nullptr);
  int length = GetWindowTextLengthA(window);
  if (length > 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
    label = text;
  }
  target = label;
  computeLinkRect();
  if (tooltip) {
    SendMessageA(tooltip, TTM_ACTIVATE, TRUE, 0);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = 0;
    tool.rect = linkRect;
    tool.lpszText = const_cast<char*>(target.c_str());
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  if (painted) readLinkColors();
}

void HyperLinkControl::makeLinkFont() {
  LOGFONTA description;
  if (GetObjectA(normalFont, sizeof description, &description) != sizeof description) return;
  description.lfUnderline = TRUE;
  HFONT font = CreateFontIndirectA(&description);
  if (!font) return;
  if (linkFont) DeleteObject(linkFont);
  linkFont = font;
}

UINT HyperLinkControl::alignment() const {
  LONG_PTR type = GetWindowLongPtrA(window, GWL_STYLE) & SS_TYPEMASK;
  if (type == SS_CENTER) return DT_CENTER;
  if (type == SS_RIGHT) return DT_RIGHT;
  return DT_LEFT;
}

void HyperLinkControl::computeLinkRect() {
  RECT client;
  GetClientRect(window, &client);
  RECT box = client;
  HDC dc = GetDC(window);
  if (dc) {
    HGDIOBJ old = SelectObject(dc, linkFont ? linkFont : normalFont);
    DrawTextA(dc, label.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | alignment());
    SelectObject(dc, old);
    ReleaseDC(window, dc);
  }
  LONG spare = (client.right - client.left) - (box.right - box.left);
  UINT align = alignment();
  if (align == DT_CENTER) OffsetRect(&box, spare / 2, 0);
  if (align == DT_RIGHT) OffsetRect(&box, spare, 0);
  linkRect = box;
  if (tooltip) {
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = 0;
    tool.rect = linkRect;
    SendMessageA(tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void HyperLinkControl::readLinkColors() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Settings", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return;
  LinkColor color;
  if (readColorValue(key, "Anchor Color", &color))
    linkColor = RGB(color.red, color.green, color.blue);
  if (readColorValue(key, "Anchor Color Visited", &color))
    visitedColor = RGB(color.red, color.green, color.blue);
  RegCloseKey(key);
}

void HyperLinkControl::paint(HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  HWND parent = GetParent(window);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(window)));
  if (brush) FillRect(dc, &client, brush);
  SetBkMode(dc, TRANSPARENT);
  COLORREF color = !IsWindowEnabled(window) ? GetSysColor(COLOR_GRAYTEXT)
                   : visited                ? visitedColor
                                            : linkColor;
  SetTextColor(dc, color);
  HGDIOBJ old = SelectObject(dc, linkFont ? linkFont : normalFont);
  // Drawn to the control's right edge: a measured box may come out a little
  // narrower than the text it measured, which would cut the text's end.
  RECT box = linkRect;
  if (box.right < client.right) box.right = client.right;
  DrawTextA(dc, label.c_str(), -1, &box, DT_WORDBREAK | DT_NOPREFIX | alignment());
  SelectObject(dc, old);
  if (GetFocus() == window) DrawFocusRect(dc, &linkRect);
}

bool HyperLinkControl::inside(LPARAM point) const {
  POINT p = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  return PtInRect(&linkRect, p) != 0;
}

void HyperLinkControl::open() {
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) return;
  visited = true;
  InvalidateRect(window, nullptr, FALSE);
}

void HyperLinkControl::release() {
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == linkProc)
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
  RemovePropA(window, kBindingProperty);
  window = nullptr;
}

LRESULT HyperLinkControl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND self = window;
  WNDPROC previous = previousProc;
  if (message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL && tooltip) {
    MSG relayed = {self, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {0, 0}};
    SendMessageA(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (message) {
    case WM_MOUSEMOVE:
      if (inside(lParam)) {
        SetCursor(handCursor);
        return 0;
      }
      break;
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(self, &p);
      if (PtInRect(&linkRect, p)) {
        SetCursor(handCursor);
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
      if (inside(lParam)) {
        SetFocus(self);
        SetCapture(self);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (GetCapture() == self) {
        ReleaseCapture();
        if (inside(lParam)) open();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == 13 || wParam == 32) {
        open();
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (painted) InvalidateRect(self, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(self, nullptr, FALSE);
      UpdateWindow(self);
      return 0;
    case WM_ERASEBKGND:
      if (painted) return TRUE;
      break;
    case WM_PAINT:
      if (painted) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(self, &ps);
        paint(dc);
        EndPaint(self, &ps);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (painted) {
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
      }
      break;
    case WM_SIZE:
      computeLinkRect();
      InvalidateRect(self, nullptr, FALSE);
      break;
    case WM_SETFONT:
      normalFont = reinterpret_cast<HFONT>(wParam);
      if (painted) {
        makeLinkFont();
        computeLinkRect();
      }
      if (LOWORD(lParam)) InvalidateRect(self, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(normalFont);
    case WM_UPDATEUISTATE:
      return 0;
    case WM_DESTROY:
      if (tooltip) {
        DestroyWindow(tooltip);
        tooltip = nullptr;
      }
      break;
    case WM_NCDESTROY:
      release();
      return CallWindowProcA(previous, self, message, wParam, lParam);
  }
  return CallWindowProcA(previous, self, message, wParam, lParam);
}

}  // namespace tarn
