#include "skin/controls/SkinObjImage.h"

#include <span>
#include <string>

#include "platform/win/PropAccess.h"
#include "platform/win/WinUtil.h"
#include "skin/data/SkinObjects.h"

namespace qn {

QN_CLASS_IMPL(TSkinObjImage, TSkinControl)

namespace {

constexpr TColor kStripKey = 0xFF00FF;  // magenta: left out by the control
constexpr int kGrayedFrame = 4;         // only a five-frame image has it

// Frames (from 0) of the skin's image for each cell of a strip.
constexpr int kCheckCells[] = {0, 1, 4, 0, 1, 4, 2, 3, 4};
constexpr int kRadioCells[] = {0, 1, 0, 1, 2, 3};
constexpr int kPropertiesCells[] = {0, 1, 4, 0, 1, 4};

}  // namespace

std::unique_ptr<TBitmap> MakeGlyphStrip(TDataSkinButton& button, int kind) {
  const bool radio = kind == kObjImageRadio;
  TBitmap& image = radio ? button.RadioMap : button.CheckMap;
  const int frames = radio ? button.radioframe : button.checkframe;
  // A damaged skin may say it has no frames, or more than the image is wide.
  if (image.Empty() || frames < 1) return nullptr;
  const int w = image.Width() / frames, h = image.Height();
  if (w < 1) return nullptr;
  std::span<const int> cells;
  switch (kind) {
    case kObjImageCheck: cells = kCheckCells; break;
    case kObjImageRadio: cells = kRadioCells; break;
    case kObjImageProperties: cells = kPropertiesCells; break;
    default: return nullptr;
  }
  auto strip = std::make_unique<TBitmap>(w * static_cast<int>(cells.size()), h, TPixelFormat::pf24bit);
  if (strip->Empty()) return nullptr;
  HDC dc = strip->DC();
  HDC source = image.DC();
  if (!dc || !source) return nullptr;
  FillSolidRect(dc, RECT{0, 0, strip->Width(), h}, ColorToRGB(kStripKey));
  for (size_t i = 0; i < cells.size(); ++i) {
    const int f = cells[i];
    const bool present = f == kGrayedFrame ? frames == 5 : f < frames;
    if (present) BitBlt(dc, static_cast<int>(i) * w, 0, w, h, source, f * w, 0, SRCCOPY);
  }
  return strip;
}

void TSkinObjImage::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited) return;
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  if (!owner) return;
  fsd = sd;
  skinform = sf;
  fCanvas = acanvas;
  control = owner;
  hwnd = owner->Handle();
  if (skinform) skinform->AddControlList(this);
  newColor = acolor;
  if (newColor) {
    // The control paints its own background: in the skin's face it sits on a skinned parent.
    oldcolor = control->Color();
    recolored_ = true;
    control->SetColor(FaceColor());
  }
  ApplyStrip();
  Inited = true;
  skinstate = kSkinAttached;
}

void TSkinObjImage::ApplyStrip() {
  auto skin = Skin();
  if (!skin || !skin->Button || !control) return;
  std::unique_ptr<TBitmap> strip;
  {
    auto lock = skin->PaintLock();
    strip = MakeGlyphStrip(*skin->Button, kind);
  }
  if (!strip) return;
  if (kind == kObjImageProperties) {
    TObject* properties = GetPropObject(control, "Properties");
    if (!properties || !GetPropInfo(properties, "Glyph")) return;
    (void)SetObjectProp(properties, "Glyph", strip.get());
    if (auto* glyph = dynamic_cast<TBitmap*>(GetPropObject(properties, "Glyph"))) {
      glyph->SetTransparentColor(kStripKey);
      glyph->SetTransparent(false);
    }
    return;
  }
  if (!GetPropInfo(control, "CustomGlyphs")) return;
  (void)SetObjectProp(control, "CustomGlyphs", strip.get());
  (void)SetPropText(control, "TransparentColor", std::to_wstring(kStripKey));
  // Off and on again: the control takes the new strip even where it was on already.
  (void)SetPropText(control, "UseCustomGlyphs", L"False");
  (void)SetPropText(control, "UseCustomGlyphs", L"True");
}

void TSkinObjImage::Unsubclass() {
  if (skinned && skinstate != kSkinWindowGone && control) {
    try {
      if (kind == kObjImageProperties) {
        TObject* properties = GetPropObject(control, "Properties");
        if (properties && GetPropInfo(properties, "Glyph")) (void)SetObjectProp(properties, "Glyph", nullptr);
      } else {
        (void)SetPropText(control, "UseCustomGlyphs", L"False");
      }
      if (recolored_) control->SetColor(oldcolor);
    } catch (...) {
      DropCurrentException();
    }
  }
  recolored_ = false;
  TSkinControl::Unsubclass();
}

void TSkinObjImage::SkinChange() {
  if (!skinned) return;
  if (recolored_ && control) control->SetColor(FaceColor());
  ApplyStrip();
}

}  // namespace qn
