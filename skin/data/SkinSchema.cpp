#include "skin/data/SkinSchema.h"

#include <cstring>
#include <vector>

#include "platform/win/Blit.h"
#include "platform/win/Resources.h"
#include "skin/data/ImgUtil.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

namespace {

using skin::TObjectDef;

void SetImage(TBitmap& bitmap, const TBmpImage& image) {
  try {
    bitmap.LoadPixels24(image.width, image.height, image.bgr.data(), image.width * 3, true);
  } catch (const std::exception&) {
    // Too large for the system to hold: the same as a damaged image.
    bitmap.SetSize(0, 0);
  }
}

void Empty(TBitmap& bitmap) { bitmap.SetSize(0, 0); }

// The combo's pictures for right-to-left layouts: each frame mirrored where it stands, so
// that frame k still shows state k.
constexpr int kComboFrames = 4;
void MirrorFrames(TBitmap& bitmap, int frames) {
  pixel::TPixelView all = PixelView(bitmap);
  if (all.Empty() || frames < 1) return;
  const int fw = all.width / frames;
  for (int k = 0; k < frames && fw > 0; ++k) {
    pixel::TPixelView cell = all;
    cell.width = fw;
    cell.top = all.Pixel(k * fw, 0);
    pixel::Mirror(cell);
  }
}

// The fields every object reads, besides its name and images.
void Assign(const TObjectDef& d, TDataSkinObject& o) {
  o.r = d.r;
  o.frame = d.frame;
  o.trans = d.trans;
  o.Tile = d.Tile;
  o.style = d.style;
  o.Normalcolor = d.Normalcolor;
  o.Overcolor = d.Overcolor;
  o.Downcolor = d.Downcolor;
  o.Normalcolor2 = d.Normalcolor2;
  o.Overcolor2 = d.Overcolor2;
  o.Downcolor2 = d.Downcolor2;
}

// Frees what the holder held and, when the definition has the object, makes it anew.
template <class T, class D>
T* Fill(TSkinReader& reader, THolder<T>& holder, const std::optional<D>& def) {
  holder.reset();
  if (!def) return nullptr;
  holder = std::make_unique<T>(def->IDName);
  Assign(*def, *holder);
  Readbmp(reader, holder->Map, def->Image);
  if constexpr (std::is_same_v<T, TDataSkinBorder>) {
    if (!def->Mask.empty()) Readbmp(reader, holder->MaskMap, def->Mask);
  }
  return holder.get();
}

void ReadFrameBorders(TSkinReader& reader, const skin::TSkinDef& d, TSkinObjects& s) {
  for (size_t i = 0; i < 4; ++i) {
    TDataSkinBorder& b = *s.border[i];
    Assign(d.border[i], b);
    Readbmp(reader, b.Map, d.border[i].Image);
  }
}

void ReadMdiButtons(TSkinReader& reader, const skin::TSkinDef& d, TSkinObjects& s) {
  TBitmap strip;
  Readbmp(reader, strip, d.MdiImage);
  const int a = skin::MdiCellWidth(strip.Width());
  // Each button's four cells copied from the decoded rows: no picture is made until drawn.
  const size_t cells = static_cast<size_t>(4 * a) * 3;
  std::vector<uint8_t> rows;
  for (int i = 0; i < 3; ++i) {
    auto b = std::make_unique<TDataSkinSysButton>(L"MDICONTROLS");
    b->Action = 7 + i;
    b->Align = b->Visibility = b->Visibility1 = 100;
    b->frame = 4;
    if (!strip.Empty()) {
      if (a > 0 && strip.PixelFormat() == TPixelFormat::pf24bit && strip.Width() >= 12 * a) {
        rows.resize(cells * static_cast<size_t>(strip.Height()));
        for (int y = 0; y < strip.Height(); ++y)
          std::memcpy(rows.data() + cells * static_cast<size_t>(y), strip.ScanLine(y) + cells * static_cast<size_t>(i), cells);
        b->Map.LoadPixels24(4 * a, strip.Height(), rows.data(), static_cast<int>(cells), true);
      }
      b->XCoord = (a + 4) * (3 - i);
    }
    s.SysBtn.push_back(std::move(b));
  }
}

void ReadSysButtons(TSkinReader& reader, const skin::TSkinDef& d, TSkinObjects& s) {
  s.SysBtn.clear();
  s.SysBtn.reserve(d.SysBtn.size() + 3);
  for (const skin::TSysButtonDef& def : d.SysBtn) {
    auto b = std::make_unique<TDataSkinSysButton>(def.IDName);
    Assign(def, *b);
    b->Action = def.Action;
    b->Align = def.Align;
    b->XCoord = def.XCoord;
    b->YCoord = def.YCoord;
    b->Visibility = def.Visibility;
    b->Visibility1 = def.Visibility1;
    b->CombineOp = def.CombineOp;
    Readbmp(reader, b->Map, def.Image);
    if (def.frame == 0) {
      b->frame = skin::SysButtonFrames(0, b->Action, b->Map.Width(), b->Map.Height());
      if (skin::SysButtonDropsImage(def.frame, b->Action)) Empty(b->Map);
    }
    s.SysBtn.push_back(std::move(b));
  }
  ReadMdiButtons(reader, d, s);
}

void ReadButtons(TSkinReader& reader, const skin::TButtonDef& def, TDataSkinButton& b) {
  b.r = def.r;
  b.trans = def.trans;
  b.Tile = def.Tile;
  Readbmp(reader, b.Map, def.Image);
  Readbmp(reader, b.CheckMap, def.CheckImage);
  Readbmp(reader, b.RadioMap, def.RadioImage);
  b.Normalcolor = def.Normalcolor;
  b.Overcolor = def.Overcolor;
  b.Downcolor = def.Downcolor;
  b.radioframe = def.radioframe;
  b.checkframe = def.checkframe;
  b.newnormal = def.newnormal;
  b.newover = def.newover;
  b.newdown = def.newdown;
  b.Normalcolor2 = def.Normalcolor2;
  b.Overcolor2 = def.Overcolor2;
  b.Downcolor2 = def.Downcolor2;
}

void ReadTitle(TSkinReader& reader, const skin::TTitleDef& def, TDataSkinTitle& t) {
  Readbmp(reader, t.Map, def.Image);
  t.r = def.r;
  t.Aligment = def.Aligment;
  t.BackGround = def.BackGround;
  t.FontHeight = def.FontHeight;
  t.backleft = def.backleft;
  t.backright = def.backright;
  t.activetext = def.activetext;
  t.inactivetext = def.inactivetext;
}

void ReadObjects(TSkinReader& reader, const skin::TSkinDef& d, TSkinObjects& s) {
  Fill(reader, s.progress, d.progress);
  Fill(reader, s.progresschunk, d.progresschunk);
  Fill(reader, s.Menubar, d.Menubar);
  Fill(reader, s.Box, d.Box);
  if (TDataSkinBoxLabel* l = Fill(reader, s.boxlabel, d.boxlabel)) {
    l->LeftShift = d.boxlabel->LeftShift;
    l->RightShift = d.boxlabel->RightShift;
    l->Alignment = d.boxlabel->Alignment;
  }
  Fill(reader, s.tab, d.tab);
  Fill(reader, s.StatusBar, d.StatusBar);
  Fill(reader, s.TabSheet, d.TabSheet);
  Fill(reader, s.Toolbarbtn, d.Toolbarbtn);
  Fill(reader, s.combox, d.combox);
  Fill(reader, s.Comboxborder, d.Comboxborder);
  // The button of right-to-left combos: the same picture, mirrored.
  if (s.combox && !s.combox->Map.Empty()) {
    s.combox->MaskMap.Assign(&s.combox->Map);
    MirrorFrames(s.combox->MaskMap, kComboFrames);
  }
  Fill(reader, s.ExtraImages, d.ExtraImages);
  Fill(reader, s.Header, d.Header);
  Fill(reader, s.MenuItem, d.MenuItem);
  Fill(reader, s.MenuitemBG, d.MenuitemBG);
  Fill(reader, s.SArrow, d.SArrow);
  Fill(reader, s.HBar, d.HBar);
  Fill(reader, s.VBar, d.VBar);
  Fill(reader, s.HSlider, d.HSlider);
  Fill(reader, s.VSlider, d.VSlider);
  Fill(reader, s.TrackHorz, d.TrackHorz);
  Fill(reader, s.TrackVert, d.TrackVert);
  Fill(reader, s.TrackLeft, d.TrackLeft);
  Fill(reader, s.Trackright, d.Trackright);
  Fill(reader, s.Tracktop, d.Tracktop);
  Fill(reader, s.Trackbottom, d.Trackbottom);
  Fill(reader, s.HSpin, d.HSpin);
  Fill(reader, s.VSpin, d.VSpin);
  Fill(reader, s.TrackBar, d.TrackBar);
  Fill(reader, s.TrackBarVert, d.TrackBarVert);
}

void LoadResourceObject(THolder<TDataSkinObject>& holder, const wchar_t* name) {
  if (holder) return;
  holder = std::make_unique<TDataSkinObject>(name);
  LoadBitmapResource(name, holder->Map);
  holder->r = {3, 3, 3, 3};
  holder->Tile = 0;
  holder->frame = 1;
}

void SetFrameCounts(const skin::TSkinDef& d, TSkinObjects& s) {
  auto set = [](auto& holder, int32_t frames) {
    if (holder) holder->frame = frames;
  };
  TDataSkinButton& b = *s.Button;
  b.frame = 5;
  if (b.radioframe == 0) b.radioframe = skin::CheckCells(b.RadioMap.Width(), b.RadioMap.Height());
  if (b.checkframe == 0) b.checkframe = skin::CheckCells(b.CheckMap.Width(), b.CheckMap.Height());
  s.Title->frame = 2;
  if (s.progress) s.progress->frame = s.progress->style != 0 ? 1 : 2;
  set(s.Menubar, 2);
  set(s.Box, 2);
  set(s.Toolbar, 1);
  set(s.TabSheet, 1);
  set(s.boxlabel, 1);
  set(s.MenuitemBG, 1);
  for (auto* h : {&s.Toolbarbtn, &s.ExtraImages, &s.MenuItem, &s.TrackHorz, &s.TrackVert, &s.TrackLeft, &s.Trackright,
                  &s.Tracktop, &s.Trackbottom})
    set(*h, 5);
  set(s.tab, 5);
  if (s.Header && s.Header->frame == 0) s.Header->frame = 5;
  set(s.StatusBar, 3);
  set(s.combox, kComboFrames);
  set(s.Comboxborder, 4);
  set(s.HBar, 4);
  set(s.VBar, 4);
  set(s.SArrow, 23);
  set(s.HSpin, 8);
  set(s.VSpin, 8);
  set(s.HSlider, d.HSliderFrames);
  set(s.VSlider, d.VSliderFrames);
}

constexpr int kComboCellWidth = 50, kComboCellHeight = 21;

// One picture per state of the whole combo face (border, button and glyph, the edit area
// see-through), so that painters draw a combo in one piece.
void BuildComboImages(TSkinObjects& s) {
  if (!s.Comboxborder || !s.combox) return;
  TDataSkinObject& edge = *s.Comboxborder;
  TDataSkinBorder& button = *s.combox;
  const int frames = edge.frame;
  const int b = GetSystemMetrics(SM_CXHSCROLL) + 2;
  const RECT cell{0, 0, kComboCellWidth, kComboCellHeight};
  const RECT part{kComboCellWidth - b, 0, kComboCellWidth, kComboCellHeight};
  TBitmap result(kComboCellWidth * frames, kComboCellHeight);
  TBitmap work(kComboCellWidth, kComboCellHeight);
  TBrushHandle magenta = MakeSolidBrush(skin::kMagenta);
  for (int k = 1; k <= frames; ++k) {
    // Each state starts see-through, so that no state shows through another's holes. Onto
    // that magenta ground the edge lands the same with or without its magenta left out, so
    // it is copied opaque, which costs a fraction of a transparent copy.
    FillRect(work.DC(), &cell, magenta.Get());
    DrawSkinRect(work.DC(), cell, edge.Map, MarginRect(edge.r), k, frames, false, false, false);
    DrawSkinRect(work.DC(), part, button.Map, MarginRect(button.r), k, button.frame, true, false, false);
    if (s.ExtraImages) DrawSkinFrameCenter(work.DC(), part, s.ExtraImages->Map, k, s.ExtraImages->frame, true);
    const RECT edit{2, 2, 49 - b, 18};
    FillRect(work.DC(), &edit, magenta.Get());
    Blit(result.DC(), kComboCellWidth * (k - 1), 0, kComboCellWidth, kComboCellHeight, work.DC(), 0, 0);
  }
  button.Map.Assign(&result);
  button.style = 2;
  button.r = edge.r;
  button.r.Left = 2;
  button.r.Right = b + 2;
  edge.Map.Assign(&result);
  MirrorFrames(edge.Map, frames);
  edge.r.Left = b + 2;
  edge.r.Right = 2;
}

void BuildComboArrow(TSkinObjects& s) {
  if (!s.comboxarrow) s.comboxarrow = std::make_unique<TDataSkinObject>(L"ComboxArrow");
  TDataSkinObject& arrow = *s.comboxarrow;
  // A skin without combo pictures has no arrow, whatever the previous skin had.
  Empty(arrow.Map);
  arrow.frame = 0;
  if (!s.combox) return;
  TDataSkinBorder& button = *s.combox;
  if (!s.Comboxborder) {
    arrow.Map.Assign(&button.Map);
    if (!arrow.Map.Empty()) ReplaceMagenta(arrow.Map, s.Colors[skin::kcButtonFace]);
    arrow.frame = button.frame;
  } else if (button.style == 2) {
    const int frames = s.Comboxborder->frame;
    if (frames < 1) return;
    const int w = button.Map.Width() / frames;
    arrow.Map.SetSize(17 * frames, 17);
    for (int k = 0; k < frames; ++k) Blit(arrow.Map.DC(), 17 * k, 0, 17, 17, button.Map.DC(), w * (k + 1) - 19, 2);
    arrow.frame = frames;
  }
}

void BuildToolbarImage(TSkinObjects& s) {
  const TColor c = s.GetCaptionColor();
  TColor bottom = MixColors(0x808080, c, 150);
  const TColor top = MixColors(s.Colors[skin::kcButtonFace], clWhite, 150);
  const int sat = ColorSaturation(static_cast<TColor>(ColorToRGB(c)));
  if (sat > 110) bottom = MixColors(c, clWhite, (5625 - sat * 25) / 140 + 50);
  if (!s.Toolbar) s.Toolbar = std::make_unique<TDataSkinObject>(L"Toolbar");
  // The picture GradientFill paints, line by line, written as rows: forty one-line fills cost
  // more than the rest of this step, and the rows make no picture until it is drawn.
  const std::vector<int32_t>& ramp =
      GradientColors(GradientTable(40, static_cast<TColor>(ColorToRGB(top)), static_cast<TColor>(ColorToRGB(bottom))));
  uint8_t rows[40][10 * 3] = {};
  for (int y = 0; y < 40 && static_cast<size_t>(y) < ramp.size(); ++y) {
    const uint32_t c = static_cast<uint32_t>(ramp[static_cast<size_t>(y)]);
    for (int x = 0; x < 10; ++x) {
      rows[y][x * 3] = static_cast<uint8_t>(c >> 16);
      rows[y][x * 3 + 1] = static_cast<uint8_t>(c >> 8);
      rows[y][x * 3 + 2] = static_cast<uint8_t>(c);
    }
  }
  s.Toolbar->Map.LoadPixels24(10, 40, &rows[0][0], 10 * 3, true);
  s.Toolbar->frame = 1;
}

}  // namespace

void Readbmp(TSkinReader& reader, TBitmap& bitmap, const std::wstring& name) {
  // The entry decoded where it lies in the archive, straight into the bitmap: the same
  // checks as ReadBmpEntry without its two copies.
  const std::wstring entry = skin::BmpEntryName(name);
  const TSkinReader::TEntryView bytes = entry.empty() ? TSkinReader::TEntryView{} : reader.EntryView(entry);
  bool ok = false;
  try {
    ok = bytes.size > 0 && bitmap.LoadFromBmp(bytes.data, bytes.size);
  } catch (const std::exception&) {
    ok = false;  // too large for the system to hold: the same as a damaged image
  }
  if (!ok) Empty(bitmap);
}

bool LoadBitmapResource(const wchar_t* name, TBitmap& bitmap) {
  Empty(bitmap);
  std::vector<uint8_t> dib;
  if (!LoadRcData(name, dib, RT_BITMAP) || dib.size() < 16) return false;
  // A bitmap resource is a bitmap file without its 14-byte head: put one in front.
  auto u32 = [&](size_t at) { return uint32_t(dib[at]) | uint32_t(dib[at + 1]) << 8 | uint32_t(dib[at + 2]) << 16 | uint32_t(dib[at + 3]) << 24; };
  const uint32_t header = u32(0);
  if (header < 12 || header > dib.size()) return false;
  uint32_t bits = 0, colours = 0, masks = 0, entry = 4;
  if (header == 12) {
    bits = uint32_t(dib[10]) | uint32_t(dib[11]) << 8;
    entry = 3;
  } else {
    if (dib.size() < 36) return false;
    bits = uint32_t(dib[14]) | uint32_t(dib[15]) << 8;
    colours = u32(32);
    if (header == 40 && u32(16) == 3 /* BI_BITFIELDS */) masks = 12;
  }
  if (bits <= 8 && colours == 0) colours = 1u << bits;
  if (bits > 8 && header == 12) colours = 0;
  const uint64_t offset = 14ull + header + masks + uint64_t(colours) * entry;
  if (offset > 14ull + dib.size()) return false;
  std::vector<uint8_t> file(14 + dib.size());
  const uint64_t size = file.size();
  const uint8_t head[14] = {'B', 'M', uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24),
                            0, 0, 0, 0, uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16), uint8_t(offset >> 24)};
  std::copy(std::begin(head), std::end(head), file.begin());
  std::copy(dib.begin(), dib.end(), file.begin() + 14);
  TBmpImage image;
  if (!DecodeBmp(file.data(), file.size(), image)) return false;
  SetImage(bitmap, image);
  return !bitmap.Empty();
}

void TSkinObjects::PrepareComboImages() {
  if (combo_ready_.load(std::memory_order_acquire)) return;
  auto lock = PaintLock();
  if (combo_ready_.load(std::memory_order_relaxed)) return;
  BuildComboImages(*this);
  BuildComboArrow(*this);
  combo_ready_.store(true, std::memory_order_release);
}

void ReadSkin(TSkinReader& reader, const TQuickIni& ini, TSkinObjects& s) {
  const skin::TSkinDef d = skin::ReadSkinDef(ini);
  s.SkinName = d.SkinName;
  // The combo pictures of a set read before are composed afresh from this skin's images.
  s.comboxarrow.reset();
  s.combo_ready_ = false;
  ReadFrameBorders(reader, d, s);
  std::copy(d.Colors.begin(), d.Colors.end(), s.Colors.begin());
  s.hasColors = d.hasColors;
  s.ColorPreset.assign(d.ColorPreset.begin(), d.ColorPreset.end());
  std::copy(d.PresetColors.begin(), d.PresetColors.end(), s.PresetColors.begin());
  ReadSysButtons(reader, d, s);
  ReadButtons(reader, d.Button, *s.Button);
  ReadTitle(reader, d.Title, *s.Title);
  ReadObjects(reader, d, s);
  LoadResourceObject(s.TrackBar, kTrackResource);
  LoadResourceObject(s.TrackBarVert, kTrackVertResource);
  SetFrameCounts(d, s);
  BuildToolbarImage(s);
  s.Colors[skin::kcCaption] = s.GetCaptionColor();
  s.BGBrush = MakeSolidBrush(ColorToRGB(s.Colors[skin::kcButtonFace]));
  s.Loaded = true;
}

}  // namespace qn
