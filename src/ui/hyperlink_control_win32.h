// A static text control of a dialog turned into a link: underlined text in
// the link colour, a hand cursor and a tooltip over the text, and the text
// opened through the shell on a click, Enter or Space.
#ifndef TARN_UI_HYPERLINK_CONTROL_WIN32_H
#define TARN_UI_HYPERLINK_CONTROL_WIN32_H

#include <windows.h>

#include <string>

namespace tarn {

struct HyperLinkControl {
  HyperLinkControl() = default;
  ~HyperLinkControl();
  HyperLinkControl(const HyperLinkControl&) = delete;
  HyperLinkControl& operator=(const HyperLinkControl&) = delete;

  // Subclasses the control and sets it up; false when its window procedure
  // cannot be replaced.
  bool attach(HWND control);

  HWND window = nullptr;
  WNDPROC previousProc = nullptr;
  std::string label;
  std::string target;
  RECT linkRect = {0, 0, 0, 0};
  HFONT linkFont = nullptr;
  HFONT normalFont = nullptr;
  HCURSOR handCursor = nullptr;
  HWND tooltip = nullptr;
  COLORREF linkColor = RGB(0, 0, 255);
  COLORREF visitedColor = RGB(128, 0, 128);
  bool painted = true;
  bool visited = false;

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void initialise();
  void makeLinkFont();
  void computeLinkRect();
  void readLinkColors();
  void paint(HDC dc);
  void open();
  bool inside(LPARAM point) const;
  UINT alignment() const;
  void release();
};

}  // namespace tarn

#endif
