#include "platform/win/PaintBuffer.h"

#include <algorithm>
#include <mutex>

#include "platform/win/GdiObjects.h"

namespace qn {

namespace {

struct Shared {
  TMemDCHandle dc;
  TBitmapHandle bmp;
  HGDIOBJ old = nullptr;
  int w = 0, h = 0;
  bool busy = false;

  ~Shared() {
    if (old) SelectObject(dc.Get(), old);
  }
  void Ensure(HDC like, int width, int height) {
    if (!dc) dc = MakeMemDC(like);
    if (width <= w && height <= h) return;
    w = std::max(w, width);
    h = std::max(h, height);
    if (old) SelectObject(dc.Get(), old);
    bmp = MakeCompatibleBitmap(like, w, h);
    old = SelectObject(dc.Get(), bmp.Get());
  }
};

Shared& Buffer() {
  static Shared shared;
  return shared;
}

// Windows of several GUI threads may paint at once: one of them gets the buffer, the others
// (like a paint inside a paint) draw straight to their targets.
std::mutex g_buffer_lock;

}  // namespace

TPaintBuffer::TPaintBuffer(HDC target, const RECT& area) : target_(target), area_(area) {
  Shared& s = Buffer();
  {
    std::lock_guard<std::mutex> guard(g_buffer_lock);
    nested_ = s.busy;
    s.busy = true;
  }
  if (nested_) {  // a paint inside a paint draws straight to its target
    dc_ = target;
    saved_ = 0;
    return;
  }
  s.Ensure(target, area.right - area.left, area.bottom - area.top);
  dc_ = s.dc.Get();
  saved_ = SaveDC(dc_);
  SetViewportOrgEx(dc_, -area.left, -area.top, nullptr);
  IntersectClipRect(dc_, area.left, area.top, area.right, area.bottom);
}

TPaintBuffer::~TPaintBuffer() {
  if (nested_) return;
  RestoreDC(dc_, saved_);
  std::lock_guard<std::mutex> guard(g_buffer_lock);
  Buffer().busy = false;
}

void TPaintBuffer::CopyOut() {
  if (nested_) return;
  POINT org;
  GetViewportOrgEx(dc_, &org);
  SetViewportOrgEx(dc_, 0, 0, nullptr);
  BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_, 0, 0, SRCCOPY);
  SetViewportOrgEx(dc_, org.x, org.y, nullptr);
}

}  // namespace qn
