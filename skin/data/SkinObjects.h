// Skin objects: one skin bitmap each, with the attributes that say how painters cut it into
// frames and slices, and the holder of all of them that the skin-data component owns.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/Graphics.h"
#include "skin/data/SkinDef.h"

namespace qn {

using skin::TMargins;
class TQuickIni;
class TSkinReader;

class TDataSkinObject {
 public:
  explicit TDataSkinObject(std::wstring name) : IDName(std::move(name)) {}
  TDataSkinObject(const TDataSkinObject&) = delete;
  TDataSkinObject& operator=(const TDataSkinObject&) = delete;
  virtual ~TDataSkinObject() = default;

  TMargins r;          // fixed left/right widths and top/bottom heights
  TBitmap Map;         // the image; may be empty
  int32_t trans = 0;   // non-zero: magenta pixels are left out
  int32_t Tile = 0;    // 1: middle parts are tiled, 0: stretched
  std::wstring IDName;
  int32_t frame = 0;   // frames (states) in Map
  int32_t style = 0;   // variant, read by the painter
  int32_t Normalcolor = -1, Overcolor = -1, Downcolor = -1;
  TColor Normalcolor2 = 0, Overcolor2 = 0, Downcolor2 = 0;  // text colours per state
};

class TDataSkinBorder : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  TBitmap MaskMap;
};

class TDataSkinTitle : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  int32_t Aligment = 0, BackGround = 0, FontHeight = 0, backleft = 0, backright = 0;
  TColor activetext = skin::kNoTitleColor, inactivetext = skin::kNoTitleColor;
};

class TDataSkinButton : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  TBitmap CheckMap, RadioMap;
  int32_t radioframe = 0, checkframe = 0;
  bool newnormal = false, newover = false, newdown = false;
};

class TDataSkinSysButton : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  int32_t Action = 0, Align = 0, XCoord = 0, YCoord = 0, CombineOp = -1, Visibility = 0, Visibility1 = 0;
};

class TDataSkinBoxLabel : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  int32_t LeftShift = 0, RightShift = 0, Alignment = 0;
};

// A skin object's margins as the drawing routines take them.
inline RECT MarginRect(const TMargins& m) { return RECT{m.Left, m.Top, m.Right, m.Bottom}; }

template <class T>
using THolder = std::unique_ptr<T>;

// Every skin object of a loaded skin by the name painters know it under, and the scheme
// colours. The skin-data component holds one; ReadSkin (SkinSchema.h) fills it. Holders of
// sections a skin lacks are empty (null); border, Title and Button always exist.
//
// A loaded set is never changed again, but for the combo pictures composed once on first use: a
// new skin is a new set. Painters of any thread draw from the images while they hold
// PaintLock(), since an image's memory DC serves one drawing call at a time and is made on first
// use.
struct TSkinObjects {
  TSkinObjects();
  TSkinObjects(const TSkinObjects&) = delete;
  TSkinObjects& operator=(const TSkinObjects&) = delete;

  // Frees every object and resets the colours, as after creation.
  void Clear();

  // The colour of the top border's image at a third of its width and of one frame's height,
  // else the button face.
  TColor GetCaptionColor();
  // Preset n of the COLOUR... sections; false when there is none.
  [[nodiscard]] bool GetPrecolor(TColor& colour, int n) const;

  // combox, Comboxborder and comboxarrow as painters use them (one picture per state of the
  // whole combo face) are composed from the loaded images on first use, so that a program
  // without combo boxes never pays for them: painters of combos call this first. With the
  // loader, in SkinSchema.cpp.
  void PrepareComboImages();

  // Left, right, top, bottom (index by skin::TBorderSide).
  std::array<THolder<TDataSkinBorder>, 4> border;
  THolder<TDataSkinTitle> Title;
  THolder<TDataSkinButton> Button;
  std::vector<THolder<TDataSkinSysButton>> SysBtn;  // caption buttons, then the three MDI ones

  THolder<TDataSkinBorder> progress;
  THolder<TDataSkinObject> progresschunk;
  THolder<TDataSkinObject> Menubar;
  THolder<TDataSkinObject> Box;
  THolder<TDataSkinBoxLabel> boxlabel;
  THolder<TDataSkinBorder> tab;
  THolder<TDataSkinObject> StatusBar;
  THolder<TDataSkinObject> TabSheet;
  THolder<TDataSkinObject> Toolbarbtn;
  THolder<TDataSkinBorder> combox;
  THolder<TDataSkinObject> Comboxborder;
  THolder<TDataSkinObject> comboxarrow;
  THolder<TDataSkinObject> ExtraImages;
  THolder<TDataSkinObject> Header;
  THolder<TDataSkinObject> MenuItem;
  THolder<TDataSkinObject> MenuitemBG;
  THolder<TDataSkinObject> SArrow;
  THolder<TDataSkinObject> HBar, VBar;
  THolder<TDataSkinObject> HSlider, VSlider;
  THolder<TDataSkinObject> TrackHorz, TrackVert, TrackLeft, Trackright, Tracktop, Trackbottom;
  THolder<TDataSkinBorder> HSpin, VSpin;
  THolder<TDataSkinObject> TrackBar, TrackBarVert;
  THolder<TDataSkinObject> Toolbar;
  THolder<TDataSkinObject> MinCaption;  // never filled by the loader

  std::array<TColor, skin::kSchemeColors> Colors{};
  std::array<bool, skin::kSchemeColors> hasColors{};
  std::vector<TColor> ColorPreset;
  std::array<TColor, skin::kPresetColors> PresetColors{};
  std::wstring SkinName;
  TBrushHandle BGBrush;  // solid brush of the button face, made at each load
  bool Loaded = false;   // ReadSkin filled this set

  [[nodiscard]] std::unique_lock<std::recursive_mutex> PaintLock() { return std::unique_lock(paint_lock_); }

 private:
  friend void ReadSkin(TSkinReader& reader, const TQuickIni& ini, TSkinObjects& s);
  std::recursive_mutex paint_lock_;
  std::atomic<bool> combo_ready_{false};
};

// One entry of the holder table, for tools and tests that walk every object.
struct THolderRef {
  const wchar_t* name;    // the holder's name, e.g. L"SArrow"
  TDataSkinObject* object;  // null when empty
};
// Every single-object holder in the order of the holder table (borders, Title, Button, then the
// rest); the caption buttons are in SysBtn.
std::vector<THolderRef> Holders(TSkinObjects& skin);

}  // namespace qn
