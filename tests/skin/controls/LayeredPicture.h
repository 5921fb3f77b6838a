// Pictures worked out from the skin images for the control tests: a painted control is checked
// pixel by pixel against frames of skin images laid over what lies under the skin.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/win/Controls.h"
#include "platform/win/Graphics.h"
#include "skin/data/SkinObjects.h"
#include "tests/skin/draw/Pictures.h"

namespace qn::test {

// One frame of a skin image drawn onto `at`: nine-sliced with `margins` (zero margins stretch
// the whole frame), magenta left out when `transparent`.
struct TLayer {
  RECT at;
  TBitmap* image;
  int frame, frames;
  RECT margins{};
  bool transparent = true;
};

// Every pixel of `area` of the painted picture explained by the layers (the last on top) over
// `base` (a picture of the same size: what lies under the skin). A stretched part may take its
// pixel from its proportional place in the frame, give or take one.
::testing::AssertionResult Shows(const Rows& painted, const RECT& area, const std::vector<TLayer>& layers,
                                 const Rows& base);

// A painted button face against frame `frame` of the skin's button image, nine-sliced over it
// with the image's margins: every corner pixel exactly, every stretched pixel against the
// colours its source column or row offers, magenta as `behind`. The inside, where a caption or
// glyph goes, is not compared: its pixels that no face pixel explains are the ink, whose bounds
// are returned in `ink`.
::testing::AssertionResult FaceShows(const Rows& px, TDataSkinButton& b, int frame, TColor behind, RECT* ink);

// The control's client area as painted.
Rows ClientPixels(TWinControl* c);

}  // namespace qn::test
