#include "skin/form/WinSkinMenuBar.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "platform/win/ImgList.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinBoxes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

namespace {

constexpr int kItemFrames = 5;  // MenuItem: 1 normal, 2 separator, 4 selected
constexpr int kBarFrames = 2;   // Menubar, stacked: active, inactive

// Where a mark of a one-bit picture is 0, dest takes `color`; where it is 1, dest stays.
constexpr DWORD kRopPaintZeros = 0x00B8074A;

void Resize(TBitmap& bmp, int w, int h) {
  if (bmp.Width() == w && bmp.Height() == h) return;
  bmp.SetSize(0, 0);
  bmp.SetSize(w, h);
}

COLORREF SchemeColor(TSkinObjects& skin, int index) { return ColorToRGB(skin.Colors[size_t(index)]); }

// The dark pixels of a one-bit picture drawn in `color` onto dest at (x, y).
void PaintMask(HDC dest, int x, int y, int w, int h, HDC mono, COLORREF color) {
  TBrushHandle brush = MakeSolidBrush(color);
  TScopedSelect use(dest, brush.Get());
  const COLORREF text = SetTextColor(dest, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(dest, RGB(255, 255, 255));
  BitBlt(dest, x, y, w, h, mono, 0, 0, kRopPaintZeros);
  SetBkColor(dest, back);
  SetTextColor(dest, text);
}

// A check mark or a radio bullet of the system's, in `color`, centred in box.
void DrawMark(HDC dc, const RECT& box, bool radio, COLORREF color) {
  const int w = box.right - box.left, h = box.bottom - box.top;
  if (w <= 0 || h <= 0) return;
  TMemDCHandle mdc = MakeMemDC(dc);
  TBitmapHandle mono(CreateBitmap(w, h, 1, 1, nullptr));
  if (!mdc || !mono) return;
  TScopedSelect use(mdc.Get(), mono.Get());
  RECT all{0, 0, w, h};
  PatBlt(mdc.Get(), 0, 0, w, h, WHITENESS);
  DrawFrameControl(mdc.Get(), &all, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  PaintMask(dc, box.left, box.top, w, h, mdc.Get(), color);
}

}  // namespace

void LoadMenuFont(TFont& font) {
  struct {
    NONCLIENTMETRICSW ncm;
    int padding;
  } metrics{};
  for (UINT size : {static_cast<UINT>(sizeof metrics), static_cast<UINT>(sizeof metrics.ncm)}) {
    metrics.ncm.cbSize = size;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) continue;
    const LOGFONTW& lf = metrics.ncm.lfMenuFont;
    font.SetName(lf.lfFaceName);
    font.SetHeight(lf.lfHeight);
    font.SetCharset(lf.lfCharSet);
    font.SetStyle(0);
    return;
  }
}

wchar_t MenuAccelerator(const std::wstring& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return caption[i + 1];
    ++i;  // "&&" is an ampersand
  }
  return 0;
}

// ---- The bar ----

TWinSkinMenu::TWinSkinMenu(TWinSkinForm* form) : SF(form) {
  LoadMenuFont(font_);
  bkmap.SetPixelFormat(TPixelFormat::pfDevice);
}

bool TWinSkinMenu::IsButton(const TNCObject* object) const {
  return std::any_of(Buttons.begin(), Buttons.end(), [&](const auto& b) { return b.get() == object; });
}

bool TWinSkinMenu::UpdataBtn(HMENU from) {
  HWND wnd = SF->Hwnd;
  HMENU bar = from ? from : GetMenu(wnd);
  if (bar) hmenu = bar;
  if (!hmenu || !IsMenu(hmenu)) return false;
  if (SF->ActiveBtn && IsButton(SF->ActiveBtn)) SF->ActiveBtn = nullptr;
  Buttons.clear();
  const int count = GetMenuItemCount(hmenu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[81] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    mii.dwTypeData = text;
    mii.cch = 80;
    if (!GetMenuItemInfoW(hmenu, static_cast<UINT>(i), TRUE, &mii)) continue;
    auto b = std::make_unique<TMenuBtn>(SF, this);
    b->index = static_cast<int>(Buttons.size());
    b->hsubmenu = mii.hSubMenu;
    b->enabled = !(mii.fState & (MFS_GRAYED | MFS_DISABLED));
    b->visible = true;
    b->mid = mii.wID;
    b->caption = text;
    Buttons.push_back(std::move(b));
  }
  if (GetMenu(wnd)) SetMenu(wnd, nullptr);
  return true;
}

int TWinSkinMenu::StartMargin(int bar_width) const {
  const TSkinObjects* skin = SF->SkinObjects().get();
  const TDataSkinObject* mb = skin ? skin->Menubar.get() : nullptr;
  if (!mb || mb->Map.Empty()) return 6;
  const bool rtl = SF->BiDiLeft();
  const int margin = rtl ? mb->r.Right + 8 : mb->r.Left + 4;
  return bar_width < margin ? 12 : margin;
}

void TWinSkinMenu::Layout(HDC dc, const RECT& bar) {
  const int margin = StartMargin(bar.right - bar.left);
  const bool rtl = SF->BiDiLeft();
  TScopedSelect font(dc, font_.Handle());
  int x = rtl ? bar.right - margin : bar.left + margin;
  if (rtl && SF->MDIChildMax()) {
    // Right to left, the bar's buttons end short of a maximised MDI child's buttons.
    SF->UpdateButtonStates();
    SF->PlaceButtons();
    for (const auto& b : SF->SysBtn) {
      TDataSkinSysButton* d = b->Definition();
      if (d && d->Visibility == 100 && b->visible) x = std::min(x, static_cast<int>(b->bounds.left) - 5);
    }
  }
  for (auto& b : Buttons) {
    if (!b->visible) {
      b->bounds = RECT{};
      continue;
    }
    int w = 0;
    if (!b->caption.empty()) {
      RECT t{0, 0, 0, 0};
      SkinDrawText(dc, b->caption, t, DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE);
      w = (t.right - t.left) + 10;
    }
    if (rtl) {
      b->bounds = RECT{x - w, bar.top, x, bar.bottom - 1};
      x -= w;
    } else {
      b->bounds = RECT{x, bar.top, x + w, bar.bottom - 1};
      x += w;
    }
  }
}

void TWinSkinMenu::SetMenuRect() {
  const RECT wr = HwndWindowRect(SF->Hwnd);
  const RECT bar{SF->bw.left, SF->bw.top, (wr.right - wr.left) - SF->bw.right, SF->bw.top + SF->MenuHeight};
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;
  TWindowDC screen(nullptr);
  if (!screen.Get()) return;
  Layout(screen.Get(), bar);
  Bar = bar;
}

void TWinSkinMenu::DrawMenu(HDC dc, const RECT& rc) {
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return;
  std::shared_ptr<TSkinObjects> skin = SF->SkinObjects();
  if (!skin) return;
  Resize(bkmap, w, h);
  if (bkmap.Empty()) return;
  {
    auto lock = skin->PaintLock();
    HDC bk = bkmap.DC();
    const RECT all{0, 0, w, h};
    TDataSkinObject* mb = skin->Menubar.get();
    const int frame = SF->FWindowActive ? 1 : 2;
    if (mb && !mb->Map.Empty()) {
      if (mb->Tile == 1)
        DrawSkinRect(bk, all, mb->Map, MarginRect(mb->r), frame, kBarFrames, false, false, true);
      else
        DrawSkinStripH(bkmap.Canvas(), all, mb->Map, MarginRect(mb->r), frame, kBarFrames, false, true);
    } else {
      TBrushHandle brush = MakeSolidBrush(SchemeColor(*skin, skin::kcMenubar));
      FillRect(bk, &all, brush.Get());
    }
  }
  Bar = rc;
  TBitmap picture(w, h, TPixelFormat::pfDevice);
  if (picture.Empty()) return;
  BitBlt(picture.DC(), 0, 0, w, h, bkmap.DC(), 0, 0, SRCCOPY);
  topmenu = true;
  Layout(picture.DC(), rc);
  TCanvas& canvas = picture.Canvas();
  for (auto& b : Buttons) {
    if (!b->visible || b->caption.empty()) continue;
    RECT r = b->bounds;
    OffsetRect(&r, -rc.left, -rc.top);
    canvas.Font().Assign(&font_);
    canvas.Font().SetColor(skin->Colors[b->enabled ? skin::kcMenuBarText : skin::kcButtonShadow]);
    DrawCenterText(canvas, r, b->caption, 2, true);
  }
  topmenu = false;
  DrawMdiButtons(picture.DC(), rc);
  BitBlt(dc, rc.left, rc.top, w, h, picture.DC(), 0, 0, SRCCOPY);
}

// The buttons of a maximised MDI child (minimise, restore, close) sit at the bar's far end.
void TWinSkinMenu::DrawMdiButtons(HDC dc, const RECT& rc) {
  if (!SF->MDIChildMax()) return;
  SF->UpdateButtonStates();
  SF->PlaceButtons();
  std::shared_ptr<TSkinObjects> skin = SF->SkinObjects();
  if (!skin) return;
  auto lock = skin->PaintLock();
  for (const auto& b : SF->SysBtn) {
    TDataSkinSysButton* d = b->Definition();
    TBitmap* picture = b->Picture();
    if (!d || d->Visibility != 100 || !b->visible || !picture) continue;
    RECT r = b->bounds;
    OffsetRect(&r, -rc.left, -rc.top);
    DrawSkinFrame(dc, r, *picture, 1, b->Frames(), true);
  }
  if (SF->Host() && !SF->Host()->MDIMaximised()) SF->Host()->SetMDIMax(true);
}

TMenuBtn* TWinSkinMenu::FindBtn(POINT p) {
  for (auto& b : Buttons)
    if (b->visible && !b->caption.empty() && PtInRect(&b->bounds, p)) return b.get();
  return nullptr;
}

wchar_t UpperChar(wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); }

TMenuBtn* TWinSkinMenu::FindAccel(wchar_t ch) {
  if (!ch) return nullptr;
  const wchar_t want = UpperChar(ch);
  for (auto& b : Buttons) {
    if (!b->visible || !b->enabled) continue;
    const wchar_t a = MenuAccelerator(b->caption);
    if (a && UpperChar(a) == want) return b.get();
  }
  return nullptr;
}

void TMenuBtn::Draw() {
  TWinSkinForm* sf = SF;
  const RECT& r = bounds;
  const int w = r.right - r.left, h = Bar->Bar.bottom - Bar->Bar.top;
  if (!visible || w <= 0 || h <= 0 || Bar->bkmap.Empty()) return;
  if ((sf->Skinstate != 1 && sf->Skinstate != 3) || !IsWindow(sf->Hwnd)) return;
  std::shared_ptr<TSkinObjects> skin = sf->SkinObjects();
  if (!skin) return;
  // Composed off screen: the bar's own background, the frame of the state, the caption.
  TBitmap picture(w, h, TPixelFormat::pfDevice);
  if (picture.Empty()) return;
  HDC pdc = picture.DC();
  BitBlt(pdc, 0, 0, w, h, Bar->bkmap.DC(), r.left - Bar->Bar.left, 0, SRCCOPY);
  const RECT own{0, r.top - Bar->Bar.top, w, r.bottom - Bar->Bar.top};
  if (state == 2 || state == 3) {
    TBrushHandle frame = MakeSolidBrush(SchemeColor(*skin, skin::kcButtonHilight));
    FrameRect(pdc, &own, frame.Get());
  }
  TCanvas& canvas = picture.Canvas();
  canvas.Font().Assign(&Bar->font_);
  canvas.Font().SetColor(skin->Colors[enabled ? skin::kcMenuBarText : skin::kcButtonShadow]);
  DrawCenterText(canvas, own, caption, 2, true);
  TWindowDC wdc(sf->Hwnd, true);
  if (wdc.Get()) ScreenBlt(wdc.Get(), r.left, Bar->Bar.top, w, h, pdc, 0, 0);
}

// ---- Items ----

int TMenuItemPainter::LeftMargin() const {
  const TDataSkinObject* mi = skin_.MenuItem.get();
  return mi && !mi->Map.Empty() ? std::max(0, int(mi->r.Left)) : 0;
}

SIZE TMenuItemPainter::Measure(HDC dc, const TMenuItemLook& item, int max_width) {
  if (item.caption == L"-") return SIZE{LeftMargin() + 26, 8};
  TScopedSelect use(dc, font_.Handle());
  TFont bold;
  std::unique_ptr<TScopedSelect> use_bold;
  if (item.isdefault) {
    bold.Assign(&font_);
    bold.SetStyle(1u << fsBold);
    use_bold = std::make_unique<TScopedSelect>(dc, bold.Handle());
  }
  std::wstring caption = item.caption;
  if (caption.empty() || caption == L"&") caption += L' ';
  RECT t{0, 0, 0, 0};
  SkinDrawText(dc, caption, t, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  int width = (t.right - t.left) + 26 + LeftMargin();
  if (!item.shortcut.empty()) {
    RECT s{0, 0, 0, 0};
    SkinDrawText(dc, item.shortcut, s, DT_CALCRECT | DT_SINGLELINE);
    width += (s.right - s.left) + 16;
  }
  width = std::min(width, std::max(LeftMargin() + 26, max_width));
  int glyph = item.images && !item.images->Empty() ? item.images->Height() : 16;
  if (item.list) glyph = std::max(glyph, item.list->Height());
  const int height = std::max(int(t.bottom - t.top) + 4, glyph + 2);
  return SIZE{width, height};
}

void TMenuItemPainter::Draw(HDC dc, const RECT& r, const TMenuItemLook& item, bool selected, TBitmap* background,
                            POINT bg_origin) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  std::optional<TBitmap> own;
  TBitmap* buffer = scratch_;
  if (buffer) {
    if (buffer->Width() < w || buffer->Height() < h)
      buffer->SetSize(std::max(w, buffer->Width()), std::max(h, buffer->Height()));
  } else {
    buffer = &own.emplace(w, h, TPixelFormat::pfDevice);
  }
  if (buffer->Empty()) return;
  HDC buf = buffer->DC();
  const RECT all{0, 0, w, h};
  auto lock = skin_.PaintLock();
  TDataSkinObject* mi = skin_.MenuItem.get();
  const bool skinned = mi && mi->Map.Width() >= kItemFrames && !mi->Map.Empty();
  const bool separator = item.caption == L"-";
  if (!skinned) {
    // No item image: the plain look in the skin's colours.
    TBrushHandle fill = MakeSolidBrush(SchemeColor(skin_, selected && !separator ? skin::kcHilight : skin::kcMenu));
    FillRect(buf, &all, fill.Get());
  } else if (background) {
    BitBlt(buf, 0, 0, w, h, background->DC(), r.left + bg_origin.x, r.top + bg_origin.y, SRCCOPY);
  } else {
    TBrushHandle fill = MakeSolidBrush(SchemeColor(skin_, skin::kcMenu));
    FillRect(buf, &all, fill.Get());
  }
  if (separator) {
    DrawSeparator(buf, all);
  } else {
    if (skinned)
      DrawSkinRect(buf, all, mi->Map, MarginRect(mi->r), selected ? 4 : 1, kItemFrames, mi->trans != 0, mi->Tile != 0,
                   false);
    DrawContent(buf, all, item, selected);
  }
  BitBlt(dc, r.left, r.top, w, h, buf, 0, 0, SRCCOPY);
}

void TMenuItemPainter::DrawSeparator(HDC dc, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  TDataSkinObject* mi = skin_.MenuItem.get();
  const int fw = mi ? mi->Map.Width() / kItemFrames : 0;
  if (!mi || fw <= 0 || mi->Map.Height() <= 0) {
    // An etched line across the middle.
    RECT line{r.left, r.top + h / 2 - 1, r.right, r.top + h / 2 + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  // Frame 2's bottom rows (all of them for a taller item): its end pieces as they are, its
  // middle stretched between them.
  const int ih = mi->Map.Height();
  const int rows = std::min(h, ih), sy = ih - rows, sx = fw;
  const int left = std::clamp(int(mi->r.Left), 0, fw), right = std::clamp(int(mi->r.Right), 0, fw - left);
  TBitmap piece(w, h, TPixelFormat::pf24bit);
  if (piece.Empty()) return;
  HDC pdc = piece.DC();
  HDC src = mi->Map.DC();
  const int old = SetStretchBltMode(pdc, COLORONCOLOR);
  if (left + right >= w) {
    StretchBlt(pdc, 0, 0, w, h, src, sx, sy, fw, rows, SRCCOPY);
  } else {
    StretchBlt(pdc, 0, 0, left, h, src, sx, sy, left, rows, SRCCOPY);
    StretchBlt(pdc, w - right, 0, right, h, src, sx + fw - right, sy, right, rows, SRCCOPY);
    if (fw - left - right > 0)
      StretchBlt(pdc, left, 0, w - left - right, h, src, sx + left, sy, fw - left - right, rows, SRCCOPY);
  }
  SetStretchBltMode(pdc, old);
  DrawTransparent(dc, r, piece, kSkinTransparent);
}

void TMenuItemPainter::DrawGlyph(HDC dc, const RECT& box, const TMenuItemLook& item, COLORREF color) {
  TBitmap& images = *item.images;
  const int g = images.Height();
  if (g <= 0 || item.image < 0 || (item.image + 1) * g > images.Width()) return;
  TMemDCHandle mdc = MakeMemDC(dc);
  TBitmapHandle mono(CreateBitmap(g, g, 1, 1, nullptr));
  if (!mdc || !mono) return;
  TScopedSelect use(mdc.Get(), mono.Get());
  // White (the glyphs' transparent colour) becomes 1, everything else 0.
  HDC src = images.DC();
  const COLORREF back = SetBkColor(src, RGB(255, 255, 255));
  BitBlt(mdc.Get(), 0, 0, g, g, src, item.image * g, 0, SRCCOPY);
  SetBkColor(src, back);
  PaintMask(dc, box.left, box.top, g, g, mdc.Get(), color);
}

void TMenuItemPainter::DrawContent(HDC dc, const RECT& r, const TMenuItemLook& item, bool selected) {
  const int h = r.bottom - r.top;
  const bool listed = item.list && item.image >= 0 && item.image < item.list->Count();
  const bool has_image = listed || (item.images && !item.images->Empty() && item.image >= 0 &&
                                    (item.image + 1) * item.images->Height() <= item.images->Width());
  int g = item.images && !item.images->Empty() ? item.images->Height() : 16;
  if (listed) g = item.list->Width();
  if (item.checked) g = std::max(g, 16);
  const int margin = LeftMargin();
  RECT box{r.left + 1 + margin, r.top + 1, r.left + 1 + margin + g, r.top + 1 + g};

  COLORREF text = SchemeColor(skin_, skin::kcMenuText);
  if (!item.enabled) {
    text = SchemeColor(skin_, skin::kcButtonShadow);
    if (text == SchemeColor(skin_, skin::kcMenuText)) text = GetSysColor(COLOR_BTNSHADOW);
  } else if (selected) {
    text = SchemeColor(skin_, skin::kcHilightText);
  }

  if (has_image) {
    if (item.checked) {
      const int top = r.top + (h - 16) / 2;
      box = RECT{box.left, top, box.right, top + g};
      // A checker of face and highlight, sunk in.
      const WORD bits[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
      TBitmapHandle pattern(CreateBitmap(8, 8, 1, 1, bits));
      TBrushHandle checker(CreatePatternBrush(pattern.Get()));
      const COLORREF fg = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
      const COLORREF bg = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      FillRect(dc, &box, checker.Get());
      SetBkColor(dc, bg);
      SetTextColor(dc, fg);
      DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    } else {
      const int top = r.top + (h - g) / 2;
      box = RECT{box.left, top, box.right, top + g};
    }
    if (listed) {
      const int top = item.checked ? box.top : r.top + (h - item.list->Height()) / 2;
      item.list->Draw(dc, box.left, top, item.image, item.enabled);
    } else {
      DrawGlyph(dc, box, item, text);
    }
  } else if (item.checked) {
    RECT mark = box;
    OffsetRect(&mark, 1, 1);
    DrawMark(dc, mark, item.radio, text);
  }

  TScopedSelect use(dc, font_.Handle());
  TFont bold;
  std::unique_ptr<TScopedSelect> use_bold;
  if (item.isdefault) {
    bold.Assign(&font_);
    bold.SetStyle(1u << fsBold);
    use_bold = std::make_unique<TScopedSelect>(dc, bold.Handle());
  }
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_color = SetTextColor(dc, text);
  RECT t{box.right + 3, r.top, r.right - 1, r.bottom};
  int shortcut_w = 0;
  if (!item.shortcut.empty()) {
    RECT sw{0, 0, 0, 0};
    SkinDrawText(dc, item.shortcut, sw, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    shortcut_w = sw.right - sw.left;
    // A caption too long for the item gives way to its shortcut, ending in an ellipsis.
    t.right = std::max(static_cast<int>(t.left), static_cast<int>(r.right) - 11 - shortcut_w - 16);
  }
  RECT m = t;
  SkinDrawText(dc, item.caption, m, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  const int th = m.bottom - m.top;
  t.top = r.top + (h - th) / 2;
  t.bottom = t.top + th;
  SkinDrawText(dc, item.caption, t, DT_SINGLELINE | DT_EXPANDTABS | DT_END_ELLIPSIS);
  if (!item.shortcut.empty()) {
    RECT s{std::min(static_cast<int>(m.right), static_cast<int>(r.right) - 11 - shortcut_w), t.top, r.right - 11, t.bottom};
    if (s.right > s.left) SkinDrawText(dc, item.shortcut, s, DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX);
  }
  SetTextColor(dc, old_color);
  SetBkMode(dc, old_mode);
}

}  // namespace qn
