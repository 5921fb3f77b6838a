#include "skin/controls/SkinControl.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/win/GdiObjects.h"
#include "platform/win/MethodHook.h"
#include "platform/win/PropAccess.h"
#include "skin/controls/CanvasText.h"
#include "platform/win/WinUtil.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinControl, TComponent)

namespace {

// Positions in a mouse message are 16-bit: a control this wide or high is beyond them.
constexpr int kMouseCoordLimit = 0x8000;

bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The key flags of a mouse message as the class library's shift state.
unsigned ShiftOf(WPARAM keys) {
  unsigned shift = 0;
  if (keys & MK_SHIFT) shift |= 1;
  if (keys & MK_CONTROL) shift |= 4;
  if (keys & MK_LBUTTON) shift |= 8;
  if (keys & MK_RBUTTON) shift |= 16;
  if (keys & MK_MBUTTON) shift |= 32;
  return shift;
}

// A control's mouse-down handling is protected: a pointer to it, taken where it may be named,
// calls it as the control's own press would.
struct TMouseDownOf : TControl {
  static auto Handler() { return &TMouseDownOf::MouseDown; }
};

// Caption text is drawn plain, with no background, grey when the control is disabled.
void PrepareCaption(TCanvas& canvas, bool enabled) {
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Font().SetStyle(0);
  if (!enabled) canvas.Font().SetColor(clBtnShadow);
}

}  // namespace

// ---- Creation and destruction ----

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner), alive_(std::make_shared<bool>(true)) {}

TSkinControl::~TSkinControl() {
  *alive_ = false;
  // Nothing may reach the skinner once it is half gone: the bindings go first. A hook the
  // program has put after ours keeps our link, which passes everything on from now on.
  if (TMethodHook* hook = std::exchange(hook_, nullptr)) hook->Remove();
  subclass_.Remove();
  if (TSkinControlHost* host = std::exchange(skinform, nullptr)) host->DeleteControl(this);
}

// ---- Attaching ----

void TSkinControl::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited || hook_) return;
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  if (!owner) return;
  const HWND wnd = owner->Handle();
  // Skinners live on their control's thread.
  if (!wnd || GetWindowThreadProcessId(wnd, nullptr) != GetCurrentThreadId()) return;
  newColor = acolor;
  fsd = sd;
  fCanvas = acanvas;
  control = owner;
  hwnd = wnd;
  isunicode = IsWindowUnicode(hwnd) != FALSE;
  hook_ = new TMethodHook(control, TWndMethod::Bind<&TSkinControl::NewWndProc>(this));
  hook_->OnFreed = [this] { hook_ = nullptr; };
  Attached(sf);
  if (newColor) {
    oldcolor = control->Color();
    recolored_ = true;
    control->SetColor(FaceColor());
  }
  if (parentbk) kind = 1;
  control->Invalidate();
  Inited = true;
}

void TSkinControl::Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  if (Inited || subclass_.Installed()) return;
  // Refused for a window of another thread, or one that is gone.
  if (!subclass_.Install(ahwnd, [this](TMessage& m) { NewWndProc(m); })) return;
  fsd = sd;
  fCanvas = acanvas;
  hwnd = ahwnd;
  enabled = true;
  kind = 0;
  isunicode = IsWindowUnicode(hwnd) != FALSE;
  caption = GetWndText(hwnd);
  Attached(sf);
  InvalidateRect(hwnd, nullptr, TRUE);
  Inited = true;
}

void TSkinControl::InitGraphicControl(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas) {
  if (hook_ || Inited) return;
  auto* owner = dynamic_cast<TGraphicControl*>(Owner());
  if (!owner) return;
  fsd = sd;
  fCanvas = acanvas;
  GControl = owner;
  hook_ = new TMethodHook(GControl, TWndMethod::Bind<&TSkinControl::NewWndProc>(this));
  hook_->OnFreed = [this] { hook_ = nullptr; };
  Attached(sf);
  GControl->Invalidate();
}

void TSkinControl::Attached(TSkinControlHost* sf) {
  skinform = sf;
  if (skinform) skinform->AddControlList(this);
  skinstate = kSkinAttached;
  has_focus_ = hwnd && GetFocus() == hwnd;
}

void TSkinControl::Unsubclass() {
  bool changed = std::exchange(skinned, false);
  const bool gone = skinstate == kSkinWindowGone;
  // The colour is given back whenever the skinner took it, also when skinning was switched
  // off by WM_SKINENABLE before; a dying window keeps what it has.
  if (std::exchange(recolored_, false)) {
    if (!gone && control) control->SetColor(oldcolor);
    changed = true;
  }
  if (gone || !changed) return;
  // What the skinner painted goes: the control paints itself again, frame included.
  if (GControl) GControl->Invalidate();
  else if (hwnd && IsWindow(hwnd)) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

TControl* TSkinControl::Target() const {
  if (control) return control;
  return GControl;
}

std::shared_ptr<TSkinObjects> TSkinControl::Skin() const {
  if (skinform) {
    if (auto skin = skinform->SkinObjects()) return skin;
  }
  return fsd ? fsd->Skin() : nullptr;
}

// ---- Messages ----

void TSkinControl::NewWndProc(TMessage& msg) {
  // The control's own handling may free the skinner (the control goes): after that nothing
  // here is touched again.
  auto alive = alive_;
  TDispatch d{false, false, dispatch_};
  dispatch_ = &d;
  struct TFrame {
    TSkinControl* self;
    TDispatch& d;
    const std::shared_ptr<bool>& alive;
    ~TFrame() {
      if (*alive) self->dispatch_ = d.outer;
    }
  } frame{this, d, alive};
  try {
    Dispatch(msg);
  } catch (...) {
    // The control's own failure goes on to the program, as it would without us.
    if (d.theirs) throw;
    DropCurrentException();
    if (*alive && !d.passed) PassOn(msg);
  }
}

void TSkinControl::Dispatch(TMessage& msg) {
  done = false;
  if (msg.Msg == WM_SETFOCUS) has_focus_ = true;
  else if (msg.Msg == WM_KILLFOCUS) has_focus_ = false;
  if (msg.Msg == WM_SKINENABLE) {
    // Meant for the skinner alone; a negative 32-bit value switches it off as 0 does.
    skinned = static_cast<int32_t>(static_cast<uint32_t>(msg.WParam)) > 0;
    if (skinned) Redraw();
    return;
  }
  auto alive = alive_;
  if (!skinned) {
    CallOldProc(msg);
    // Unskinned, the skinner still notes that its window is gone.
    if (msg.Msg == WM_NCDESTROY && *alive) {
      skinstate = kSkinWindowGone;
      hwnd = nullptr;
    }
    return;
  }
  if (!BeforeProc(msg) || !*alive) return;
  CallOldProc(msg);
  if (*alive) AfterProc(msg);
}

void TSkinControl::CallOldProc(TMessage& msg) {
  TDispatch* d = dispatch_;
  if (d) d->passed = true;
  try {
    PassOn(msg);
  } catch (...) {
    if (d) d->theirs = true;
    throw;
  }
}

void TSkinControl::PassOn(TMessage& msg) {
  if (hook_) hook_->CallPrevious(msg);
  else subclass_.CallPrevious(msg);
}

bool TSkinControl::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_NCDESTROY: {
      skinstate = kSkinWindowGone;
      auto alive = alive_;
      CallOldProc(msg);
      if (!*alive) return false;
      if (skinned) Unsubclass();
      hwnd = nullptr;
      return false;
    }
    case WM_SKINQUERY:
      msg.Result = 1;
      return false;
    default:
      return true;
  }
}

void TSkinControl::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case CM_ENABLEDCHANGED:
      Redraw();
      return;
    case WM_PAINT:
      // The control has painted itself; the skin goes over all of it.
      PaintControl(reinterpret_cast<HDC>(msg.WParam));
      return;
    case WM_SKINENABLE:
      skinned = static_cast<int32_t>(static_cast<uint32_t>(msg.WParam)) > 0;
      return;
    case CM_RECREATEWND:
      // The control's window is about to be made anew, and this skinner goes with the old one:
      // the form skinner is asked to skin the new window once it exists.
      if (control && skinform && skinform->FormWindow())
        PostMessageW(skinform->FormWindow(), WM_SKINRECREATED, reinterpret_cast<WPARAM>(hwnd), 0);
      return;
    default:
      return;
  }
}

// ---- Painting ----

template <class F>
void TSkinControl::Compose(HDC target, const RECT& rc, F&& draw) {
  const int w = Width(rc), h = Height(rc);
  if (!target || w <= 0 || h <= 0) return;
  // The kept picture, unless a paint of this skinner is using it already (a paint inside a
  // paint): then one for this paint alone.
  std::unique_ptr<TBitmap> own;
  TBitmap* buffer = nullptr;
  if (!buffer_busy_) {
    if (!buffer_) buffer_ = std::make_unique<TBitmap>(0, 0, TPixelFormat::pfDevice);
    buffer = buffer_.get();
  } else {
    own = std::make_unique<TBitmap>(0, 0, TPixelFormat::pfDevice);
    buffer = own.get();
  }
  if (buffer->Width() != w || buffer->Height() != h) buffer->SetSize(w, h);
  HDC dc = buffer->DC();
  if (!dc) return;
  if (buffer == buffer_.get()) picture_kept_ = false;  // whatever draws now replaces it
  struct TBusy {
    bool& busy;
    bool was;
    ~TBusy() { busy = was; }
  } busy{buffer_busy_, buffer_busy_};
  buffer_busy_ = true;
  // What the target shows now is the starting point: a painter may cover part of it only.
  if (!PaintsWholeControl()) BitBlt(dc, 0, 0, w, h, target, rc.left, rc.top, SRCCOPY);
  draw(dc, RECT{0, 0, w, h});
  ScreenBlt(target, rc.left, rc.top, w, h, dc, 0, 0);
}

void TSkinControl::ComposeControl(HDC target, const RECT& rc) {
  const int w = Width(rc), h = Height(rc);
  if (picture_kept_ && !buffer_busy_ && buffer_ && buffer_->Width() == w && buffer_->Height() == h &&
      PictureUnchanged(RECT{0, 0, w, h})) {
    ScreenBlt(target, rc.left, rc.top, w, h, buffer_->DC(), 0, 0);
    return;
  }
  const bool nested = buffer_busy_;
  Compose(target, rc, [this](HDC dc, const RECT& r) { DrawControl(dc, r); });
  // A paint inside a paint drew in a buffer of its own, which is gone.
  if (!nested && buffer_ && buffer_->Width() == w && buffer_->Height() == h) picture_kept_ = true;
}

void TSkinControl::PaintControl(HDC adc) {
  try {
    if (GControl) {
      TWinControl* parent = GControl->Parent();
      const RECT bounds = GControl->BoundsRect();
      const RECT rc{0, 0, Width(bounds), Height(bounds)};
      if (parent && parent->HandleAllocated()) {
        POINT origin = GControl->ClientToScreen(POINT{0, 0});
        boundsrect = RECT{origin.x, origin.y, origin.x + rc.right, origin.y + rc.bottom};
      }
      // A DC of the parent's paint has its origin at the control already.
      if (adc) {
        ComposeControl(adc, rc);
      } else if (parent && parent->HandleAllocated() && GControl->Showing()) {
        TWindowDC dc(parent->Handle());
        ComposeControl(dc.Get(), bounds);
      }
      return;
    }
    RECT r;
    if (!hwnd || !GetWindowRect(hwnd, &r)) return;
    boundsrect = r;
    const RECT rc{0, 0, Width(r), Height(r)};
    if (adc) {
      ComposeControl(adc, rc);
      return;
    }
    TWindowDC dc(hwnd, true);  // released, and the release checked, however drawing ends
    ComposeControl(dc.Get(), rc);
  } catch (...) {
    // A failed paint leaves the control as its own procedure painted it.
    DropCurrentException();
  }
}

void TSkinControl::WMPaint(TMessage& msg) {
  if (GControl) {
    PaintControl(reinterpret_cast<HDC>(msg.WParam));
    return;
  }
  try {
    HDC dc = reinterpret_cast<HDC>(msg.WParam);
    std::optional<TPaintDC> paint;
    if (!dc && hwnd) {
      paint.emplace(hwnd);
      dc = paint->Get();
    }
    RECT r;
    if (!dc || !GetWindowRect(hwnd, &r)) return;
    boundsrect = r;
    ComposeControl(dc, RECT{0, 0, Width(r), Height(r)});
  } catch (...) {
    DropCurrentException();
  }
}

void TSkinControl::WMEraseBkgnd(TMessage& msg) {
  msg.Result = 1;
  HDC dc = reinterpret_cast<HDC>(msg.WParam);
  if (!dc) return;
  try {
    if (TControl* target = Target()) {
      const RECT rc = target->ClientRect();
      // The parent erases and paints itself: both reach the control in one blit.
      Compose(dc, rc, [target](HDC buffer, const RECT&) { DrawParentImage(target, buffer); });
    } else if (hwnd) {
      FillParentColor(dc, HwndClientRect(hwnd));
    }
  } catch (...) {
    DropCurrentException();
  }
}

void TSkinControl::Redraw() {
  if (GControl) {
    GControl->Invalidate();
  } else if (hwnd) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
  }
}

void TSkinControl::MouseLeave() {
  if (hwnd) SendMessageW(hwnd, CM_MOUSELEAVE, 0, 0);
}

void TSkinControl::SkinChange() {
  ForgetPicture();
  if (recolored_ && control) control->SetColor(FaceColor());
  Redraw();
}

// ---- Colours ----

TColor TSkinControl::FaceColor() const {
  auto skin = Skin();
  return skin ? skin->Colors[skin::kcButtonFace] : clBtnFace;
}

TColor TSkinControl::GetParentColor(TColor acolor) const {
  TControl* target = Target();
  TWinControl* parent = target ? target->Parent() : nullptr;
  if (!parent) return acolor;
  // A skinned parent (a page, a box) shows the skin's face, whatever its own colour says.
  if (parent->HandleAllocated() && SendMessageW(parent->Handle(), WM_SKINQUERY, 0, 0) == 1) return FaceColor();
  // A parent without an integer "Color" reads as -1.
  const int color = GetPropInt(parent, "Color");
  return color == -1 ? acolor : color;
}

void TSkinControl::FillFace(HDC dc, const RECT& rect) const { FillColor(dc, rect, FaceColor()); }

void TSkinControl::FillParentColor(HDC dc, const RECT& rect) const {
  FillColor(dc, rect, GetParentColor(FaceColor()));
}

void FillColor(HDC dc, const RECT& rect, TColor colour) {
  TBrushHandle brush = MakeSolidBrush(ColorToRGB(colour));
  if (brush) FillRect(dc, &rect, brush.Get());
}

// ---- Skin images ----

void TSkinControl::DrawSkinMap(HDC dc, const RECT& rc, TDataSkinObject& object, int i, int n) const {
  if (Inverted(rc)) return;
  auto skin = Skin();
  std::unique_lock<std::recursive_mutex> lock;
  if (skin) lock = skin->PaintLock();
  DrawSkinRect(dc, rc, object.Map, MarginRect(object.r), i, n, object.trans == 1, object.Tile != 0, false);
}

void TSkinControl::DrawSkinMap1(HDC dc, const RECT& rc, TBitmap& bmp, int i, int n) const {
  auto skin = Skin();
  std::unique_lock<std::recursive_mutex> lock;
  if (skin) lock = skin->PaintLock();
  DrawSkinFrame(dc, rc, bmp, i, n, true);
}

void TSkinControl::DrawSkinMap2(HDC dc, const RECT& rc, TBitmap& bmp, int i, int n) const {
  DrawSkinMap1(dc, rc, bmp, i, n);
}

void TSkinControl::DrawSkinMap3(TCanvas& canvas, const RECT& rc, TBitmap& bmp, int i, int n) const {
  if (HDC dc = canvas.Handle()) DrawSkinMap1(dc, rc, bmp, i, n);
}

// ---- Captions ----

UINT TSkinControl::CheckBiDi(UINT dw) const {
  TControl* target = Target();
  if (!target) return dw;
  const std::string mode = GetPropEnum(target, "BiDiMode");
  if (!mode.empty() && _stricmp(mode.c_str(), "bdLeftToRight") != 0) dw |= DT_RTLREADING;
  return dw;
}

int TSkinControl::TextHeight(HDC dc, const std::wstring& text) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cy;
}

void TSkinControl::DrawCaption(TCanvas& canvas, const RECT& rc, const std::wstring& text, bool enabled_text, bool,
                               UINT alignment) {
  if (!canvas.Handle()) return;
  PrepareCaption(canvas, enabled_text);
  TCanvasText on(canvas);
  HDC dc = canvas.Handle();
  RECT r = rc;
  SkinDrawText(dc, text, r, alignment | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP);
  const int w = Width(r), h = Height(r);
  // Centred, one pixel high.
  OffsetRect(&r, 0, (Height(rc) - h) / 2 - 1);
  if (alignment == DT_CENTER) {
    OffsetRect(&r, (Width(rc) - w) / 2, 0);
  } else {
    r.left = rc.left;
    r.right = rc.right;
  }
  SkinDrawText(dc, text, r, CheckBiDi(alignment | DT_EXPANDTABS));
}

void TSkinControl::DrawImgCaption(TCanvas& canvas, const RECT& rc, HIMAGELIST images, int index,
                                  const std::wstring& text, int talign) {
  HDC dc = canvas.Handle();
  if (!dc) return;
  const bool picture = images && index != -1;
  int cx = 0, cy = 0;
  if (images) ImageList_GetIconSize(images, &cx, &cy);
  // A picture as wide as the rectangle is still drawn, over the text laid out without it.
  const int layout_cx = (!picture || cx >= Width(rc)) ? 0 : cx;
  const UINT flags = DT_WORDBREAK | DT_EXPANDTABS | DT_END_ELLIPSIS;

  std::optional<TCanvasText> on;
  if (!text.empty()) {
    PrepareCaption(canvas, enabled);
    on.emplace(canvas);
  }
  RECT t = rc;
  if (picture) t.right += layout_cx + 2;
  if (!text.empty()) SkinDrawText(dc, text, t, flags | DT_CALCRECT | DT_NOCLIP);
  else t.right = t.left;
  const int tw = Width(t), th = Height(t);
  int x = 3;
  if (talign == 1) x = (Width(rc) - layout_cx - tw) / 2;
  else if (talign == 2) x = Width(rc) - layout_cx - tw - 2;
  if (x < 2) x = 1;

  if (picture) ImageList_Draw(images, index, dc, rc.left + x, rc.top + (Height(rc) - cy) / 2, ILD_TRANSPARENT);
  OffsetRect(&t, x + layout_cx, (Height(rc) - th) / 2);
  if (text.empty()) return;
  t.left = std::clamp(t.left, rc.left, rc.right);
  t.right = std::clamp(t.right, rc.left, rc.right);
  SkinDrawText(dc, text, t, CheckBiDi(flags));
}

void TSkinControl::DrawCaptionFocus(HDC dc, UINT flags, const RECT& rect) {
  RECT r = rect;
  SkinDrawText(dc, caption, r, flags | DT_CALCRECT | DT_NOCLIP);
  const int w = Width(r), h = Height(r);
  if (flags & DT_CENTER) OffsetRect(&r, (Width(rect) - w) / 2, (Height(rect) - h) / 2 - 1);
  else if (flags & DT_RIGHT) OffsetRect(&r, Width(rect) - w, 0);
  InflateRect(&r, 2, 1);
  RECT clamped;
  if (!IntersectRect(&clamped, &r, &rect)) return;
  DrawFocusRect(dc, &clamped);
}

// ---- Mouse ----

void TSkinControl::ForwardMouseDown(const TMessage& msg) {
  TControl* target = Target();
  if (!target) return;
  POINT p{GET_X_LPARAM(msg.LParam), GET_Y_LPARAM(msg.LParam)};
  if (target->Width() > kMouseCoordLimit || target->Height() > kMouseCoordLimit) {
    // The message's 16-bit position has wrapped: where the cursor is tells the truth.
    POINT cursor;
    if (GetCursorPos(&cursor)) p = target->ScreenToClient(cursor);
  }
  (target->*TMouseDownOf::Handler())(TMouseButton::mbLeft, ShiftOf(msg.WParam), p.x, p.y);
}

}  // namespace qn
