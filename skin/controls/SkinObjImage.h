// Check boxes and radio buttons of other component families that draw their box from a glyph
// strip of their own ("CustomGlyphs", or "Properties"."Glyph"): the skinner builds the strip from
// the skin's check or radio image and hands it to the control, which paints itself. It hooks
// nothing; taking the strip back at Unsubclass gives the control its own look again.
#pragma once

#include <memory>

#include "skin/controls/SkinControl.h"

namespace qn {

// kind, set before Init: what the control takes.
constexpr int kObjImageCheck = 1;       // a check box with "CustomGlyphs": 9 cells
constexpr int kObjImageRadio = 2;       // a radio button with "CustomGlyphs": 6 cells
constexpr int kObjImageProperties = 3;  // a check box with "Properties"."Glyph": 6 cells

// The strip for that kind from the skin's check (or radio) image, cells of one frame's size:
// unchecked, checked and grayed (radio: unchecked, checked), normal, then pressed, then disabled.
// A cell whose frame the image lacks is magenta, the colour left out. Null without an image.
std::unique_ptr<TBitmap> MakeGlyphStrip(TDataSkinButton& button, int kind);

class TSkinObjImage : public TSkinControl {
  QN_CLASS(TSkinObjImage)
 public:
  explicit TSkinObjImage(TComponent* owner) : TSkinControl(owner) {}

  // Attaches to the owner and hands it the strip; with acolor the control wears the skin's face
  // colour while attached, as the box it draws its strip on.
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Unsubclass() override;
  // The strip of the new skin.
  void SkinChange() override;

 private:
  void ApplyStrip();
  bool recolored_ = false;  // the control wears the face colour and has its own in oldcolor
};

}  // namespace qn
