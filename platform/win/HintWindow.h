// A small pop-up window showing a line or two of help text beside the mouse.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/Graphics.h"

namespace qn {

class THintWindow {
 public:
  THintWindow();
  THintWindow(const THintWindow&) = delete;
  THintWindow& operator=(const THintWindow&) = delete;
  ~THintWindow();

  // The size the text needs, wrapped at max_width, as a rectangle at (0, 0).
  RECT CalcHintRect(int max_width, const std::wstring& text);
  // Shows the text in rect (screen coordinates) without taking the focus.
  void ActivateHint(const RECT& rect, const std::wstring& text);
  // Hides the window; it is made again on the next ActivateHint.
  void ReleaseHandle();
  HWND Handle() const { return wnd_; }
  bool Showing() const { return wnd_ && IsWindowVisible(wnd_); }

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  void Paint();
  HWND wnd_ = nullptr;
  std::wstring text_;
  TFont font_;
};

}  // namespace qn
