#include "platform/win/Controls.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/win/Menus.h"
#include "platform/win/PaintBuffer.h"
#include "platform/win/WinUtil.h"

namespace qn {

const TEnumInfo kAlignInfo{{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
const TEnumInfo kBevelKindInfo{{"bkNone", "bkTile", "bkSoft", "bkFlat"}};
const TEnumInfo kBorderStyleInfo{{"bsNone", "bsSingle"}};
const TIdentMap kCursorIdents{{
    {"crDefault", crDefault}, {"crArrow", crArrow}, {"crCross", crCross}, {"crIBeam", crIBeam},
    {"crSizeNWSE", crSizeNWSE}, {"crSizeNS", crSizeNS}, {"crSizeNESW", crSizeNESW},
    {"crSizeWE", crSizeWE}, {"crUpArrow", crUpArrow}, {"crHourGlass", crHourGlass}, {"crNo", crNo},
    {"crAppStart", crAppStart}, {"crHelp", crHelp}, {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll},
}};

HCURSOR CursorHandle(TCursor c) {
  LPCWSTR id = IDC_ARROW;
  switch (c) {
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

namespace {

// Global atoms outlive the process, in a table of limited size: the control atom is deleted
// when the program ends, once no window carries it. Plain globals, so that windows going
// during the program's own teardown still find them.
std::atomic<ATOM> g_control_atom{0};
std::atomic<int> g_atom_carriers{0};    // windows carrying the property
std::atomic<bool> g_atom_released{false};
wchar_t g_atom_name[40];
std::once_flag g_atom_name_made;

void DeleteControlAtomIfDone() {
  if (!g_atom_released.load() || g_atom_carriers.load() > 0) return;
  if (ATOM atom = g_control_atom.exchange(0)) GlobalDeleteAtom(atom);
}

struct TControlAtomAtExit {
  ~TControlAtomAtExit() { ReleaseControlAtom(); }
} g_control_atom_at_exit;

}  // namespace

ATOM ControlAtom() {
  if (ATOM atom = g_control_atom.load()) return atom;
  // Named after the module and the thread that first asks; made again under that name after
  // a release.
  std::call_once(g_atom_name_made, [] {
    swprintf(g_atom_name, 40, L"ControlOfs%.8X%.8X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr))),
             static_cast<unsigned>(GetCurrentThreadId()));
  });
  ATOM made = GlobalAddAtomW(g_atom_name);
  g_atom_released = false;
  ATOM expected = 0;
  if (g_control_atom.compare_exchange_strong(expected, made)) return made;
  if (made) GlobalDeleteAtom(made);  // another thread was first
  return expected;
}

void ReleaseControlAtom() {
  g_atom_released = true;
  DeleteControlAtomIfDone();
}

TWinControl* FindControl(HWND wnd) {
  if (!wnd) return nullptr;
  return static_cast<TWinControl*>(GetPropW(wnd, MAKEINTATOM(ControlAtom())));
}

namespace {

thread_local TWinControl* t_creating = nullptr;

std::map<std::wstring, WNDPROC>& ClassProcs() {
  static std::map<std::wstring, WNDPROC> procs;
  return procs;
}

WNDPROC ClassDefaultProc(HWND wnd) {
  wchar_t name[256];
  GetClassNameW(wnd, name, 256);
  auto it = ClassProcs().find(name);
  return it == ClassProcs().end() ? DefWindowProcW : it->second;
}

unsigned ShiftState(WPARAM w) {
  unsigned s = 0;
  if (w & MK_SHIFT) s |= 1;
  if (w & MK_CONTROL) s |= 4;
  if (w & MK_LBUTTON) s |= 8;
  if (w & MK_RBUTTON) s |= 16;
  if (w & MK_MBUTTON) s |= 32;
  return s;
}

bool IsMouseMsg(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MBUTTONDBLCLK && m != WM_MOUSEWHEEL; }

}  // namespace

LRESULT CALLBACK ControlWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  TWinControl* c = FindControl(wnd);
  if (!c) {
    if (!t_creating) return CallWindowProcW(ClassDefaultProc(wnd), wnd, msg, w, l);
    c = std::exchange(t_creating, nullptr);
    c->Attach(wnd);
  }
  TMessage m{msg, w, l, 0};
  RunGuarded([&] { c->WindowProc(m); });
  if (msg == WM_NCDESTROY) c->Detach();
  return m.Result;
}

// ---- TControl ----

QN_CLASS_IMPL(TControl, TComponent,
              {prop::Int("Left", &TControl::Left, &TControl::SetLeft),
               prop::Int("Top", &TControl::Top, &TControl::SetTop),
               prop::Int("Width", &TControl::Width, &TControl::SetWidth),
               prop::Int("Height", &TControl::Height, &TControl::SetHeight),
               prop::Enum("Align", kAlignInfo, &TControl::Align, &TControl::SetAlign),
               prop::Bool("Visible", &TControl::Visible, &TControl::SetVisible),
               prop::Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled),
               prop::Obj("Font", &TControl::Font, &TControl::SetFont),
               prop::Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont),
               prop::Int("Color", &TControl::Color, &TControl::SetColor, &kColorIdents),
               prop::Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor),
               prop::Str("Caption", &TControl::Caption, &TControl::SetCaption),
               prop::Int("Cursor", &TControl::Cursor, &TControl::SetCursor, &kCursorIdents),
               prop::Str("Hint", &TControl::Hint, &TControl::SetHint),
               prop::Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint),
               prop::Obj("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu),
               prop::Event("OnClick", &TControl::OnClick),
               prop::Event("OnDblClick", &TControl::OnDblClick),
               prop::Event("OnMouseDown", &TControl::OnMouseDown),
               prop::Event("OnMouseUp", &TControl::OnMouseUp),
               prop::Event("OnMouseMove", &TControl::OnMouseMove)})

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  WindowProc = TWndMethod::Bind<&TControl::WndProc>(this);
  font_->OnChange = [this] {
    parent_font_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw std::runtime_error("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int l, int t, int w, int h) {
  if (l == left_ && t == top_ && w == width_ && h == height_) return;
  InvalidateControl();
  left_ = l;
  top_ = t;
  width_ = w;
  height_ = h;
  InvalidateControl();
  BoundsChanged();
  RequestAlign();
}

RECT TControl::ClientRect() const { return {0, 0, width_, height_}; }

void TControl::SetClientWidth(int w) { SetWidth(width_ - ClientWidth() + w); }
void TControl::SetClientHeight(int h) { SetHeight(height_ - ClientHeight() + h); }

POINT TControl::ClientToScreen(POINT p) {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    ::ClientToScreen(w->handle_, &p);
    return p;
  }
  if (!parent_) return p;
  return parent_->ClientToScreen({p.x + left_, p.y + top_});
}

POINT TControl::ScreenToClient(POINT p) {
  POINT origin = ClientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  align_ = a;
  RequestAlign();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  InvalidateControl();
  Perform(CM_VISIBLECHANGED, v, 0);
  RequestAlign();
}

void TControl::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  Perform(CM_ENABLEDCHANGED, 0, 0);
  InvalidateControl();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetParentFont(bool v) {
  if (v == parent_font_) return;
  parent_font_ = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parent_font_ || !parent_) return;
  auto keep = font_->OnChange;
  font_->OnChange = nullptr;
  font_->Assign(parent_->Font());
  font_->OnChange = keep;
  parent_font_ = true;
  FontChanged();
}

void TControl::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  parent_color_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
  InvalidateControl();
}

void TControl::SetParentColor(bool v) {
  if (v == parent_color_) return;
  parent_color_ = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parent_color_ || !parent_) return;
  color_ = parent_->Color();
  Perform(CM_COLORCHANGED, 0, 0);
  InvalidateControl();
}

void TControl::FontChanged() {
  Perform(CM_FONTCHANGED, 0, 0);
  InvalidateControl();
}

void TControl::SetText(const std::wstring& t) {
  if (t == text_) return;
  text_ = t;
  Perform(CM_TEXTCHANGED, 0, 0);
  InvalidateControl();
}

LRESULT TControl::Perform(UINT msg, WPARAM w, LPARAM l) {
  TMessage m{msg, w, l, 0};
  if (WindowProc) WindowProc(m);
  else WndProc(m);
  return m.Result;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popup_menu_) return;
  if (popup_menu_) RemoveFreeNotification(popup_menu_);
  popup_menu_ = menu;
  if (menu) FreeNotification(menu);
}

void TControl::Notification(TComponent* component, TOperation op) {
  TComponent::Notification(component, op);
  if (op == TOperation::opRemove && component == popup_menu_) popup_menu_ = nullptr;
}

void TControl::InvalidateControl() {
  if (!parent_ || !parent_->HandleAllocated() || dynamic_cast<TWinControl*>(this)) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->handle_, &r, TRUE);
}

void TControl::Invalidate() { InvalidateControl(); }

void TControl::Repaint() {
  InvalidateControl();
  if (parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->handle_);
}

void TControl::Update() {
  if (parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->handle_);
}

void TControl::BringToFront() {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    InvalidateControl();
  }
}

void TControl::RequestAlign() {
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::MouseDown(TMouseButton b, unsigned shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, b, shift, x, y);
}
void TControl::MouseUp(TMouseButton b, unsigned shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, shift, x, y);
}
void TControl::MouseMove(unsigned shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::WndProc(TMessage& m) {
  const int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      DefaultHandler(m);
      clicked_ = enabled_ && click_events_;
      MouseDown(TMouseButton::mbLeft, ShiftState(m.WParam), x, y);
      return;
    case WM_LBUTTONDBLCLK:
      DefaultHandler(m);
      if (enabled_ && OnDblClick) OnDblClick(this);
      MouseDown(TMouseButton::mbLeft, ShiftState(m.WParam) | 64, x, y);
      return;
    case WM_LBUTTONUP: {
      DefaultHandler(m);
      bool was = std::exchange(clicked_, false);
      RECT r = ClientRect();
      POINT p{x, y};
      if (was && PtInRect(&r, p)) Click();
      MouseUp(TMouseButton::mbLeft, ShiftState(m.WParam), x, y);
      return;
    }
    case WM_RBUTTONDOWN:
      DefaultHandler(m);
      MouseDown(TMouseButton::mbRight, ShiftState(m.WParam), x, y);
      return;
    case WM_RBUTTONUP:
      DefaultHandler(m);
      MouseUp(TMouseButton::mbRight, ShiftState(m.WParam), x, y);
      return;
    case WM_MOUSEMOVE:
      DefaultHandler(m);
      MouseMove(ShiftState(m.WParam), x, y);
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    default:
      DefaultHandler(m);
  }
}

// ---- TWinControl ----

QN_CLASS_IMPL(TWinControl, TControl,
              {prop::Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder),
               prop::Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop),
               prop::Enum("BevelKind", kBevelKindInfo, &TWinControl::BevelKind, &TWinControl::SetBevelKind)})

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  if (handle_) {
    // Deleted without Free(): our overrides are gone, so the window and its children
    // must not reach this object while they are destroyed.
    HWND wnd = handle_;
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* c : all) c->Detach();
    Detach();
    DestroyWindow(wnd);
  }
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    c->Free();
  }
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  DestroyHandle();
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (parent_) parent_->HandleNeeded();  // may have made ours as one of its children
    if (!handle_) CreateWnd();
  }
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.caption = text_;
  p.style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) p.style |= WS_VISIBLE;
  if (!enabled_) p.style |= WS_DISABLED;
  if (tab_stop_) p.style |= WS_TABSTOP;
  p.x = left_;
  p.y = top_;
  p.width = width_;
  p.height = height_;
  p.wndParent = parent_ ? parent_->Handle() : nullptr;
  const std::string& n = ClassName();
  p.winClassName.assign(n.begin(), n.end());
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (!GetClassInfoW(inst, p.winClassName.c_str(), &existing)) {
    WNDCLASSW wc{};
    WNDPROC base = DefWindowProcW;
    if (!p.baseClassName.empty()) {
      if (!GetClassInfoW(nullptr, p.baseClassName.c_str(), &wc))
        throw std::runtime_error("Window class " + WideToUtf8(p.baseClassName) + " is not available");
      base = wc.lpfnWndProc;
    } else {
      wc.style = p.classStyle;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    }
    wc.lpfnWndProc = ControlWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = p.winClassName.c_str();
    wc.style &= ~CS_GLOBALCLASS;
    if (!RegisterClassW(&wc)) throw std::runtime_error("Cannot register window class");
    ClassProcs()[p.winClassName] = base;
  }
  default_proc_ = ClassProcs()[p.winClassName];
  t_creating = this;
  HWND wnd = CreateWindowExW(p.exStyle, p.winClassName.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                             p.height, p.wndParent, p.id, inst, nullptr);
  t_creating = nullptr;
  if (!wnd) {
    handle_ = nullptr;
    throw std::runtime_error("Error creating window for " + WideToUtf8(Name()));
  }
  if (!handle_) Attach(wnd);
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  CreateWindowHandleDone();
  for (TControl* c : std::vector<TControl*>(controls_))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
  Realign();
}

void TWinControl::Attach(HWND wnd) {
  if (!handle_) ++g_atom_carriers;
  handle_ = wnd;
  SetPropW(wnd, MAKEINTATOM(ControlAtom()), this);
}

void TWinControl::Detach() {
  if (!handle_) return;
  RemovePropW(handle_, MAKEINTATOM(ControlAtom()));
  handle_ = nullptr;
  mouse_control_ = hover_control_ = nullptr;
  --g_atom_carriers;
  DeleteControlAtomIfDone();
}

void TWinControl::DestroyWnd() {
  // Our window and its children say goodbye through their message methods; each detaches
  // from its object on WM_NCDESTROY.
  DestroyWindow(handle_);
  if (handle_) Detach();
}

void TWinControl::DestroyHandle() {
  if (handle_) DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  // Whoever hooks the control (a skinner) hears that its window is about to be made anew.
  Perform(CM_RECREATEWND, 0, 0);
  if (!handle_) return;
  DestroyWnd();
  HandleNeeded();
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (handle_) m.Result = CallWindowProcW(default_proc_, handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::InsertControl(TControl* c) {
  c->parent_ = this;
  controls_.push_back(c);
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    tab_list_.push_back(w);
    if (handle_) w->HandleNeeded();
  }
  c->ParentFontChanged();
  c->ParentColorChanged();
  c->InvalidateControl();
  if (c->align_ != TAlign::alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  c->InvalidateControl();
  controls_.erase(it);
  tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), c), tab_list_.end());
  if (mouse_control_ == c) mouse_control_ = nullptr;
  if (hover_control_ == c) hover_control_ = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  c->parent_ = nullptr;
  if (c->align_ != TAlign::alNone) Realign();
}

TControl* TWinControl::ControlAtPos(POINT p, bool allow_disabled, bool allow_windows) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !allow_windows) continue;
    if (!c->visible_ || (!c->enabled_ && !allow_disabled)) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& l = parent_->tab_list_;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& l = parent_->tab_list_;
  l.erase(std::remove(l.begin(), l.end(), this), l.end());
  size_t at = order < 0 ? l.size() : std::min(static_cast<size_t>(order), l.size());
  l.insert(l.begin() + static_cast<ptrdiff_t>(at), this);
}

void TWinControl::SetTabStop(bool v) {
  tab_stop_ = v;
  if (handle_) {
    LONG_PTR s = GetWindowLongPtrW(handle_, GWL_STYLE);
    SetWindowLongPtrW(handle_, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
  }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : tab_list_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (CanFocus()) ::SetFocus(Handle());
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool check_tab_stop) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return;
  auto it = std::find(list.begin(), list.end(), current);
  size_t start = it == list.end() ? (forward ? list.size() - 1 : 0) : static_cast<size_t>(it - list.begin());
  size_t i = start;
  for (size_t n = 0; n < list.size(); ++n) {
    i = forward ? (i + 1) % list.size() : (i + list.size() - 1) % list.size();
    TWinControl* c = list[i];
    if (c->CanFocus() && (c->tab_stop_ || !check_tab_stop) && c->HandleAllocated()) {
      c->SetFocus();
      return;
    }
  }
}

void TWinControl::SetBevelKind(TBevelKind k) {
  if (k == bevel_kind_) return;
  bevel_kind_ = k;
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetScrollBarsCovered(bool covered) {
  if (covered == bars_covered_) return;
  bars_covered_ = covered;
  if (!covered && handle_) RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

int TWinControl::BevelSize() const { return bevel_kind_ == TBevelKind::bkNone ? 0 : 2; }

HBRUSH TWinControl::BrushHandle() {
  COLORREF want = ColorToRGB(Color());
  if (!brush_) brush_ = MakeSolidBrush(want);
  else {
    LOGBRUSH lb{};
    GetObjectW(brush_.Get(), sizeof lb, &lb);
    if (lb.lbColor != want) brush_ = MakeSolidBrush(want);
  }
  return brush_.Get();
}

void TWinControl::SetBounds(int l, int t, int w, int h) {
  if (l == left_ && t == top_ && w == width_ && h == height_) return;
  left_ = l;
  top_ = t;
  width_ = w;
  height_ = h;
  if (handle_) SetWindowPos(handle_, nullptr, l, t, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  BoundsChanged();
  RequestAlign();
  Realign();
}

RECT TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  int b = BevelSize();
  return {0, 0, std::max(0, width_ - 2 * b), std::max(0, height_ - 2 * b)};
}

void TWinControl::SetText(const std::wstring& t) {
  if (handle_) {
    SetWindowTextW(handle_, t.c_str());
    text_ = t;
    Perform(CM_TEXTCHANGED, 0, 0);
  } else {
    TControl::SetText(t);
  }
}

std::wstring TWinControl::GetText() const {
  if (!handle_) return text_;
  return HwndGetText(handle_);
}

void TWinControl::SetVisible(bool v) {
  if (v == Visible()) return;
  TControl::SetVisible(v);
  if (handle_) ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool e) {
  if (e == Enabled()) return;
  TControl::SetEnabled(e);
  if (handle_) EnableWindow(handle_, e);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (handle_) RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWinControl::FontChanged() {
  if (handle_) {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
  }
  Perform(CM_FONTCHANGED, 0, 0);
  for (TControl* c : controls_) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
  Invalidate();
}

void TWinControl::RequestAlign() { TControl::RequestAlign(); }

void TWinControl::Realign() {
  if (aligning_) return;
  aligning_ = true;
  RECT r = ClientRect();
  AlignControls(r);
  aligning_ = false;
}

void TWinControl::AlignControls(RECT& r) {
  auto place = [](TControl* c, int l, int t, int w, int h) {
    if (auto* wc = dynamic_cast<TWinControl*>(c)) {
      wc->SetBounds(l, t, w, h);
    } else {
      c->TControl::SetBounds(l, t, w, h);
    }
  };
  auto pick = [&](TAlign a) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
      switch (a) {
        case TAlign::alTop: return x->top_ < y->top_;
        case TAlign::alBottom: return x->top_ + x->height_ > y->top_ + y->height_;
        case TAlign::alLeft: return x->left_ < y->left_;
        case TAlign::alRight: return x->left_ + x->width_ > y->left_ + y->width_;
        default: return false;
      }
    });
    return list;
  };
  for (TControl* c : pick(TAlign::alTop)) {
    place(c, r.left, r.top, r.right - r.left, c->height_);
    r.top += c->height_;
  }
  for (TControl* c : pick(TAlign::alBottom)) {
    place(c, r.left, r.bottom - c->height_, r.right - r.left, c->height_);
    r.bottom -= c->height_;
  }
  for (TControl* c : pick(TAlign::alLeft)) {
    place(c, r.left, r.top, c->width_, r.bottom - r.top);
    r.left += c->width_;
  }
  for (TControl* c : pick(TAlign::alRight)) {
    place(c, r.right - c->width_, r.top, c->width_, r.bottom - r.top);
    r.right -= c->width_;
  }
  for (TControl* c : pick(TAlign::alClient)) place(c, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::PaintControls(HDC dc) {
  RECT clip;
  bool clipped = GetClipBox(dc, &clip) != NULLREGION;
  if (!clipped) return;
  for (TControl* c : controls_) {
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    RECT r = c->BoundsRect(), x;
    if (!IntersectRect(&x, &r, &clip)) continue;
    int saved = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, c->left_, c->top_, &old);
    IntersectClipRect(dc, 0, 0, c->width_, c->height_);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintHandler(TMessage& m) {
  if (m.WParam) {  // asked to paint into a given DC
    PaintWindow(reinterpret_cast<HDC>(m.WParam));
    PaintControls(reinterpret_cast<HDC>(m.WParam));
    return;
  }
  TPaintDC pdc(handle_);
  const RECT& area = pdc.Info().rcPaint;
  if (IsRectEmpty(&area)) return;
  TPaintBuffer buffer(pdc.Get(), area);
  PaintWindow(buffer.DC());
  PaintControls(buffer.DC());
  buffer.CopyOut();
}

bool TWinControl::RouteMouseToGraphic(TMessage& m) {
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  TControl* target = mouse_control_;
  if (!target) target = ControlAtPos(p);
  if (m.Msg == WM_MOUSEMOVE && target != hover_control_) {
    if (hover_control_) hover_control_->Perform(CM_MOUSELEAVE, 0, 0);
    hover_control_ = target;
    if (hover_control_) hover_control_->Perform(CM_MOUSEENTER, 0, 0);
    if (hover_control_) {
      TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, handle_, 0};
      TrackMouseEvent(&t);
    }
  }
  if (!target) return false;
  if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) {
    mouse_control_ = target;
    SetCapture(handle_);
  }
  TMessage sub = m;
  sub.LParam = MAKELPARAM(p.x - target->left_, p.y - target->top_);
  target->WindowProc(sub);
  m.Result = sub.Result;
  if ((m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP) && mouse_control_) {
    mouse_control_ = nullptr;
    if (GetCapture() == handle_) ReleaseCapture();
  }
  return true;
}

void TWinControl::ReflectToChild(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom; break;
    case WM_DRAWITEM: child = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem; break;
    default: child = reinterpret_cast<HWND>(m.LParam); break;
  }
  TWinControl* c = child && child != handle_ ? FindControl(child) : nullptr;
  if (c) {
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  } else {
    DefaultHandler(m);
  }
}

void TWinControl::NcCalcBevel(TMessage& m) {
  DefaultHandler(m);
  int b = BevelSize();
  auto* r = reinterpret_cast<RECT*>(m.LParam);
  InflateRect(r, -b, -b);
}

void TWinControl::NcPaintBevel() {
  TWindowDC dc(handle_, true);
  RECT r;
  GetWindowRect(handle_, &r);
  OffsetRect(&r, -r.left, -r.top);
  UINT flags = BF_RECT | (bevel_kind_ == TBevelKind::bkFlat ? BF_FLAT : bevel_kind_ == TBevelKind::bkSoft ? BF_SOFT : 0);
  DrawEdge(dc.Get(), &r, EDGE_ETCHED, flags);
}

bool TWinControl::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT:
      if (!paints_itself_) return false;
      PaintHandler(m);
      return true;
    case WM_ERASEBKGND:
      if (!paints_itself_) return false;
      m.Result = 1;
      return true;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      ReflectToChild(m);
      return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (!m.LParam) return false;
      ReflectToChild(m);
      return true;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      m.Result = reinterpret_cast<LRESULT>(BrushHandle());
      return true;
    }
    case WM_NCCALCSIZE:
      if (bevel_kind_ == TBevelKind::bkNone) return false;
      NcCalcBevel(m);
      return true;
    case WM_NCPAINT:
      if (bevel_kind_ == TBevelKind::bkNone) return false;
      DefaultHandler(m);
      NcPaintBevel();
      return true;
    case WM_SETCURSOR: {
      if (reinterpret_cast<HWND>(m.WParam) != handle_ || LOWORD(m.LParam) != HTCLIENT) return false;
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(handle_, &p);
      TControl* c = ControlAtPos(p, true);
      TCursor cur = c ? c->Cursor() : Cursor();
      if (cur == crDefault) return false;
      ::SetCursor(CursorHandle(cur));
      m.Result = 1;
      return true;
    }
    case WM_MOUSELEAVE:
      if (hover_control_) {
        hover_control_->Perform(CM_MOUSELEAVE, 0, 0);
        hover_control_ = nullptr;
      }
      return false;
    case WM_WINDOWPOSCHANGED: {
      DefaultHandler(m);
      auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
      if (!(wp->flags & SWP_NOSIZE) || !(wp->flags & SWP_NOMOVE)) {
        RECT r;
        GetWindowRect(handle_, &r);
        if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
          MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        bool resized = r.right - r.left != width_ || r.bottom - r.top != height_;
        left_ = r.left;
        top_ = r.top;
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
        if (resized) Realign();
      }
      return true;
    }
    case WM_CONTEXTMENU:
      return ContextMenu(m);
    case WM_CANCELMODE:
      if (mouse_control_) {
        mouse_control_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
      }
      return false;
    default:
      return false;
  }
}

bool TWinControl::ContextMenu(TMessage& m) {
  // (-1, -1): from the keyboard (Shift+F10 or the menu key); the menu opens at the control.
  const bool keyboard = LOWORD(m.LParam) == 0xFFFF && HIWORD(m.LParam) == 0xFFFF;
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  TControl* target = this;
  if (!keyboard && handle_) {
    POINT c = p;
    ::ScreenToClient(handle_, &c);
    if (TControl* g = ControlAtPos(c); g && g->PopupMenu()) target = g;
  }
  TPopupMenu* menu = target->PopupMenu();
  if (!menu || !menu->AutoPopup()) return false;  // the default procedure asks the parent
  if (keyboard) p = target->ClientToScreen({0, 0});
  menu->SetPopupComponent(target);
  menu->Popup(p.x, p.y);
  m.Result = 0;
  return true;
}

void TWinControl::WndProc(TMessage& m) {
  if (IsMouseMsg(m.Msg) && handle_ && RouteMouseToGraphic(m)) return;
  if (HandleMessage(m)) return;
  TControl::WndProc(m);
}

// ---- TGraphicControl ----

QN_CLASS_IMPL(TGraphicControl, TControl)

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() { canvas_.SetHandle(nullptr); }

void TGraphicControl::PaintTo(HDC dc) {
  canvas_.SetHandle(dc);
  canvas_.Font().Assign(Font());
  RunGuarded([&] { Paint(); });
  canvas_.SetHandle(nullptr);
}

void TGraphicControl::WndProc(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    PaintTo(reinterpret_cast<HDC>(m.WParam));
    return;
  }
  TControl::WndProc(m);
}

// ---- TCustomControl ----

QN_CLASS_IMPL(TCustomControl, TWinControl)

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) { SetPaintsItself(true); }

void TCustomControl::PaintWindow(HDC dc) {
  canvas_.SetHandle(dc);
  canvas_.Font().Assign(Font());
  canvas_.Brush().SetColor(Color());
  Paint();
  canvas_.SetHandle(nullptr);
}

}  // namespace qn
