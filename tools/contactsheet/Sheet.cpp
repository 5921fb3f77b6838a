#include "tools/contactsheet/Sheet.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win/Blit.h"
#include "skin/draw/SkinDraw.h"
#include "tools/contactsheet/Preview.h"

namespace qn::sheet {

namespace {

// Frame `index` of `count` (at least 1) frames side by side, or stacked.
RECT SkinFrameRect(const TBitmap& image, int index, int count, bool vertical) {
  count = std::max(count, 1);
  if (vertical) {
    const int fh = image.Height() / count;
    return RECT{0, (index - 1) * fh, image.Width(), index * fh};
  }
  const int fw = image.Width() / count;
  return RECT{(index - 1) * fw, 0, index * fw, image.Height()};
}

constexpr int kWidth = 980, kMargin = 10, kGap = 8, kLabel = 15, kNumber = 13;
constexpr TColor kBack = 0xF4F4F4, kInk = 0x202020, kGuide = 0xC0A000, kFaint = 0x808080;

struct TEntry {
  std::wstring name;   // holder, and which bitmap of it
  std::wstring about;  // section, size, frames, margins, flags
  TBitmap* image;
  int frames;
  bool vertical;
  skin::TMargins margins;
};

std::wstring Num(int v) { return std::to_wstring(v); }

std::wstring Describe(const TDataSkinObject& o, const TBitmap& image, int frames) {
  std::wstring s = L"[" + o.IDName + L"]  " + Num(image.Width()) + L" x " + Num(image.Height()) + L"  " +
                   Num(frames) + (frames == 1 ? L" frame" : L" frames") + L"  margins " + Num(o.r.Left) + L"," +
                   Num(o.r.Top) + L"," + Num(o.r.Right) + L"," + Num(o.r.Bottom) + L"  trans " + Num(o.trans) +
                   L"  tile " + Num(o.Tile) + L"  style " + Num(o.style);
  if (auto* b = dynamic_cast<const TDataSkinSysButton*>(&o)) {
    s += L"  action " + Num(b->Action) + L"  align " + Num(b->Align) + L"  at " + Num(b->XCoord) + L"," +
         Num(b->YCoord) + L"  visibility " + Num(b->Visibility) + L"/" + Num(b->Visibility1);
  }
  return s;
}

std::vector<TEntry> Entries(TSkinObjects& s) {
  std::vector<TEntry> out;
  auto add = [&](const std::wstring& name, TDataSkinObject& o, TBitmap& image, int frames, bool vertical) {
    frames = std::max(frames, 1);
    out.push_back({name, Describe(o, image, frames), &image, frames, vertical, o.r});
  };
  for (const THolderRef& h : Holders(s)) {
    if (!h.object) continue;
    const std::wstring name = h.name;
    const bool vertical = name == L"border.Top" || name == L"border.Bottom" || name == L"Title" || name == L"Menubar";
    add(name, *h.object, h.object->Map, h.object->frame, vertical);
    if (auto* b = dynamic_cast<TDataSkinBorder*>(h.object); b && !b->MaskMap.Empty()) {
      add(name + L".MaskMap", *b, b->MaskMap, name == L"tab" ? 1 : b->frame, false);
      if (name == L"tab") out.back().margins = {4, 5, 4, 4};
    }
  }
  TDataSkinButton& button = *s.Button;
  // Check and radio cells are drawn whole: the button's margins do not apply to them.
  if (!button.CheckMap.Empty()) add(L"Button.CheckMap", button, button.CheckMap, button.checkframe, false);
  if (!out.empty() && out.back().image == &button.CheckMap) out.back().margins = {};
  if (!button.RadioMap.Empty()) add(L"Button.RadioMap", button, button.RadioMap, button.radioframe, false);
  if (!out.empty() && out.back().image == &button.RadioMap) out.back().margins = {};
  for (size_t i = 0; i < s.SysBtn.size(); ++i) {
    TDataSkinSysButton& b = *s.SysBtn[i];
    add(L"SysBtn[" + Num(int(i)) + L"]", b, b.Map, b.frame, false);
  }
  return out;
}

class TSheetPainter {
 public:
  TSheetPainter(HDC dc, HFONT font, HFONT bold) : dc_(dc), font_(font), bold_(bold) {}

  void Text(int x, int y, const std::wstring& s, TColor c, bool strong = false) {
    if (!dc_) return;
    TScopedSelect f(dc_, strong ? bold_ : font_);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, ColorToRGB(c));
    TextOutW(dc_, x, y, s.c_str(), int(s.size()));
  }
  void Fill(const RECT& r, TColor c) {
    if (!dc_) return;
    TBrushHandle b = MakeSolidBrush(ColorToRGB(c));
    FillRect(dc_, &r, b.Get());
  }
  void Frame(const RECT& r, TColor c) {
    if (!dc_) return;
    TBrushHandle b = MakeSolidBrush(ColorToRGB(c));
    FrameRect(dc_, &r, b.Get());
  }
  // A checkerboard of middle greys shows where an image is transparent, and keeps both
  // light and dark pictures readable.
  void Checks(const RECT& r) {
    if (!dc_) return;
    Fill(r, 0xB4B4B4);
    for (int y = r.top; y < r.bottom; y += 4)
      for (int x = r.left + ((y - r.top) / 4 % 2) * 4; x < r.right; x += 8)
        Fill({x, y, std::min(x + 4, int(r.right)), std::min(y + 4, int(r.bottom))}, 0x9C9C9C);
  }
  // Dotted guides at the slice margins of one frame drawn at r, scale times its size.
  void Guides(const RECT& r, int fw, int fh, const skin::TMargins& m, int scale) {
    if (!dc_) return;
    auto vline = [&](int x) {
      for (int y = r.top; y < r.bottom; y += 2) SetPixelV(dc_, x, y, ColorToRGB(kGuide));
    };
    auto hline = [&](int y) {
      for (int x = r.left; x < r.right; x += 2) SetPixelV(dc_, x, y, ColorToRGB(kGuide));
    };
    if (m.Left > 0 && m.Left < fw) vline(r.left + m.Left * scale);
    if (m.Right > 0 && m.Right < fw) vline(r.left + (fw - m.Right) * scale);
    if (m.Top > 0 && m.Top < fh) hline(r.top + m.Top * scale);
    if (m.Bottom > 0 && m.Bottom < fh) hline(r.top + (fh - m.Bottom) * scale);
  }

  // One entry: its name line, then its frames side by side (wrapping), each numbered.
  int Entry(int y, TEntry& e) {
    Text(kMargin, y, e.name, kInk, true);
    Text(kMargin + 150, y, e.about, kFaint);
    y += kLabel;
    if (e.image->Empty()) {
      Text(kMargin + 10, y, L"(no image)", kFaint);
      return y + kLabel + 4;
    }
    const RECT f1 = SkinFrameRect(*e.image, 1, e.frames, e.vertical);
    const int fw = f1.right - f1.left, fh = f1.bottom - f1.top;
    const int scale = (fw <= 48 && fh <= 32) ? 2 : 1;
    int x = kMargin;
    for (int k = 1; k <= e.frames; ++k) {
      if (x > kMargin && x + fw * scale > kWidth - kMargin) {
        x = kMargin;
        y += fh * scale + kNumber + 4;
      }
      const RECT cell{x, y, x + fw * scale, y + fh * scale};
      Checks(cell);
      if (dc_ && fw > 0 && fh > 0) {
        const RECT src = SkinFrameRect(*e.image, k, e.frames, e.vertical);
        TBitmap frame(fw * scale, fh * scale);
        StretchBlit(frame.DC(), {0, 0, frame.Width(), frame.Height()}, e.image->DC(), src);
        DrawTransparent(dc_, cell, frame, kSkinTransparent);
      }
      Guides(cell, fw, fh, e.margins, scale);
      Text(x, cell.bottom + 1, Num(k), kFaint);
      x += std::max(fw * scale, 10) + kGap;
    }
    return y + fh * scale + kNumber + 8;
  }

  int Colours(int y, TSkinObjects& s) {
    static const wchar_t* kNames[skin::kSchemeColors] = {
        L"WindowText", L"TitleTextActive", L"TitleTextNoActive", L"ButtonFace", L"ButtonText", L"ButtonHilight",
        L"Buttonlight", L"ButtonShadow", L"ButtonDkShadow", L"(9)", L"(10)", L"HilightText", L"Hilight",
        L"Menubar", L"MenuBarText", L"MenuText", L"Menu", L"caption", L"Scrollbar", L"(19)"};
    const int x0 = 500;
    for (int i = 0; i < skin::kSchemeColors; ++i) {
      const int x = x0 + (i / 10) * 240, yy = y + (i % 10) * 18;
      Fill({x, yy, x + 28, yy + 14}, s.Colors[size_t(i)]);
      Frame({x, yy, x + 28, yy + 14}, kFaint);
      Text(x + 34, yy, Num(i) + L" " + kNames[i] + (s.hasColors[size_t(i)] ? L"" : L" (default)"), kInk);
    }
    int yy = y + 10 * 18 + 6;
    Text(x0, yy, L"presets:", kInk);
    int x = x0 + 60;
    for (TColor c : s.ColorPreset) {
      Fill({x, yy, x + 20, yy + 14}, c);
      Frame({x, yy, x + 20, yy + 14}, kFaint);
      x += 24;
    }
    return yy + 20;
  }

 private:
  HDC dc_;
  HFONT font_, bold_;
};

int Layout(HDC dc, HFONT font, HFONT bold, TSkinObjects& s, const std::wstring& title) {
  TSheetPainter p(dc, font, bold);
  int y = kMargin;
  p.Text(kMargin, y, title, kInk, true);
  y += kLabel + 6;
  const int pw = 470, ph = 300;
  if (dc) DrawPreview(dc, kMargin, y, pw, ph, s, font);
  const int colours = p.Colours(y, s);
  y = std::max(y + ph, colours) + 12;
  auto entries = Entries(s);
  for (TEntry& e : entries) y = p.Entry(y, e);
  return y + kMargin;
}

}  // namespace

std::unique_ptr<TBitmap> DrawContactSheet(TSkinObjects& skin, const std::wstring& title) {
  TFontHandle font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Tahoma"));
  TFontHandle bold(CreateFontW(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Tahoma"));
  const int height = Layout(nullptr, font.Get(), bold.Get(), skin, title);
  auto sheet = std::make_unique<TBitmap>(kWidth, height);
  RECT all{0, 0, kWidth, height};
  TBrushHandle back = MakeSolidBrush(ColorToRGB(kBack));
  FillRect(sheet->DC(), &all, back.Get());
  Layout(sheet->DC(), font.Get(), bold.Get(), skin, title);
  return sheet;
}

}  // namespace qn::sheet
