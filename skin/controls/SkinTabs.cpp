#include "skin/controls/SkinTabs.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/core/TextConv.h"
#include "platform/win/ComCtrls.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Tabs.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinRanges.h"
#include "skin/data/ImgUtil.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinTab, TSkinControl)
QN_CLASS_IMPL(TSkinTabBtn, TSkinControl)
QN_CLASS_IMPL(TSkinTabSheet, TSkinControl)
QN_CLASS_IMPL(TSkinTab31, TSkinControl)
QN_CLASS_IMPL(TSkinAdvPage, TSkinControl)

namespace {

constexpr int kCloseTag = 7777;       // a page control with this Tag shows close marks
constexpr int kItemTextMax = 80;      // characters of a tab's caption read
constexpr RECT kPaneMargins{4, 5, 4, 4};  // of the pane's own border image (tab style 0)
constexpr int kAdvPictureKind = 4;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool HasImage(const TDataSkinObject* object) { return object && !object->Map.Empty(); }

// The tab window's font on a canvas (the captions are drawn through the canvas's font).
void TakeWindowFont(HWND wnd, TFont& font) {
  auto handle = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  if (!handle) handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW lf{};
  if (!handle || GetObjectW(handle, sizeof lf, &lf) != sizeof lf) return;
  font.SetName(lf.lfFaceName);
  font.SetHeight(lf.lfHeight);
  font.SetCharset(lf.lfCharSet);
}

struct TTabItem {
  std::wstring text;
  int image = -1;
};

// Tab i's caption and picture; false when the control has no such tab.
bool ReadItem(HWND wnd, int i, bool unicode, TTabItem& out) {
  wchar_t buffer[kItemTextMax + 1] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
  item.dwStateMask = TCIS_BUTTONPRESSED | TCIS_HIGHLIGHTED;
  item.pszText = buffer;
  item.cchTextMax = kItemTextMax;
  if (!SendMessageW(wnd, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) return false;
  // The control may answer with a pointer to its own copy.
  const wchar_t* text = item.pszText ? item.pszText : buffer;
  out.text.assign(text, wcsnlen(text, kItemTextMax));
  out.image = item.iImage;
  // A window of the ANSI side shows only what its code page holds.
  if (!unicode) out.text = AnsiToWideText(WideToAnsi(out.text));
  return true;
}

// The pane: the display area grown to the border around it, one pixel off the tab row.
RECT PaneRect(HWND wnd, const RECT& rc, TSkinTabPosition side) {
  RECT p = rc;
  SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&p));
  InflateRect(&p, 4, 4);
  switch (side) {
    case TSkinTabPosition::StTop: ++p.top; break;
    case TSkinTabPosition::Stbottom: --p.bottom; break;
    case TSkinTabPosition::Stleft: ++p.left; break;
    case TSkinTabPosition::Stright: --p.right; break;
  }
  return p;
}

// Where the composed row and its band over the pane go. The row is composed lying down, tabs
// standing on its bottom (top for bottom tabs, whose images are flipped); the band, `join`
// deep, lies on the pane side of the row.
struct TRowLayout {
  TSkinTabPosition side;
  RECT strip;     // the tab row in the window
  int length;     // along the tabs
  int thickness;  // across them
  int join;       // the pane's border on the tab side
  int lead;       // rows of the band before the row in the composition (bottom tabs)

  int ComposedHeight() const { return thickness + join; }
  // The window's origin of the composition once turned.
  POINT Origin() const {
    switch (side) {
      case TSkinTabPosition::Stbottom: return {strip.left, strip.top - join};
      case TSkinTabPosition::Stright: return {strip.left - join, strip.top};
      default: return {strip.left, strip.top};
    }
  }
  // A rectangle of the composition (lying down) in window coordinates, once turned.
  RECT ToWindow(const RECT& r) const {
    const POINT o = Origin();
    const int h = ComposedHeight();
    switch (side) {
      case TSkinTabPosition::Stleft:  // a quarter turn anticlockwise
        return {o.x + r.top, o.y + length - r.right, o.x + r.bottom, o.y + length - r.left};
      case TSkinTabPosition::Stright:  // a quarter turn clockwise
        return {o.x + h - r.bottom, o.y + r.left, o.x + h - r.top, o.y + r.right};
      default:
        return {o.x + r.left, o.y + r.top, o.x + r.right, o.y + r.bottom};
    }
  }
  // Tab item rectangle (client coordinates) in the composition.
  RECT ItemToStrip(const RECT& r, const RECT& rc, const RECT& pane) const {
    switch (side) {
      case TSkinTabPosition::StTop: return {r.left, r.top + 1, r.right, r.bottom + 1};
      case TSkinTabPosition::Stbottom: {
        const int dy = pane.bottom + 1 - lead;
        return {r.left, r.top - dy, r.right, r.bottom - dy};
      }
      case TSkinTabPosition::Stleft: return {length - r.bottom, r.left, length - r.top, r.right};
      case TSkinTabPosition::Stright:
        return {r.top - 1, rc.right - r.right, r.bottom - 1, rc.right - r.left};
    }
    return r;
  }
  // The selected tab reaches over the pane's border, so that it and its page are one.
  RECT Joined(const RECT& r) const {
    RECT j = r;
    if (side == TSkinTabPosition::Stbottom) j.top = 0;
    else j.bottom = thickness + join;
    return j;
  }
  // The band under the selected tab, in the composition.
  RECT Band(const RECT& r) const {
    if (side == TSkinTabPosition::Stbottom) return {r.left, 0, r.right, join};
    return {r.left, thickness, r.right, thickness + join};
  }
};

TRowLayout LayOutRow(TSkinTabPosition side, const RECT& rc, const RECT& pane, int join) {
  TRowLayout l{side, {}, 0, 0, join, 0};
  switch (side) {
    case TSkinTabPosition::StTop: l.strip = {rc.left, rc.top, rc.right, pane.top}; break;
    case TSkinTabPosition::Stbottom: l.strip = {rc.left, pane.bottom, rc.right, rc.bottom}; break;
    case TSkinTabPosition::Stleft: l.strip = {rc.left, rc.top, pane.left, rc.bottom}; break;
    case TSkinTabPosition::Stright: l.strip = {pane.right, rc.top, rc.right, rc.bottom}; break;
  }
  const bool across = side == TSkinTabPosition::StTop || side == TSkinTabPosition::Stbottom;
  l.length = across ? Width(l.strip) : Height(l.strip);
  l.thickness = across ? Height(l.strip) : Width(l.strip);
  if (side == TSkinTabPosition::Stbottom) l.lead = join;
  return l;
}

int MarginOnSide(const RECT& m, TSkinTabPosition side) {
  switch (side) {
    case TSkinTabPosition::StTop: return m.top;
    case TSkinTabPosition::Stbottom: return m.bottom;
    case TSkinTabPosition::Stleft: return m.left;
    case TSkinTabPosition::Stright: return m.right;
  }
  return 0;
}

// A bitmap object property of the control, written when it has one.
void SetBitmapProp(TObject* obj, std::string_view name, TBitmap* picture) {
  const TPropInfo* info = obj ? GetPropInfo(obj, name) : nullptr;
  if (info && info->kind == TTypeKind::tkClass && info->setObj) info->setObj(*obj, picture);
}

}  // namespace

TSkinTabPosition TabPositionOf(HWND wnd) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
  const bool bottom = style & TCS_BOTTOM, vertical = style & TCS_VERTICAL;
  if (vertical) return bottom ? TSkinTabPosition::Stright : TSkinTabPosition::Stleft;
  return bottom ? TSkinTabPosition::Stbottom : TSkinTabPosition::StTop;
}

// ---- TSkinTab ----

TSkinTab::TSkinTab(TComponent* owner) : TSkinControl(owner) {}
TSkinTab::~TSkinTab() = default;

void TSkinTab::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  TSkinControl::Init(sf, sd, acanvas, acolor);
  if (!Inited || !hwnd) return;
  enabled = !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED);
  auto* pages = dynamic_cast<TPageControl*>(control);
  showclose = pages && pages->Tag() == kCloseTag && pages->TabPosition() == TTabPosition::tpTop;
  inittab();
  CheckUpDown();
  skinned = true;
  unicode = IsWindowUnicode(hwnd) != FALSE;
}

void TSkinTab::Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  TSkinControl::Inithwnd(ahwnd, sd, acanvas, sf);
  if (!Inited || !hwnd) return;
  focused = GetFocus() == hwnd;
  enabled = !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED);
  caption = GetWndText(hwnd);
  inittab();
  CheckUpDown();
  skinned = true;
  unicode = IsWindowUnicode(hwnd) != FALSE;
}

void TSkinTab::SkinChange() {
  TSkinControl::SkinChange();
  inittab();
}

void TSkinTab::inittab() {
  if (!hwnd) return;
  Position = inited_position_ = TabPositionOf(hwnd);
  tabbmp.SetSize(0, 0);
  borderbmp.SetSize(0, 0);
  auto skin = Skin();
  // A skin without a tab object has neither picture.
  if (!skin || !skin->tab) return;
  auto lock = skin->PaintLock();
  TDataSkinBorder& tab = *skin->tab;
  if (!tab.Map.Empty()) CopyBitmap(tab.Map, tabbmp);
  if (tab.style == 0 && !tab.MaskMap.Empty()) CopyBitmap(tab.MaskMap, borderbmp);
  if (tab.style == 1 && HasImage(skin->TabSheet.get())) CopyBitmap(skin->TabSheet->Map, borderbmp);
  for (TBitmap* b : {&tabbmp, &borderbmp}) {
    if (!b->Empty()) b->SetPixelFormat(TPixelFormat::pf24bit);
  }
  switch (Position) {
    case TSkinTabPosition::Stbottom:
      if (!tabbmp.Empty()) FlipBitmap(tabbmp);
      if (!borderbmp.Empty()) FlipBitmap(borderbmp);
      break;
    case TSkinTabPosition::Stleft:
      if (!borderbmp.Empty()) RotateBitmapLeft(borderbmp);
      break;
    case TSkinTabPosition::Stright:
      if (!borderbmp.Empty()) RotateBitmapRight(borderbmp);
      break;
    case TSkinTabPosition::StTop:
      break;
  }
}

bool TSkinTab::CheckUpDown() {
  if (!hwnd) return false;
  HWND arrows = FindWindowExW(hwnd, nullptr, UPDOWN_CLASSW, nullptr);
  if (!arrows) return false;
  // The arrows get a skinner of their own once (a window already skinned answers the query),
  // side by side whatever their style says.
  TComponent* owner = control ? static_cast<TComponent*>(control) : this;
  if (!TSkinUpDown::OwnedBy(owner, arrows) && SendMessageW(arrows, WM_SKINQUERY, 0, 0) != 1) {
    auto* skinner = new TSkinUpDown(owner);
    skinner->dir = 1;
    skinner->Inithwnd(arrows, fsd, fCanvas, skinform);
    if (!skinner->Inited) delete skinner;
  }
  return (GetWindowLongPtrW(arrows, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool TSkinTab::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT: {
      auto skin = Skin();
      // Without a tab image or a border image the control draws itself first and the skin
      // goes over what it has: a row or border left unpainted would show whatever was there.
      if (!skin || !skin->tab || tabbmp.Empty() || borderbmp.Empty()) break;
      WMPaint(msg);
      return false;
    }
    case WM_LBUTTONDOWN:
      if (showclose && ClickClose(msg)) {
        msg.Result = 0;
        return false;
      }
      break;
    default:
      break;
  }
  return TSkinControl::BeforeProc(msg);
}

bool TSkinTab::ClickClose(const TMessage& msg) {
  const POINT p{static_cast<LONG>(LOWORD(msg.LParam)), static_cast<LONG>(HIWORD(msg.LParam))};
  for (size_t i = 0; i < CloseRect.size(); ++i) {
    if (!PtInRect(&CloseRect[i], p)) continue;
    HWND form = skinform ? skinform->FormWindow() : nullptr;
    const LRESULT answer =
        form ? SendMessageW(form, WM_SKINTABCLOSE, reinterpret_cast<WPARAM>(hwnd), static_cast<LPARAM>(i)) : 0;
    if (answer == 0) {
      // Tab i is the i-th page whose tab shows.
      if (auto* pages = dynamic_cast<TPageControl*>(control)) {
        int tab = 0;
        for (int k = 0; k < pages->PageCount(); ++k) {
          TTabSheet* page = pages->Pages(k);
          if (!page->TabVisible()) continue;
          if (tab++ == static_cast<int>(i)) {
            CloseRect.clear();
            delete page;
            break;
          }
        }
      }
    }
    return true;
  }
  return false;
}

void TSkinTab::DrawCloseMark(HDC dc, const RECT& r, int i) {
  const int x0 = r.right - 8, y0 = r.top + 2;
  const POINT box[] = {{x0, y0}, {x0 + 6, y0}, {x0 + 6, y0 + 6}, {x0, y0 + 6}, {x0, y0}};
  Polyline(dc, box, 5);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x0 + 6, y0 + 6);
  MoveToEx(dc, x0 + 6, y0, nullptr);
  LineTo(dc, x0, y0 + 6);
  CloseRect[static_cast<size_t>(i)] = RECT{x0, y0, x0 + 6, y0 + 6};
}

void TSkinTab::DrawControl(HDC dc, const RECT& rc) {
  if (!hwnd) return;
  auto skin = Skin();
  if (!skin) return;
  auto lock = skin->PaintLock();
  if (TabPositionOf(hwnd) != inited_position_) inittab();
  TDataSkinBorder* tab = skin->tab.get();
  const bool hasTab = HasImage(tab) && !tabbmp.Empty();

  const RECT pane = PaneRect(hwnd, rc, Position);
  const int n = std::max(0, static_cast<int>(SendMessageW(hwnd, TCM_GETITEMCOUNT, 0, 0)));
  const int sel = static_cast<int>(SendMessageW(hwnd, TCM_GETCURFOCUS, 0, 0));
  auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd, TCM_GETIMAGELIST, 0, 0));
  CloseRect.assign(static_cast<size_t>(n), RECT{});

  const bool sheetBorder = tab && tab->style != 0;
  const RECT paneMargins = sheetBorder && skin->TabSheet ? MarginRect(skin->TabSheet->r) : kPaneMargins;
  const int join = borderbmp.Empty() ? 0 : std::max(0, MarginOnSide(paneMargins, Position));
  const TRowLayout row = LayOutRow(Position, rc, pane, join);
  std::optional<RECT> selected;  // the selected tab in the composition

  if (hasTab && row.length > 0 && row.thickness > 0) {
    Drawtemp.SetSize(0, 0);
    Drawtemp.SetPixelFormat(TPixelFormat::pf24bit);
    Drawtemp.SetSize(row.length, row.ComposedHeight());
    HDC tdc = Drawtemp.DC();
    if (!tdc) return;
    FillParentColor(tdc, RECT{0, 0, row.length, row.ComposedHeight()});
    TCanvas& canvas = Drawtemp.Canvas();
    TakeWindowFont(hwnd, canvas.Font());
    for (int i = 0; i < n; ++i) {
      RECT item;
      if (!SendMessageW(hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) continue;
      TTabItem text;
      ReadItem(hwnd, i, unicode, text);
      RECT r = row.ItemToStrip(item, rc, pane);
      const int frame = i == sel ? 2 : 1;
      if (i == sel) {
        selected = r;
        r = row.Joined(r);
      }
      DrawSkinRect(tdc, r, tabbmp, MarginRect(tab->r), frame, tab->frame, tab->trans != 0, tab->Tile != 0, false);
      if (showclose) DrawCloseMark(tdc, r, i);
      canvas.Font().SetColor(frame == 1 ? tab->Normalcolor2 : tab->Overcolor2);
      RECT face = i == sel ? *selected : r;
      DrawImgCaption(canvas, face, images, text.image, text.text, 1);
    }
    if (Position == TSkinTabPosition::Stright) RotateBitmapRight(Drawtemp);
    if (Position == TSkinTabPosition::Stleft) RotateBitmapLeft(Drawtemp);
    HDC turned = Drawtemp.DC();
    if (!turned) return;
    const POINT o = row.Origin();
    const RECT& s = row.strip;
    const int saved = SaveDC(dc);
    if (CheckUpDown()) {
      // The scroll arrows are painted by their own skinner: the row stays clear of them.
      HWND arrows = FindWindowExW(hwnd, nullptr, UPDOWN_CLASSW, nullptr);
      RECT a;
      if (arrows && GetWindowRect(arrows, &a)) {
        MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&a), 2);
        ExcludeClipRect(dc, a.left, a.top, a.right, a.bottom);
      }
    }
    BitBlt(dc, s.left, s.top, Width(s), Height(s), turned, s.left - o.x, s.top - o.y, SRCCOPY);
    if (saved) RestoreDC(dc, saved);
  }

  // The pane's border, with or without tabs.
  if (!borderbmp.Empty()) {
    if (!sheetBorder) {
      try {
        DrawSkinRect(dc, pane, borderbmp, kPaneMargins, 1, 1, false, false, false);
      } catch (...) {
        DropCurrentException();
      }
    } else {
      DrawSkinRect(dc, pane, borderbmp, paneMargins, 1, 1, false, false, false);
    }
  }
  // The selected tab's foot goes over the border's edge.
  if (selected && join > 0) {
    const RECT band = row.Band(*selected);
    const RECT w = row.ToWindow(band);
    const POINT o = row.Origin();
    if (HDC turned = Drawtemp.DC())
      BitBlt(dc, w.left, w.top, Width(w), Height(w), turned, w.left - o.x, w.top - o.y, SRCCOPY);
  }
  // Plain tab controls keep their window-less children above the skin.
  if (control && kind == 2) control->PaintControls(dc);
}

// ---- TSkinTabBtn ----

bool TSkinTabBtn::BeforeProc(TMessage& msg) {
  if (msg.Msg == WM_PAINT) {
    WMPaint(msg);
    return false;
  }
  return TSkinControl::BeforeProc(msg);
}

void TSkinTabBtn::DrawControl(HDC dc, const RECT& rc) {
  if (!hwnd) return;
  auto skin = Skin();
  if (!skin) return;
  auto lock = skin->PaintLock();
  TDataSkinButton* button = skin->Button.get();
  if (control) enabled = control->Enabled();
  if (!HasImage(button)) return;
  RECT pane = rc;
  SendMessageW(hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&pane));
  InflateRect(&pane, 4, 4);
  const RECT strip{rc.left, rc.top, rc.right, pane.top + 1};
  const int w = Width(strip), h = Height(strip);
  if (w <= 0 || h <= 0) return;
  TBitmap picture(w, h, TPixelFormat::pf24bit);
  HDC bdc = picture.DC();
  if (!bdc) return;
  FillFace(bdc, RECT{0, 0, w, h});
  TCanvas& canvas = picture.Canvas();
  TakeWindowFont(hwnd, canvas.Font());
  const int n = std::max(0, static_cast<int>(SendMessageW(hwnd, TCM_GETITEMCOUNT, 0, 0)));
  const int sel = static_cast<int>(SendMessageW(hwnd, TCM_GETCURFOCUS, 0, 0));
  auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd, TCM_GETIMAGELIST, 0, 0));
  for (int i = 0; i < n; ++i) {
    RECT r;
    if (!SendMessageW(hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
    TTabItem text;
    ReadItem(hwnd, i, isunicode, text);
    OffsetRect(&r, -strip.left, 1 - strip.top);
    const int frame = i == sel ? 2 : 1;
    DrawSkinRect(bdc, r, button->Map, MarginRect(button->r), frame, button->frame, button->trans != 0,
                 button->Tile != 0, false);
    TColor colour = clBlack;
    if (frame == 1 && button->newnormal) colour = button->Normalcolor2;
    if (frame == 2 && button->newdown) colour = button->Downcolor2;
    canvas.Font().SetColor(colour);
    DrawImgCaption(canvas, r, images, text.image, text.text, 1);
  }
  BitBlt(dc, strip.left, strip.top, w, h, bdc, 0, 0, SRCCOPY);
}

// ---- TSkinTabSheet ----

bool TSkinTabSheet::BeforeProc(TMessage& msg) {
  if (!TSkinControl::BeforeProc(msg)) return false;
  if (kind != 0) return true;
  switch (msg.Msg) {
    case WM_PAINT:
    case WM_PRINT:
      WMPaint(msg);
      return false;
    case WM_ERASEBKGND: {
      if (auto dc = reinterpret_cast<HDC>(msg.WParam)) {
        RECT r{};
        if (!hwnd || !GetClientRect(hwnd, &r)) GetClipBox(dc, &r);
        auto skin = Skin();
        if (skin && skin->BGBrush) FillRect(dc, &r, skin->BGBrush.Get());
        else FillFace(dc, r);
      }
      msg.Result = 1;
      return false;
    }
    default:
      return true;
  }
}

void TSkinTabSheet::DrawControl(HDC dc, const RECT& rc) {
  FillFace(dc, rc);
  if (control) control->PaintControls(dc);
}

// ---- TSkinTab31 ----

void TSkinTab31::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool) {
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  if (Inited || !owner) return;
  control = owner;
  // Bound to the window: the tab set's own hook stays free for the program.
  TSkinControl::Inithwnd(owner->Handle(), sd, acanvas, sf);
  if (!Inited) {
    control = nullptr;
    return;
  }
  inittab();
  if (owner->ComponentCount() > 0) scroller = dynamic_cast<TWinControl*>(owner->Components(0));
  AttachArrows();
}

void TSkinTab31::AttachArrows() {
  // The scroll arrows get an up-down's skinner once, side by side, owned by the tab set.
  if (!scroller || !control || !scroller->HandleAllocated()) return;
  HWND arrows = scroller->Handle();
  if (TSkinUpDown::OwnedBy(control, arrows) || SendMessageW(arrows, WM_SKINQUERY, 0, 0) == 1) return;
  auto* skinner = new TSkinUpDown(control);
  skinner->dir = 1;
  skinner->Inithwnd(arrows, fsd, fCanvas, skinform);
  if (!skinner->Inited) delete skinner;
}

void TSkinTab31::Unsubclass() {
  if (scroller && control && scroller->HandleAllocated()) {
    if (TSkinUpDown* arrows = TSkinUpDown::OwnedBy(control, scroller->Handle())) {
      arrows->Unsubclass();
      delete arrows;
    }
  }
  TSkinControl::Unsubclass();
}

void TSkinTab31::inittab() {
  tabbmp.SetSize(0, 0);
  auto skin = Skin();
  if (!skin || !HasImage(skin->tab.get())) return;
  auto lock = skin->PaintLock();
  CopyBitmap(skin->tab->Map, tabbmp);
  tabbmp.SetPixelFormat(TPixelFormat::pf24bit);
  FlipBitmap(tabbmp);
}

void TSkinTab31::SkinChange() {
  TSkinControl::SkinChange();
  inittab();
}

bool TSkinTab31::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      // Painted here, then once more after the tab set's own paint.
      WMPaint(msg);
      return true;
    case WM_ERASEBKGND:
      msg.Result = 1;
      return false;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TSkinTab31::DrawControl(HDC dc, const RECT& rc) {
  auto* tabs = dynamic_cast<TTabSet*>(control);
  auto skin = Skin();
  if (!tabs || !skin || !HasImage(skin->tab.get()) || tabbmp.Empty()) return;
  auto lock = skin->PaintLock();
  TDataSkinBorder& tab = *skin->tab;
  const int w = Width(rc), h = Height(rc);
  if (w <= 0 || h <= 0) return;
  TBitmap picture(w, h, TPixelFormat::pf24bit);
  HDC bdc = picture.DC();
  if (!bdc) return;
  FillFace(bdc, RECT{0, 0, w, h});
  TCanvas& canvas = picture.Canvas();
  canvas.Font().Assign(&tabs->Canvas().Font());
  const std::vector<std::wstring> texts = tabs->Tabs();
  const bool arrows = scroller && scroller->HandleAllocated() &&
                      (GetWindowLongPtrW(scroller->Handle(), GWL_STYLE) & WS_VISIBLE);
  if (arrows) AttachArrows();  // a window the arrows were given after the skinner came
  int x = tabs->StartMargin();
  const int limit = w - tabs->EndMargin();
  for (int i = std::max(0, tabs->FirstIndex()); i < static_cast<int>(texts.size()); ++i) {
    const std::wstring& text = texts[static_cast<size_t>(i)];
    SIZE size{0, 0};
    {
      TScopedSelect font(bdc, canvas.Font().Handle());
      GetTextExtentPoint32W(bdc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    const int tw = size.cx + 9;
    // A tab that does not fit is left out; a narrower one after it may still fit.
    if (x + tw + (arrows ? 12 : 0) > limit) continue;
    const RECT t{x, 0, x + tw, h};
    const int frame = i == tabs->TabIndex() ? 2 : 1;
    DrawSkinRect(bdc, t, tabbmp, MarginRect(tab.r), frame, tab.frame, tab.trans != 0, tab.Tile != 0, false);
    canvas.Font().SetColor(frame == 1 ? tab.Normalcolor2 : tab.Overcolor2);
    DrawCaption(canvas, t, text, true, true, DT_CENTER);
    x += tw;
  }
  BitBlt(dc, rc.left, rc.top, w, h, bdc, 0, 0, SRCCOPY);
}

// ---- TSkinAdvPage ----

void TSkinAdvPage::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited) return;
  TSkinControl::Init(sf, sd, acanvas, acolor);
  if (!Inited) return;
  ApplyTabImages();
  skinstate = kSkinAttached;
}

void TSkinAdvPage::ApplyTabImages() {
  auto skin = Skin();
  if (kind != kAdvPictureKind || !skin || !skin->tab || !control) return;
  auto lock = skin->PaintLock();
  TDataSkinBorder& tab = *skin->tab;
  const RECT size{0, 0, 100, 21};
  // The tile flag given is the object's transparency flag, as the pictures were always made.
  TSkinBitmap normal = MakeSkinBitmap(size, tab.Map, MarginRect(tab.r), 1, tab.frame, tab.trans != 0, false);
  TSkinBitmap active = MakeSkinBitmap(size, tab.Map, MarginRect(tab.r), 2, tab.frame, tab.trans != 0, false);
  if (normal) SetBitmapProp(control, "TabBackGround", normal.get());
  if (active) SetBitmapProp(control, "TabBackGroundActive", active.get());
}

void TSkinAdvPage::Unsubclass() {
  if (!control) return;
  TBitmap empty;
  SetBitmapProp(control, "TabBackGround", &empty);
  SetBitmapProp(control, "TabBackGroundActive", &empty);
}

void TSkinAdvPage::DrawControl(HDC, const RECT&) {
  // The control paints its own tabs; only its scroll arrows would be ours.
}

void TSkinAdvPage::SkinChange() { ApplyTabImages(); }

}  // namespace qn
