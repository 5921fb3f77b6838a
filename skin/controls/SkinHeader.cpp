#include "skin/controls/SkinHeader.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win/GdiObjects.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

const TClassInfo& TSkinHeaderCtrl::StaticClass() {
  static const TClassInfo info = MakeClass<TSkinHeaderCtrl, TSkinControl>("TSkinHeader");
  return info;
}

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

constexpr int kHoverInset = 3;      // a point this close to a divider leaves the hot item alone
constexpr int kMaxCaption = 200;    // characters of an item's caption read

}  // namespace

void TSkinHeaderCtrl::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  TSkinControl::Init(sf, sd, acanvas, acolor);
  indexitem = -1;
}

void TSkinHeaderCtrl::Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  TSkinControl::Inithwnd(ahwnd, sd, acanvas, sf);
  indexitem = -1;
}

bool TSkinHeaderCtrl::HasImage() const {
  auto skin = Skin();
  return skin && skin->Header && !skin->Header->Map.Empty();
}

bool TSkinHeaderCtrl::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      // Without an image to paint with, the header keeps its own look.
      if (!HasImage()) return TSkinControl::BeforeProc(msg);
      WMPaint(msg);
      return false;
    case WM_ERASEBKGND:
      if (!HasImage()) return TSkinControl::BeforeProc(msg);
      msg.Result = 1;
      return false;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TSkinHeaderCtrl::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_MOUSEMOVE:
      Hover(POINT{GET_X_LPARAM(msg.LParam), GET_Y_LPARAM(msg.LParam)});
      return;
    case WM_MOUSELEAVE:
      indexitem = -1;
      Redraw();
      return;
    case WM_PAINT:
      // Painted by WMPaint already, or plain.
      return;
    default:
      TSkinControl::AfterProc(msg);
  }
}

void TSkinHeaderCtrl::Hover(POINT p) {
  for (size_t i = 0; i < Items.size(); ++i) {
    if (PtInRect(&Items[i], p) && static_cast<int>(i) != indexitem) {
      indexitem = static_cast<int>(i);
      Redraw();
    }
  }
  if (hwnd) TrackMouseLeave(hwnd);
}

void TSkinHeaderCtrl::DrawControl(HDC dc, const RECT& rc) {
  auto skin = Skin();
  if (!skin || !skin->Header || skin->Header->Map.Empty() || !hwnd) return;
  TDataSkinObject& header = *skin->Header;
  auto lock = skin->PaintLock();
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  TScopedSelect select(dc, font);
  const int mode = SetBkMode(dc, TRANSPARENT);
  enabled = true;
  auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd, HDM_GETIMAGELIST, 0, 0));
  const int n = std::max(0, static_cast<int>(SendMessageW(hwnd, HDM_GETITEMCOUNT, 0, 0)));
  Items.assign(static_cast<size_t>(n), RECT{});
  int m = 0;
  for (int i = 0; i < n; ++i) {
    RECT r{};
    if (!SendMessageW(hwnd, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
    DrawItem(dc, i, r, images);
    Items[static_cast<size_t>(i)] = RECT{r.left + kHoverInset, r.top, r.right - kHoverInset, r.bottom};
    m = std::max(m, static_cast<int>(r.right));
  }
  if (m < rc.right) {
    const RECT rest{m, rc.top, rc.right, rc.bottom};
    TSkinBitmap picture = MakeSkinBitmap(rest, header.Map, MarginRect(header.r), 1, header.frame, header.Tile != 0,
                                         false);
    if (picture && !picture->Empty())
      BitBlt(dc, rest.left, rest.top, Width(rest), Height(rest), picture->DC(), 0, 0, SRCCOPY);
  }
  SetBkMode(dc, mode);
}

void TSkinHeaderCtrl::DrawItem(HDC dc, int i, const RECT& r, HIMAGELIST images) {
  auto skin = Skin();
  TDataSkinObject& header = *skin->Header;
  wchar_t text[kMaxCaption + 1] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
  item.pszText = text;
  item.cchTextMax = kMaxCaption + 1;
  if (!SendMessageW(hwnd, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) text[0] = 0;
  // The item may hand back its own buffer instead of filling ours.
  const std::wstring caption = WideLeft(item.pszText ? item.pszText : text, -1).substr(0, kMaxCaption);
  TSkinBitmap cell = MakeSkinBitmap(r, header.Map, MarginRect(header.r), i == indexitem ? 2 : 1, header.frame,
                                    header.Tile != 0, false);
  if (!cell || cell->Empty()) return;
  const RECT c{0, 0, Width(r), Height(r)};
  if (!caption.empty()) {
    const int format = item.fmt & 0xFF;
    const int justify = format & HDF_JUSTIFYMASK;
    const int alignment = justify == HDF_RIGHT ? 2 : justify == HDF_CENTER ? 1 : 0;
    const int index = (item.fmt & (HDF_IMAGE | HDF_OWNERDRAW)) ? item.iImage : -1;
    HDC cdc = cell->DC();
    TScopedSelect font(cdc, GetCurrentObject(dc, OBJ_FONT));
    DrawCaption(cdc, c, alignment, caption, index, images);
  }
  BitBlt(dc, r.left, r.top, Width(r), Height(r), cell->DC(), 0, 0, SRCCOPY);
}

void TSkinHeaderCtrl::DrawCaption(HDC dc, const RECT& c, int alignment, const std::wstring& text, int index,
                              HIMAGELIST images) {
  int cx = 0, cy = 0;
  if (images) ImageList_GetIconSize(images, &cx, &cy);
  const bool picture = index != -1 && images && cx < Width(c);
  if (!picture) cx = 0;
  const UINT flags = DT_END_ELLIPSIS | DT_EXPANDTABS;
  RECT t = c;
  if (picture) t.right += cx + 2;
  if (!text.empty()) SkinDrawText(dc, text, t, flags | DT_CALCRECT | DT_NOCLIP);
  else t.right = t.left;
  const int tw = Width(t), th = Height(t);
  int a = 3;
  if (alignment == 1) a = (Width(c) - cx - tw) / 2;
  else if (alignment == 2) a = Width(c) - cx - tw - 2;
  if (a < 2) a = 1;
  if (picture) ImageList_Draw(images, index, dc, c.left + a, c.top + (Height(c) - cy) / 2, ILD_TRANSPARENT);
  if (text.empty()) return;
  OffsetRect(&t, a + cx, (Height(c) - th) / 2);
  const int mode = SetBkMode(dc, TRANSPARENT);
  auto skin = Skin();
  TColor colour = clWindowText;
  if (skin && skin->hasColors[skin::kcWindowText]) colour = skin->Colors[skin::kcWindowText];
  if (!enabled) colour = clGrayText;
  const COLORREF old = SetTextColor(dc, ColorToRGB(colour));
  t.left = std::clamp(t.left, c.left, c.right);
  t.right = std::clamp(t.right, c.left, c.right);
  SkinDrawText(dc, text, t, CheckBiDi(flags));
  SetTextColor(dc, old);
  SetBkMode(dc, mode);
}

}  // namespace qn
