// The skinned frame: its widths, the client area inside it, the window fitted around the
// client area, and the painting of borders, title bar and caption text.
#include <algorithm>
#include <optional>

#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"

namespace qn {

namespace {

int Frames(const TDataSkinObject& o) { return std::max(1, o.frame); }

// A bitmap resized only when its size changes, without keeping the old picture.
void Resize(TBitmap& bmp, int w, int h) {
  if (bmp.Width() == w && bmp.Height() == h) return;
  bmp.SetSize(0, 0);
  bmp.SetSize(w, h);
}

// What a window that shrank no longer covers is repainted by the windows below it, screen
// coordinates.
void RepaintUncovered(const RECT& before, const RECT& after) {
  const UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
  if (after.right < before.right) {
    const RECT strip{after.right, before.top, before.right, before.bottom};
    RedrawWindow(nullptr, &strip, nullptr, flags);
  }
  if (after.bottom < before.bottom) {
    const RECT strip{before.left, after.bottom, before.right, before.bottom};
    RedrawWindow(nullptr, &strip, nullptr, flags);
  }
}

}  // namespace

// ---- Geometry ----

void TWinSkinForm::InitSkinData() {
  CheckThread("InitSkinData");
  if (!fsd) return;
  // After a load that failed the data still holds the previous skin's objects: the window
  // keeps painting with them rather than keep a frame it cannot paint.
  std::shared_ptr<TSkinObjects> objects = fsd->Skin();
  if (!objects->Loaded) return;
  RECT widths{};
  if (FormBorder != TSkinFormBorder::sbsNone) {
    auto& b = objects->border;
    widths.left = b[skin::kBorderLeft]->Map.Width() / Frames(*b[skin::kBorderLeft]);
    widths.top = b[skin::kBorderTop]->Map.Height() / Frames(*b[skin::kBorderTop]);
    widths.right = b[skin::kBorderRight]->Map.Width() / Frames(*b[skin::kBorderRight]);
    widths.bottom = b[skin::kBorderBottom]->Map.Height() / Frames(*b[skin::kBorderBottom]);
  }
  // Everything that may fail comes first: the skinner takes the new skin whole, or keeps the
  // one it has (frame widths, buttons and pictures belong together).
  auto buttons = MakeSysButtons(*objects);
  skin_ = std::move(objects);
  bw = widths;
  if (FormBorder == TSkinFormBorder::sbsNone) MenuHeight = 0;
  DeleteSysbtn();
  SysBtn = std::move(buttons);
  BtnCount = static_cast<int>(SysBtn.size());
  if (std::any_of(SysBtn.begin(), SysBtn.end(), [](const auto& b) { return b->IsIcon(); })) {
    try {
      LoadFormIcon();
      fsd->OfferAppIcon(IconBmp);
    } catch (...) {  // the icon button shows the picture it had
      DropCurrentException();
    }
  }
}

void TWinSkinForm::OnNcCalcSize(TMessage& m) {
  Prev(m);
  // The rectangle the previous procedure computed stands.
  if (!m.WParam || native_frame_) return;
  auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
  if ((IsMdiChild() && Windowstate != TSkinWindowState::swsNormal) || FormBorder == TSkinFormBorder::sbsNone) {
    p->rgrc[1] = p->rgrc[0];
    m.Result = WVR_VALIDRECTS;
    return;
  }
  const WINDOWPOS* pos = p->lppos;
  RECT c{pos->x + bw.left, pos->y + bw.top + MenuHeight, pos->x + pos->cx - bw.right, pos->y + pos->cy - bw.bottom};
  // A window smaller than its frame has an empty client area, not an inverted one.
  c.right = std::max(c.right, c.left);
  c.bottom = std::max(c.bottom, c.top);
  p->rgrc[0] = c;
  p->rgrc[1] = c;
  m.Result = WVR_VALIDRECTS;
}

void TWinSkinForm::FitWindowToFrame(bool remeasure, bool first_fit) {
  if (IsZoomed(Hwnd)) {
    Refresh();
    return;
  }
  if (IsIconic(Hwnd)) return;
  const RECT cr = HwndClientRect(Hwnd);
  fClientRect = cr;
  if (!remeasure && FForm && !IsMdiChild()) fClientRect.bottom = cr.bottom - MenuHeight;
  int width = fClientRect.right + bw.left + bw.right;
  const int height = fClientRect.bottom + bw.top + bw.bottom + MenuHeight;
  if (ismessagebox && !remeasure) {
    const int needed = TitleWidthNeeded();
    if (width < needed) {
      // The box is widened to its title; its contents move to the middle of the new width.
      const int shift = (needed - width) / 2;
      for (HWND c = GetWindow(Hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r = HwndWindowRect(c);
        MapWindowPoints(nullptr, Hwnd, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(c, nullptr, r.left + shift, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
      }
      width = needed;
    }
  }
  // At the first fit, shaped for the new size first; the resize itself repaints nothing, as the
  // activation repaints the whole window right after.
  if (first_fit) {
    // Setting a region recomputes the frame. With the skinned borders on the window's native
    // size the client area would shrink for a moment, and every control be laid out twice.
    struct TNativeFrame {
      bool& on;
      ~TNativeFrame() { on = false; }
    } native{native_frame_ = true};
    ShapeWindow(width, height, false);
  }
  const RECT before = HwndWindowRect(Hwnd);
  SetWindowPos(Hwnd, nullptr, 0, 0, width, height,
               SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | (first_fit ? SWP_NOREDRAW : 0));
  if (first_fit && IsWindowVisible(Hwnd)) RepaintUncovered(before, HwndWindowRect(Hwnd));
  fitted_ = true;
}

int TWinSkinForm::CaptionTextWidth(HDC dc, const std::wstring& text) {
  RECT t{0, 0, 0, 0};
  SkinDrawText(dc, text, t, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
  const TDataSkinTitle& title = *skin_->Title;
  return (t.right - t.left) + title.backleft + title.backright;
}

int TWinSkinForm::TitleWidthNeeded() {
  caption = WindowText();
  TWindowDC screen(nullptr);
  if (!screen.Get()) return 0;
  TScopedSelect font(screen.Get(), CaptionFont.Handle());
  charwidth = CaptionTextWidth(screen.Get(), bstr + caption + astr);
  const TDataSkinTitle& title = *skin_->Title;
  return title.r.Left + charwidth + title.r.Right;
}

void TWinSkinForm::SetSysMenuStyle(bool remove) {
  if (FormIcons & (1u << sbicaption)) return;
  dwstyle = static_cast<DWORD>(GetWindowLongPtrW(Hwnd, GWL_STYLE));
  DWORD style = dwstyle;
  if (remove) style &= ~static_cast<DWORD>(WS_SYSMENU);
  else if (had_sysmenu_) style |= WS_SYSMENU;
  if (style == dwstyle) return;
  SetWindowLongPtrW(Hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
  dwstyle = style;
}

// ---- Painting ----

void TWinSkinForm::OnNcPaint(TMessage& m) {
  // Without the system-menu style the default procedure neither draws nor tracks the native
  // caption buttons.
  SetSysMenuStyle(true);
  frame_due_ = false;
  m.Result = 0;
  if (!fsd->MenuMsg) return;
  if ((IsMdiChild() && Maximised()) || FormBorder == TSkinFormBorder::sbsNone) {
    Prev(m);
    return;
  }
  PaintFrame();
}

void TWinSkinForm::OnNcActivate(TMessage& m) {
  FWindowActive = m.WParam != 0;
  if (timer) timer->SetEnabled(FWindowActive);
  if (FormStyle == TSkinFormStyle::sfsMDIform && ClientHwnd) SendMessageW(ClientHwnd, WM_NCACTIVATE, m.WParam, 0);
  if (IsMdiChild()) {
    auto alive = alive_;
    Prev(m);
    if (!*alive) return;
  }
  // A window being shown is activated before its frame's first WM_NCPAINT, which paints the
  // frame in its new state anyway.
  if (!(IsMdiChild() && Maximised()) && !frame_due_) PaintFrame();
  m.Result = TRUE;
}

void TWinSkinForm::PaintFrame(HDC dc) {
  CheckThread("PaintFrame");
  if (!SkinScratch()) return;  // the drawing routines are gone (the program is ending)
  if ((Skinstate != 1 && Skinstate != 3) || !sMainMenu) return;
  if (FormBorder == TSkinFormBorder::sbsNone || (IsMdiChild() && Maximised())) return;
  if (!skin_ || !skin_->Loaded || !IsWindow(Hwnd)) return;
  std::optional<TWindowDC> own;
  if (!dc) {
    own.emplace(Hwnd, true);
    dc = own->Get();
    if (!dc) return;
  }
  try {
    // What the window and the program say is asked before anything is composed: their
    // answers may run program code, which must not find a half-drawn title or the skin's
    // images locked. The text comes last, as the program's answers may change it.
    UpdateButtonStates();
    const std::wstring text = bstr + WindowText() + astr;
    auto lock = skin_->PaintLock();
    wTr = HwndWindowRect(Hwnd);
    fwidth = wTr.right - wTr.left;
    fheight = wTr.bottom - wTr.top;
    if (IsIconic(Hwnd)) {
      DrawTitleBar(dc, nullptr, nullptr, text);
    } else {
      // The side borders run the full height; top and bottom lie between them.
      TSkinBitmap left = BorderPicture(1, bw.left, fheight);
      TSkinBitmap right = BorderPicture(2, bw.right, fheight);
      if (left) BitBlt(dc, 0, 0, bw.left, fheight, left->DC(), 0, 0, SRCCOPY);
      if (right) BitBlt(dc, fwidth - bw.right, 0, bw.right, fheight, right->DC(), 0, 0, SRCCOPY);
      DrawBorder(4, RECT{bw.left, fheight - bw.bottom, fwidth - bw.right, fheight}, dc);
      DrawTitleBar(dc, left ? left->DC() : nullptr, right ? right->DC() : nullptr, text);
      if (MenuHeight > 0) {
        RECT line{bw.left, bw.top, fwidth - bw.right, bw.top + MenuHeight};
        if (MenuBar()) DrawMenuLine(dc, line);
        else FillRect(dc, &line, skin_->BGBrush.Get());
      }
    }
  } catch (...) {
    DropCurrentException();
  }
  if (ActiveBtn) ActiveBtn->state = 1;
  ActiveBtn = nullptr;
}

TSkinBitmap TWinSkinForm::BorderPicture(int index, int w, int h) {
  if (w <= 0 || h <= 0) return {};
  TDataSkinBorder& b = *skin_->border[index - 1];
  const int frames = Frames(b);
  const int frame = FWindowActive || frames == 1 ? 1 : 2;
  // The top and bottom images hold their frames stacked; the stretch value 1 stretches.
  TSkinBitmap picture = MakeSkinBitmap(RECT{0, 0, w, h}, b.Map, MarginRect(b.r), frame, frames, b.Tile != 1, index > 2);
  if (!picture || picture->Empty()) return {};
  return picture;
}

void TWinSkinForm::DrawBorder(int index, const RECT& rect, HDC dc) {
  if (rect.right < rect.left || rect.bottom < rect.top) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (TSkinBitmap picture = BorderPicture(index, w, h)) BitBlt(dc, rect.left, rect.top, w, h, picture->DC(), 0, 0, SRCCOPY);
}

void TWinSkinForm::DrawTitleBar(HDC dc, HDC left_picture, HDC right_picture, const std::wstring& text) {
  const bool minimised = IsIconic(Hwnd) != FALSE;
  RECT title;
  if (!minimised) {
    Resize(CaptionBuf, fwidth, bw.top);
    HDC buf = CaptionBuf.DC();
    // The title bar's ends are the tops of the side borders just painted.
    if (left_picture) BitBlt(buf, 0, 0, bw.left, bw.top, left_picture, 0, 0, SRCCOPY);
    else BitBlt(buf, 0, 0, bw.left, bw.top, dc, 0, 0, SRCCOPY);
    if (right_picture) BitBlt(buf, fwidth - bw.right, 0, bw.right, bw.top, right_picture, 0, 0, SRCCOPY);
    else BitBlt(buf, fwidth - bw.right, 0, bw.right, bw.top, dc, fwidth - bw.right, 0, SRCCOPY);
    title = RECT{bw.left, 0, fwidth - bw.right, bw.top};
  } else {
    Resize(CaptionBuf, fwidth, fheight);
    TBrushHandle face = MakeSolidBrush(ColorToRGB(skin_->Colors[skin::kcButtonFace]));
    RECT all{0, 0, fwidth, fheight};
    FillRect(CaptionBuf.DC(), &all, face.Get());
    title = RECT{0, 0, fwidth, bw.top};
  }
  if (CaptionBuf.Empty()) return;
  HDC buf = CaptionBuf.DC();
  DrawBorder(3, title, buf);
  DrawCaptionText(CaptionBuf, title, text);
  // Kept without the buttons, so that one button can be redrawn over its own background.
  Resize(TitleBack, CaptionBuf.Width(), CaptionBuf.Height());
  BitBlt(TitleBack.DC(), 0, 0, CaptionBuf.Width(), CaptionBuf.Height(), buf, 0, 0, SRCCOPY);
  PlaceButtons();
  DrawButtons(buf);
  BitBlt(dc, 0, 0, CaptionBuf.Width(), CaptionBuf.Height(), buf, 0, 0, SRCCOPY);
  SetBkMode(dc, OPAQUE);
}

std::wstring TWinSkinForm::WindowText() const {
  if (isunicode) return HwndGetText(Hwnd);
  std::string text(1001, '\0');
  const LRESULT n = SendMessageA(Hwnd, WM_GETTEXT, 1000, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(n, 0, 1000)));
  return AnsiToWideText(text);
}

void TWinSkinForm::DrawCaptionText(TBitmap& target, const RECT& r, const std::wstring& text) {
  HDC dc = target.DC();
  RightBtn = 0;
  for (const auto& b : SysBtn) {
    TDataSkinSysButton* d = b->Definition();
    if (d && b->visible && b->Picture() && d->Align == 1) RightBtn = std::max(RightBtn, static_cast<int>(d->XCoord));
  }
  const TDataSkinTitle& title = *skin_->Title;
  TScopedSelect font(dc, CaptionFont.Handle());
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(skin_->Colors[FWindowActive ? skin::kcTitleTextActive : skin::kcTitleTextNoActive]));

  RECT t = r;
  SkinDrawText(dc, text, t, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
  t.right += title.backleft + title.backright;
  const int rw = r.right - r.left, tw = t.right - t.left;
  const bool rtl = bidileft;
  int x = 0;
  if (!rtl) {
    switch (title.Aligment) {
      case 0: x = title.r.Left; break;
      case 1: x = (rw - tw) / 2; break;
      case 2: x = rw - title.r.Right - tw; break;
      default: x = 0; break;
    }
  } else {
    switch (title.Aligment) {
      case 0: x = rw - RightBtn - tw; break;
      case 1: x = (rw - tw - RightBtn) / 2; break;
      case 2: x = title.r.Left; break;
      default: x = 0; break;
    }
  }
  const int y = ((r.bottom - r.top) - (t.bottom - t.top)) / 2 + title.r.Top / 2;
  OffsetRect(&t, x, y);
  if (rtl && x <= 0) t.left = title.r.Left;
  const bool popup = (GetWindowLongPtrW(Hwnd, GWL_STYLE) & WS_POPUP) != 0;
  if (rtl) {
    OffsetRect(&t, 10, 0);
  } else if (popup) {
    if (RightBtn > 5 && r.right - RightBtn - 5 < t.right) t.right = r.right - RightBtn - 5;
  } else if (r.right - title.r.Right < t.right) {
    t.right = r.right - title.r.Right;
  }
  if (FormBorder == TSkinFormBorder::sbsDialog && title.Aligment == 0) t.left -= 16;
  ctr = t;

  TDataSkinTitle& back = *skin_->Title;
  if (!back.Map.Empty())
    DrawSkinStripH(target.Canvas(), RECT{t.left, r.top, t.right, r.bottom}, back.Map,
                   RECT{back.backleft, 0, back.backright, 0}, FWindowActive ? 1 : 2, 2, true, true);
  t.left += title.backleft;
  t.right -= title.backright;
  const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | (rtl ? DT_RIGHT | DT_RTLREADING : 0);
  SkinDrawText(dc, text, t, format);
  FTitleRect = t;
  SetBkMode(dc, old_mode);
}

}  // namespace qn
