// The drawing routines every skinned surface is painted with: one frame of a multi-frame skin
// image cut into a target (nine-sliced, as a strip with caps, as a bar, stretched whole or
// centred), opaque or with the skin's transparent colour left out; a see-through control's
// parent background; the window region of a bitmap's opaque pixels; and the one scratch
// bitmap the painters share.
//
// Frames lie side by side in the image, each image width div count wide, or stacked when
// `vertical` (each image height div count high); they are numbered from 1. A frame count below
// 1 is taken as 1. Margins are widths, not coordinates: left, top, right and bottom are the
// sizes of the frame's fixed borders; negative ones count as 0.
//
// An inverted dest (right < left or bottom < top) draws nothing. Every routine accepts 24-bit,
// 32-bit and device images alike. What they build and keep is device-compatible, the format
// the screen takes fastest. No routine reports errors: what the system refuses is not drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win/Controls.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Graphics.h"

namespace qn {

// The skins' transparent colour.
constexpr TColor kSkinTransparent = clFuchsia;  // 0xFF00FF

// Frame `frame_index` nine-sliced onto dest: corners copied, left and right edges stretched
// vertically, top and bottom edges horizontally, the centre stretched (or tiled, its last tiles
// covered by the right and bottom borders). Margins that do not fit dest on an axis (left +
// right wider than dest) are dropped on that axis, where the frame's whole width (height) then
// fills dest as the centre does. Magenta is left out when `transparent`.
void DrawSkinRect(HDC dc, const RECT& dest, TBitmap& image, const RECT& margins, int frame_index, int frame_count,
                  bool transparent, bool tile, bool vertical);

// Frees a picture of MakeSkinBitmap, or keeps it in a small pool for the next picture of the
// same size: painters make and drop one per border on every paint, and a new device bitmap
// costs several times the blit it is made for.
struct TSkinBitmapRecycler {
  void operator()(TBitmap* bitmap) const;
};
using TSkinBitmap = std::unique_ptr<TBitmap, TSkinBitmapRecycler>;

// The picture DrawSkinRect draws, as a device bitmap of dest's size that the caller owns (only
// the size of dest counts); an empty bitmap when the system cannot make one.
TSkinBitmap MakeSkinBitmap(const RECT& dest, TBitmap& image, const RECT& margins, int frame_index, int frame_count,
                           bool tile, bool vertical);

// A horizontal strip: left cap, the frame's middle repeated at its own width, right cap (which
// wins where the caps overlap); all stretched to dest's height. Only the left and right
// margins count and they are never dropped. A frame without a middle (its width no more than
// left + right) leaves the gap between the caps black.
void DrawSkinStripH(TCanvas& canvas, const RECT& dest, TBitmap& image, const RECT& margins, int frame_index,
                    int frame_count, bool transparent, bool vertical);

// Left part, stretched middle, right part, straight onto dc in its own stretch mode, opaque; a
// frame wider than dest is squeezed into it whole. `tile` is accepted and ignored.
void DrawSkinBarH(HDC dc, const RECT& dest, TBitmap& image, const RECT& margins, int frame_index, int frame_count,
                  bool tile, bool vertical);

// The whole frame (frames side by side) stretched over dest.
void DrawSkinFrame(HDC dc, const RECT& dest, TBitmap& image, int frame_index, int frame_count, bool transparent);

// The frame (frames side by side) unscaled and centred on dest; a frame larger than dest
// overhangs it evenly, the half of an odd difference rounded toward zero.
void DrawSkinFrameCenter(HDC dc, const RECT& dest, TBitmap& image, int frame_index, int frame_count,
                         bool transparent);

// The image from its top-left corner copied to dest unscaled, except its pixels of exactly
// `transparent_color`, where dc keeps its own. Only what the image holds is drawn.
void DrawTransparent(HDC dc, const RECT& dest, TBitmap& image, TColor transparent_color);

// The source part of the image repeated over dest from its top-left corner; the last column
// and row overhang dest. Nothing for an empty or inverted source.
void TileDraw(TCanvas& canvas, const RECT& dest, TBitmap& image, const RECT& source);

// Paints the control's parent (background, then the rest) onto dc behind the control, for
// see-through controls: dc's origin is the control's top-left corner. dc's state is restored.
void DrawParentImage(TControl* control, HDC dc);

// The region of the image's pixels outside a colour range, moved by the offsets: a pixel is
// cut away when red lies in color's red .. red + red_tolerance, and likewise green and blue.
// The image is converted to 32-bit in place. Empty for an image without a kept pixel; null
// only when the system runs out of resources.
TRegionHandle BitmapToRegion(TBitmap& image, int x_offset, int y_offset, TColor color, uint8_t red_tolerance,
                             uint8_t green_tolerance, uint8_t blue_tolerance);

// The window's class name, at most 99 characters (empty for no window).
std::wstring GetWndClassName(HWND wnd);
// The window's text.
std::wstring GetWndText(HWND wnd);
// dest becomes a copy of source: its size, pixel format and picture.
void CopyBitmap(TBitmap& source, TBitmap& dest);
// A drop-down list's window: a popup, or a child of the desktop's list parent.
bool IsDropDownWindow(HWND wnd);
// Whether the system is of the NT family, and whether its major version differs from 6.
bool IsNT();
bool NotVersion6();

// ---- The shared scratch bitmap ----

// The off-screen device bitmap the painters resize and compose in, its DC in COLORONCOLOR
// stretch mode. Made on first use; null after DoneSkinDraw, and then a painter draws nothing.
// Never held by two painters at once.
TBitmap* SkinScratch();
// Makes the scratch bitmap now (again after DoneSkinDraw).
void InitSkinDraw();
// Releases the scratch bitmap and the buffers the routines keep between calls; the module
// does this when the program ends.
void DoneSkinDraw();

// ---- How transparent copies are made ----

// MaskBlt on the NT family; three raster blits (invert, mask, invert) on the older platforms
// and under Wine, whose MaskBlt is slow. Automatic by default; tests force either.
enum class TTransparentMethod { tmAuto, tmMaskBlt, tmThreeBlits };
void SetTransparentMethod(TTransparentMethod method);

}  // namespace qn
