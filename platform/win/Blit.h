// Copying pixels between device contexts as the painters do: plain, stretched without colour
// blending, and through a monochrome mask. Each returns whether the system did it; a failed
// copy leaves the target as it was, so painters may ignore the answer.
#pragma once

#include <windows.h>

namespace qn {

// The ternary raster operation that leaves the target unchanged.
constexpr DWORD kRopKeepTarget = 0x00AA0029;

bool Blit(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, DWORD rop = SRCCOPY);

// Stretches src_rect of src onto dst_rect in COLORONCOLOR mode: whole source pixels, never
// blended, so that skin colours (magenta above all) survive scaling. The target's stretch mode
// is restored afterwards.
bool StretchBlit(HDC dst, const RECT& dst_rect, HDC src, const RECT& src_rect, DWORD rop = SRCCOPY);

// MaskBlt: where the mask bit is 1 the foreground operation applies, where it is 0 the
// background one.
bool MaskBlit(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, HBITMAP mask,
              int mask_x, int mask_y, DWORD foreground_rop, DWORD background_rop);

// Copies src except where the mask is white (TBitmap::MakeMask marks the transparent colour
// white), leaving the target there.
bool BlitTransparent(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, HBITMAP mask);

}  // namespace qn
