#include "tools/contactsheet/Preview.h"

#include "platform/win/Blit.h"
#include "skin/draw/SkinDraw.h"

namespace qn::sheet {

namespace {

int Frames(const TDataSkinObject& o) { return o.frame < 1 ? 1 : o.frame; }
bool Has(const TDataSkinObject* o) { return o && !o->Map.Empty(); }

void Fill(HDC dc, const RECT& r, TColor c) {
  TBrushHandle b = MakeSolidBrush(ColorToRGB(c));
  FillRect(dc, &r, b.Get());
}

void Text(HDC dc, RECT r, const wchar_t* s, TColor c, UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(c));
  DrawTextW(dc, s, -1, &r, format | DT_NOPREFIX);
}

int TextWidth(HDC dc, const wchar_t* s) {
  SIZE size{};
  GetTextExtentPoint32W(dc, s, lstrlenW(s), &size);
  return size.cx;
}

// Frame `frame` of the object nine-sliced over r, as most painters draw it.
void Nine(HDC dc, const RECT& r, TDataSkinObject* o, int frame, bool vertical = false) {
  if (Has(o)) DrawSkinRect(dc, r, o->Map, MarginRect(o->r), frame, Frames(*o), o->trans != 0, o->Tile != 0, vertical);
}

// The frame stretched whole over r, magenta left out.
void Whole(HDC dc, const RECT& r, TDataSkinObject* o, int frame, TBitmap* image = nullptr) {
  TBitmap& map = image ? *image : o->Map;
  if (o && !map.Empty()) DrawSkinFrame(dc, r, map, frame, Frames(*o), true);
}

TColor TextColour(const TSkinObjects& s, bool flag, TColor colour) { return flag ? colour : s.Colors[skin::kcButtonText]; }

// Caption buttons shown on an active, normal window with every caption icon.
bool ShownOnNormalWindow(const TDataSkinSysButton& b) {
  auto shown = [](int code) { return code == 0 || code == 2 || code == 3 || code == 6 || code == 7 || code == 9 || (code >= 201 && code <= 999); };
  return shown(b.Visibility) && shown(b.Visibility1) && b.Action != 3 && b.Action != 11;
}

void DrawScrollBar(HDC dc, TSkinObjects& s, RECT r, bool vertical) {
  if (!Has(s.SArrow.get())) return;
  const int t = vertical ? r.right - r.left : r.bottom - r.top;
  RECT first = r, second = r, track = r;
  if (vertical) {
    first.bottom = r.top + t, second.top = r.bottom - t, track.top += t, track.bottom -= t;
  } else {
    first.right = r.left + t, second.left = r.right - t, track.left += t, track.right -= t;
  }
  TDataSkinObject* bar = vertical ? s.VBar.get() : s.HBar.get();
  if (Has(bar)) DrawSkinRect(dc, track, bar->Map, MarginRect(bar->r), 1, 4, bar->trans != 0, bar->Tile != 0, false);
  DrawSkinFrame(dc, first, s.SArrow->Map, vertical ? 9 : 1, 23, true);
  DrawSkinFrame(dc, second, s.SArrow->Map, vertical ? 13 : 8, 23, true);  // the second one hot
  TDataSkinObject* thumb = vertical ? s.VSlider.get() : s.HSlider.get();
  RECT th = track;
  const int len = vertical ? track.bottom - track.top : track.right - track.left;
  if (vertical) {
    th.top = track.top + len / 4, th.bottom = th.top + len / 3;
  } else {
    th.left = track.left + len / 4, th.right = th.left + len / 3;
  }
  if (Has(thumb)) DrawSkinRect(dc, th, thumb->Map, MarginRect(thumb->r), 1, Frames(*thumb), thumb->trans != 0, false, false);
  const int g = s.SArrow->Map.Height(), o = ((vertical ? th.bottom - th.top : th.right - th.left) - g) / 2;
  RECT grip = vertical ? RECT{th.left, th.top + o, th.right, th.top + o + g} : RECT{th.left + o, th.top, th.left + o + g, th.bottom};
  DrawSkinFrame(dc, grip, s.SArrow->Map, vertical ? 20 : 17, 23, true);
}

}  // namespace

void DrawPreview(HDC dc, int x, int y, int w, int h, TSkinObjects& s, HFONT font) {
  TBitmap win(w, h);
  HDC wd = win.DC();
  TScopedSelect selectFont(wd, font);
  TDataSkinBorder &left = *s.border[skin::kBorderLeft], &right = *s.border[skin::kBorderRight];
  TDataSkinBorder &top = *s.border[skin::kBorderTop], &bottom = *s.border[skin::kBorderBottom];
  const int bl = left.Map.Width() / Frames(left), br = right.Map.Width() / Frames(right);
  const int bt = top.Map.Height() / Frames(top), bb = bottom.Map.Height() / Frames(bottom);
  const int menuH = GetSystemMetrics(SM_CYMENU);
  const TColor face = s.Colors[skin::kcButtonFace];
  Fill(wd, {0, 0, w, h}, face);

  // Frame: sides the full height, top and bottom between them; active frames.
  auto border = [&](TDataSkinBorder& o, RECT r, bool vertical) {
    if (o.Map.Empty()) return;
    auto bmp = MakeSkinBitmap(r, o.Map, MarginRect(o.r), 1, Frames(o), o.Tile != 1, vertical);
    Blit(wd, r.left, r.top, bmp->Width(), bmp->Height(), bmp->DC(), 0, 0);
  };
  border(left, {0, 0, bl, h}, false);
  border(right, {w - br, 0, w, h}, false);
  border(bottom, {bl, h - bb, w - br, h}, true);
  border(top, {bl, 0, w - br, bt}, true);

  // Caption text on its backing plaque.
  const wchar_t* caption = L"  Qingnang - skin preview ";
  TDataSkinTitle& title = *s.Title;
  const int rw = w - bl - br, tw = TextWidth(wd, caption) + title.backleft + title.backright;
  int tx = title.Aligment == 1 ? (rw - tw) / 2 : title.Aligment == 2 ? rw - title.r.Right - tw : title.r.Left;
  RECT tr{bl + tx, 0, bl + tx + tw, bt};
  if (!title.Map.Empty() && tw > 0 && bt > 0) {
    // The plaque is composed apart, so that the strip routine's canvas leaves this DC's font be.
    TBitmap plaque(tw, bt);
    Fill(plaque.DC(), {0, 0, tw, bt}, kSkinTransparent);
    DrawSkinStripH(plaque.Canvas(), {0, 0, tw, bt}, title.Map, {title.backleft, 0, title.backright, 0}, 1, 2, true, true);
    DrawTransparent(wd, tr, plaque, kSkinTransparent);
  }
  tr.left += title.backleft, tr.right -= title.backright;
  Text(wd, tr, caption, s.Colors[skin::kcTitleTextActive], DT_SINGLELINE | DT_VCENTER | DT_LEFT);

  for (auto& b : s.SysBtn) {
    if (b->Map.Empty() || b->Visibility == 100 || !ShownOnNormalWindow(*b)) continue;
    const int fw = b->Map.Width() / Frames(*b), fh = b->Map.Height();
    int bx = b->Align == 0 ? b->XCoord : b->Align == 1 ? w - b->XCoord : -1000;
    Whole(wd, {bx, b->YCoord, bx + fw, b->YCoord + fh}, b.get(), 1);
  }

  // Menu bar with three entries, the MDI buttons at its right.
  RECT mr{bl, bt, w - br, bt + menuH};
  if (Has(s.Menubar.get())) {
    DrawSkinRect(wd, mr, s.Menubar->Map, MarginRect(s.Menubar->r), 1, 2, false, false, true);
  } else {
    Fill(wd, mr, s.Colors[skin::kcMenubar]);
  }
  int mx = bl + (s.Menubar ? s.Menubar->r.Left + 4 : 6);
  for (const wchar_t* item : {L"File", L"Recipes", L"Help"}) {
    const int iw = TextWidth(wd, item) + 10;
    Text(wd, {mx, mr.top, mx + iw, mr.bottom - 1}, item, s.Colors[skin::kcMenuBarText]);
    mx += iw;
  }
  for (auto& b : s.SysBtn) {
    if (b->Visibility != 100 || b->Map.Empty()) continue;
    const int fw = b->Map.Width() / Frames(*b), fh = b->Map.Height();
    const int bx = w - b->XCoord - br - (s.Menubar ? s.Menubar->r.Left : 0), by = bt + (menuH - fh) / 2;
    Whole(wd, {bx, by, bx + fw, by + fh}, b.get(), 1);
  }

  const RECT c{bl, bt + menuH, w - br, h - bb};
  // Status bar along the bottom of the client area, with its size grip.
  RECT sb{c.left, c.bottom - 20, c.right, c.bottom};
  Nine(wd, sb, s.StatusBar.get(), 1);
  if (s.StatusBar) Text(wd, {sb.left + 6, sb.top, sb.right, sb.bottom}, L"955 recipes", s.StatusBar->Normalcolor2, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (Has(s.ExtraImages.get())) {
    const int gw = s.ExtraImages->Map.Width() / Frames(*s.ExtraImages), gh = s.ExtraImages->Map.Height();
    Whole(wd, {sb.right - 1 - gw, sb.bottom - 1 - gh, sb.right - 1, sb.bottom - 1}, s.ExtraImages.get(), 5);
  }

  // Tabs over their pane.
  RECT pane{c.left + 8, c.top + 8 + 21, c.left + 218, c.top + 8 + 21 + 110};
  if (s.tab && s.tab->style == 0 && !s.tab->MaskMap.Empty()) {
    DrawSkinRect(wd, pane, s.tab->MaskMap, {4, 5, 4, 4}, 1, 1, false, false, false);
  } else if (Has(s.TabSheet.get())) {
    DrawSkinRect(wd, pane, s.TabSheet->Map, MarginRect(s.TabSheet->r), 1, 1, false, false, false);
  }
  if (Has(s.tab.get())) {
    RECT t1{pane.left, c.top + 8, pane.left + 70, pane.top + 1}, t2{t1.right, t1.top + 2, t1.right + 60, pane.top};
    Nine(wd, t2, s.tab.get(), 1);
    Nine(wd, t1, s.tab.get(), 2);
    Text(wd, t1, L"Recipes", s.tab->Overcolor2);
    Text(wd, t2, L"About", s.tab->Normalcolor2);
  }
  TDataSkinButton& button = *s.Button;
  RECT b1{pane.left + 10, pane.top + 10, pane.left + 90, pane.top + 34}, b2{b1.right + 8, b1.top, b1.right + 88, b1.bottom};
  Nine(wd, b1, &button, 1);
  Nine(wd, b2, &button, 4);
  Text(wd, b1, L"Search", TextColour(s, button.newnormal, button.Normalcolor2));
  Text(wd, b2, L"Copy", TextColour(s, button.newover, button.Overcolor2));
  auto cell = [&](TBitmap& strip, int cells, int index, int cx, int cy, const wchar_t* label) {
    if (strip.Empty()) return;
    const int cw = strip.Width() / std::max(cells, 1);
    DrawSkinFrame(wd, {cx, cy, cx + cw, cy + strip.Height()}, strip, index, cells, true);
    Text(wd, {cx + cw + 4, cy - 2, cx + 90, cy + strip.Height() + 2}, label, s.Colors[skin::kcWindowText], DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  };
  cell(button.CheckMap, button.checkframe, 2, b1.left, b1.bottom + 10, L"Checked");
  cell(button.RadioMap, button.radioframe, 2, b2.left, b1.bottom + 10, L"Chosen");
  RECT combo{b1.left, b1.bottom + 34, b1.left + 130, b1.bottom + 55};
  s.PrepareComboImages();
  if (s.combox && s.combox->style == 2) DrawSkinRect(wd, combo, s.combox->Map, MarginRect(s.combox->r), 1, Frames(*s.combox), true, false, false);
  Text(wd, {combo.left + 5, combo.top, combo.right, combo.bottom}, L"Wine", s.Colors[skin::kcWindowText], DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (s.VSpin && !s.VSpin->Map.Empty()) {
    const int sw = s.VSpin->Map.Width() / Frames(*s.VSpin), sh = s.VSpin->Map.Height();
    RECT up{combo.right + 6, combo.top, combo.right + 6 + sw, combo.top + sh}, down{up.left, up.bottom, up.right, up.bottom + sh};
    DrawSkinFrame(wd, up, s.VSpin->Map, 1, Frames(*s.VSpin), true);
    DrawSkinFrame(wd, down, s.VSpin->Map, 5, Frames(*s.VSpin), true);
    if (!s.VSpin->MaskMap.Empty()) {
      const int gw = s.VSpin->MaskMap.Width() / Frames(*s.VSpin), gh = s.VSpin->MaskMap.Height();
      for (auto [r, f] : {std::pair{up, 1}, std::pair{down, 5}}) {
        const int gx = r.left + (sw - gw) / 2, gy = r.top + (sh - gh) / 2;
        DrawSkinFrame(wd, {gx, gy, gx + gw, gy + gh}, s.VSpin->MaskMap, f, Frames(*s.VSpin), true);
      }
    }
  }

  // Progress at 60 %, then a track bar.
  RECT pr{pane.left, pane.bottom + 10, pane.right, pane.bottom + 24}, done = pr;
  done.right = pr.left + (pr.right - pr.left) * 6 / 10;
  if (Has(s.progress.get())) {
    TDataSkinBorder& p = *s.progress;
    const int frames = p.style == 1 ? 1 : 2;
    DrawSkinRect(wd, pr, p.Map, MarginRect(p.r), 1, frames, true, p.Tile != 0, false);
    if (frames == 2) {
      DrawSkinRect(wd, done, p.Map, MarginRect(p.r), 2, 2, true, p.Tile != 0, false);
    } else if (Has(s.progresschunk.get())) {
      const int cw = s.progresschunk->Map.Width() / Frames(*s.progresschunk);
      for (int cx = done.left + 2; cx + cw <= done.right; cx += cw)
        Whole(wd, {cx, pr.top, cx + cw, pr.bottom}, s.progresschunk.get(), 1);
    }
  }
  if (Has(s.TrackBar.get())) {
    TDataSkinObject& t = *s.TrackBar;
    const int th = t.Map.Height(), ty = pr.bottom + 14;
    RECT channel{pr.left, ty, pr.right, ty + th};
    DrawSkinRect(wd, channel, t.Map, {t.r.Left, 0, t.r.Right, 0}, 1, 1, false, false, false);
    if (Has(s.TrackHorz.get())) {
      const int fw = s.TrackHorz->Map.Width() / Frames(*s.TrackHorz), fh = s.TrackHorz->Map.Height();
      const int kx = channel.left + 60, ky = ty + th / 2 - fh / 2;
      Whole(wd, {kx, ky, kx + fw, ky + fh}, s.TrackHorz.get(), 2);
    }
  }

  // A list with a header and both scroll bars.
  RECT list{pane.right + 12, c.top + 8, c.right - 8, sb.top - 8};
  const int t = s.SArrow ? s.SArrow->Map.Height() : 16;
  Fill(wd, list, clWhite);
  RECT head{list.left, list.top, list.right - t, list.top + 20};
  if (Has(s.Header.get())) {
    RECT h1{head.left, head.top, head.left + 60, head.bottom}, h2{h1.right, head.top, h1.right + 80, head.bottom}, h3{h2.right, head.top, head.right, head.bottom};
    Nine(wd, h1, s.Header.get(), 1);
    Nine(wd, h2, s.Header.get(), 2);
    Nine(wd, h3, s.Header.get(), 1);
    Text(wd, h1, L"No.", s.Colors[skin::kcWindowText]);
    Text(wd, h2, L"Recipe", s.Colors[skin::kcWindowText]);
  }
  for (int i = 0; i < 4; ++i) {
    RECT line{head.left + 4, head.bottom + 2 + i * 16, head.right, head.bottom + 18 + i * 16};
    if (i == 1) Fill(wd, {head.left, line.top, head.right, line.bottom}, s.Colors[skin::kcHilight]);
    Text(wd, line, i == 1 ? L"Selected recipe" : L"A recipe", i == 1 ? s.Colors[skin::kcHilightText] : clBlack, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }
  DrawScrollBar(wd, s, {list.right - t, list.top, list.right, list.bottom - t}, true);
  DrawScrollBar(wd, s, {list.left, list.bottom - t, list.right - t, list.bottom}, false);

  DrawTransparent(dc, {x, y, x + w, y + h}, win, kSkinTransparent);
}

}  // namespace qn::sheet
