// A small window drawn from a skin's pieces the way the painters lay them out: frame, title
// bar with caption buttons, menu bar with the MDI buttons, and a few controls.
#pragma once

#include "platform/win/Graphics.h"
#include "skin/data/SkinObjects.h"

namespace qn::sheet {

// Paints a w x h window into dc at (x, y); magenta left in the skin's frame stays out.
void DrawPreview(HDC dc, int x, int y, int w, int h, TSkinObjects& skin, HFONT font);

}  // namespace qn::sheet
