// The look of one skin: its scheme colours, the frame's geometry and the colours every image
// is drawn with. Skins.cpp holds our three; Parts.cpp draws any of them.
#pragma once

#include <string>

#include "tools/skindraw/Pic.h"

namespace qn::skindraw {

struct TTheme {
  std::string folder;    // skins/<folder>
  std::string skinName;  // [TitlebarSkin] SkinName

  // Scheme colours ([Colours]).
  TRgb windowText, face, scrollbar, hilightText, hilight, menubar, menu, menuText, buttonText, btnHilight,
      btnLight, btnShadow, btnDkShadow, menuBarText, titleText, titleTextInactive;

  // Window frame: title height, side and bottom widths, corner radii (0: square).
  int titleH, sideW, bottomH, topRadius, bottomRadius;
  int topW, topLeftEnd, topRightEnd;  // top border image width and its fixed ends
  TRgb edge, edgeIn;                  // outermost line, active and inactive
  TRgb titleTop, titleBottom, titleTopIn, titleBottomIn;
  TRgb body, bodyIn;                  // sides and bottom below the title
  TRgb inner, innerIn;                // line around the client area
  TRgb shine;                         // line under the top edge
  TRgb accentLine;                    // a line of colour under the shine (kMagenta: none)

  // Caption buttons: size of one frame, 6 frames (flat) or 3 (round gems).
  int capW, capH;
  bool capGems;
  TRgb capGlyph, capGlyphIn, capHot, capPressed, capCloseHot, capGem;

  // Controls.
  int radius;  // corner radius of buttons, tabs, thumbs
  TRgb ctlEdge, ctlTop, ctlBottom, hotEdge, hotTop, hotBottom, pressTop, pressBottom, disEdge, disFill, focusEdge;
  TRgb ctlText;  // caption colour on push buttons (kMagenta: the control's own)
  TRgb accent, accentTop, glyph, glyphDis, field, fieldEdge, menuSel, menuSelEdge;
  TRgb shaft, shaftEdge, tabTop, tabBottom, tabText, barTop, barBottom, barText;

  // Optional images beyond the built-in set.
  bool textBack = false;     // a plaque behind the caption text
  bool trackImages = false;  // track channel and thumbs, up-down buttons
  bool chunkProgress = false;  // progress bar from a separate chunk image
};

}  // namespace qn::skindraw
