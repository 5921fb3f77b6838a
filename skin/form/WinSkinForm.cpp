#include "skin/form/WinSkinForm.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "platform/win/MethodHook.h"
#include "platform/win/Regions.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinControl.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"
#include "skin/form/WinSkinMenuBar.h"

namespace qn {

QN_CLASS_IMPL(TWinSkinForm, TComponent)

namespace {

constexpr int kTimerInterval = 250;

bool SameClass(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// A new colour of a windowed control does not repaint it by itself.
void Recolor(TControl* control, TColor color) {
  if (control->Color() == color) return;
  control->SetColor(color);
  control->Invalidate();
}

// An event handler of the program that fails must not take the window procedure with it.
template <class F>
void Quietly(F&& f) noexcept {
  try {
    f();
  } catch (...) {
    DropCurrentException();
  }
}

std::atomic<int> g_thread_faults{0};

}  // namespace

int TWinSkinForm::ThreadFaults() { return g_thread_faults; }

void TWinSkinForm::CheckThread(const char* where) const {
  if (GetCurrentThreadId() == thread_) return;
  ++g_thread_faults;
  OutputDebugStringA((std::string("form skinner used from another thread: ") + where + "\n").c_str());
}

// ---- Creation and destruction ----

TWinSkinForm::TWinSkinForm(TComponent* owner, TFormHost* host)
    : TComponent(owner), alive_(std::make_shared<bool>(true)), host_(host), thread_(GetCurrentThreadId()) {
  DoubleTime = GetDoubleClickTime();
  // The structure of the systems with a padded border first, then the older one.
  struct {
    NONCLIENTMETRICSW ncm;
    int padding;
  } metrics{};
  for (UINT size : {static_cast<UINT>(sizeof metrics), static_cast<UINT>(sizeof metrics.ncm)}) {
    metrics.ncm.cbSize = size;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) {
      const LOGFONTW& lf = metrics.ncm.lfCaptionFont;
      CaptionFont.SetName(lf.lfFaceName);
      CaptionFont.SetHeight(lf.lfHeight);
      CaptionFont.SetCharset(lf.lfCharSet);
      TFontStyles style = 0;
      if (lf.lfWeight >= FW_BOLD) style |= 1u << fsBold;
      if (lf.lfItalic) style |= 1u << fsItalic;
      CaptionFont.SetStyle(style);
      break;
    }
  }
  CaptionBuf.SetPixelFormat(TPixelFormat::pfDevice);
  TitleBack.SetPixelFormat(TPixelFormat::pfDevice);
}

TWinSkinForm::~TWinSkinForm() {
  CheckThread("freed");
  *alive_ = false;
  // The order matters: nothing may reach this object once it is half gone, so the timer and
  // the message bindings go before the pictures and lists they use.
  timer.reset();
  RemoveFormHook();
  subclass_.Remove();
  mdi_subclass_.Remove();
  FreeControls();
  DeleteSysbtn();
  sysmenu.Reset();
  track_hook_.Remove();
  GiveBackOwnerDrawn();
  FreeMenuBar(false);
  if (Host()) Host()->FormGone(this);
}

// ---- Attaching ----

void TWinSkinForm::InitDlg(TSkinData* data) {
  if (subclass_.Installed() || !data) return;
  fsd = data;
  AttachCommon();
}

void TWinSkinForm::InitTform(TSkinData* data, TCustomForm* form) {
  if (subclass_.Installed() || !data) return;
  FForm = form;
  fsd = data;
  if (fsd->OnBeforeSkinForm) Quietly([&] { fsd->OnBeforeSkinForm(form, Hwnd, formclass); });
  if (form && Has(fsd->SkinControls(), xcMenuItem)) (void)SetEnumProp(form, "AutoScroll", "False");
  AttachCommon();
  if (!subclass_.Installed() || !form) return;
  if (sMainMenu) InstallFormHook();
  formcolor = form->Color();
  Recolor(form, skin_->Colors[skin::kcButtonFace]);
  // Owner-drawn items of the form's main menu come with the skinned menu bar.
}

void TWinSkinForm::AttachCommon() {
  if (!IsWindow(Hwnd)) return;
  if (Host()) Host()->FormAttached();
  skin_ = fsd->Skin();
  timer = std::make_unique<TTimer>(nullptr);
  timer->SetQuiet(true);
  timer->SetEnabled(false);
  timer->SetInterval(kTimerInterval);
  timer->OnTimer = TNotifyEvent::Bind<&TWinSkinForm::OnTimer>(this);

  sMainMenu = Has(fsd->SkinControls(), xcMainMenu);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Hwnd, GWL_STYLE));
  const DWORD exstyle = static_cast<DWORD>(GetWindowLongPtrW(Hwnd, GWL_EXSTYLE));
  dwstyle = style;
  bidileft = (exstyle & WS_EX_LEFTSCROLLBAR) != 0;
  ischildform = (style & WS_CHILD) != 0;
  classname = GetWndClassName(Hwnd);
  parenthwnd = GetWindow(Hwnd, GW_OWNER);

  had_sysmenu_ = (style & WS_SYSMENU) != 0;
  FormIcons = 0;
  if (had_sysmenu_ || hsysmenu) FormIcons |= 1u << sbisystem;
  if (style & WS_MINIMIZEBOX) FormIcons |= 1u << sbiMin;
  if (style & WS_MAXIMIZEBOX) FormIcons |= 1u << sbiMax;
  if (exstyle & WS_EX_CONTEXTHELP) FormIcons |= 1u << sbiHelp;
  ReadWindowState();
  fSizeable = (style & WS_THICKFRAME) != 0;

  FormStyle = TSkinFormStyle::sfsNormal;
  for (HWND c = GetWindow(Hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (SameClass(GetWndClassName(c), L"MDIClient")) {
      FormStyle = TSkinFormStyle::sfsMDIform;
      ClientHwnd = c;
      if (Host()) Host()->SetMDIClient(c, FForm);
      break;
    }
  }
  if (exstyle & WS_EX_MDICHILD) {
    FormStyle = TSkinFormStyle::sfsMDIChild;
    if (Has(fsd->Options(), xoMDIChildBorder)) sMainMenu = false;
  }
  hmenu = IsMdiChild() ? nullptr : GetMenu(Hwnd);

  FormBorder = TSkinFormBorder::sbsSingle;
  if ((style & WS_CAPTION) != WS_CAPTION) FormBorder = TSkinFormBorder::sbsNone;
  else if (style & WS_THICKFRAME) FormBorder = TSkinFormBorder::sbsSizeable;
  else if (style & DS_MODALFRAME) FormBorder = TSkinFormBorder::sbsDialog;
  if (exstyle & WS_EX_DLGMODALFRAME) FormBorder = TSkinFormBorder::sbsDialog;

  // On Windows 2000 a window that shows in the task bar keeps its system-menu style.
  const DWORD version = GetVersion();
  const bool nt = !(version & 0x80000000u);
  if (nt && LOBYTE(LOWORD(version)) >= 5 && HIBYTE(LOWORD(version)) == 0 &&
      ((exstyle & WS_EX_APPWINDOW) || (!parenthwnd && !IsMdiChild())))
    FormIcons |= 1u << sbicaption;

  isunicode = IsWindowUnicode(Hwnd) != FALSE;
  ismessagebox = classname == L"#32770" || classname == L"TMessageForm";
  if (ismessagebox) FormBorder = TSkinFormBorder::sbsDialog;

  // Nothing paints until the window is activated, when the manager asks for it.
  if (Host() && Host()->HideUntilActivated() && !ischildform && sMainMenu && FormBorder != TSkinFormBorder::sbsNone) {
    SetWindowLongPtrW(Hwnd, GWL_STYLE, GetWindowLongPtrW(Hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
  }
  if (!nt) fsd->SetSkinControls(fsd->SkinControls() & ~Bit(xcSystemMenu));

  if (FormStyle == TSkinFormStyle::sfsMDIform && ClientHwnd) {
    menuauto = fsd->MenuUpdate();
    (void)mdi_subclass_.Install(ClientHwnd, [this](TMessage& msg) { OnMdiClientMessage(msg); });
  }
  if (!subclass_.Install(Hwnd, [this](TMessage& msg) { OnMessage(msg); })) return;

  if (sMainMenu) {
    InitMenuBar(hmenu);
    InitSkinData();
  } else {
    Skinstate = 1;
  }
  if (IsMdiChild()) {
    const int native = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CXFRAME);
    if (bw.top < native) MenuHeight = native - bw.top;
    if (Maximised() && Host() && !Host()->MDIMaximised()) Host()->SetMDIMax(true);
  }
}

void TWinSkinForm::InstallFormHook() {
  if (hook_link_ || !FForm) return;
  hook_link_ = new TMethodHook(FForm, TWndMethod::Bind<&TWinSkinForm::FormHook>(this));
  hook_link_->OnFreed = [this] { hook_link_ = nullptr; };
}

void TWinSkinForm::RemoveFormHook() {
  // Someone who hooked the form after us keeps our hook as theirs to call: the link then stays
  // in their chain, passing messages on, and goes with the form.
  if (TMethodHook* link = std::exchange(hook_link_, nullptr)) link->Remove();
}

void TWinSkinForm::ReadWindowState() {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(Hwnd, &wp)) return;
  switch (wp.showCmd) {
    case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE: Windowstate = TSkinWindowState::swsMin; break;
    case SW_SHOWMAXIMIZED: Windowstate = TSkinWindowState::swsMax; break;
    default: Windowstate = TSkinWindowState::swsNormal; break;
  }
}

// ---- Activation ----

void TWinSkinForm::Activate() {
  auto alive = alive_;
  // Whatever fails on the way, the skinner ends up running: a state left at 0 or 5 would keep
  // the frame from ever painting and the timer from starting.
  bool done = false;
  try {
    ActivateSteps();
    done = true;
  } catch (...) {
    DropCurrentException();
  }
  if (!*alive) return;
  if (Skinstate == 0 || Skinstate == 5) Skinstate = 1;
  // The client area is laid out afresh inside the skinned frame, whatever fitting did.
  if (!done && sMainMenu) Refresh();
  if (timer) timer->SetEnabled(true);
  // A window skinned before it first shows is painted by its showing.
  if (!IsWindowVisible(Hwnd)) return;
  // Fitting validated the frame while it could not be painted yet, and kept the client
  // area's old bits (the native background, controls before they moved).
  if (sMainMenu) PaintFrame();
  RedrawWindow(Hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWinSkinForm::ActivateSteps() {
  auto alive = alive_;
  hsysmenu = GetSystemMenu(Hwnd, FALSE);
  if (hsysmenu) FormIcons |= 1u << sbisystem;
  LoadFormIcon();
  if (!fitted_) {
    // The native frame, measured while it is still in place.
    const RECT wr = HwndWindowRect(Hwnd), cr = HwndClientRect(Hwnd);
    oldsize = RECT{0, 0, (wr.right - wr.left) - cr.right, (wr.bottom - wr.top) - cr.bottom};
  }
  if (Host() && Host()->HideUntilActivated()) {
    Host()->ShownOnActivation();
    const LONG_PTR style = GetWindowLongPtrW(Hwnd, GWL_STYLE);
    if (!(style & WS_VISIBLE)) SetWindowLongPtrW(Hwnd, GWL_STYLE, style | WS_VISIBLE);
  }
  if (FForm) InitControls(FForm);
  else InitHwndControls(Hwnd);

  // The window may have been activated before it could follow it (activation messages are
  // not painted before now).
  if (IsMdiChild()) {
    HWND client = GetParent(Hwnd);
    FWindowActive = client && reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) == Hwnd;
  } else {
    FWindowActive = GetActiveWindow() == Hwnd;
  }
  if (!*alive) return;

  if (Skinstate == 0) {
    ReadWindowState();
    if (IsMdiChild()) {
      if (Maximised()) {
        PostMessageW(GetParent(Hwnd), WM_SKINMDIMAXIMIZED, reinterpret_cast<WPARAM>(Hwnd), 0);
      } else if (!Minimised()) {
        Skinstate = 5;
        FitWindowToFrame(false);
        if (!*alive) return;
        Skinstate = 1;
        Cropwindow();
      }
    } else if (!ischildform && FormBorder != TSkinFormBorder::sbsNone && !Minimised()) {
      Skinstate = 5;
      FitWindowToFrame(false, !Maximised());
      if (!*alive) return;
      Skinstate = 1;
      if (Maximised()) Refresh();
      else Cropwindow();
    }
  }
  if (!*alive) return;
  SendMessageW(Hwnd, WM_SKINFINISHED, 0, kSkinMessageCheck);
  if (!*alive) return;
  if (fsd->OnAfterSkinForm) Quietly([&] { fsd->OnAfterSkinForm(FForm, Hwnd, formclass); });
}

// ---- Skin change ----

void TWinSkinForm::SkinChange() {
  CheckThread("SkinChange");
  if (!fsd || !subclass_.Installed()) return;
  auto alive = alive_;
  // However the change ends, the skinner is running again and its frame painted: a state
  // left at 3 would rebuild the shape at every size change and skip the application's event.
  bool done = false;
  try {
    SkinChangeSteps();
    done = true;
  } catch (...) {
    DropCurrentException();
  }
  if (!*alive) return;
  Skinstate = 1;
  // The client area is laid out afresh inside the new frame widths, whatever refitting did.
  if (!done && sMainMenu) Refresh();
  if (sMainMenu) PaintFrame();
  if (IsPlainWindow()) RedrawWindow(Hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWinSkinForm::SkinChangeSteps() {
  const TColor face = skin_->Colors[skin::kcButtonFace];
  if (FForm) {
    Recolor(FForm, face);
    for (int i = 0; i < FForm->ComponentCount(); ++i) {
      TComponent* c = FForm->Components(i);
      if (auto* f = dynamic_cast<TCustomForm*>(c)) Recolor(f, face);
      else if (c->InheritsFrom("TCustomGrid")) (void)SetOrdProp(c, "FixedColor", face);
    }
  }
  auto alive = alive_;
  // The control skinners repaint as they take the new skin: one may be freed by another's.
  for (TObject* listed : std::vector<TObject*>(Controllist)) {
    if (std::find(Controllist.begin(), Controllist.end(), listed) == Controllist.end()) continue;
    if (auto* control = dynamic_cast<TSkinControl*>(listed)) Quietly([&] { control->SkinChange(); });
    if (!*alive) return;
  }
  Skinstate = 3;
  if (sMainMenu && (!ischildform || IsMdiChild()) && FormBorder != TSkinFormBorder::sbsNone) {
    // Every skinned frame is refitted, not only a form's: a dialog keeping the old frame
    // widths would have its client area overlap the new frame, or leave a gap.
    if (!IsIconic(Hwnd)) FitWindowToFrame(true);
    if (!*alive) return;
    if (FForm && !IsIconic(Hwnd) && !IsZoomed(Hwnd)) {
      // One pixel higher and back, so that the form lays its controls out again.
      const RECT r = HwndWindowRect(Hwnd);
      const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
      SetWindowPos(Hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + 1, flags);
      SetWindowPos(Hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, flags);
    }
    if (!*alive) return;
    Cropwindow();  // a new skin may cut other corners at the same size
  }
  SendMessageW(Hwnd, WM_SKINFINISHED, 0, kSkinMessageCheck);
  if (!*alive) return;
  if (fsd->OnAfterSkinForm) Quietly([&] { fsd->OnAfterSkinForm(FForm, Hwnd, formclass); });
}

// ---- Detaching ----

void TWinSkinForm::FreeControls() {
  // The control skinners of control discovery; they let go of their controls as they go. A
  // control whose window is going, or whose form is, keeps its colour as it is.
  while (!Controllist.empty()) {
    TObject* skinner = Controllist.front();
    Controllist.erase(Controllist.begin());
    auto* control = dynamic_cast<TSkinControl*>(skinner);
    if (control && Skinstate != 4 && control->skinstate != kSkinWindowGone) Quietly([&] { control->Unsubclass(); });
    delete skinner;
  }
}

void TWinSkinForm::UnSubclass() {
  CheckThread("UnSubclass");
  if (!sMainMenu) {
    UnSubclass2();
    return;
  }
  sysmenu.Reset();
  if (timer) timer->SetEnabled(false);
  if (!subclass_.Installed()) return;
  RemoveFormHook();
  subclass_.Remove();
  FreeControls();
  if (FForm && Skinstate != 4) Recolor(FForm, formcolor);
  SetSysMenuStyle(false);
  mdi_subclass_.Remove();
  GiveBackOwnerDrawn();
  // The native bar goes back before the resize, which keeps the client area as it is now.
  const int client_h = MenuBar() && IsWindow(Hwnd) ? HwndClientRect(Hwnd).bottom : -1;
  FreeMenuBar(true);
  if (Skinstate != 4 && (IsMdiChild() || !ischildform) && IsWindow(Hwnd)) {
    // The native frame comes back around the same client area.
    const UINT flags = SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER;
    if (fitted_ && !IsIconic(Hwnd) && !IsZoomed(Hwnd)) {
      RECT r = HwndWindowRect(Hwnd);
      if (IsMdiChild()) MapWindowPoints(nullptr, GetParent(Hwnd), reinterpret_cast<POINT*>(&r), 2);
      const int w = (r.right - r.left) + oldsize.right - bw.left - bw.right;
      const int h = (r.bottom - r.top) + oldsize.bottom - bw.top - bw.bottom;
      SetWindowPos(Hwnd, nullptr, r.left, r.top, w, h, flags);
    } else {
      SetWindowPos(Hwnd, nullptr, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
    }
    // Whatever height the native bar took (one row or more), the client area keeps its own.
    if (client_h >= 0 && fitted_ && !IsIconic(Hwnd) && !IsZoomed(Hwnd)) {
      const int now = HwndClientRect(Hwnd).bottom;
      const RECT r = HwndWindowRect(Hwnd);
      if (now != client_h)
        SetWindowPos(Hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + client_h - now,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  fitted_ = false;
  if (IsWindow(Hwnd)) {
    TRegionHandle none;
    (void)SetWindowRegion(Hwnd, none, true);
  }
  crop = false;
}

void TWinSkinForm::UnSubclass2() {
  CheckThread("UnSubclass2");
  if (timer) timer->SetEnabled(false);
  FreeControls();
  if (FForm && Skinstate != 4) Recolor(FForm, formcolor);
  RemoveFormHook();
  subclass_.Remove();
  mdi_subclass_.Remove();
  if (FForm && Skinstate != 4) {
    for (int i = 0; i < FForm->ComponentCount(); ++i)
      if (auto* c = dynamic_cast<TControl*>(FForm->Components(i))) c->Invalidate();
  }
}

void TWinSkinForm::UnSubclass3() {
  CheckThread("UnSubclass3");
  if (!sMainMenu) {
    UnSubclass2();
    return;
  }
  sysmenu.Reset();
  if (timer) timer->SetEnabled(false);
  if (!subclass_.Installed()) return;
  RemoveFormHook();
  subclass_.Remove();
  FreeControls();
  GiveBackOwnerDrawn();
  // A plain window's menu goes with the window only while it is on it again; a form's menu
  // object owns its own.
  FreeMenuBar(IsPlainWindow());
}

void TWinSkinForm::HandleRequest(TSkinRequest request) {
  CheckThread("HandleRequest");
  switch (request) {
    case TSkinRequest::srSkinChanged:
      DeleteSysbtn();
      try {
        InitSkinData();
      } catch (...) {  // the skin it has stays; SkinChange settles the frame around it
        DropCurrentException();
      }
      SkinChange();
      return;
    case TSkinRequest::srUnskin: {
      const HWND wnd = Hwnd;
      UnSubclass();
      delete this;  // leaves the manager's list; a form forgets its owned skinner
      TWinSkinForm::RePaint(wnd);
      return;
    }
  }
}

void TWinSkinForm::Refresh() {
  if (!IsWindow(Hwnd)) return;
  SetWindowPos(Hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinSkinForm::RePaint(HWND wnd) {
  InvalidateRect(wnd, nullptr, TRUE);
  UpdateWindow(wnd);
}

bool TWinSkinForm::AddControlList(TObject* skinner) {
  if (std::find(Controllist.begin(), Controllist.end(), skinner) != Controllist.end()) return true;
  Controllist.push_back(skinner);
  return false;
}

void TWinSkinForm::DeleteControl(TObject* skinner) {
  auto it = std::find(Controllist.rbegin(), Controllist.rend(), skinner);
  if (it != Controllist.rend()) Controllist.erase(std::next(it).base());
}

// ---- The window procedure ----

void TWinSkinForm::OnMessage(TMessage& m) {
  // The window's own handling may free this object (a form freed from its own message);
  // after that nothing here is touched again.
  auto alive = alive_;
  TDispatch d{false, dispatch_};
  dispatch_ = &d;
  try {
    WndProc(m);
  } catch (...) {
    DropCurrentException();
    // Painting and geometry failures are dropped; the message still gets its default.
    if (*alive && !d.passed) Prev(m);
  }
  if (!*alive) return;
  dispatch_ = d.outer;
  if (m.Msg == WM_NCDESTROY && free_when_released && Skinstate == 6) delete this;
}

void TWinSkinForm::Prev(TMessage& m) {
  if (dispatch_) dispatch_->passed = true;
  subclass_.CallPrevious(m);
}

void TWinSkinForm::WndProc(TMessage& m) {
  if (Skinstate == 0 && m.Msg == WM_NCPAINT) {
    m.Result = 0;
    return;
  }
  if (Stage1(m)) return;
  if (!sMainMenu || (ischildform && !IsMdiChild())) {
    Prev(m);
    return;
  }
  if (Stage2(m)) return;
  Stage3(m);
}

// Messages of every subclassed window. True when the message was handled.
bool TWinSkinForm::Stage1(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND:
      Prev(m);
      if (IsPlainWindow() && fsd) {
        RECT r = HwndClientRect(Hwnd);
        FillRect(reinterpret_cast<HDC>(m.WParam), &r, skin_->BGBrush.Get());
        m.Result = 1;
      }
      return true;
    case WM_NCDESTROY: {
      auto alive = alive_;
      Skinstate = 4;
      UnSubclass3();
      Prev(m);
      if (*alive) Skinstate = 6;
      return true;
    }
    case WM_NCACTIVATE:
      if (Skinstate == 0 && !IsMdiChild()) {
        // Not painted before activation; TRUE lets a deactivation go ahead.
        m.Result = TRUE;
        return true;
      }
      if (!sMainMenu) {
        Prev(m);
        return true;
      }
      return false;
    case 0xAE:  // the themed caption drawing of newer systems
      m.Result = 0;
      return true;
    case WM_INITMENUPOPUP: {
      HMENU popup = reinterpret_cast<HMENU>(m.WParam);
      if (Host()) Host()->SetMenuType((popup == hsysmenu || (sysmenu && popup == sysmenu.Get())) ? 2 : 1);
      auto alive = alive_;
      Prev(m);
      if (*alive) OnInitMenuPopup(popup);
      return true;
    }
    case WM_CTLCOLORBTN:
      Prev(m);
      if (IsPlainWindow()) SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
      return true;
    case WM_CTLCOLORSTATIC:
      Prev(m);
      if (IsPlainWindow() && fsd) {
        SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
        m.Result = reinterpret_cast<LRESULT>(skin_->BGBrush.Get());
      }
      return true;
    case WM_SKINSTART:
      Activate();
      m.Result = 0;
      return true;
    case WM_SKINWALK:
      if (m.LParam != kSkinMessageCheck) return false;
      m.Result = 0;
      if (Skinstate == 1 && FForm) Quietly([&] { InitControls(FForm); });
      return true;
    case WM_SKINRECREATED:
      if (!ReplaceScrollSkinner(reinterpret_cast<HWND>(m.WParam))) Quietly([&] { ReskinRecreated(); });
      m.Result = 0;
      return true;
    case WM_SKINQUERY:
      m.Result = 1;
      PostMessageW(Hwnd, WM_SKINFINISHED, 0, kSkinMessageCheck);
      return true;
    case WM_SKINREQUEST:
      if (m.LParam != kSkinMessageCheck) return false;
      m.Result = kSkinMessageCheck;
      HandleRequest(static_cast<TSkinRequest>(m.WParam));
      return true;
    default:
      return false;
  }
}

// Window-state bookkeeping of skinned frames. True when the message was handled.
bool TWinSkinForm::Stage2(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
      OnSize(m);
      return true;
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
      FWindowActive = LOBYTE(LOWORD(m.WParam)) != 0;
      return false;
    case WM_GETMINMAXINFO:
      Prev(m);
      ReadWindowState();
      return true;
    case WM_WINDOWPOSCHANGED:
      ReadWindowState();
      Prev(m);
      return true;
    case WM_SETICON: {
      auto alive = alive_;
      Prev(m);
      if (*alive) LoadFormIcon();
      return true;
    }
    case WM_SETTEXT: {
      // The default handling draws the native caption at once: a plain window gets its
      // skinned title back (a form's is repainted by the form-level hook).
      auto alive = alive_;
      Prev(m);
      if (*alive && IsPlainWindow() && Skinstate == 1 && IsWindowVisible(Hwnd)) PaintFrame();
      return true;
    }
    case WM_COMMAND:
      if (!OnCommand(m)) Prev(m);
      return true;
    case WM_SYSCOMMAND:
      OnSysCommand(m);
      return true;
    case WM_SKINMENUPOPUP:
      m.Result = 0;
      OnMenuPopupAt(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
      return true;
    case WM_MENUSELECT:
      OnMenuSelect(m);
      Prev(m);
      return true;
    case WM_EXITMENULOOP: {
      auto alive = alive_;
      Prev(m);
      if (*alive) OnExitMenuLoop();
      return true;
    }
    case CM_MENUCHANGED: {
      const bool was = fsd->MenuMsg;
      fsd->MenuMsg = false;
      auto alive = alive_;
      Prev(m);
      if (!*alive) return true;
      fsd->MenuMsg = was;
      OnMenuChanged();
      return true;
    }
    default:
      return false;
  }
}

void TWinSkinForm::Stage3(TMessage& m) {
  if ((IsMdiChild() && Maximised()) || Skinstate == 0) {
    Prev(m);
    return;
  }
  switch (m.Msg) {
    case WM_MEASUREITEM:
      if (!OnMeasureItem(m)) Prev(m);
      return;
    case WM_DRAWITEM:
      if (!OnDrawItem(m)) Prev(m);
      return;
    case WM_NCCALCSIZE: OnNcCalcSize(m); return;
    case WM_NCHITTEST: OnNcHitTest(m); return;
    case WM_SHOWWINDOW:
      // Shown by ShowWindow: the showing paints the whole frame, whatever comes before it.
      if (m.WParam && m.LParam == 0) frame_due_ = true;
      Prev(m);
      return;
    case WM_NCPAINT: OnNcPaint(m); return;
    case WM_NCACTIVATE: OnNcActivate(m); return;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
      OnNcMouse(m);
      return;
    case WM_SKINPAINTFRAME:
      PaintFrame();
      m.Result = 0;
      return;
    default:
      Prev(m);
      return;
  }
}

void TWinSkinForm::OnSize(TMessage& m) {
  auto alive = alive_;
  Prev(m);
  if (!*alive) return;
  switch (m.WParam) {
    case SIZE_RESTORED: Windowstate = TSkinWindowState::swsNormal; break;
    case SIZE_MINIMIZED: Windowstate = TSkinWindowState::swsMin; break;
    case SIZE_MAXIMIZED: Windowstate = TSkinWindowState::swsMax; break;
    default: break;
  }
  if (Minimised()) return;
  if (IsMdiChild() && ((Host() && Host()->MDIMaximised()) || Windowstate != TSkinWindowState::swsNormal)) return;
  if (Skinstate == 1 || Skinstate == 3) Cropwindow();
}

// Messages of the form object, before its own handling: they reach the form through its
// WindowProc, also when they are sent by the program itself.
void TWinSkinForm::FormHook(TMessage& m) {
  const TWndMethod old = hook_link_ ? hook_link_->Previous() : TWndMethod();
  switch (m.Msg) {
    case WM_SETTEXT: {
      auto alive = alive_;
      if (old) old(m);
      if (!*alive || Skinstate != 1 || !IsWindowVisible(Hwnd)) return;
      Quietly([&] {
        if (HWND client = Host() ? Host()->MDIClient() : nullptr; Maximised() && client)
          PostMessageW(client, WM_SKINMDIMAXIMIZED, reinterpret_cast<WPARAM>(Hwnd), 0);
        if (IsIconic(Hwnd)) PaintFrame();
        else Refresh();
      });
      return;
    }
    case WM_SKINCHANGE:
      Quietly([&] { SkinChange(); });
      m.Result = 0;
      return;
    case WM_SKINDRAWBORDER:
      if (m.LParam == kSkinMessageCheck) {
        if (m.WParam) Quietly([&] { PaintFrame(reinterpret_cast<HDC>(m.WParam)); });
        m.Result = kSkinMessageCheck;
      } else {
        m.Result = 0;
      }
      return;
    case WM_SKINFORMQUERY:
      m.Result = m.LParam == kSkinMessageCheck ? kSkinMessageCheck : 1;
      return;
    case CM_DIALOGCHAR:
      OnDialogChar(m, old);
      return;
    default:
      if (old) old(m);
      return;
  }
}

// The MDI client window of an MDI frame.
void TWinSkinForm::OnMdiClientMessage(TMessage& m) {
  auto alive = alive_;
  bool passed = false;
  auto pass = [&] {
    passed = true;
    mdi_subclass_.CallPrevious(m);
  };
  try {
    MdiClientMessage(m, pass);
  } catch (...) {
    DropCurrentException();
    if (*alive && !passed) pass();
  }
}

void TWinSkinForm::MdiClientMessage(TMessage& m, const std::function<void()>& pass) {
  auto alive = alive_;
  switch (m.Msg) {
    case WM_NCDESTROY:
      pass();
      if (*alive) mdi_subclass_.Remove();
      return;
    case WM_NCCALCSIZE:
      if (sMainMenu && !Has(fsd->Options(), xoMDIScrollbar)) {
        const LONG_PTR style = GetWindowLongPtrW(ClientHwnd, GWL_STYLE);
        if (style & (WS_HSCROLL | WS_VSCROLL))
          SetWindowLongPtrW(ClientHwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_HSCROLL | WS_VSCROLL));
      }
      pass();
      return;
    case WM_MDIDESTROY:
      pass();
      if (*alive && sMainMenu && Host()) Host()->SetMDIMax(MDIChildMax());
      return;
    case WM_MDITILE:
    case WM_MDICASCADE:
      if (sMainMenu && Host() && Host()->MDIMaximised()) Host()->SetMDIMax(false);
      pass();
      return;
    case WM_SKINMDIMAXIMIZED:
      RedrawWindow(Hwnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      m.Result = 0;
      return;
    case WM_MDISETMENU:
      pass();
      if (!*alive || !sMainMenu) return;
      if (m.WParam && menu) {
        menu->UpdataBtn(reinterpret_cast<HMENU>(m.WParam));
        PaintFrame();
      }
      if (GetMenu(Hwnd)) SetMenu(Hwnd, nullptr);
      return;
    default:
      // WM_MDICREATE concerns the MDI child buttons of the menu bar, which come later.
      pass();
      return;
  }
}

// ---- The hover and hint timer ----

void TWinSkinForm::OnTimer(TObject*) {
  try {
    HoverTick();
  } catch (...) {
    DropCurrentException();
  }
}

void TWinSkinForm::HoverTick() {
  if (!FWindowActive || fInMenu || !fsd || !ActiveBtn) return;
  if (!IsLiveButton(ActiveBtn) && !IsMenuButton(ActiveBtn)) {
    ActiveBtn = nullptr;
    return;
  }
  POINT cursor;
  if (!GetCursorPos(&cursor)) return;
  const POINT p = ScreenToFrame(cursor);
  if (!PtInRect(&ActiveBtn->bounds, p)) {
    TNCObject* leaving = ActiveBtn;
    leaving->MouseLeave();
    ActiveBtn = nullptr;
    fsd->hintcount = 0;
    fsd->HideHint();
    return;
  }
  if (IsLiveButton(ActiveBtn)) HintTick(static_cast<TWinSysButton*>(ActiveBtn), cursor);
}

}  // namespace qn
