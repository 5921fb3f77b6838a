#include "skin/controls/SkinEdits.h"

#include <windowsx.h>

#include <string>
#include <utility>

#include "platform/core/TextConv.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/WinApiLookup.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinComboList.h"
#include "skin/controls/SkinRanges.h"
#include "skin/controls/SkinScrollbars.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinEdit, TSkinControl)
QN_CLASS_IMPL(TSkinComBox, TSkinControl)
QN_CLASS_IMPL(TSkinDateTime, TSkinControl)

namespace {

// Button and face frames of the combo pictures.
constexpr int kFrameNormal = 1, kFramePressed = 2, kFrameDisabled = 3, kFrameHot = 4;
// The combo layouts a skin's combo picture may ask for.
constexpr int kComboSeparate = 0, kComboFlat = 1, kComboWhole = 2;

// An image that holds at least one whole pixel column for each of its `frames` frames.
bool HasFrames(const TDataSkinObject* o, int frames) {
  return o && !o->Map.Empty() && frames >= 1 && o->Map.Width() / frames >= 1;
}
bool HasFrames(const TDataSkinObject* o) { return o && HasFrames(o, o->frame); }

// A frame the image holds: asked for one past its last, the normal one.
int FrameIn(int frame, int frames) { return frame <= frames ? frame : kFrameNormal; }

// The skin's shadow colour, the outer line of every frame drawn here.
TColor FrameColour(const TSkinControl& skinner) {
  auto skin = skinner.Skin();
  return skin ? skin->Colors[skin::kcButtonShadow] : clBtnShadow;
}

void FrameColor(HDC dc, const RECT& r, TColor colour) {
  TBrushHandle brush = MakeSolidBrush(ColorToRGB(colour));
  if (brush) FrameRect(dc, &r, brush.Get());
}

RECT Shrunk(RECT r, int by) {
  InflateRect(&r, -by, -by);
  return r;
}

// The window has no border: its client area is as wide or as high as the whole window.
bool Borderless(HWND wnd, const RECT& rc) {
  RECT client{};
  if (!wnd || !GetClientRect(wnd, &client)) return true;
  return client.right == rc.right || client.bottom == rc.bottom;
}

// The skinner of a simple combo box's list: the list's own scroll bars skinned as those of any
// bare window with scroll bars. Kept out of the form's list, as the drop-down list's painter.
TSkinControl* MakeListScrollbars(TComponent* owner, HWND list, TSkinData* sd) {
  auto* bars = new TSkinScrollbarH(owner);
  bars->Inithwnd(list, sd, nullptr, nullptr);
  if (bars->Inited) return bars;
  delete bars;
  return nullptr;
}

}  // namespace

// ---- Edits ----

void TSkinEdit::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      PaintControl(reinterpret_cast<HDC>(msg.WParam));
      return;
    case WM_NCPAINT:
      // The system has drawn the border again over the frame.
      PaintControl(nullptr);
      return;
    case WM_PRINT:
      if (msg.WParam) {
        // The edit may leave its own clipping on the DC: the frame goes on the DC as it came.
        if (print_state_) RestoreDC(reinterpret_cast<HDC>(msg.WParam), std::exchange(print_state_, 0));
        DrawPrintFrame(reinterpret_cast<HDC>(msg.WParam));
      } else if (hwnd) {
        TWindowDC dc(hwnd, true);
        DrawPrintFrame(dc.Get());
      }
      return;
    case WM_SKINPAINTCLIENT:
      if (msg.LParam != kSkinMessageCheck) return;
      if (msg.WParam) {
        TMessage paint{WM_PAINT, msg.WParam, 0, 0};
        CallOldProc(paint);
      }
      msg.Result = kSkinMessageCheck;
      return;
    default:
      TSkinControl::AfterProc(msg);
  }
}

bool TSkinEdit::BeforeProc(TMessage& msg) {
  if (msg.Msg == WM_PRINT && msg.WParam) print_state_ = SaveDC(reinterpret_cast<HDC>(msg.WParam));
  return TSkinControl::BeforeProc(msg);
}

void TSkinEdit::FindSpinChild() {
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring name = LowerAscii(GetWndClassName(child));
    if (name == L"msctls_updown32" || name.find(L"spin") != std::wstring::npos ||
        name.find(L"updown") != std::wstring::npos) {
      spin = child;
      // Arrows skinned already (by an earlier skinner of this edit) keep that skinner.
      TComponent* owner = control ? static_cast<TComponent*>(control) : this;
      if (TSkinUpDown::OwnedBy(owner, child) || SendMessageW(child, WM_SKINQUERY, 0, 0) == 1) return;
      auto* arrows = new TSkinUpDown(owner);
      arrows->inedit = true;
      arrows->Inithwnd(child, fsd, fCanvas, skinform);
      if (!arrows->Inited) {
        delete arrows;
        return;
      }
      updown = arrows;
      return;
    }
  }
}

void TSkinEdit::DrawControl(HDC dc, const RECT& rc) {
  if (fsd && Has(fsd->SkinControls(), xcSpin) && !updown && !spin && hwnd) FindSpinChild();
  if (Borderless(hwnd, rc)) return;
  FrameColor(dc, rc, FrameColour(*this));
  FrameColor(dc, Shrunk(rc, 1), clWhite);
  FrameColor(dc, Shrunk(rc, 2), clWhite);
}

void TSkinEdit::DrawPrintFrame(HDC dc) {
  try {
    RECT r{}, client{};
    if (!dc || !hwnd || !GetWindowRect(hwnd, &r) || !GetClientRect(hwnd, &client)) return;
    boundsrect = r;
    OffsetRect(&r, -r.left, -r.top);
    if (client.right + 2 >= r.right || client.bottom + 2 >= r.bottom) return;
    // The DC's own brush inside, the shadow colour outside.
    const RECT inner = Shrunk(r, 1);
    FrameRect(dc, &inner, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    FrameColor(dc, r, FrameColour(*this));
  } catch (...) {
    DropCurrentException();
  }
}

// ---- Combo boxes ----

TSkinComBox::TSkinComBox(TComponent* owner) : TSkinControl(owner) {}

TSkinComBox::~TSkinComBox() { ReleaseChildren(); }

void TSkinComBox::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited) return;
  TSkinControl::Init(sf, sd, acanvas, acolor);
  if (Inited) Attached(true);
}

void TSkinComBox::Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  if (Inited) return;
  TSkinControl::Inithwnd(ahwnd, sd, acanvas, sf);
  // A bare combo's lists keep their own scroll bars.
  if (Inited) Attached(false);
}

void TSkinComBox::Attached(bool with_lists) {
  dwStyle = static_cast<uint32_t>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  vb = nullptr;
  COMBOBOXINFO cbi{};
  if ((dwStyle & 3) != CBS_SIMPLE) {
    if (with_lists && (dwStyle & 2) && User32GetComboBoxInfo(hwnd, cbi) && cbi.hwndList) {
      hlist = cbi.hwndList;
      db = new TComboxScrollBar(Owner());
      FreeNotification(db);
      // Not in the form's list: it lives and goes with this skinner alone, and paints with the
      // skin of the skin data.
      db->Inithwnd(hlist, fsd, nullptr, nullptr);
      if (!db->Inited) delete std::exchange(db, nullptr);
    }
    // The first child of an ANSI combo paints over the combo: it repaints the combo after.
    if (!isunicode) {
      hbtn = GetWindow(hwnd, GW_CHILD);
      if (hbtn && !btn_link_.Install(hbtn, [this](TMessage& m) { ButtonProc(m); })) hbtn = nullptr;
    }
    hlist = nullptr;
    return;
  }
  if (!User32GetComboBoxInfo(hwnd, cbi)) return;
  hlist = cbi.hwndList;
  dwStyle = static_cast<uint32_t>(GetWindowLongPtrW(hlist, GWL_STYLE));
  if (with_lists && hlist && !IsDropDownWindow(hlist) && (dwStyle & WS_CHILD)) {
    vb = MakeListScrollbars(Owner(), hlist, fsd);
    if (vb) FreeNotification(vb);
  }
}

void TSkinComBox::FollowPress(UINT message) {
  if (message == WM_LBUTTONUP) state &= ~kStatePressed;
  else state |= kStatePressed;
  Redraw();
}

void TSkinComBox::ButtonProc(TMessage& msg) {
  btn_link_.CallPrevious(msg);
  if (!skinned) return;
  switch (msg.Msg) {
    case WM_PAINT:
      PaintControl(nullptr);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      FollowPress(msg.Msg);
      return;
    default:
      return;
  }
}

void TSkinComBox::ReleaseChildren() {
  btn_link_.Remove();
  hbtn = nullptr;
  if (TSkinControl* bars = std::exchange(vb, nullptr)) {
    RemoveFreeNotification(bars);
    bars->Unsubclass();
    delete bars;
  }
  if (TComboxScrollBar* list = std::exchange(db, nullptr)) {
    RemoveFreeNotification(list);
    list->Unsubclass();
    delete list;
  }
}

void TSkinComBox::Unsubclass() {
  TSkinControl::Unsubclass();
  ReleaseChildren();
}

void TSkinComBox::Notification(TComponent* component, TOperation op) {
  if (op == TOperation::opRemove) {
    if (component == vb) vb = nullptr;
    if (component == db) db = nullptr;
  }
  TSkinControl::Notification(component, op);
}

void TSkinComBox::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return;  // the combo repaints itself, and the skin with it
    case WM_MOUSEMOVE: {
      const POINT p{GET_X_LPARAM(msg.LParam), GET_Y_LPARAM(msg.LParam)};
      const bool over = PtInRect(&rBtn, p) != FALSE;
      const bool disabled = hwnd && !IsWindowEnabled(hwnd);
      if (state & kStateHot) {
        if (over || disabled) return;
        state &= ~kStateHot;
        Redraw();
      } else if (over && !disabled) {
        state |= kStateHot;
        Redraw();
        // Told when the mouse leaves: it may go without another move over the combo.
        if (hwnd) TrackMouseLeave(hwnd);
      }
      return;
    }
    case WM_DRAWITEM:
    case WM_NCPAINT:
      Redraw();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      FollowPress(msg.Msg);
      return;
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
      if (state & kStateHot) {
        state &= ~kStateHot;
        Redraw();
      }
      return;
    case CN_COMMAND:
      if (HIWORD(msg.WParam) == CBN_DROPDOWN) isDrop = true;
      else if (HIWORD(msg.WParam) == CBN_CLOSEUP) isDrop = false;
      return;
    default:
      TSkinControl::AfterProc(msg);
  }
}

int TSkinComBox::ButtonFrame(bool style1) const {
  const bool is_focused = hwnd && GetFocus() == hwnd;
  const bool is_enabled = !(dwStyle & WS_DISABLED);
  const bool pressed = (state & kStatePressed) != 0, hot = (state & kStateHot) != 0;
  if (style1) {
    // The flat layout shows focus and hover even on a disabled combo.
    if (pressed) return kFramePressed;
    if (is_focused || hot) return kFrameHot;
    return is_enabled ? kFrameNormal : kFrameDisabled;
  }
  if (!is_enabled) return kFrameDisabled;
  if (pressed) return kFramePressed;
  if (is_focused || hot) return kFrameHot;
  return kFrameNormal;
}

void TSkinComBox::DrawControl(HDC dc, const RECT& rc) {
  auto skin = Skin();
  if (skin) skin->PrepareComboImages();
  if (!skin || !skin->combox || skin->combox->Map.Empty() || !hwnd) return;
  TDataSkinBorder& combox = *skin->combox;
  dwStyle = static_cast<uint32_t>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  ExStyle = static_cast<uint32_t>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  if (User32HasEntry(TUser32Entry::GetComboBoxInfo)) {
    COMBOBOXINFO cbi{};
    if (User32GetComboBoxInfo(hwnd, cbi)) {
      info = cbi;
      rBtn = info.rcButton;
      // No button to paint: a simple combo, or one whose button is hidden.
      if (info.stateButton & STATE_SYSTEM_INVISIBLE) return;
    }
  }
  if (combox.style == kComboFlat) {
    DrawStyle1(dc, rc);
    return;
  }
  const RECT r{0, 0, rc.right - rc.left, rc.bottom - rc.top};
  const int f = ButtonFrame(false);
  const int w = GetSystemMetrics(SM_CXHSCROLL);
  if (HasButton) {
    DrawSeparateButton(dc, r, f);
    return;
  }
  auto lock = skin->PaintLock();
  if (combox.style == kComboWhole) {
    TDataSkinObject* image = RightToLeft() ? skin->Comboxborder.get() : &combox;
    if (!HasFrames(image)) return;
    DrawSkinRect(dc, r, image->Map, MarginRect(image->r), FrameIn(f, image->frame), image->frame, true, false, false);
    return;
  }
  // The frame over the whole control with the text area cut out, the button over its end.
  RECT text, b, glyph;
  TBitmap* button = nullptr;
  if (!RightToLeft()) {
    text = RECT{r.left + 2, r.top + 2, r.right - w - 4, r.bottom - 2};
    b = RECT{r.right - w - 2, r.top, r.right, r.bottom};
    glyph = RECT{b.left, b.top, r.right - 2, b.bottom};
    button = &combox.Map;
  } else {
    text = RECT{r.left + w + 4, r.top + 2, r.right - 2, r.bottom - 2};
    b = RECT{r.left, r.top, r.left + w + 2, r.bottom};
    glyph = RECT{2, b.top, w + 2, b.bottom};
    button = &combox.MaskMap;
  }
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, text.left, text.top, text.right, text.bottom);
  if (TDataSkinObject* edge = skin->Comboxborder.get(); HasFrames(edge))
    DrawSkinMap(dc, r, *edge, FrameIn(f, edge->frame), edge->frame);
  RestoreDC(dc, saved);
  if (!button->Empty() && combox.frame >= 1 && button->Width() / combox.frame >= 1)
    DrawSkinMap2(dc, b, *button, FrameIn(f, combox.frame), combox.frame);
  rBtn = b;
  if (TDataSkinObject* extra = skin->ExtraImages.get(); HasFrames(extra)) {
    const int gw = extra->Map.Width() / extra->frame, gh = extra->Map.Height();
    const int x = glyph.left + ((glyph.right - glyph.left) - gw) / 2;
    const int y = glyph.top + ((glyph.bottom - glyph.top) - gh) / 2;
    DrawSkinMap1(dc, RECT{x, y, x + gw, y + gh}, extra->Map, FrameIn(f, extra->frame), extra->frame);
  }
}

void TSkinComBox::DrawSeparateButton(HDC dc, const RECT& r, int frame) {
  if (!Borderless(hwnd, r)) {
    FrameColor(dc, r, FrameColour(*this));
    FrameColor(dc, Shrunk(r, 1), clWhite);
  }
  // The button's own window; without one hooked, where the combo says its button is.
  RECT b{};
  if (hbtn && IsWindow(hbtn)) {
    RECT combo{}, own{};
    GetWindowRect(hwnd, &combo);
    GetWindowRect(hbtn, &own);
    b = RECT{own.left - combo.left, own.top - combo.top, own.right - combo.left, own.bottom - combo.top};
  } else {
    RECT combo{};
    POINT origin{0, 0};
    if (IsRectEmpty(&rBtn) || !GetWindowRect(hwnd, &combo) || !ClientToScreen(hwnd, &origin)) return;
    b = rBtn;
    OffsetRect(&b, origin.x - combo.left, origin.y - combo.top);
  }
  FillFace(dc, b);
  auto skin = Skin();
  if (skin) skin->PrepareComboImages();
  TDataSkinObject* arrow = skin ? skin->comboxarrow.get() : nullptr;
  if (!HasFrames(arrow)) return;
  DrawSkinMap1(dc, b, arrow->Map, FrameIn(frame, arrow->frame), arrow->frame);
}

void TSkinComBox::DrawStyle1(HDC dc, const RECT& rc) {
  auto skin = Skin();
  if (skin) skin->PrepareComboImages();
  if (!skin || !HasFrames(skin->combox.get())) return;
  TDataSkinBorder& combox = *skin->combox;
  const RECT r{0, 0, rc.right - rc.left, rc.bottom - rc.top};
  const int f = ButtonFrame(true);
  const int fw = combox.Map.Width() / combox.frame, fh = combox.Map.Height();
  const int b = GetSystemMetrics(SM_CYVTHUMB);
  HBRUSH own = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
  RECT outer = Shrunk(r, 1);
  FrameRect(dc, &outer, own);
  const RECT inner = Shrunk(r, 2);
  RECT strip = inner, button = inner;
  if (RightToLeft()) {
    strip.right = inner.left + b;
    button.right = inner.left + fw;
  } else {
    strip.left = inner.right - b;
    button.left = inner.right - fw;
  }
  FillRect(dc, &strip, own);
  if (fh < b) button.bottom = inner.top + fh;
  FrameColor(dc, r, FrameColour(*this));
  rBtn = button;
  DrawSkinMap1(dc, button, combox.Map, FrameIn(f, combox.frame), combox.frame);
}

// ---- Date pickers ----

TSkinDateTime::~TSkinDateTime() {
  if (TArrowButton* a = std::exchange(arrow, nullptr)) {
    RemoveFreeNotification(a);
    a->Free();
  }
}

void TSkinDateTime::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited) return;
  TSkinControl::Init(sf, sd, acanvas, acolor);
  if (!Inited || !control) return;
  clip_children_added_ = !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CLIPCHILDREN);
  arrow = new TArrowButton(this);
  FreeNotification(arrow);
  arrow->Attach(this, control);
}

void TSkinDateTime::Unsubclass() {
  TSkinControl::Unsubclass();
  if (TArrowButton* a = std::exchange(arrow, nullptr)) {
    RemoveFreeNotification(a);
    a->Free();
  }
  // The picker's own look comes back whole, as it was before.
  if (clip_children_added_ && skinstate != kSkinWindowGone && hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_CLIPCHILDREN);
    clip_children_added_ = false;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
}

void TSkinDateTime::Notification(TComponent* component, TOperation op) {
  if (op == TOperation::opRemove && component == arrow) arrow = nullptr;
  TSkinControl::Notification(component, op);
}

void TSkinDateTime::AfterProc(TMessage& msg) {
  if (msg.Msg == WM_SIZE) {
    if (arrow) arrow->Repaint();
    return;
  }
  TSkinControl::AfterProc(msg);
}

void TSkinDateTime::DrawControl(HDC dc, const RECT& rc) {
  if (arrow) arrow->MoveArrow(rc);
  if (Borderless(hwnd, rc)) return;
  FrameColor(dc, rc, FrameColour(*this));
  FrameColor(dc, Shrunk(rc, 1), clWhite);
}

}  // namespace qn
