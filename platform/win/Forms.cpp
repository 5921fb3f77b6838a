#include "platform/win/Forms.h"

#include <algorithm>

#include "platform/core/FormText.h"
#include "platform/win/Menus.h"
#include "platform/win/Resources.h"
#include "platform/win/WinUtil.h"

namespace qn {

TApplication* Application = nullptr;

namespace {
TFormShowingHandler g_showing_handler = nullptr;
}  // namespace

void SetFormShowingHandler(TFormShowingHandler handler) { g_showing_handler = handler; }

const TEnumInfo kFormBorderStyleInfo{{"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
const TEnumInfo kBorderIconsInfo{{"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
const TEnumInfo kPositionInfo{{"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                               "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
const TEnumInfo kFormStyleInfo{{"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};

QN_CLASS_IMPL(TSizeConstraints, TPersistent,
              {prop::Int("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth),
               prop::Int("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight),
               prop::Int("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth),
               prop::Int("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight)})

QN_CLASS_IMPL(TCustomForm, TCustomControl,
              {prop::Enum("BorderStyle", kFormBorderStyleInfo, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle),
               prop::Set("BorderIcons", kBorderIconsInfo, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons),
               prop::Enum("Position", kPositionInfo, &TCustomForm::Position, &TCustomForm::SetPosition),
               prop::Enum("FormStyle", kFormStyleInfo, &TCustomForm::FormStyle, &TCustomForm::SetFormStyle),
               prop::Bool("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled),
               prop::Int("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch),
               prop::Bool("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder),
               prop::Obj("Constraints", &TCustomForm::Constraints),
               prop::Int("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth),
               prop::Int("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight),
               prop::Event("OnCreate", &TCustomForm::OnCreate),
               prop::Event("OnDestroy", &TCustomForm::OnDestroy),
               prop::Event("OnShow", &TCustomForm::OnShow),
               prop::Event("OnActivate", &TCustomForm::OnActivate),
               prop::Event("OnClose", &TCustomForm::OnClose)})
QN_CLASS_IMPL(TForm, TCustomForm)

TCustomForm::TCustomForm(TComponent* owner)
    : TCustomControl(owner), constraints_(std::make_unique<TSizeConstraints>()) {
  TControl::SetVisible(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  if (Application) Application->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  if (menu_) menu_->form_ = nullptr;
  if (Application) {
    auto& f = Application->forms_;
    f.erase(std::remove(f.begin(), f.end(), this), f.end());
    if (Application->main_form_ == this) Application->main_form_ = nullptr;
  }
}

void TCustomForm::BeforeDestruction() {
  if (OnDestroy) RunGuarded([&] { OnDestroy(this); });
  TCustomControl::BeforeDestruction();
}

void TCustomForm::SetClientWidth(int w) {
  client_w_ = w;
  if (HandleAllocated()) TControl::SetClientWidth(w);
  else width_ = FrameSizeFor(w, client_h_ ? client_h_ : height_).cx;
}

void TCustomForm::SetClientHeight(int h) {
  client_h_ = h;
  if (HandleAllocated()) TControl::SetClientHeight(h);
  else height_ = FrameSizeFor(client_w_ ? client_w_ : width_, h).cy;
}

SIZE TCustomForm::FrameSizeFor(int w, int h) {
  TCreateParams p;
  CreateParams(p);
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, p.style, HasMenuBar(), p.exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.exStyle = 0;
  bool sysmenu = border_icons_ & (1u << biSystemMenu);
  switch (border_style_) {
    case TFormBorderStyle::bsNone: p.style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow: p.style |= WS_CAPTION | WS_BORDER; break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin: p.style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog:
      p.style |= WS_POPUP | WS_CAPTION;
      p.exStyle |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (border_style_ == TFormBorderStyle::bsToolWindow || border_style_ == TFormBorderStyle::bsSizeToolWin)
    p.exStyle |= WS_EX_TOOLWINDOW;
  if (sysmenu && border_style_ != TFormBorderStyle::bsNone) {
    p.style |= WS_SYSMENU;
    if (border_style_ != TFormBorderStyle::bsDialog) {
      if (border_icons_ & (1u << biMinimize)) p.style |= WS_MINIMIZEBOX;
      if (border_icons_ & (1u << biMaximize)) p.style |= WS_MAXIMIZEBOX;
    }
    if (border_icons_ & (1u << biHelp)) p.exStyle |= WS_EX_CONTEXTHELP;
  }
  if (form_style_ == TFormStyle::fsStayOnTop) p.exStyle |= WS_EX_TOPMOST;
  if (Application && Application->MainForm() == this) p.exStyle |= WS_EX_APPWINDOW;
  if (!Enabled()) p.style |= WS_DISABLED;
  p.wndParent = Application ? Application->Handle() : nullptr;
  if (form_style_ == TFormStyle::fsMDIChild) MDIChildParams(p);
  if (client_w_ > 0 || client_h_ > 0) {
    RECT r{0, 0, client_w_ > 0 ? client_w_ : width_, client_h_ > 0 ? client_h_ : height_};
    AdjustWindowRectEx(&r, p.style, HasMenuBar(), p.exStyle);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
  }
}

void TCustomForm::CreateWindowHandleDone() {
  if (Application && Application->Icon()) {
    SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Application->Icon()));
    SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Application->SmallIcon()));
  }
  if (HasMenuBar()) ::SetMenu(handle_, menu_->Handle());
  if (form_style_ == TFormStyle::fsMDIForm) CreateMDIClient();
}

bool TCustomForm::HasMenuBar() const { return menu_ && form_style_ != TFormStyle::fsMDIChild; }

void TCustomForm::DestroyWnd() {
  // An MDI child leaves through its client, which keeps the list of children.
  if (IsMDIChildWindow()) {
    if (HWND client = GetParent(handle_)) SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle_), 0);
    if (!handle_) return;
  }
  TCustomControl::DestroyWnd();
}

bool TCustomForm::IsMDIChildWindow() const {
  return handle_ && (GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
}

void TCustomForm::DefaultHandler(TMessage& m) {
  if (!handle_) return;
  if (client_handle_) {
    m.Result = DefFrameProcW(handle_, client_handle_, m.Msg, m.WParam, m.LParam);
  } else if (IsMDIChildWindow()) {
    m.Result = DefMDIChildProcW(handle_, m.Msg, m.WParam, m.LParam);
  } else {
    TCustomControl::DefaultHandler(m);
  }
}

void TCustomForm::AlignControls(RECT& r) {
  TCustomControl::AlignControls(r);
  // The MDI client takes what the aligned controls leave.
  if (client_handle_)
    SetWindowPos(client_handle_, nullptr, r.left, r.top, std::max(0L, r.right - r.left), std::max(0L, r.bottom - r.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Menus ----

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) {
    menu_->form_ = nullptr;
    RemoveFreeNotification(menu_);
  }
  if (menu && menu->form_) menu->form_->SetMenu(nullptr);
  menu_ = menu;
  if (menu_) {
    menu_->form_ = this;
    FreeNotification(menu_);
  }
  if (!handle_ || form_style_ == TFormStyle::fsMDIChild) return;
  HMENU bar = menu_ ? menu_->Handle() : nullptr;
  if (client_handle_) {
    HMENU window_menu = window_menu_ ? window_menu_->Handle() : nullptr;
    SendMessageW(client_handle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar), reinterpret_cast<LPARAM>(window_menu));
    if (!bar) ::SetMenu(handle_, nullptr);
  } else {
    ::SetMenu(handle_, bar);
  }
  DrawMenuBar(handle_);
  SendMessageW(handle_, CM_MENUCHANGED, 0, 0);
}

bool TCustomForm::IsShortCut(const MSG& msg) { return menu_ && menu_->IsShortCut(msg); }

void TCustomForm::SetWindowMenu(TMenuItem* item) {
  if (item == window_menu_) return;
  if (window_menu_) RemoveFreeNotification(window_menu_);
  window_menu_ = item;
  if (item) FreeNotification(item);
  if (client_handle_ && menu_) {
    SendMessageW(client_handle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu_->Handle()),
                 reinterpret_cast<LPARAM>(item ? item->Handle() : nullptr));
    DrawMenuBar(handle_);
  }
}

void TCustomForm::Notification(TComponent* component, TOperation op) {
  TCustomControl::Notification(component, op);
  if (op != TOperation::opRemove) return;
  if (component == window_menu_) window_menu_ = nullptr;
  if (component == menu_) SetMenu(nullptr);
}

void TCustomForm::MenuDestroying() {
  // The window destroys the menu it shows: the bar is taken back first, as it is ours.
  if (!handle_ || !menu_ || !menu_->Items()->HandleAllocated()) return;
  if (GetMenu(handle_) == menu_->Items()->Handle()) ::SetMenu(handle_, nullptr);
}

// ---- MDI ----

void TCustomForm::CreateMDIClient() {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = window_menu_ ? window_menu_->Handle() : nullptr;
  ccs.idFirstChild = kFirstMDIChild;
  RECT r;
  GetClientRect(handle_, &r);
  client_handle_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                   WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0,
                                   r.right, r.bottom, handle_, nullptr, GetModuleHandleW(nullptr), &ccs);
  if (!client_handle_) throw std::runtime_error("Cannot create the MDI client window");
}

TCustomForm* TCustomForm::MDIFrame() const {
  auto is_frame = [](TComponent* c) {
    auto* f = dynamic_cast<TCustomForm*>(c);
    return f && f->FormStyle() == TFormStyle::fsMDIForm ? f : nullptr;
  };
  for (TComponent* o = Owner(); o; o = o->Owner())
    if (TCustomForm* f = is_frame(o)) return f;
  if (!Application) return nullptr;
  if (TCustomForm* f = is_frame(Application->MainForm())) return f;
  for (TCustomForm* f : Application->Forms())
    if (f != this && is_frame(f)) return f;
  return nullptr;
}

void TCustomForm::MDIChildParams(TCreateParams& p) {
  TCustomForm* frame = MDIFrame();
  if (!frame) throw std::runtime_error("Cannot create an MDI child: there is no MDI form");
  frame->HandleNeeded();
  if (!frame->ClientHandle()) throw std::runtime_error("Cannot create an MDI child: the MDI form has no client");
  p.wndParent = frame->ClientHandle();
  p.style = (p.style & ~(WS_POPUP | WS_DISABLED)) | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (border_style_ != TFormBorderStyle::bsNone) p.style |= WS_CAPTION;
  p.exStyle = (p.exStyle & ~(WS_EX_APPWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME)) | WS_EX_MDICHILD;
  // The client places a child it is given no place for, one below the other.
  if (left_ == 0 && top_ == 0) p.x = p.y = CW_USEDEFAULT;
}

std::vector<TCustomForm*> TCustomForm::MDIChildList() const {
  std::vector<TCustomForm*> list;
  if (!client_handle_) return list;
  for (HWND w = GetWindow(client_handle_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (auto* f = dynamic_cast<TCustomForm*>(FindControl(w))) list.push_back(f);
  return list;
}

int TCustomForm::MDIChildCount() const { return static_cast<int>(MDIChildList().size()); }

TCustomForm* TCustomForm::MDIChildren(int i) const {
  auto list = MDIChildList();
  return i >= 0 && i < static_cast<int>(list.size()) ? list[static_cast<size_t>(i)] : nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (!client_handle_) return nullptr;
  auto active = reinterpret_cast<HWND>(SendMessageW(client_handle_, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TCustomForm*>(FindControl(active));
}

void TCustomForm::Cascade() {
  if (client_handle_) SendMessageW(client_handle_, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile() {
  if (client_handle_) SendMessageW(client_handle_, WM_MDITILE, MDITILE_HORIZONTAL, 0);
}

void TCustomForm::ArrangeIcons() {
  if (client_handle_) SendMessageW(client_handle_, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
  if (client_handle_) SendMessageW(client_handle_, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
  if (client_handle_) SendMessageW(client_handle_, WM_MDINEXT, 0, 1);
}

void TCustomForm::PlaceWindow() {
  if (placed_) return;
  placed_ = true;
  if (IsMDIChildWindow()) return;  // placed by its client
  RECT r = HwndWindowRect(handle_);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = left_, y = top_;
  switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter: {
      RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      x = work.left + (work.right - work.left - w) / 2;
      y = work.top + (work.bottom - work.top - h) / 2;
      break;
    }
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter:
      if (Application && Application->MainForm() && Application->MainForm() != this &&
          Application->MainForm()->HandleAllocated()) {
        RECT m = HwndWindowRect(Application->MainForm()->Handle());
        x = m.left + (m.right - m.left - w) / 2;
        y = m.top + (m.bottom - m.top - h) / 2;
      }
      break;
    default:
      break;
  }
  SetWindowPos(handle_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::SetVisible(bool v) {
  if (Loading()) {
    TControl::SetVisible(v);
    return;
  }
  if (v == Visible() && (!v || HandleAllocated())) return;
  TControl::SetVisible(v);
  if (v) {
    HandleNeeded();
    PlaceWindow();
    if (g_showing_handler && !IsWindowVisible(handle_) && !(GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
      RunQuietly([&] { g_showing_handler(this); });
    ShowWindow(handle_, SW_SHOWNORMAL);
    if (OnShow) OnShow(this);
  } else if (HandleAllocated()) {
    ShowWindow(handle_, SW_HIDE);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  if (!HandleAllocated()) return;
  if (IsMDIChildWindow()) SendMessageW(GetParent(handle_), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(handle_), 0);
  else SetForegroundWindow(handle_);
}

void TCustomForm::Close() {
  // An MDI child cannot hide among its siblings: it is minimised, or stays when it cannot be.
  TCloseAction action = TCloseAction::caHide;
  if (form_style_ == TFormStyle::fsMDIChild)
    action = border_icons_ & (1u << biMinimize) ? TCloseAction::caMinimize : TCloseAction::caNone;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == TCloseAction::caHide) {
    Hide();
  } else if (action == TCloseAction::caMinimize) {
    ShowWindow(Handle(), SW_MINIMIZE);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  if (HandleAllocated()) PostMessageW(handle_, CM_RELEASE, 0, 0);
}

bool TCustomForm::Active() const { return HandleAllocated() && GetActiveWindow() == handle_; }

void TCustomForm::SetActiveControl(TWinControl* c) {
  active_control_ = c;
  if (c && Active()) c->SetFocus();
}

void TCustomForm::Paint() {
  RECT r = ClientRect();
  Canvas().Brush().SetColor(Color());
  Canvas().FillRect(r);
}

namespace {
bool OfferToControls(TWinControl* container, UINT msg, WPARAM wparam, LPARAM lparam);
}  // namespace

bool TCustomForm::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      Close();
      return true;
    case CM_DIALOGCHAR:
      // An accelerator key: the control whose caption underlines it.
      m.Result = OfferToControls(this, CM_DIALOGCHAR, m.WParam, m.LParam) ? 1 : 0;
      return true;
    case CM_RELEASE:
      Free();
      return true;
    case WM_COMMAND:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (DispatchMenuMessage(m)) return true;
      return TCustomControl::HandleMessage(m);
    case WM_INITMENUPOPUP:
      DispatchMenuMessage(m);
      return false;
    case WM_DESTROY:
      MenuDestroying();
      return false;
    case WM_NCDESTROY:
      client_handle_ = nullptr;
      return false;
    case WM_ACTIVATE:
      DefaultHandler(m);
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        if (active_control_ && active_control_->HandleAllocated()) ::SetFocus(active_control_->Handle());
        if (OnActivate) OnActivate(this);
      } else if (HWND f = GetFocus(); f && IsChild(handle_, f)) {
        for (HWND w = f; w && w != handle_; w = GetParent(w))
          if (TWinControl* c = FindControl(w)) {
            active_control_ = c;
            break;
          }
      }
      return true;
    case WM_GETMINMAXINFO: {
      DefaultHandler(m);
      auto* mm = reinterpret_cast<MINMAXINFO*>(m.LParam);
      if (constraints_->MinWidth() > 0) mm->ptMinTrackSize.x = constraints_->MinWidth();
      if (constraints_->MinHeight() > 0) mm->ptMinTrackSize.y = constraints_->MinHeight();
      if (constraints_->MaxWidth() > 0) mm->ptMaxTrackSize.x = constraints_->MaxWidth();
      if (constraints_->MaxHeight() > 0) mm->ptMaxTrackSize.y = constraints_->MaxHeight();
      return true;
    }
    default:
      return TCustomControl::HandleMessage(m);
  }
}

void TCustomForm::ReadForm(const wchar_t* resource) {
  std::vector<uint8_t> bytes;
  if (!LoadRcData(resource, bytes)) throw std::runtime_error("Resource " + WideToUtf8(resource) + " not found");
  ReadFormText(std::string(bytes.begin(), bytes.end()));
}

void TCustomForm::ReadFormText(const std::string& utf8) {
  TFormReadContext ctx;
  ctx.findMethod = [this](const std::string& name) {
    auto it = methods_.find(name);
    return it == methods_.end() ? TMethodRef() : it->second;
  };
  ctx.loadResource = [](const std::string& name, std::vector<uint8_t>& out) {
    return LoadRcData(Utf8ToWide(name).c_str(), out);
  };
  ReadComponentText(this, utf8, ctx);
  for (auto& bind : fields_) bind();
  if (OnCreate) OnCreate(this);
}

// ---- TApplication ----

QN_CLASS_IMPL(TApplication, TComponent)

namespace {

LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CLOSE && Application && Application->MainForm()) {
    // The main form's OnClose is the application's code: its errors are shown as the
    // application shows them, and none crosses this window procedure.
    RunGuarded([] { Application->MainForm()->Close(); });
    return 0;
  }
  return DefWindowProcW(wnd, msg, w, l);
}

void SinkToApplication(const std::exception* e) {
  if (Application) Application->HandleException(e);
}

}  // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(inst, L"TApplication", &wc)) {
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"TApplication";
    wc.hIcon = LoadIconW(inst, L"MAINICON");
    RegisterClassW(&wc);
  }
  icon_ = LoadIconW(inst, L"MAINICON");
  // The icon's own small picture, rather than the large one shrunk by whoever draws it.
  small_icon_ = TIconHandle(static_cast<HICON>(LoadImageW(inst, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                          GetSystemMetrics(SM_CYSMICON), 0)));
  handle_ = CreateWindowExW(0, L"TApplication", L"", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                            inst, nullptr);
  SetExceptionSink(SinkToApplication);
}

TApplication::~TApplication() {
  // Forms go first, while the window that owns theirs still exists.
  while (!forms_.empty()) {
    TCustomForm* f = forms_.back();
    forms_.pop_back();
    if (f->Owner() == this) f->Free();
  }
  DestroyComponents();
  if (handle_) DestroyWindow(handle_);
  if (Application == this) {
    Application = nullptr;
    SetExceptionSink(nullptr);
  }
}

void TApplication::SetTitle(const std::wstring& t) {
  title_ = t;
  if (handle_) SetWindowTextW(handle_, t.c_str());
}

void TApplication::Run() {
  if (main_form_) main_form_->Show();
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    ProcessMessage(msg);
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return false;
  }
  if (IsMDIMsg(msg) || IsMenuKey(msg) || IsDialogKey(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

namespace {

// The top control (the form) of the focused window, or null.
TWinControl* FocusedForm(HWND focus, TWinControl** focused) {
  TWinControl* c = nullptr;
  for (HWND w = focus; w && !c; w = GetParent(w)) c = FindControl(w);
  if (focused) *focused = c;
  if (!c) return nullptr;
  TWinControl* form = c;
  while (form->Parent()) form = form->Parent();
  return form;
}

// Offers msg to the windowed controls inside container, depth first, until one answers 1.
bool OfferToControls(TWinControl* container, UINT msg, WPARAM wparam, LPARAM lparam) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(container->Controls(i));
    if (!c || !c->HandleAllocated() || !IsWindowVisible(c->Handle()) || !IsWindowEnabled(c->Handle())) continue;
    if (SendMessageW(c->Handle(), msg, wparam, lparam) == 1) return true;
    if (OfferToControls(c, msg, wparam, lparam)) return true;
  }
  return false;
}

}  // namespace

bool TApplication::IsMenuKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  // The forms around the window with the key, innermost first: an MDI child's keys reach
  // its frame's menu.
  for (HWND w = msg.hwnd; w; w = GetParent(w)) {
    auto* f = dynamic_cast<TCustomForm*>(FindControl(w));
    if (f && f->Menu() && f->IsShortCut(msg)) return true;
    if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

bool TApplication::IsMDIMsg(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  auto* f = dynamic_cast<TCustomForm*>(FindControl(root));
  return f && f->ClientHandle() && TranslateMDISysAccel(f->ClientHandle(), &msg);
}

bool TApplication::IsDialogKey(MSG& msg) {
  const bool key = msg.message == WM_KEYDOWN &&
                   (msg.wParam == VK_TAB || msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
  // Alt with a letter: the control whose caption underlines it.
  const bool accelerator = msg.message == WM_SYSCHAR;
  if (!key && !accelerator) return false;
  HWND focus = GetFocus();
  if (!focus) return false;
  if (key) {
    const LRESULT wants = SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    if (msg.wParam == VK_TAB && (wants & DLGC_WANTTAB)) return false;
  }
  TWinControl* c = nullptr;
  TWinControl* form = FocusedForm(focus, &c);
  if (!form) return false;
  // The form first: whoever hooks it (a skinned menu bar) sees the key before its controls do.
  if (accelerator) {
    if (dynamic_cast<TCustomForm*>(form) && form->HandleAllocated())
      return SendMessageW(form->Handle(), CM_DIALOGCHAR, msg.wParam, msg.lParam) == 1;
    return OfferToControls(form, CM_DIALOGCHAR, msg.wParam, msg.lParam);
  }
  if (msg.wParam != VK_TAB) return OfferToControls(form, CM_DIALOGKEY, msg.wParam, msg.lParam);
  form->SelectNext(c, GetKeyState(VK_SHIFT) >= 0, true);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      break;
    }
    ProcessMessage(msg);
  }
}

bool TApplication::PumpUntil(const std::function<bool()>& done, unsigned timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    ProcessMessages();
    if (done()) return true;
    DWORD spent = GetTickCount() - start;
    if (spent >= timeout_ms) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeout_ms - spent, 50), QS_ALLINPUT);
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
  if (MessageBoxHook) return MessageBoxHook(text, caption, flags);
  HWND owner = GetActiveWindow();
  if (!owner && main_form_ && main_form_->HandleAllocated()) owner = main_form_->Handle();
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::HandleException(const std::exception* e) {
  std::wstring text = e ? Utf8ToWide(e->what()) : L"Unknown error";
  if (!text.empty() && text.back() != L'.') text += L'.';
  try {
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
  } catch (...) {
  }
}

TApplication* InitApplication() {
  if (!Application) Application = new TApplication(nullptr);
  return Application;
}

void DoneApplication() { delete Application; }

void ShowMessage(const std::wstring& text) {
  InitApplication()->MessageBox(text, Application->Title(), MB_OK);
}

}  // namespace qn
