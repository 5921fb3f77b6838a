// Caption buttons: which of the skin's buttons a window shows, where, in which state image,
// how the mouse drives them and what each one does; the title bar's hit test and hints.
#include <windowsx.h>

#include <algorithm>

#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/form/WinSkinMenuBar.h"

namespace qn {

namespace {

// The application's hint pauses (the caption buttons' hints follow them).
constexpr int kHintPause = 500;
constexpr int kHintHidePause = 2500;

const wchar_t* HintText(int action) {
  switch (action) {
    case 0: case 9: case 62: return L"Close";
    case 1: case 22: return L"Maximize";
    case 2: case 23: case 7: case 60: return L"Minimize";
    case 8: case 61: return L"Restore";
    default: return nullptr;
  }
}

// Answers of the default hit test for the native caption buttons, which the skinned title
// bar does not have: the places they name belong to the caption.
bool IsNativeCaptionButton(LRESULT ht) {
  return ht == HTSYSMENU || ht == HTMINBUTTON || ht == HTMAXBUTTON || ht == HTCLOSE || ht == HTHELP;
}

}  // namespace

// ---- The common mouse protocol ----

TNCObject::TNCObject(TWinSkinForm* form) : SF(form), fsd(form ? form->fsd : nullptr) {}

void TNCObject::MouseEnter() {
  if (SF->ActiveBtn == this) return;
  if (SF->ActiveBtn) SF->ActiveBtn->MouseLeave();
  if (!visible) return;
  SF->ActiveBtn = this;
  state = 3;
  Draw();
}

void TNCObject::MouseLeave() {
  if (!visible) return;
  if (SF->ActiveBtn == this) SF->ActiveBtn = nullptr;
  state = 1;
  Draw();
  if (fsd) {
    fsd->hintcount = 0;
    fsd->HideHint();
  }
}

void TNCObject::MouseDown() {
  if (SF->ActiveBtn && SF->ActiveBtn != this) SF->ActiveBtn->MouseLeave();
  if (!visible) return;
  SF->ActiveBtn = this;
  state = 2;
  Draw();
}

void TNCObject::MouseUp() {
  if (!visible) return;
  state = 3;
  Draw();
}

// ---- Caption buttons ----

TWinSysButton::TWinSysButton(TWinSkinForm* form, TDataSkinSysButton* definition, size_t i)
    : TNCObject(form), data(definition), index(i) {}

TDataSkinSysButton* TWinSysButton::Definition() const {
  if (!SF || !SF->skin_) return nullptr;
  const auto& list = SF->skin_->SysBtn;
  return index < list.size() && list[index].get() == data ? data : nullptr;
}

bool TWinSysButton::IsIcon() const { return data && (data->Action == 3 || data->Action == 11); }

TBitmap* TWinSysButton::Picture() const {
  TDataSkinSysButton* d = Definition();
  if (!d) return nullptr;
  TBitmap* picture = IsIcon() && d->Map.Empty() ? &SF->IconBmp : &d->Map;
  return picture->Empty() ? nullptr : picture;
}

int TWinSysButton::Frames() const {
  TDataSkinSysButton* d = Definition();
  return !d || IsIcon() ? 1 : std::max(1, d->frame);
}

void TWinSysButton::Draw() { SF->RedrawButton(*this); }

void TWinSkinForm::DeleteSysbtn() {
  CheckThread("DeleteSysbtn");
  if (ActiveBtn && IsLiveButton(ActiveBtn)) ActiveBtn = nullptr;
  SysBtn.clear();
  BtnCount = 0;
}

bool TWinSkinForm::IsLiveButton(const TNCObject* object) const {
  return std::any_of(SysBtn.begin(), SysBtn.end(), [&](const auto& b) { return b.get() == object; });
}

std::vector<std::unique_ptr<TWinSysButton>> TWinSkinForm::MakeSysButtons(TSkinObjects& objects) {
  // An icon button shows this window's icon, in one frame, where the skin gives it no image
  // (TWinSysButton::Picture): the skin's objects are shared by every window and thread, and
  // are not written here.
  std::vector<std::unique_ptr<TWinSysButton>> buttons;
  auto& defs = objects.SysBtn;
  for (size_t i = 0; i < defs.size(); ++i) buttons.push_back(std::make_unique<TWinSysButton>(this, defs[i].get(), i));
  return buttons;
}

// Whether a visibility code holds for this window; `second` for the button's second code.
bool TWinSkinForm::EvalVisibility(int code, int action, bool second) const {
  const bool max = FormIcons & (1u << sbiMax), min = FormIcons & (1u << sbiMin);
  const bool help = FormIcons & (1u << sbiHelp), system = FormIcons & (1u << sbisystem);
  switch (code) {
    case -1:  // what the skin reader gives a decoration without a second code: shown
    case 0: return true;
    case 1: return Maximised();
    case 2: return !Maximised();
    case 3: return FWindowActive;
    case 4: return !FWindowActive;
    case 5: return false;
    case 6:
    case 8: return second ? (min || max) : (min || max) && system;
    case 7: return !max;
    case 9: return !min;
    case 10: return second ? help : help && !min && !max;
    case 100: return menu != nullptr && MDIChildMax();  // drawn in the skinned menu bar
    case 200: return !ismessagebox && FormBorder == TSkinFormBorder::sbsDialog;
    default: break;
  }
  if (code >= 201 && code <= 999) return true;
  if (code >= 1000 && code <= 2000)
    return second || SendMessageW(Hwnd, WM_SKINBUTTONVISIBLE, static_cast<WPARAM>(code), action) > 0;
  return false;
}

void TWinSkinForm::UpdateButtonStates() {
  const bool max = FormIcons & (1u << sbiMax), min = FormIcons & (1u << sbiMin);
  const bool system = FormIcons & (1u << sbisystem);
  for (const auto& b : SysBtn) {
    TDataSkinSysButton* d = b->Definition();
    if (!d) {
      b->visible = false;
      continue;
    }
    bool v = EvalVisibility(d->Visibility, d->Action, false) && EvalVisibility(d->Visibility1, d->Action, true);
    switch (d->Action) {
      case 0: v = v && system; break;
      case 1: b->enabled = max && system; break;
      case 2: b->enabled = min && system; break;
      case 3: case 11: case 12: v = v && FormBorder != TSkinFormBorder::sbsDialog; break;
      default: break;
    }
    b->visible = v;
  }
}

void TWinSkinForm::PlaceButtons() {
  for (const auto& b : SysBtn) {
    TDataSkinSysButton* d = b->Definition();
    TBitmap* picture = b->Picture();
    if (!d || !b->visible || !picture) continue;
    const int w = picture->Width() / b->Frames(), h = picture->Height();
    int x = 0, y = 0;
    switch (d->Align) {
      case 0: x = d->XCoord; y = d->YCoord; break;
      case 1: x = fwidth - d->XCoord; y = d->YCoord; break;
      case 2: case 8: x = ctr.left - w - d->XCoord; y = d->YCoord; break;
      case 3: case 9: x = ctr.right + d->XCoord; y = d->YCoord; break;
      case 100: {
        const TDataSkinObject* bar = skin_->Menubar.get();
        x = fwidth - d->XCoord - bw.right - (bar ? bar->r.Left : 0);
        y = bw.top + (MenuHeight - h) / 2;
        break;
      }
      default: break;
    }
    b->bounds = RECT{x, y, x + w, y + h};
  }
}

void TWinSkinForm::DrawButtons(HDC dc) {
  for (const auto& b : SysBtn) {
    TDataSkinSysButton* d = b->Definition();
    TBitmap* picture = b->Picture();
    if (!d || !b->visible || !picture || d->Visibility == 100) continue;
    if (b->IsIcon()) {
      DrawFormIcon(dc, b->bounds);
      continue;
    }
    const int frames = b->Frames();
    const int frame = frames < 4 || (FWindowActive && b->enabled) ? 1 : 4;
    DrawSkinFrame(dc, b->bounds, *picture, frame, frames, true);
  }
}

void TWinSkinForm::RedrawButton(TWinSysButton& b) {
  TDataSkinSysButton* d = b.Definition();
  TBitmap* picture = b.Picture();
  if (!d || !b.visible || !picture || b.IsIcon()) return;  // the icon has one picture
  if ((Skinstate != 1 && Skinstate != 3) || !IsWindow(Hwnd)) return;
  const int frames = b.Frames();
  int frame = b.state;
  if (!b.enabled) frame = frames > 3 ? 4 : 1;
  else if (d->Visibility == 100 && frame == 3) frame = 4;
  const RECT& r = b.bounds;
  const int w = r.right - r.left, h = r.bottom - r.top;
  TWindowDC wdc(Hwnd, true);
  if (!wdc.Get() || w <= 0 || h <= 0) return;
  auto lock = skin_->PaintLock();
  if (d->Visibility == 100 && menu && RedrawMenuLineButton(wdc.Get(), r, *picture, frame, frames)) return;
  const bool composed = !TitleBack.Empty() && TitleBack.Width() == CaptionBuf.Width() &&
                        TitleBack.Height() == CaptionBuf.Height() && r.left >= 0 && r.top >= 0 &&
                        r.right <= CaptionBuf.Width() && r.bottom <= CaptionBuf.Height();
  if (!composed) {
    DrawSkinFrame(wdc.Get(), r, *picture, frame, frames, true);
    return;
  }
  // Over the title bar's own background, then to the screen in one blit.
  HDC buf = CaptionBuf.DC();
  BitBlt(buf, r.left, r.top, w, h, TitleBack.DC(), r.left, r.top, SRCCOPY);
  DrawSkinFrame(buf, r, *picture, frame, frames, true);
  BitBlt(wdc.Get(), r.left, r.top, w, h, buf, r.left, r.top, SRCCOPY);
}

// A button in the menu line (a maximised MDI child's), over the menu bar's own background.
bool TWinSkinForm::RedrawMenuLineButton(HDC wdc, const RECT& r, TBitmap& picture, int frame, int frames) {
  TBitmap& back = menu->bkmap;
  const RECT& bar = menu->Bar;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (back.Empty() || r.left < bar.left || r.top < bar.top || r.right > bar.right || r.bottom > bar.bottom) return false;
  TBitmap buf(w, h, TPixelFormat::pfDevice);
  if (buf.Empty()) return false;
  BitBlt(buf.DC(), 0, 0, w, h, back.DC(), r.left - bar.left, r.top - bar.top, SRCCOPY);
  DrawSkinFrame(buf.DC(), RECT{0, 0, w, h}, picture, frame, frames, true);
  BitBlt(wdc, r.left, r.top, w, h, buf.DC(), 0, 0, SRCCOPY);
  return true;
}

// ---- The window icon ----

namespace {

// Whether an icon's own picture is w x h pixels.
bool IconMeasures(HICON icon, int w, int h) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  TBitmapHandle color(info.hbmColor), mask(info.hbmMask);  // the copies GetIconInfo made
  BITMAP bm{};
  if (!GetObjectW(color ? color.Get() : mask.Get(), sizeof bm, &bm)) return false;
  // A monochrome icon stacks its AND and XOR masks in one bitmap of twice the height.
  return bm.bmWidth == w && (color ? bm.bmHeight : bm.bmHeight / 2) == h;
}

}  // namespace

void TWinSkinForm::LoadFormIcon() {
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  Iconx = cx;
  HICON icon = reinterpret_cast<HICON>(SendMessageW(Hwnd, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(Hwnd, WM_GETICON, ICON_BIG, 0));
  // Asked again on every activation: a picture already drawn from this icon stands.
  if (icon_drawn_ && icon == icon_from_ && IconBmp.Width() == cx && IconBmp.Height() == cy) return;
  icon_drawn_ = false;
  if (IconBmp.PixelFormat() != TPixelFormat::pf24bit) IconBmp.SetPixelFormat(TPixelFormat::pf24bit);
  if (IconBmp.Width() != cx || IconBmp.Height() != cy) {
    IconBmp.SetSize(0, 0);
    IconBmp.SetSize(cx, cy);
  }
  IconBmp.SetTransparent(true);
  IconBmp.SetTransparentColor(kSkinTransparent);
  if (IconBmp.Empty()) return;
  TBrushHandle magenta = MakeSolidBrush(ColorToRGB(kSkinTransparent));
  RECT all{0, 0, cx, cy};
  FillRect(IconBmp.DC(), &all, magenta.Get());
  icon_from_ = icon;
  icon_drawn_ = true;
  if (!icon) return;
  // Only a large icon is looked up again in its resource for its small picture.
  TIconHandle copy;
  if (!IconMeasures(icon, cx, cy)) copy = TIconHandle(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE)));
  DrawIconEx(IconBmp.DC(), 0, 0, copy ? copy.Get() : icon, cx, cy, 0, nullptr, DI_NORMAL);
}

void TWinSkinForm::DrawFormIcon(HDC dc, const RECT& bounds) {
  // The application window's icon, when that window belongs to this thread: a paint does not
  // wait for another thread.
  HWND app = Application ? Application->Handle() : nullptr;
  if (app && GetWindowThreadProcessId(app, nullptr) != GetCurrentThreadId()) app = nullptr;
  HICON icon = app ? reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_SMALL, 0)) : nullptr;
  if (!icon && app) icon = reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_BIG, 0));
  if (icon) {
    const int y = FTitleRect.top + (FTitleRect.bottom - FTitleRect.top) / 2 - Iconx / 2;
    DrawIconEx(dc, 8, y, icon, Iconx, Iconx, 0, nullptr, DI_NORMAL);
    return;
  }
  DrawTransparent(dc, bounds, IconBmp, kSkinTransparent);
}

// ---- Hit test and mouse ----

POINT TWinSkinForm::ScreenToFrame(POINT screen) const {
  const RECT r = HwndWindowRect(Hwnd);
  return POINT{screen.x - r.left, screen.y - r.top};
}

TWinSysButton* TWinSkinForm::FindSysButton(POINT p) {
  for (const auto& b : SysBtn) {
    TDataSkinSysButton* d = b->Definition();
    if (d && b->visible && d->Action >= 0 && PtInRect(&b->bounds, p)) return b.get();
  }
  return nullptr;
}

void TWinSkinForm::OnNcHitTest(TMessage& m) {
  Prev(m);
  const LRESULT ht = m.Result;
  // The default procedure knows the native frame only: where the skin's borders are wider,
  // it finds nothing (or the caption) and the skinned frame answers. Below its top three
  // pixels the frame drags the window like the caption; the menu line is the menu.
  if (ht != HTNOWHERE && ht != HTCAPTION && !IsNativeCaptionButton(ht)) return;
  const POINT p = ScreenToFrame(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
  if (MenuHeight > 0 && p.y >= bw.top && p.y < bw.top + MenuHeight) m.Result = HTMENU;
  else if (p.y > 3) m.Result = HTCAPTION;
  else if (IsNativeCaptionButton(ht)) m.Result = HTCAPTION;
}

void TWinSkinForm::OnNcMouse(TMessage& m) {
  const POINT screen{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  const POINT p = ScreenToFrame(screen);
  TWinSysButton* b = FindSysButton(p);
  // Caption buttons first, then the menu bar's.
  if (!b && OnMenuBarMouse(m, p)) return;
  auto swallow = [&] { m.Result = 0; };
  switch (m.Msg) {
    case WM_NCMOUSEMOVE:
      if (!FWindowActive) break;
      if (b) {
        b->MouseEnter();
        return swallow();
      }
      if (ActiveBtn && !fInMenu) {
        TNCObject* leaving = ActiveBtn;
        leaving->MouseLeave();
        ActiveBtn = nullptr;
      }
      break;
    case WM_NCLBUTTONDOWN:
      fsd->HideHint();
      if (b) {
        if (!FWindowActive || GetForegroundWindow() != Hwnd) SetForegroundWindow(Hwnd);
        b->MouseDown();
        return swallow();
      }
      if (Maximised() && FWindowActive && m.WParam == HTCAPTION) {
        // A maximised window cannot be dragged by its caption.
        TMessage menu{m.Msg, HTMENU, m.LParam, 0};
        Prev(menu);
        m.Result = menu.Result;
        return;
      }
      break;
    case WM_NCLBUTTONUP:
      fsd->HideHint();
      if (b) {
        if (b == ActiveBtn) {
          auto alive = alive_;
          b->MouseUp();
          SysButtonClick(b, screen);
          if (!*alive) return;
        }
        return swallow();
      }
      break;
    case WM_NCLBUTTONDBLCLK:
      if (b) {
        // The hover timer keeps running: the program may refuse to close.
        if (b->data->Action == 3 || b->data->Action == 11) PostMessageW(Hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return swallow();
      }
      // Only the caption maximises and restores: a double click on a border is no request.
      if (m.WParam == HTCAPTION) {
        if (Maximised() || Minimised()) {
          Restore();
          return swallow();
        }
        if (FormIcons & (1u << sbiMax)) {
          Maximize();
          return swallow();
        }
      }
      break;
    case WM_NCRBUTTONDOWN:
      fsd->HideHint();
      if (m.WParam == HTCAPTION && !IsMdiChild()) {
        PopupSystemMenu(screen);
        return swallow();
      }
      break;
    default:
      break;
  }
  Prev(m);
}

// ---- Actions ----

bool TWinSkinForm::HasCloseCommand() const {
  const DWORD version = GetVersion();
  const bool nt = !(version & 0x80000000u);
  if (!nt || LOBYTE(LOWORD(version)) < 5) return true;
  return hsysmenu && GetMenuState(hsysmenu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

void TWinSkinForm::SysButtonClick(TWinSysButton* b, POINT p) {
  TDataSkinSysButton* d = b->Definition();
  if (!d) return;
  switch (d->Action) {
    case 0:
      // The hover timer keeps running: the program may refuse to close, and the button must
      // still see the mouse leave.
      if (!HasCloseCommand()) return;
      PostMessageW(Hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return;
    case 1: case 22:
      if (b->enabled) Maximize();
      return;
    case 2: case 23:
      if (b->enabled) Minimize();
      return;
    case 3: case 11: case 12:
      PopupSystemMenu(POINT{p.x + 1, p.y + 1});
      return;
    case 4:
      PostMessageW(Hwnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
      return;
    case 7: case 60: SendToActiveMDIChild(SC_MINIMIZE); return;
    case 8: case 61: SendToActiveMDIChild(SC_RESTORE); return;
    case 9: case 62: SendToActiveMDIChild(SC_CLOSE); return;
    default:
      PostMessageW(Hwnd, WM_SKINBUTTONACTION, static_cast<WPARAM>(d->Action), 0);
      return;
  }
}

void TWinSkinForm::Maximize() {
  if (Maximised()) {
    Restore();
    return;
  }
  if (IsMdiChild())
    if (Host()) Host()->SetMDIMax(true);
  Windowstate = TSkinWindowState::swsMax;
  PostMessageW(Hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  if (ActiveBtn) ActiveBtn->state = 1;
  ActiveBtn = nullptr;
}

void TWinSkinForm::Restore() {
  Windowstate = TSkinWindowState::swsNormal;
  PostMessageW(Hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TWinSkinForm::Minimize() {
  if (Minimised()) {
    Restore();
    return;
  }
  Windowstate = TSkinWindowState::swsMin;
  SetSysMenuStyle(false);  // the task bar's menu of a minimised window needs it
  PostMessageW(Hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

bool TWinSkinForm::MDIChildMax() const {
  if (FormStyle != TSkinFormStyle::sfsMDIform || !ClientHwnd) return false;
  BOOL maximised = FALSE;
  HWND child = reinterpret_cast<HWND>(SendMessageW(ClientHwnd, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
  return child && maximised;
}

void TWinSkinForm::RestoreMDI() {
  if (FormStyle != TSkinFormStyle::sfsMDIform || !ClientHwnd) return;
  HWND child = reinterpret_cast<HWND>(SendMessageW(ClientHwnd, WM_MDIGETACTIVE, 0, 0));
  if (child) SendMessageW(ClientHwnd, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
}

void TWinSkinForm::SendToActiveMDIChild(WPARAM command) {
  if (FormStyle != TSkinFormStyle::sfsMDIform || !ClientHwnd) return;
  HWND child = reinterpret_cast<HWND>(SendMessageW(ClientHwnd, WM_MDIGETACTIVE, 0, 0));
  if (child) SendMessageW(child, WM_SYSCOMMAND, command, 0);
}

// ---- Hints ----

void TWinSkinForm::HintTick(TWinSysButton* b, POINT cursor) {
  TDataSkinSysButton* d = b->Definition();
  const wchar_t* text = d ? HintText(d->Action) : nullptr;
  fsd->hintcount += timer ? timer->Interval() : 250;
  const int start = 2 * kHintPause;
  if (fsd->hintcount >= start && fsd->hintcount < start + kHintHidePause) {
    if (!text) return;
    const RECT wr = HwndWindowRect(Hwnd);
    fsd->ActivateHint(RECT{wr.left + b->bounds.left, cursor.y + 24, 0, 0}, text);
  } else if (fsd->hintcount >= start + kHintHidePause) {
    fsd->HideHint();
  }
}

}  // namespace qn
