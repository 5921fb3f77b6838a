#include "skin/data/SkinDef.h"

#include <algorithm>

#include "platform/core/TextConv.h"
#include "skin/package/WinSkinIni.h"

namespace qn::skin {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= L' ') ++b;
  while (e > b && s[e - 1] <= L' ') --e;
  return s.substr(b, e - b);
}

// Reads keys of one section of one definition.
class TSectionReader {
 public:
  TSectionReader(const TQuickIni& ini, std::wstring section) : ini_(ini), section_(std::move(section)) {}
  int32_t Int(const wchar_t* key, int32_t def) const { return ini_.ReadInteger(section_, key, def); }
  std::wstring Str(const wchar_t* key) const { return ini_.ReadString(section_, key, L""); }
  bool Has(const wchar_t* key) const { return !Str(key).empty(); }
  // A colour text; def when the key is missing or empty.
  TColorValue Color(const wchar_t* key, TColorValue def) const {
    std::wstring v = Str(key);
    return v.empty() ? def : ParseRGB(v);
  }
  // prefix R, G and B as three integers; colour only when all three are 0 or more.
  void RGBKeys(const std::wstring& prefix, TColorValue& color) const {
    int32_t r = ini_.ReadInteger(section_, prefix + L"R", -1);
    int32_t g = ini_.ReadInteger(section_, prefix + L"G", -1);
    int32_t b = ini_.ReadInteger(section_, prefix + L"B", -1);
    if (r >= 0 && g >= 0 && b >= 0) color = (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
  }
  const std::wstring& Name() const { return section_; }

 private:
  const TQuickIni& ini_;
  std::wstring section_;
};

int32_t AtMost(int32_t v, int32_t limit) { return v > limit ? limit : v; }

enum class TKind { Generic, Border, Bitmap, BoxLabel };

// The keys every generic object reads after its image. Frame is left out for border objects
// and box labels; bitmap objects read only style, margins, trans and tile.
void ReadObjectKeys(const TSectionReader& s, TKind kind, TColorValue buttonText, TObjectDef& o) {
  o.style = s.Int(L"Style", 0);
  o.r.Left = s.Int(L"LeftWidth", 0);
  o.r.Right = s.Int(L"RightWidth", 0);
  o.r.Top = s.Int(L"TopHeight", 0);
  o.r.Bottom = s.Int(L"BottomHeight", 0);
  if (kind == TKind::Generic) o.frame = s.Int(L"Frame", 0);
  o.trans = s.Int(L"Trans", 0);
  o.Tile = s.Int(L"Tile", 0);
  if (kind == TKind::Bitmap) {
    if (o.Tile > 1) o.Tile = 1;
    return;
  }
  if (o.Tile > 1) o.Tile = 0;
  o.Normalcolor = s.Int(L"NormalColour", -1);
  o.Overcolor = s.Int(L"MouseOverColour", -1);
  o.Downcolor = s.Int(L"PressedColour", -1);
  o.Normalcolor2 = s.Color(L"NormalColour2", buttonText);
  o.Overcolor2 = s.Color(L"MouseOverColour2", buttonText);
  o.Downcolor2 = s.Color(L"PressedColour2", buttonText);
}

std::optional<TObjectDef> ReadObject(const TQuickIni& ini, const std::wstring& section, TKind kind,
                                     TColorValue buttonText, const wchar_t* maskKey = nullptr) {
  TSectionReader s(ini, section);
  std::wstring image = s.Str(kind == TKind::Bitmap ? L"Bitmap" : L"Image");
  if (image.empty()) return std::nullopt;
  TObjectDef o;
  o.IDName = section;
  o.Image = image;
  if (maskKey) o.Mask = s.Str(maskKey);
  ReadObjectKeys(s, kind, buttonText, o);
  return o;
}

std::optional<TBoxLabelDef> ReadBoxLabel(const TQuickIni& ini, const std::wstring& section, TColorValue buttonText) {
  TSectionReader s(ini, section);
  std::wstring image = s.Str(L"Image");
  if (image.empty()) return std::nullopt;
  TBoxLabelDef o;
  o.IDName = section;
  o.Image = image;
  ReadObjectKeys(s, TKind::BoxLabel, buttonText, o);
  o.Alignment = s.Int(L"BackgroundAlignment", 0);
  o.LeftShift = s.Int(L"BackgroundLeftShift", 0);
  o.RightShift = s.Int(L"BackgroundRightShift", 0);
  return o;
}

void ReadFrameBorders(const TQuickIni& ini, TSkinDef& d) {
  TSectionReader s(ini, L"Personality");
  for (int i = 0; i < 4; ++i) {
    const std::wstring n = kBorderNames[i];
    TObjectDef& b = d.border[static_cast<size_t>(i)];
    b.IDName = n;
    int32_t first = s.Int((n + L"TopHeight").c_str(), 0), last = s.Int((n + L"BotHeight").c_str(), 0);
    if (i == kBorderLeft || i == kBorderRight) {
      b.r = {0, first, 0, last};
    } else {
      b.r = {first, 0, last, 0};
    }
    b.frame = s.Int((n + L"Frame").c_str(), 1);
    b.Tile = AtMost(s.Int((n + L"Stretch").c_str(), 1), 1);
    b.trans = s.Int((n + L"Trans").c_str(), 1);
    b.Image = s.Str(n.c_str());
  }
}

struct TColourRow {
  const wchar_t* key;
  int index;
  int sysDefault;  // -1: the button-face value just read
};
constexpr TColourRow kColourRows[] = {
    {L"WindowText", kcWindowText, kSysWindowText},
    {L"ButtonFace", kcButtonFace, kSysBtnFace},
    {L"Scrollbar", kcScrollbar, kSysScrollBar},
    {L"HilightText", kcHilightText, kSysHighlightText},
    {L"Hilight", kcHilight, kSysHighlight},
    {L"Menubar", kcMenubar, -1},
    {L"Menu", kcMenu, kSysMenu},
    {L"MenuText", kcMenuText, kSysMenuText},
    {L"ButtonText", kcButtonText, kSysBtnText},
    {L"ButtonHilight", kcButtonHilight, kSysBtnHighlight},
    {L"Buttonlight", kcButtonlight, kSysBtnHighlight},
    {L"ButtonShadow", kcButtonShadow, kSysBtnShadow},
    {L"ButtonDkShadow", kcButtonDkShadow, kSysDkShadow3D},
    {L"MenuBarText", kcMenuBarText, kSysMenuText},
    {L"TitleTextActive", kcTitleTextActive, kSysCaptionText},
    {L"TitleTextNoActive", kcTitleTextNoActive, kSysInactiveCaptionText},
};

void ReadColours(const TQuickIni& ini, const TStringVec& sections, TSkinDef& d) {
  TSectionReader s(ini, L"Colours");
  for (const TColourRow& row : kColourRows) {
    auto i = static_cast<size_t>(row.index);
    std::wstring v = s.Str(row.key);
    d.hasColors[i] = !v.empty();
    if (!v.empty()) {
      d.Colors[i] = ParseRGB(v);
    } else {
      d.Colors[i] = row.sysDefault < 0 ? d.Colors[kcButtonFace] : SysColorCode(row.sysDefault);
    }
  }
  for (const auto& name : sections) {
    std::wstring up = UpperAscii(name);
    if (up.rfind(L"COLOUR", 0) == 0 && up != L"COLOURS") {
      d.ColorPreset.push_back(TSectionReader(ini, name).Color(L"color", SysColorCode(kSysWindowText)));
    }
  }
  TSectionReader custom(ini, L"Customcolors");
  for (int n = 0; n < kPresetColors; ++n) {
    d.PresetColors[static_cast<size_t>(n)] = custom.Color((L"Color" + std::to_wstring(n)).c_str(), 0xFFFFFF);
  }
}

bool IsCaptionButtonSection(const std::wstring& up) {
  return up.rfind(L"BUTTON", 0) == 0 && up != L"BUTTON" && up != L"BUTTONS" && up != L"BUTTON.RADIO" &&
         up != L"BUTTON.CHECKBOX";
}

void ReadSysButtons(const TQuickIni& ini, const TStringVec& sections, TSkinDef& d) {
  std::vector<std::wstring> kept;
  for (const auto& name : sections) {
    if (!IsCaptionButtonSection(UpperAscii(name))) continue;
    TSectionReader s(ini, name);
    // A button that can never be clicked is kept only when it is always shown.
    if (s.Int(L"Action", 0) == -1 && s.Int(L"Visibility", -1) != 0) continue;
    kept.push_back(name);
  }
  d.SysBtn.reserve(kept.size() + 3);
  bool recorded = false;
  int32_t recX = 0, recY = 0;
  for (const auto& name : kept) {
    TSectionReader s(ini, name);
    TSysButtonDef b;
    b.IDName = UpperAscii(name);
    b.Action = s.Int(L"Action", 0);
    b.Align = s.Int(L"Align", 0);
    b.XCoord = s.Int(L"Xcoord", 0);
    b.YCoord = s.Int(L"Ycoord", 0);
    b.Visibility = s.Int(L"Visibility", 0);
    b.Visibility1 = s.Int(L"Visibility1", b.Action == -1 ? -1 : 0);
    b.CombineOp = s.Int(L"CombineOp", -1);
    b.frame = s.Int(L"frame", 0);
    b.Image = s.Str(L"ButtonImage");
    // A button of action 4 sits where the last maximise button shown on normal windows sits.
    if (b.Action == 1 && b.Visibility == 2) {
      recorded = true;
      recX = b.XCoord;
      recY = b.YCoord;
    } else if (b.Action == 4 && recorded) {
      b.XCoord = recX;
      b.YCoord = recY;
    }
    d.SysBtn.push_back(std::move(b));
  }
  d.MdiImage = TSectionReader(ini, L"MDICONTROLS").Str(L"Image");
}

void ReadButtons(const TQuickIni& ini, TSkinDef& d) {
  TSectionReader s(ini, L"Buttons");
  TButtonDef& b = d.Button;
  b.IDName = L"Buttons";
  b.r = {s.Int(L"LeftWidth", 0), s.Int(L"TopHeight", 0), s.Int(L"RightWidth", 0), s.Int(L"BottomHeight", 0)};
  b.trans = s.Int(L"Trans", 0);
  b.Image = s.Str(L"Bitmap");
  b.Tile = s.Int(L"Tile", 0);
  if (b.Tile > 1) b.Tile = 0;
  b.CheckImage = s.Str(L"CheckButton");
  b.RadioImage = s.Str(L"RadioButton");
  b.Normalcolor = s.Int(L"NormalColour", -1);
  b.Overcolor = s.Int(L"MouseOverColour", -1);
  b.Downcolor = s.Int(L"PressedColour", -1);
  b.radioframe = s.Int(L"RadioButtonFrame", 0);
  b.checkframe = s.Int(L"CheckButtonFrame", 0);
  b.newnormal = s.Has(L"NormalColour2");
  b.newover = s.Has(L"MouseOverColour2");
  b.newdown = s.Has(L"PressedColour2");
  const TColorValue text = d.Colors[kcButtonText];
  b.Normalcolor2 = s.Color(L"NormalColour2", text);
  b.Overcolor2 = s.Color(L"MouseOverColour2", text);
  b.Downcolor2 = s.Color(L"PressedColour2", text);
}

void ReadTitle(const TQuickIni& ini, TSkinDef& d) {
  TSectionReader s(ini, L"Personality");
  TTitleDef& t = d.Title;
  t.IDName = L"Title";
  t.Image = s.Str(L"TextBack");
  t.r = {s.Int(L"TextShift", 0), s.Int(L"TextShiftVert", 0), s.Int(L"TextRightClip", 0), 0};
  t.Aligment = s.Int(L"TextAlignment", 0);
  t.BackGround = s.Int(L"Textbackground", 0);
  t.FontHeight = TSectionReader(ini, L"Fonts").Int(L"FontHeight", 14);
  t.backleft = s.Int(L"TXTBackleft", 0);
  t.backright = s.Int(L"TXTBackRight", 0);
  t.activetext = t.inactivetext = kNoTitleColor;
  s.RGBKeys(L"ActiveText", t.activetext);
  s.RGBKeys(L"InActiveText", t.inactivetext);
}

void ReadMenuBar(const TQuickIni& ini, TSkinDef& d) {
  TSectionReader s(ini, L"Personality");
  std::wstring image = s.Str(L"MenuBar");
  if (image.empty()) return;
  TObjectDef m;
  m.IDName = L"Personality";
  m.Image = image;
  m.Tile = AtMost(s.Int(L"TileMenu", 1), 1);
  m.r = {s.Int(L"TileLeftMenu", 1), 0, s.Int(L"TileRightMenu", 1), 0};
  d.Menubar = m;
}

}  // namespace

TColorValue ParseRGB(const std::wstring& text) {
  const std::wstring t = Trim(text);
  uint32_t rgb[3] = {0, 0, 0};
  int n = 0;
  size_t i = 0;
  while (i < t.size() && n < 3) {
    if (!IsDigit(t[i])) {
      ++i;
      continue;
    }
    uint32_t v = 0;
    while (i < t.size() && IsDigit(t[i])) v = v * 10 + static_cast<uint32_t>(t[i++] - L'0');
    if (i < t.size() || n == 2) rgb[n] = v & 0xFF;
    ++n;
  }
  return static_cast<TColorValue>(rgb[0] | (rgb[1] << 8) | (rgb[2] << 16));
}

std::wstring BmpEntryName(const std::wstring& value) {
  size_t slash = value.find_last_of(L"\\:");
  std::wstring file = slash == std::wstring::npos ? value : value.substr(slash + 1);
  size_t dot = file.rfind(L'.');
  if (file.empty() || dot == std::wstring::npos || file.substr(dot) != L".bmp") return L"";
  return file;
}

TSkinDef ReadSkinDef(const TQuickIni& ini) {
  TSkinDef d;
  TStringVec sections;
  ini.ReadSections(&sections);
  d.SkinName = ini.ReadString(L"TitlebarSkin", L"SkinName", L"");
  ReadFrameBorders(ini, d);
  ReadColours(ini, sections, d);
  ReadSysButtons(ini, sections, d);
  ReadButtons(ini, d);
  ReadTitle(ini, d);

  const TColorValue text = d.Colors[kcButtonText];
  auto generic = [&](const wchar_t* section) { return ReadObject(ini, section, TKind::Generic, text); };
  auto border = [&](const wchar_t* section, const wchar_t* mask) {
    return ReadObject(ini, section, TKind::Border, text, mask);
  };
  d.progress = ReadObject(ini, L"Progress", TKind::Bitmap, text);
  d.progresschunk = generic(L"Progress.Chunk");
  ReadMenuBar(ini, d);
  d.Box = generic(L"GroupBoxEdge");
  d.boxlabel = ReadBoxLabel(ini, L"GroupBox", text);
  d.tab = border(L"Tabs", L"Border");
  d.StatusBar = generic(L"StatusBarEdges");
  d.TabSheet = generic(L"Tab.Pane");
  if (d.TabSheet) {
    TMargins& m = d.TabSheet->r;
    m = {AtMost(m.Left, 4), AtMost(m.Top, 4), AtMost(m.Right, 4), AtMost(m.Bottom, 4)};
  }
  d.Toolbarbtn = generic(L"ToolBars");
  // A mask key that no skin carries: the combo's mirrored button is built after loading.
  d.combox = border(L"ComboButton", nullptr);
  d.Comboxborder = generic(L"SunkEdge");
  d.ExtraImages = generic(L"ExtraImages");
  d.Header = generic(L"Headerbar");
  d.MenuItem = generic(L"MenuItem");
  d.MenuitemBG = generic(L"MenuBackground");
  d.SArrow = generic(L"Scrollbar");
  d.HBar = generic(L"HorzScroll");
  d.VBar = generic(L"VertScroll");
  d.HSlider = generic(L"HorzScrollThumb");
  d.VSlider = generic(L"VertScrollThumb");
  d.TrackHorz = generic(L"Trackbar.ThumbHorz");
  d.TrackVert = generic(L"Trackbar.ThumbVert");
  d.TrackLeft = generic(L"Trackbar.ThumbLeft");
  d.Trackright = generic(L"Trackbar.ThumbRight");
  d.Tracktop = generic(L"Trackbar.ThumbUp");
  d.Trackbottom = generic(L"Trackbar.ThumbDown");
  d.HSpin = border(L"UpDown.Horz", L"GlyphImage");
  d.VSpin = border(L"UpDown.Vert", L"GlyphImage");
  d.TrackBar = generic(L"Track");
  d.TrackBarVert = generic(L"TRACKVERT");
  d.HSliderFrames = ini.ReadInteger(L"HorzScrollThumb", L"FrameCount", 3);
  d.VSliderFrames = ini.ReadInteger(L"VertScrollThumb", L"FrameCount", 3);
  return d;
}

int32_t SysButtonFrames(int32_t frame, int32_t action, int width, int height) {
  if (frame != 0) return frame;
  if (width <= 0 || height <= 0) return 6;
  if (action < 0) return 6;
  // width / height <= 3.8, in integers.
  return int64_t(width) * 5 <= int64_t(height) * 19 ? 3 : 6;
}

bool SysButtonDropsImage(int32_t frame, int32_t action) { return frame == 0 && (action == 3 || action == 11); }

int32_t CheckCells(int width, int height) {
  int unit = height < 16 ? 13 : 16;
  return std::max(width / unit, 4);
}

bool CaptionPixel(int width, int height, int32_t frames, int& x, int& y) {
  // A frame count below 1 names no frame; the caption colour then falls back to the face.
  if (width <= 0 || height <= 0 || frames < 1) return false;
  x = width / 3;
  y = (height / frames) / 3;
  return true;
}

bool ReadBmpEntry(TSkinReader& reader, const std::wstring& value, TBmpImage& image) {
  image = {};
  std::wstring name = BmpEntryName(value);
  if (name.empty()) return false;
  TMemoryStream entry;
  reader.readfile(name, entry);
  if (entry.Size() == 0) return false;
  if (!DecodeBmp(entry.Memory(), entry.Bytes().size(), image)) {
    image = {};
    return false;
  }
  return true;
}

}  // namespace qn::skin
