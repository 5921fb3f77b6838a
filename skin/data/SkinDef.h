// What a skin definition asks for, read without touching a bitmap: every section and key of the
// schema with its default, as plain values and image names. The Windows loader (SkinSchema.h)
// turns this into skin objects by loading the named images; the fuzzers and the native tests
// read definitions through it. No Windows header.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/BmpFile.h"
#include "skin/package/SkinRead.h"

namespace qn {
class TQuickIni;  // WinSkinIni.h
}  // namespace qn

namespace qn::skin {

// Colour values: red in the low byte, then green, then blue; a negative value names a system
// colour by the index in its low byte (resolved when drawn).
using TColorValue = int32_t;
constexpr TColorValue SysColorCode(int index) { return static_cast<TColorValue>(0xFF000000u | unsigned(index)); }
// System colour indices the schema falls back to (the values of the platform's COLOR_...).
enum TSysColorIndex : int {
  kSysScrollBar = 0, kSysMenu = 4, kSysMenuText = 7, kSysWindowText = 8, kSysCaptionText = 9,
  kSysHighlight = 13, kSysHighlightText = 14, kSysBtnFace = 15, kSysBtnShadow = 16, kSysBtnText = 18,
  kSysInactiveCaptionText = 19, kSysBtnHighlight = 20, kSysDkShadow3D = 21,
};
constexpr TColorValue kNoTitleColor = 0x1FFFFFFF;  // activetext / inactivetext not given
constexpr TColorValue kMagenta = 0xFF00FF;         // the transparent colour of every skin image

// Indices into the scheme colours.
enum TSchemeColor : int {
  kcWindowText = 0, kcTitleTextActive = 1, kcTitleTextNoActive = 2, kcButtonFace = 3, kcButtonText = 4,
  kcButtonHilight = 5, kcButtonlight = 6, kcButtonShadow = 7, kcButtonDkShadow = 8, kcHilightText = 11,
  kcHilight = 12, kcMenubar = 13, kcMenuBarText = 14, kcMenuText = 15, kcMenu = 16, kcCaption = 17,
  kcScrollbar = 18,
};
constexpr int kSchemeColors = 20;
constexpr int kPresetColors = 10;

// Slice margins: widths of the fixed left and right parts, heights of the fixed top and bottom.
struct TMargins {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TMargins&) const = default;
};

// One skin object as the definition describes it.
struct TObjectDef {
  std::wstring IDName;  // section (or fixed name) it was read from
  std::wstring Image;   // value naming its image, as written
  std::wstring Mask;    // second image (border objects)
  TMargins r;
  int32_t frame = 0, trans = 0, Tile = 0, style = 0;
  int32_t Normalcolor = -1, Overcolor = -1, Downcolor = -1;
  TColorValue Normalcolor2 = 0, Overcolor2 = 0, Downcolor2 = 0;
};

struct TBoxLabelDef : TObjectDef {
  int32_t LeftShift = 0, RightShift = 0, Alignment = 0;
};

struct TTitleDef : TObjectDef {
  int32_t Aligment = 0, BackGround = 0, FontHeight = 14, backleft = 0, backright = 0;
  TColorValue activetext = kNoTitleColor, inactivetext = kNoTitleColor;
};

struct TButtonDef : TObjectDef {
  std::wstring CheckImage, RadioImage;
  int32_t radioframe = 0, checkframe = 0;
  bool newnormal = false, newover = false, newdown = false;
};

struct TSysButtonDef : TObjectDef {
  int32_t Action = 0, Align = 0, XCoord = 0, YCoord = 0, CombineOp = -1, Visibility = 0, Visibility1 = 0;
};

enum TBorderSide : int { kBorderLeft = 0, kBorderRight = 1, kBorderTop = 2, kBorderBottom = 3 };
inline constexpr const wchar_t* kBorderNames[4] = {L"Left", L"Right", L"Top", L"Bottom"};

// Everything a definition says, in the holders' terms. Optional objects are absent when their
// section names no image.
struct TSkinDef {
  std::wstring SkinName;
  std::array<TObjectDef, 4> border;
  std::array<TColorValue, kSchemeColors> Colors{};
  std::array<bool, kSchemeColors> hasColors{};
  std::vector<TColorValue> ColorPreset;
  std::array<TColorValue, kPresetColors> PresetColors{};
  // The caption buttons read from the BUTTON... sections, in file order (without the three
  // MDI buttons, which the loader adds from MdiImage).
  std::vector<TSysButtonDef> SysBtn;
  std::wstring MdiImage;
  TButtonDef Button;
  TTitleDef Title;
  std::optional<TObjectDef> progress, progresschunk, Menubar, Box, tab, StatusBar, TabSheet, Toolbarbtn,
      combox, Comboxborder, ExtraImages, Header, MenuItem, MenuitemBG, SArrow, HBar, VBar, HSlider, VSlider,
      TrackHorz, TrackVert, TrackLeft, Trackright, Tracktop, Trackbottom, HSpin, VSpin, TrackBar, TrackBarVert;
  std::optional<TBoxLabelDef> boxlabel;
  int32_t HSliderFrames = 3, VSliderFrames = 3;  // [Horz|VertScrollThumb] FrameCount
};

// A colour text of three numbers (red, green, blue) separated by anything but digits. A number
// counts when a separator follows it, and the last one at the end of the text only when it is
// the third; missing numbers are 0, each is cut to its low 8 bits.
TColorValue ParseRGB(const std::wstring& text);

// The bitmap entry a definition value names: its file-name part (after the last "\" or ":")
// when that ends in ".bmp" (lower case), else empty (the image is missing).
std::wstring BmpEntryName(const std::wstring& value);

// Reads every section and key of the schema, with its defaults, in the schema's order.
TSkinDef ReadSkinDef(const TQuickIni& ini);

// ---- Rules that depend on the size of the loaded images ----

// Frame count of a caption button whose definition gave `frame` (0 = not given).
int32_t SysButtonFrames(int32_t frame, int32_t action, int width, int height);
// Whether a caption button's image is dropped: an icon button (Action 3 or 11) without a frame
// count draws the window's icon instead.
bool SysButtonDropsImage(int32_t frame, int32_t action);
// Cells of a check-box or radio-button strip of that size when the definition gave no count.
int32_t CheckCells(int width, int height);
// Width of one of the twelve cells of the MDI button strip; button i (0..2) takes the four
// cells from 4*a*i and sits (a + 4) * (3 - i) pixels from the right.
inline int MdiCellWidth(int stripWidth) { return stripWidth / 12; }
// The pixel of the top border whose colour is the caption colour; false when the image is
// empty or the frame count gives no row inside it.
bool CaptionPixel(int width, int height, int32_t frames, int& x, int& y);

// ---- Loading images from the archive ----

// Reads the entry a definition value names and decodes it; false (image empty) when the name
// is not a bitmap, the entry is missing or its bytes are not a readable bitmap.
bool ReadBmpEntry(TSkinReader& reader, const std::wstring& value, TBmpImage& image);

}  // namespace qn::skin
