// The window's outline: the magenta pixels of the border images cut away, so that rounded or
// irregular frames show what lies behind them and take no mouse input there.
#include "platform/win/Regions.h"
#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"

namespace qn {

namespace {

TRegionHandle RectRegion(int left, int top, int right, int bottom) {
  // An inverted rectangle (a window narrower than its frame) is no region, not its mirror.
  if (right < left) right = left;
  if (bottom < top) bottom = top;
  return MakeRectRgn(left, top, right, bottom);
}

}  // namespace

void TWinSkinForm::Cropwindow() {
  const RECT wr = HwndWindowRect(Hwnd);
  ShapeWindow(wr.right - wr.left, wr.bottom - wr.top, true);
}

void TWinSkinForm::ShapeWindow(int W, int H, bool redraw) {
  if (Skinstate == 6 || !sMainMenu || !skin_ || !skin_->Loaded || !IsWindow(Hwnd)) return;
  if (W <= 0 || H <= 0) return;
  if (IsMdiChild() && Windowstate != TSkinWindowState::swsNormal) return;
  // Rebuilt only for a new size, unless a skin change asks or the shape was taken away.
  if (crop && W == crwidth && H == crheight && !IsMdiChild() && Skinstate != 3) return;
  crop = false;
  crwidth = W;
  crheight = H;

  auto& b = skin_->border;
  auto cut = [&](int side) { return b[side]->trans == 1; };
  const bool any = cut(skin::kBorderLeft) || cut(skin::kBorderRight) || cut(skin::kBorderTop) || cut(skin::kBorderBottom);
  TRegionHandle region;
  if (!any) {
    region = MakeRectRgn(0, 0, W, H);
  } else {
    region = RectRegion(bw.left, bw.top, W - bw.right, H - bw.bottom);
    if (FormBorder != TSkinFormBorder::sbsNone && region) {
      // One border painted in the window's current frame and its opaque pixels taken.
      auto traced = [&](int index, int w, int h, int x, int y) -> TRegionHandle {
        TBitmap picture(w, h, TPixelFormat::pf32bit);
        if (picture.Empty()) return {};
        {
          auto lock = skin_->PaintLock();
          DrawBorder(index, RECT{0, 0, w, h}, picture.DC());
        }
        return BitmapToRegion(picture, x, y, kSkinTransparent, 1, 1, 1);
      };
      const int middle = W - bw.left - bw.right;
      TRegionHandle left, right, top, bottom;
      if (cut(skin::kBorderLeft) && H > 1 && bw.left > 0) left = traced(1, bw.left, H, 0, 0);
      if (!left) left = RectRegion(0, 0, bw.left, H);
      if (cut(skin::kBorderRight) && H > 1 && bw.right > 0) right = traced(2, bw.right, H, W - bw.right, 0);
      if (!right) right = RectRegion(W - bw.right, 0, W, H);
      if (cut(skin::kBorderBottom) && bw.bottom > 1 && middle > 0)
        bottom = traced(4, middle, bw.bottom, bw.left, H - bw.bottom);
      if (!bottom) bottom = RectRegion(bw.left, H - bw.bottom, W - bw.right, H);
      // The top border alone: the caption and its buttons do not shape the window.
      if (cut(skin::kBorderTop) && bw.top > 1 && middle > 0) top = traced(3, middle, bw.top, bw.left, 0);
      if (!top) top = RectRegion(bw.left, 0, W - bw.right, bw.top);
      if (left && right && top && bottom) {
        (void)CombineRegions(left.Get(), left.Get(), right.Get(), RGN_OR);
        (void)CombineRegions(top.Get(), top.Get(), bottom.Get(), RGN_OR);
        (void)CombineRegions(left.Get(), left.Get(), top.Get(), RGN_OR);
        (void)CombineRegions(region.Get(), region.Get(), left.Get(), RGN_OR);
      }
    }
  }
  // From here the region belongs to the window.
  if (region && SetWindowRegion(Hwnd, region, redraw)) crop = true;
}

void TWinSkinForm::Uncropwindow() {
  if (!crop) return;
  TRegionHandle none;
  (void)SetWindowRegion(Hwnd, none, IsMdiChild());
  crop = false;
}

}  // namespace qn
