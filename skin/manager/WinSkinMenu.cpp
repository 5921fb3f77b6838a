#include "skin/manager/WinSkinMenu.h"

#include "platform/win/GdiObjects.h"
#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"
#include "skin/manager/WinSkinDlg.h"

namespace qn {

namespace {

constexpr int kMenuBorder = 3;  // the system's border around a popup menu's items

#ifndef MN_GETHMENU
constexpr UINT MN_GETHMENU = 0x01E1;
#endif

bool ManagerActive() {
  TSkinManage* m = SkinManager();
  return m && m->active;
}

}  // namespace

void TWinSkinPopMenu::InitSkin(HWND wnd, TSkinData* data, HMENU menu) {
  hwnd = wnd;
  fsd = data;
  hmenu = menu;
  ownerdraw = false;
  (void)subclass_.Install(wnd, [this](TMessage& m) { WndProc(m); });
}

void TWinSkinPopMenu::UnSubClass() {
  if (!subclass_.Installed()) return;
  subclass_.Remove();
  MenuBg.SetSize(0, 0);
}

HMENU TWinSkinPopMenu::Menu() {
  if (!hmenu && hwnd && IsWindow(hwnd))
    hmenu = reinterpret_cast<HMENU>(SendMessageW(hwnd, MN_GETHMENU, 0, 0));
  return hmenu;
}

bool TWinSkinPopMenu::CanPaint() const {
  if (!fsd || fsd->Empty()) return false;
  auto skin = fsd->Skin();
  return skin->MenuitemBG && !skin->MenuitemBG->Map.Empty();
}

void TWinSkinPopMenu::RebuildBackground(int w, int h) {
  auto skin = fsd->Skin();
  TDataSkinObject& bg = *skin->MenuitemBG;
  auto lock = skin->PaintLock();
  TSkinBitmap picture = MakeSkinBitmap(RECT{0, 0, w, h}, bg.Map, MarginRect(bg.r), 1, 1, bg.Tile != 0, false);
  if (!picture || picture->Empty()) {
    MenuBg.SetSize(0, 0);
    return;
  }
  if (MenuBg.Width() != w || MenuBg.Height() != h) {
    MenuBg.SetSize(0, 0);
    MenuBg.SetSize(w, h);
  }
  if (MenuBg.Empty()) return;
  BitBlt(MenuBg.DC(), 0, 0, w, h, picture->DC(), 0, 0, SRCCOPY);
}

TBitmap* TWinSkinPopMenu::Background() {
  if (!subclass_.Installed() || !CanPaint()) return nullptr;
  const RECT r = HwndWindowRect(hwnd);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return nullptr;
  if (MenuBg.Width() != w || MenuBg.Height() != h) RebuildBackground(w, h);
  return MenuBg.Empty() ? nullptr : &MenuBg;
}

void TWinSkinPopMenu::WndProc(TMessage& m) {
  if (m.Msg == WM_SKINQUERY) {
    m.Result = 1;
    return;
  }
  if (!ManagerActive()) {
    subclass_.CallPrevious(m);
    return;
  }
  switch (m.Msg) {
    case WM_DESTROY:
      // The manager lets go at the hook's destroy notice; a window that reaches this without
      // it lets go here. The system still handles the message.
      subclass_.CallPrevious(m);
      UnSubClass();
      return;
    case WM_ERASEBKGND:
      if (!(GetVersion() & 0x80000000u)) {
        if (!fsd || !Has(fsd->Options(), xoMenuBG)) subclass_.CallPrevious(m);
        m.Result = 1;
      } else {
        m.Result = 0;
      }
      return;
    case WM_NCPAINT:
      OnNcPaint(m);
      return;
    case WM_PRINT:
      OnPrint(m);
      return;
    case WM_PAINT:
      // Where the system draws the border itself, in the client area, the skin's goes over it.
      subclass_.CallPrevious(m);
      PaintBorder();
      return;
    default:
      subclass_.CallPrevious(m);
      return;
  }
}

void TWinSkinPopMenu::OnNcPaint(TMessage& m) {
  if (!CanPaint() || m.WParam != 1) {
    subclass_.CallPrevious(m);
    return;
  }
  const RECT r = HwndWindowRect(hwnd);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) {
    subclass_.CallPrevious(m);
    return;
  }
  RebuildBackground(w, h);
  if (MenuBg.Empty()) {
    subclass_.CallPrevious(m);
    return;
  }
  // The whole window: the border, and the client area the items are then drawn over.
  TWindowDC dc(hwnd, true);
  if (dc.Get()) BitBlt(dc.Get(), 0, 0, w, h, MenuBg.DC(), 0, 0, SRCCOPY);
  m.Result = 0;
}

void TWinSkinPopMenu::PaintBorder() {
  TBitmap* bg = Background();
  if (!bg) return;
  const int w = bg->Width(), h = bg->Height(), b = kMenuBorder;
  if (w <= 2 * b || h <= 2 * b) return;
  TWindowDC dc(hwnd, true);
  if (!dc.Get()) return;
  HDC src = bg->DC();
  BitBlt(dc.Get(), 0, 0, w, b, src, 0, 0, SRCCOPY);
  BitBlt(dc.Get(), 0, h - b, w, b, src, 0, h - b, SRCCOPY);
  BitBlt(dc.Get(), 0, b, b, h - 2 * b, src, 0, b, SRCCOPY);
  BitBlt(dc.Get(), w - b, b, b, h - 2 * b, src, w - b, b, SRCCOPY);
}

void TWinSkinPopMenu::OnPrint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  RECT wr;
  if (!CanPaint() || !dc || !GetWindowRect(hwnd, &wr)) {
    subclass_.CallPrevious(m);
    return;
  }
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  RebuildBackground(w, h);
  if (MenuBg.Empty() || w <= 2 * kMenuBorder || h <= 2 * kMenuBorder) {
    subclass_.CallPrevious(m);
    return;
  }
  BitBlt(dc, 0, 0, w, h, MenuBg.DC(), 0, 0, SRCCOPY);
  // The system prints the items over the background, kept inside the border.
  TRegionHandle inner = MakeRectRgn(kMenuBorder, kMenuBorder, w - kMenuBorder, h - kMenuBorder);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  SelectClipRgn(dc, inner.Get());
  subclass_.CallPrevious(m);
  SelectClipRgn(dc, nullptr);
  SetBkMode(dc, old_mode);
}

}  // namespace qn
