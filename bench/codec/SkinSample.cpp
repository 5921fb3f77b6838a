#include "bench/codec/SkinSample.h"

#include <cwchar>
#include <string>

#include "platform/core/Streams.h"
#include "skin/package/SkinRead.h"

namespace qn::bench {

namespace {

struct TRgb {
  int r, g, b;
};

enum TLook { kFrameV, kFrameH, kButtons, kFace, kShaft, kGlyph };

struct TPiece {
  const wchar_t* name;
  int width, height;
  TLook look;
};

// Face, outline, highlight and the transparent colour of a light grey scheme.
constexpr TRgb kFace_{229, 229, 229}, kDark{102, 102, 102}, kLight{250, 250, 250}, kMagenta{255, 0, 255};

TRgb Mix(TRgb a, TRgb b, int num, int den) {
  return {a.r + (b.r - a.r) * num / den, a.g + (b.g - a.g) * num / den, a.b + (b.b - a.b) * num / den};
}

TRgb Pixel(const TPiece& p, int x, int y) {
  bool edge = x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
  switch (p.look) {
    case kFrameV:  // a title bar or frame side: vertical gradient, rounded magenta corners
      if ((x < 3 || x >= p.width - 3) && y < 3 - (x < 3 ? x : p.width - 1 - x)) return kMagenta;
      return edge ? kDark : Mix({90, 120, 200}, {40, 60, 140}, y, p.height);
    case kFrameH:
      return edge ? kDark : Mix({200, 210, 230}, {150, 160, 190}, x, p.width);
    case kButtons: {  // four frames side by side, each a face with a glyph and its own shade
      int fw = p.width / 4, f = x / fw, fx = x % fw;
      if (fx == 0 || fx == fw - 1 || y == 0 || y == p.height - 1) return (fx + y) % 2 ? kMagenta : kDark;
      int cx = fw / 2, cy = p.height / 2;
      if ((fx - cx == y - cy || fx - cx == cy - y) && fx > 3 && fx < fw - 4 && y > 3 && y < p.height - 4) {
        return f == 3 ? TRgb{160, 160, 160} : TRgb{0, 0, 0};
      }
      return Mix(f == 2 ? kLight : kFace_, f == 1 ? kDark : kFace_, y, p.height * 3);
    }
    case kFace:
      return edge ? kDark : (y == 1 || x == 1 ? kLight : kFace_);
    case kShaft:
      return Mix(kFace_, {200, 200, 200}, x, p.width);
    case kGlyph:
      return (x * 7 + y * 3) % 11 == 0 ? kDark : kMagenta;
  }
  return kMagenta;
}

std::vector<uint8_t> Bitmap(const TPiece& p) {
  int stride = (p.width * 3 + 3) & ~3;
  std::vector<uint8_t> b(54 + static_cast<size_t>(stride) * p.height, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, static_cast<uint32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(p.width), 4);
  put(22, static_cast<uint32_t>(p.height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      TRgb c = Pixel(p, x, p.height - 1 - y);  // rows bottom-up
      uint8_t* px = b.data() + 54 + static_cast<size_t>(y) * stride + x * 3;
      px[0] = static_cast<uint8_t>(c.b), px[1] = static_cast<uint8_t>(c.g), px[2] = static_cast<uint8_t>(c.r);
    }
  }
  return b;
}

// 33 pieces, as a skin has, sized to give about 260 KB with the definition.
const TPiece kPieces[] = {
    {L"frametop.bmp", 260, 30, kFrameV},     {L"framebottom.bmp", 300, 8, kFrameV},
    {L"frameleft.bmp", 8, 240, kFrameH},     {L"frameright.bmp", 8, 240, kFrameH},
    {L"menubar.bmp", 160, 22, kFrameV},      {L"dialog.bmp", 80, 80, kFace},
    {L"button.bmp", 260, 25, kButtons},      {L"checkbox.bmp", 104, 13, kButtons},
    {L"radio.bmp", 104, 13, kButtons},       {L"progress.bmp", 120, 16, kShaft},
    {L"groupedge.bmp", 30, 30, kFace},       {L"grouptop.bmp", 120, 20, kFrameV},
    {L"tab.bmp", 200, 22, kButtons},         {L"tabpanel.bmp", 56, 56, kFace},
    {L"statusbar.bmp", 160, 20, kFrameV},    {L"combobutton.bmp", 68, 20, kButtons},
    {L"combobox.bmp", 100, 22, kFace},       {L"comboglyph.bmp", 16, 16, kGlyph},
    {L"header.bmp", 120, 20, kFrameV},       {L"menuitem.bmp", 160, 22, kFrameH},
    {L"menuframe.bmp", 48, 48, kFace},       {L"scrollarrow.bmp", 136, 17, kButtons},
    {L"hshaft.bmp", 120, 17, kShaft},        {L"vshaft.bmp", 17, 120, kShaft},
    {L"hthumb.bmp", 136, 17, kButtons},      {L"vthumb.bmp", 68, 34, kButtons},
    {L"mdibuttons.bmp", 128, 16, kButtons},  {L"toolbutton.bmp", 92, 23, kButtons},
    {L"menubarbutton.bmp", 92, 20, kButtons}, {L"close.bmp", 88, 21, kButtons},
    {L"maximize.bmp", 88, 21, kButtons},     {L"minimize.bmp", 88, 21, kButtons},
    {L"help.bmp", 88, 21, kButtons},
};

// About 500 lines of sections and keys, as a skin's definition has.
std::string Definition() {
  static const char* const sections[] = {"Personality", "Title", "Border", "Buttons", "Colors", "Menu", "Scroll",
                                         "Combo", "Tab", "Status", "Fonts", "Layout", "Author"};
  static const char* const keys[] = {"Image", "Left", "Top", "Right", "Bottom", "Frame", "Tile", "Trans",
                                     "Style", "ColorR", "ColorG", "ColorB", "FontHeight", "Align"};
  std::string s = "; skin definition\r\n";
  int n = 0;
  for (const char* section : sections) {
    s += std::string("[") + section + "]\r\n";
    for (int k = 0; k < 37; ++k, ++n) {
      s += keys[k % 14] + std::to_string(k / 14) + "=";
      if (k % 14 == 0) {
        const wchar_t* w = kPieces[n % 33].name;
        s += "skins\\" + std::string(w, w + std::wcslen(w));
      } else {
        s += std::to_string((n * 37) % 256);
      }
      s += "\r\n";
    }
  }
  return s;
}

}  // namespace

std::vector<uint8_t> SkinSampleArchive() {
  TSkinWriter writer(70000);
  std::string def = Definition();
  writer.Add(L"skin.ini", std::vector<uint8_t>(def.begin(), def.end()));
  for (const auto& p : kPieces) writer.Add(p.name, Bitmap(p));
  TMemoryStream archive;
  writer.SaveArchive(archive);
  return archive.Bytes();
}

}  // namespace qn::bench
