// Cutting one frame of a multi-frame skin image into a target rectangle: nine-sliced (fixed
// corners, stretched or tiled edges and centre), centred unscaled, or whole, opaque or with
// the transparent colour left out. The loader builds derived images with them; the painters
// and the contact sheet draw with the same routines.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win/Graphics.h"
#include "skin/data/SkinDef.h"

namespace qn {

// Frame `index` (from 1) of `count` frames side by side, or stacked when vertical. Frame
// counts below 1 are taken as 1, so that no caller divides by zero.
RECT SkinFrameRect(const TBitmap& image, int index, int count, bool vertical);

// A new bitmap of the target's size holding the frame nine-sliced by the margins. Margins
// that do not fit the target on an axis are dropped on that axis.
std::unique_ptr<TBitmap> MakeSkinBitmap(const RECT& dest, TBitmap& image, const skin::TMargins& margins, int index,
                                        int count, int tile, bool vertical);
// MakeSkinBitmap drawn at dest, leaving out magenta when transparent is non-zero.
void DrawSkinRect(HDC dc, const RECT& dest, TBitmap& image, const skin::TMargins& margins, int index, int count,
                  int transparent, int tile, bool vertical);
// The frame unscaled, centred on dest (overhanging evenly when larger).
void DrawSkinFrameCenter(HDC dc, const RECT& dest, TBitmap& image, int index, int count, int transparent);
// The frame stretched whole over dest.
void DrawSkinFrame(HDC dc, const RECT& dest, TBitmap& image, int index, int count, int transparent);
// The image's top-left part of dest's size copied to dest, except pixels of `color`.
void DrawTransparent(HDC dc, const RECT& dest, TBitmap& image, TColor color);

}  // namespace qn
