#include "platform/win/Blit.h"

namespace qn {

bool Blit(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, DWORD rop) {
  return BitBlt(dst, x, y, width, height, src, src_x, src_y, rop) != FALSE;
}

bool StretchBlit(HDC dst, const RECT& d, HDC src, const RECT& s, DWORD rop) {
  const int old = SetStretchBltMode(dst, COLORONCOLOR);
  const BOOL ok = StretchBlt(dst, d.left, d.top, d.right - d.left, d.bottom - d.top, src, s.left, s.top,
                             s.right - s.left, s.bottom - s.top, rop);
  if (old) SetStretchBltMode(dst, old);
  return ok != FALSE;
}

bool MaskBlit(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, HBITMAP mask,
              int mask_x, int mask_y, DWORD foreground_rop, DWORD background_rop) {
  return MaskBlt(dst, x, y, width, height, src, src_x, src_y, mask, mask_x, mask_y,
                 MAKEROP4(foreground_rop, background_rop)) != FALSE;
}

bool BlitTransparent(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, HBITMAP mask) {
  return MaskBlit(dst, x, y, width, height, src, src_x, src_y, mask, src_x, src_y, kRopKeepTarget, SRCCOPY);
}

}  // namespace qn
