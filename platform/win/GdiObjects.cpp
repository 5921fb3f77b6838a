#include "platform/win/GdiObjects.h"

#include <atomic>

namespace qn {

namespace {
std::atomic<int> g_live[static_cast<int>(THandleKind::Count)];
}

int LiveHandles(THandleKind kind) { return g_live[static_cast<int>(kind)].load(); }

int LiveGdiHandles() {
  int n = 0;
  for (THandleKind k : {THandleKind::Font, THandleKind::Brush, THandleKind::Pen, THandleKind::Bitmap,
                        THandleKind::Region, THandleKind::DC})
    n += LiveHandles(k);
  return n;
}

int LiveUserHandles() {
  return LiveHandles(THandleKind::Hook) + LiveHandles(THandleKind::Menu) + LiveHandles(THandleKind::Icon);
}

void CountHandle(THandleKind kind, int delta) { g_live[static_cast<int>(kind)] += delta; }

namespace detail {
void DeleteHandle(THandleKind kind, void* h) {
  switch (kind) {
    case THandleKind::DC: DeleteDC(static_cast<HDC>(h)); break;
    case THandleKind::Hook: UnhookWindowsHookEx(static_cast<HHOOK>(h)); break;
    case THandleKind::Menu: DestroyMenu(static_cast<HMENU>(h)); break;
    case THandleKind::Icon: DestroyIcon(static_cast<HICON>(h)); break;
    default: DeleteObject(static_cast<HGDIOBJ>(h)); break;
  }
}
}  // namespace detail

TMemDCHandle MakeMemDC(HDC compatible) { return TMemDCHandle(CreateCompatibleDC(compatible)); }
TBrushHandle MakeSolidBrush(COLORREF color) { return TBrushHandle(CreateSolidBrush(color)); }
TPenHandle MakePen(int style, int width, COLORREF color) { return TPenHandle(CreatePen(style, width, color)); }
TRegionHandle MakeRectRgn(int l, int t, int r, int b) { return TRegionHandle(CreateRectRgn(l, t, r, b)); }
TBitmapHandle MakeCompatibleBitmap(HDC dc, int w, int h) { return TBitmapHandle(CreateCompatibleBitmap(dc, w, h)); }

}  // namespace qn
