#include "tools/skindraw/Parts.h"

#include <algorithm>

namespace qn::skindraw {

namespace {

using TFill = std::function<TRgb(int)>;

TFill Solid(TRgb c) {
  return [c](int) { return c; };
}
TFill Ramp(TRgb top, TRgb bottom, int h) {
  return [=](int row) { return Mix(top, bottom, h > 1 ? double(row) / (h - 1) : 0.0); };
}

// A box with its own corner radius, magenta outside.
TPic Box(int w, int h, int radius, TRgb edge, const TFill& fill) {
  TPic p(w, h);
  p.RoundBox(0, 0, w, h, radius, edge, fill);
  return p;
}

// A button-like box with a lighter line under its top edge.
TPic Face(int w, int h, int radius, TRgb edge, TRgb top, TRgb bottom) {
  TPic p = Box(w, h, radius, edge, Ramp(top, bottom, h));
  for (int i = 1; i < w - 1; ++i)
    if (InRoundBox(i, 0, w, h, radius) && p.Get(i, 1) != edge) p.Set(i, 1, Mix(p.Get(i, 1), 0xFFFFFF, 0.35));
  return p;
}

// Rounded only at the top: the box is drawn taller and its bottom cut off.
TPic TopRounded(int w, int h, int radius, TRgb edge, const TFill& fill) {
  TPic tall = Box(w, h + radius + 1, radius, edge, fill);
  return tall.Crop(0, 0, w, h);
}

void Glyph(TPic& p, int x, int y, int w, int h, TCaptionGlyph g, TRgb c) {
  const int s = std::min(w, h);
  const int ox = x + (w - s) / 2, oy = y + (h - s) / 2;
  const int m = std::max(2, s / 4 + (s >= 14 ? 1 : 0));
  const double a = m, b = s - 1 - m;
  switch (g) {
    case TCaptionGlyph::Close:
      p.Line(ox + a, oy + a, ox + b, oy + b, 1.6, c);
      p.Line(ox + b, oy + a, ox + a, oy + b, 1.6, c);
      break;
    case TCaptionGlyph::Maximize:
      p.Frame(ox + m, oy + m, s - 2 * m, s - 2 * m, c);
      p.HLine(ox + m, oy + m + 1, s - 2 * m, c);
      break;
    case TCaptionGlyph::Restore: {
      const int k = s - 2 * m - 2;
      p.Frame(ox + m + 2, oy + m, k, k, c);
      p.Fill(ox + m, oy + m + 2, k, k, kMagenta);
      p.Frame(ox + m, oy + m + 2, k, k, c);
      p.HLine(ox + m, oy + m + 3, k, c);
      break;
    }
    case TCaptionGlyph::Minimize:
      p.Fill(ox + m, oy + s - m - 2, s - 2 * m, 2, c);
      break;
    case TCaptionGlyph::Help:
      p.Stamp(ox + (s - 5) / 2, oy + (s - 7) / 2,
              {".###.", "#...#", "....#", "..##.", "..#..", ".....", "..#.."}, [c](char) { return c; });
      break;
  }
}

// A glyph on a box that already has a face; the face's magenta (if any) stays.
void GlyphOn(TPic& p, int x, int y, int w, int h, TCaptionGlyph g, TRgb c) {
  TPic glyph(w, h);
  Glyph(glyph, 0, 0, w, h, g, c);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (glyph.Get(i, j) != kMagenta) p.Set(x + i, y + j, c);
}

TRgb Brightness(TRgb c) { return ((c >> 16 & 0xFF) * 3 + (c >> 8 & 0xFF) * 6 + (c & 0xFF)) / 10; }

}  // namespace

TFrameImages FrameImages(const TTheme& t) {
  const int w = 2 * t.sideW + t.topW, h = t.titleH + 16 + t.bottomH;
  auto render = [&](bool active) {
    TPic p(w, h);
    const TRgb top = active ? t.titleTop : t.titleTopIn, bottom = active ? t.titleBottom : t.titleBottomIn;
    for (int y = 0; y < h; ++y)
      p.HLine(0, y, w, y < t.titleH ? Mix(top, bottom, double(y) / (t.titleH - 1)) : (active ? t.body : t.bodyIn));
    for (int x = 1; x < w - 1; ++x) p.Set(x, 1, Mix(p.Get(x, 1), t.shine, 0.6));
    if (t.accentLine != kMagenta && active) p.HLine(1, t.titleH - 2, w - 2, t.accentLine);
    p.Frame(t.sideW - 1, t.titleH - 1, w - 2 * t.sideW + 2, h - t.titleH - t.bottomH + 2, active ? t.inner : t.innerIn);
    p.CutCorners(0, 0, w, h, t.topRadius, true, false);
    p.CutCorners(0, 0, w, h, t.bottomRadius, false, true);
    // The outer line follows the shape, round corners included.
    const TRgb edge = active ? t.edge : t.edgeIn;
    TPic shaped = p;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (p.Get(x, y) == kMagenta) continue;
        bool out = x == 0 || y == 0 || x == w - 1 || y == h - 1 || p.Get(x - 1, y) == kMagenta ||
                   p.Get(x + 1, y) == kMagenta || p.Get(x, y - 1) == kMagenta || p.Get(x, y + 1) == kMagenta;
        if (out) shaped.Set(x, y, edge);
      }
    return shaped;
  };
  TPic on = render(true), off = render(false);
  TFrameImages f;
  f.sideH = h;
  f.left = Row({on.Crop(0, 0, t.sideW, h), off.Crop(0, 0, t.sideW, h)});
  f.right = Row({on.Crop(w - t.sideW, 0, t.sideW, h), off.Crop(w - t.sideW, 0, t.sideW, h)});
  f.top = Column({on.Crop(t.sideW, 0, t.topW, t.titleH), off.Crop(t.sideW, 0, t.topW, t.titleH)});
  f.bottom = Column({on.Crop(t.sideW, h - t.bottomH, t.topW, t.bottomH), off.Crop(t.sideW, h - t.bottomH, t.topW, t.bottomH)});
  return f;
}

TPic CaptionButton(const TTheme& t, TCaptionGlyph g) {
  const int w = t.capW, h = t.capH;
  const bool close = g == TCaptionGlyph::Close;
  if (t.capGems) {
    // Round gems: normal, pressed, hot.
    const TRgb base = close ? t.capCloseHot : t.capGem;
    std::vector<TPic> frames;
    for (TRgb c : {base, Darker(base, 0.25), Lighter(base, 0.25)}) {
      TPic p(w, h);
      const double r = std::min(w, h) / 2.0;
      p.Disc(w / 2.0, h / 2.0, r, Darker(c, 0.35), true);
      p.Disc(w / 2.0, h / 2.0, r - 1, c, true);
      p.Disc(w / 2.0, h / 2.0 - r / 3, r / 2.2, Lighter(c, 0.35));
      GlyphOn(p, 3, 3, w - 6, h - 6, g, t.capGlyph);
      frames.push_back(p);
    }
    return Row(frames);
  }
  auto glyphOnly = [&](TRgb c) {
    TPic p(w, h);
    Glyph(p, 0, 0, w, h, g, c);
    return p;
  };
  auto boxed = [&](TRgb fill, TRgb glyph) {
    TPic p = Box(w, h, 2, Darker(fill, 0.2), Solid(fill));
    GlyphOn(p, 0, 0, w, h, g, glyph);
    return p;
  };
  const TRgb hot = close ? t.capCloseHot : t.capHot;
  const TRgb hotGlyph = Brightness(hot) < 140 ? 0xFFFFFF : t.capGlyph;
  TPic normal = glyphOnly(t.capGlyph), pressed = boxed(Darker(hot, 0.2), hotGlyph), hotPic = boxed(hot, hotGlyph);
  return Row({normal, pressed, hotPic, glyphOnly(t.capGlyphIn), normal, hotPic});
}

TPic MdiButtons(const TTheme& t) {
  std::vector<TPic> cells;
  for (TCaptionGlyph g : {TCaptionGlyph::Minimize, TCaptionGlyph::Restore, TCaptionGlyph::Close}) {
    for (int state = 0; state < 4; ++state) {
      TRgb top = state == 1 ? t.pressTop : state >= 2 ? t.hotTop : t.ctlTop;
      TRgb bottom = state == 1 ? t.pressBottom : state >= 2 ? t.hotBottom : t.ctlBottom;
      TPic p = Face(15, 14, 2, state >= 2 ? t.hotEdge : t.ctlEdge, top, bottom);
      GlyphOn(p, 1, 1, 13, 12, g, t.glyph);
      cells.push_back(p);
    }
  }
  return Row(cells);
}

TPic TextBack(const TTheme& t) {
  auto plaque = [&](TRgb c) {
    TPic p(40, t.titleH);
    const int ph = t.titleH - 8;
    p.RoundBox(0, 4, 40, ph, ph / 2, Darker(c, 0.3), Ramp(Lighter(c, 0.15), c, ph));
    return p;
  };
  return Column({plaque(Darker(t.titleBottom, 0.25)), plaque(Lighter(t.titleTopIn, 0.2))});
}

TPic PushButton(const TTheme& t, int w, int h) {
  TPic normal = Face(w, h, t.radius, t.ctlEdge, t.ctlTop, t.ctlBottom);
  TPic pressed = Box(w, h, t.radius, Darker(t.ctlEdge, 0.15), Ramp(t.pressTop, t.pressBottom, h));
  TPic disabled = Box(w, h, t.radius, t.disEdge, Solid(t.disFill));
  TPic hot = Face(w, h, t.radius, t.hotEdge, t.hotTop, t.hotBottom);
  TPic focused = Face(w, h, t.radius, t.focusEdge, t.ctlTop, t.ctlBottom);
  TPic ring = Box(w - 2, h - 2, std::max(0, t.radius - 1), Mix(t.focusEdge, t.ctlTop, 0.5), Solid(kMagenta));
  for (int j = 0; j < h - 2; ++j)
    for (int i = 0; i < w - 2; ++i)
      if (ring.Get(i, j) != kMagenta) focused.Set(i + 1, j + 1, ring.Get(i, j));
  return Row({normal, pressed, disabled, hot, focused});
}

TPic CheckBox(const TTheme& t) {
  const int r = t.radius > 0 ? 2 : 0;
  auto cell = [&](TRgb edge, TRgb fill, TRgb mark) {
    TPic p = Box(13, 13, r, edge, Ramp(fill, Darker(fill, 0.04), 13));
    if (mark != kMagenta) {
      p.Line(3, 6.5, 5.5, 9, 1.8, mark);
      p.Line(5.5, 9, 9.5, 3.5, 1.8, mark);
    }
    return p;
  };
  return Row({cell(t.fieldEdge, t.field, kMagenta), cell(t.fieldEdge, t.field, t.accent),
              cell(t.disEdge, t.disFill, kMagenta), cell(t.disEdge, t.disFill, t.glyphDis),
              cell(t.hotEdge, t.field, kMagenta)});
}

TPic RadioButton(const TTheme& t) {
  auto cell = [&](TRgb edge, TRgb fill, TRgb dot) {
    TPic p(13, 13);
    p.Disc(6.5, 6.5, 6.5, edge, true);
    p.Disc(6.5, 6.5, 5.4, fill, true);
    if (dot != kMagenta) p.Disc(6.5, 6.5, 2.7, dot);
    return p;
  };
  return Row({cell(t.fieldEdge, t.field, kMagenta), cell(t.fieldEdge, t.field, t.accent),
              cell(t.disEdge, t.disFill, kMagenta), cell(t.disEdge, t.disFill, t.glyphDis),
              cell(t.hotEdge, t.field, kMagenta)});
}

TPic ProgressTrough(const TTheme& t) { return Box(24, 14, std::min(t.radius, 3), t.fieldEdge, Ramp(Darker(t.field, 0.06), t.field, 14)); }

TPic ProgressBar(const TTheme& t) {
  return Row({ProgressTrough(t), Box(24, 14, std::min(t.radius, 3), Darker(t.accent, 0.3), Ramp(t.accentTop, t.accent, 14))});
}

TPic ProgressChunk(const TTheme& t) {
  TPic p(10, 14);
  p.RoundBox(1, 2, 8, 10, 2, Darker(t.accent, 0.3), Ramp(t.accentTop, t.accent, 10));
  return p;
}

TPic GroupEdge(const TTheme& t) {
  auto frame = [&](TRgb edge) {
    TPic p = Box(24, 24, t.radius, edge, Solid(t.face));
    return p;
  };
  return Row({frame(t.btnShadow), frame(t.disEdge)});
}

TPic GroupTop(const TTheme& t) { return TopRounded(60, 18, t.radius, t.btnShadow, Ramp(t.tabTop, t.tabBottom, 18)); }

TPic Tabs(const TTheme& t) {
  const int w = 40, h = 22;
  auto tab = [&](TRgb edge, TRgb top, TRgb bottom, bool selected) {
    TPic p = TopRounded(w, h, t.radius, edge, Ramp(top, bottom, h));
    if (!selected) p.HLine(0, h - 1, w, edge);
    return p;
  };
  TPic normal = tab(t.ctlEdge, t.tabTop, t.tabBottom, false);
  return Row({normal, tab(t.ctlEdge, Lighter(t.face, 0.3), t.face, true), tab(t.hotEdge, Lighter(t.tabTop, 0.2), t.tabBottom, false),
              tab(t.disEdge, t.disFill, t.disFill, false), normal});
}

TPic TabPanel(const TTheme& t) {
  TPic p(30, 30, t.face);
  p.Frame(0, 0, 30, 30, t.ctlEdge);
  return p;
}

TPic Dialog(const TTheme& t) {
  TPic p(24, 24, t.face);
  p.Frame(0, 0, 24, 24, t.btnShadow);
  p.Frame(1, 1, 22, 22, Lighter(t.face, 0.4));
  return p;
}

TPic StatusEdges(const TTheme& t) {
  auto panel = [&](int kind) {
    TPic p(20, 20);
    p.Gradient(0, 0, 20, 20, t.barTop, t.barBottom);
    const TRgb dark = Darker(t.barBottom, 0.3), light = Lighter(t.barTop, 0.3);
    if (kind < 2) {
      const TRgb a = kind == 0 ? dark : light, b = kind == 0 ? light : dark;
      p.HLine(0, 0, 20, a);
      p.VLine(0, 0, 20, a);
      p.HLine(0, 19, 20, b);
      p.VLine(19, 0, 20, b);
    }
    return p;
  };
  return Row({panel(0), panel(1), panel(2)});
}

TPic ComboButton(const TTheme& t) {
  const int w = 18, h = 21;
  return Row({Face(w, h, t.radius, t.ctlEdge, t.ctlTop, t.ctlBottom),
              Box(w, h, t.radius, t.ctlEdge, Ramp(t.pressTop, t.pressBottom, h)),
              Box(w, h, t.radius, t.disEdge, Solid(t.disFill)), Face(w, h, t.radius, t.hotEdge, t.hotTop, t.hotBottom)});
}

TPic ComboBox(const TTheme& t) {
  const int w = 30, h = 21, r = std::min(t.radius, 3);
  return Row({Box(w, h, r, t.fieldEdge, Solid(t.field)), Box(w, h, r, t.hotEdge, Solid(t.field)),
              Box(w, h, r, t.disEdge, Solid(t.disFill)), Box(w, h, r, t.hotEdge, Solid(t.field))});
}

TPic ComboGlyph(const TTheme& t) {
  std::vector<TPic> cells;
  for (TRgb c : {t.glyph, t.glyph, t.glyphDis, t.glyph}) {
    TPic p(12, 12);
    p.Arrow(0, 0, 12, 12, 'd', 7, c);
    cells.push_back(p);
  }
  TPic grip(12, 12);
  // Dots in a triangle against the bottom-right corner.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; i + j < 3; ++j) {
      grip.Fill(9 - 3 * i, 9 - 3 * j, 2, 2, t.btnShadow);
      grip.Set(9 - 3 * i, 9 - 3 * j, t.btnHilight);
    }
  cells.push_back(grip);
  return Row(cells);
}

TPic HeaderBar(const TTheme& t) {
  // Headers carry the window-text colour, so they stay as light as the face whatever the
  // controls look like.
  const int w = 40, h = 20;
  auto cell = [&](TRgb top, TRgb bottom) {
    TPic p(w, h);
    p.Gradient(0, 0, w, h, top, bottom);
    p.HLine(0, h - 1, w, t.btnShadow);
    p.VLine(w - 1, 3, h - 6, t.btnShadow);
    p.VLine(w - 2, 3, h - 6, Lighter(top, 0.5));
    return p;
  };
  TPic normal = cell(Lighter(t.face, 0.6), Darker(t.face, 0.03));
  return Row({normal, cell(Lighter(t.face, 0.9), Lighter(t.face, 0.3)), cell(Darker(t.face, 0.08), Darker(t.face, 0.02)),
              normal, normal});
}

TPic MenuItem(const TTheme& t) {
  const int w = 40, h = 20;
  TPic plain(w, h);
  TPic separator(w, h);
  separator.HLine(4, h - 5, w - 8, t.btnShadow);
  separator.HLine(4, h - 4, w - 8, Lighter(t.menu, 0.5));
  TPic selected = Box(w, h, std::min(t.radius, 3), t.menuSelEdge, Ramp(Lighter(t.menuSel, 0.15), t.menuSel, h));
  return Row({plain, separator, plain, selected, plain});
}

TPic MenuFrame(const TTheme& t) {
  TPic p(40, 40, t.menu);
  p.Frame(0, 0, 40, 40, t.btnShadow);
  p.Frame(1, 1, 38, 38, Lighter(t.menu, 0.5));
  return p;
}

TPic MenuBar(const TTheme& t) {
  auto bar = [&](TRgb c) {
    TPic p(40, 20);
    p.Gradient(0, 0, 40, 19, Lighter(c, 0.12), c);
    p.HLine(0, 19, 40, Darker(c, 0.18));
    return p;
  };
  return Column({bar(t.menubar), bar(Mix(t.menubar, t.face, 0.5))});
}

TPic MenuBarButton(const TTheme& t) {
  const int w = 30, h = 18;
  return Row({TPic(w, h), Box(w, h, std::min(t.radius, 3), t.hotEdge, Ramp(t.hotTop, t.hotBottom, h)),
              Box(w, h, std::min(t.radius, 3), t.ctlEdge, Ramp(t.pressTop, t.pressBottom, h))});
}

TPic ToolButton(const TTheme& t) {
  const int w = 24, h = 22;
  TPic flat(w, h);
  return Row({flat, Box(w, h, t.radius, t.ctlEdge, Ramp(t.pressTop, t.pressBottom, h)), flat,
              Face(w, h, t.radius, t.hotEdge, t.hotTop, t.hotBottom),
              Box(w, h, t.radius, t.focusEdge, Ramp(t.pressTop, t.pressBottom, h))});
}

TPic ScrollArrows(const TTheme& t) {
  const int s = 16;
  auto button = [&](char dir, int state) {
    // state: 0 normal, 1 pressed, 2 disabled, 3 hot
    TRgb edge = state == 3 ? t.hotEdge : state == 2 ? t.disEdge : t.ctlEdge;
    TRgb top = state == 1 ? t.pressTop : state == 3 ? t.hotTop : state == 2 ? t.disFill : t.ctlTop;
    TRgb bottom = state == 1 ? t.pressBottom : state == 3 ? t.hotBottom : state == 2 ? t.disFill : t.ctlBottom;
    TPic p = Box(s, s, std::min(t.radius, 2), edge, Ramp(top, bottom, s));
    p.Arrow(0, 0, s, s, dir, 7, state == 2 ? t.glyphDis : t.glyph);
    return p;
  };
  auto grip = [&](bool vertical, int state) {
    TPic p(s, s);
    const TRgb dark = state == 0 ? Darker(t.ctlBottom, 0.3) : Darker(t.hotBottom, 0.35);
    const TRgb light = Lighter(t.ctlTop, 0.6);
    for (int k = 0; k < 3; ++k) {
      int pos = 5 + 2 * k;
      if (vertical) {
        p.HLine(4, pos, 8, dark);
        p.HLine(4, pos + 1, 8, light);
      } else {
        p.VLine(pos, 4, 8, dark);
        p.VLine(pos + 1, 4, 8, light);
      }
    }
    return p;
  };
  std::vector<TPic> frames;
  for (char dir : {'l', 'r', 'u', 'd'})
    for (int state : {0, 1, 2, 3}) frames.push_back(button(dir, state));
  for (bool vertical : {false, true})
    for (int state : {0, 1, 2}) frames.push_back(grip(vertical, state));
  frames.push_back(TPic(s, s));
  return Row(frames);
}

TPic Shaft(const TTheme& t, bool vertical) {
  auto frame = [&](TRgb fill, TRgb edge) {
    TPic p(16, 16, fill);
    if (vertical) {
      p.VLine(0, 0, 16, edge);
      p.VLine(15, 0, 16, edge);
    } else {
      p.HLine(0, 0, 16, edge);
      p.HLine(0, 15, 16, edge);
    }
    return p;
  };
  TPic on = frame(t.shaft, t.shaftEdge);
  return Row({on, frame(Darker(t.shaft, 0.1), t.shaftEdge), frame(Mix(t.shaft, t.disFill, 0.6), t.disEdge), on});
}

TPic Thumb(const TTheme& t, bool vertical) {
  auto frame = [&](TRgb edge, TRgb top, TRgb bottom) {
    TPic p(16, 16);
    if (vertical) {
      // Shaded across the bar: the face turned a quarter.
      TPic across = Box(16, 14, std::min(t.radius + 1, 4), edge, Solid(top));
      for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 14; ++y)
          if (across.Get(x, y) != kMagenta && across.Get(x, y) != edge) across.Set(x, y, Mix(top, bottom, x / 15.0));
      p.Paste(across.RotateRight().FlipY(), 1, 0);
      return p;
    }
    p.Paste(Box(16, 14, std::min(t.radius + 1, 4), edge, Ramp(top, bottom, 14)), 0, 1);
    return p;
  };
  return Row({frame(t.ctlEdge, t.ctlTop, t.ctlBottom), frame(Darker(t.ctlEdge, 0.1), t.pressTop, t.pressBottom),
              frame(t.hotEdge, t.hotTop, t.hotBottom)});
}

TPic TrackChannel(const TTheme& t, bool vertical) {
  TPic p = vertical ? Box(6, 30, 2, t.shaftEdge, Solid(t.shaft)) : Box(30, 6, 2, t.shaftEdge, Solid(t.shaft));
  return p;
}

TPic TrackThumb(const TTheme& t, bool vertical) {
  auto thumb = [&](TRgb edge, TRgb top, TRgb bottom) {
    TPic p = Face(11, 20, 3, edge, top, bottom);
    p.HLine(3, 9, 5, Darker(bottom, 0.3));
    p.HLine(3, 10, 5, Lighter(top, 0.4));
    return vertical ? p.RotateRight() : p;
  };
  TPic normal = thumb(t.ctlEdge, t.ctlTop, t.ctlBottom);
  return Row({normal, thumb(t.hotEdge, t.hotTop, t.hotBottom), thumb(t.ctlEdge, t.pressTop, t.pressBottom),
              thumb(t.disEdge, t.disFill, t.disFill), normal});
}

TPic UpDown(const TTheme& t, bool vertical, bool glyphs) {
  const int w = vertical ? 16 : 10, h = vertical ? 10 : 16;
  std::vector<TPic> frames;
  for (int part = 0; part < 2; ++part)
    for (int state = 0; state < 4; ++state) {
      // state: normal, hot, pressed, disabled
      if (glyphs) {
        TPic p(7, 7);
        char dir = vertical ? (part == 0 ? 'u' : 'd') : (part == 0 ? 'l' : 'r');
        p.Arrow(0, 0, 7, 7, dir, 7, state == 3 ? t.glyphDis : t.glyph);
        frames.push_back(p);
        continue;
      }
      TRgb edge = state == 1 ? t.hotEdge : state == 3 ? t.disEdge : t.ctlEdge;
      TRgb top = state == 1 ? t.hotTop : state == 2 ? t.pressTop : state == 3 ? t.disFill : t.ctlTop;
      TRgb bottom = state == 1 ? t.hotBottom : state == 2 ? t.pressBottom : state == 3 ? t.disFill : t.ctlBottom;
      frames.push_back(Box(w, h, std::min(t.radius, 2), edge, Ramp(top, bottom, h)));
    }
  return Row(frames);
}

}  // namespace qn::skindraw
