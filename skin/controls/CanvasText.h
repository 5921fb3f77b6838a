// The canvas's font and colour on its DC with a transparent background, for one scope: what
// the control skinners draw captions with.
#pragma once

#include <windows.h>

#include "platform/win/GdiObjects.h"
#include "platform/win/Graphics.h"

namespace qn {

class TCanvasText {
 public:
  explicit TCanvasText(TCanvas& canvas)
      : dc_(canvas.Handle()),
        font_(dc_, canvas.Font().Handle()),
        mode_(SetBkMode(dc_, TRANSPARENT)),
        color_(SetTextColor(dc_, ColorToRGB(canvas.Font().Color()))) {}
  TCanvasText(const TCanvasText&) = delete;
  TCanvasText& operator=(const TCanvasText&) = delete;
  ~TCanvasText() {
    SetTextColor(dc_, color_);
    SetBkMode(dc_, mode_);
  }

 private:
  HDC dc_;
  TScopedSelect font_;
  int mode_;
  COLORREF color_;
};

}  // namespace qn
