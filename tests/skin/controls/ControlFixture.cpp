#include "tests/skin/controls/ControlFixture.h"

#include <algorithm>
#include <stdexcept>

#include "platform/core/TextConv.h"
#include "platform/win/MethodHook.h"
#include "platform/win/Subclass.h"
#include "platform/win/WinUtil.h"
#include "skin/draw/SkinDraw.h"

namespace qn::test {

std::vector<std::string> g_log;

bool Noted(UINT msg) {
  return msg == kProbe || msg == kSwallow || msg == kFailBefore || msg == kFailOwn || msg == WM_SKINQUERY ||
         msg == WM_SKINENABLE;
}

// ---- The test skinner ----

int TTestSkinner::alive = 0;

TTestSkinner::TTestSkinner(TComponent* owner) : TSkinControl(owner) { ++alive; }
TTestSkinner::~TTestSkinner() { --alive; }

bool TTestSkinner::BeforeProc(TMessage& m) {
  if (Noted(m.Msg)) g_log.push_back("before");
  switch (m.Msg) {
    case kSwallow:
      m.Result = 7;
      return false;
    case kFailBefore:
      throw std::runtime_error("before failed");
    case WM_LBUTTONDOWN:
      state |= kStatePressed;
      ForwardMouseDown(m);
      Redraw();
      return false;
    case WM_LBUTTONUP:
      state &= ~kStatePressed;
      return true;
    case WM_PAINT:
      if (!take_paint) break;
      WMPaint(m);
      return false;
    case WM_ERASEBKGND:
      if (!see_through) break;
      WMEraseBkgnd(m);
      return false;
    default:
      break;
  }
  return TSkinControl::BeforeProc(m);
}

void TTestSkinner::AfterProc(TMessage& m) {
  if (Noted(m.Msg)) g_log.push_back("after");
  if (m.Msg == WM_LBUTTONUP) Redraw();
  TSkinControl::AfterProc(m);
}

void TTestSkinner::DrawControl(HDC dc, const RECT& rc) {
  ++paints;
  if (WindowFromDC(dc)) offscreen = false;
  if (fail_paint) throw std::runtime_error("paint failed");
  const int midx = (rc.left + rc.right) / 2, midy = (rc.top + rc.bottom) / 2;
  FillColor(dc, RECT{rc.left, rc.top, midx, midy}, (state & kStatePressed) ? kMarkPressed : kMark);
  FillFace(dc, RECT{rc.left, midy, midx, rc.bottom});
}

// ---- Probes ----

void TProbeControl::WndProc(TMessage& m) {
  if (Noted(m.Msg)) {
    g_log.push_back("own");
    if (m.Msg == kFailOwn) throw std::runtime_error("own failed");
    m.Result = m.Msg == kProbe ? 100 + static_cast<LRESULT>(m.WParam) : m.Msg == kSwallow ? 50 : 0;
    return;
  }
  TWinControl::WndProc(m);
}

void TProbeGraphic::WndProc(TMessage& m) {
  if (Noted(m.Msg)) {
    g_log.push_back("own");
    m.Result = m.Msg == kProbe ? 100 + static_cast<LRESULT>(m.WParam) : m.Msg == kSwallow ? 50 : 0;
    return;
  }
  TGraphicControl::WndProc(m);
}

void TProbeGraphic::Paint() {
  Canvas().Brush().SetColor(kGraphicBlue);
  Canvas().FillRect(ClientRect());
}

namespace {

LRESULT CALLBACK ProbeProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (Noted(msg)) {
    g_log.push_back("own");
    return msg == kProbe ? 100 + static_cast<LRESULT>(w) : msg == kSwallow ? 50 : 0;
  }
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(wnd, &ps);
    return 0;
  }
  return DefWindowProcW(wnd, msg, w, l);
}

const wchar_t kProbeClass[] = L"QnProbeWindow";

}  // namespace

WNDPROC ProbeWindowProc() { return ProbeProc; }

HWND MakeProbeWindow(HWND parent, int x, int y, int w, int h) {
  WNDCLASSW wc{};
  if (!GetClassInfoW(GetModuleHandleW(nullptr), kProbeClass, &wc)) {
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kProbeClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
  }
  return CreateWindowExW(0, kProbeClass, L"probe", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// ---- Counts ----

TCounts TCounts::Now() {
  DoneSkinDraw();
  InitSkinDraw();
  return {LiveGdiHandles(), LiveUserHandles(), TWindowSubclass::LiveLinks(), TMethodHook::LiveLinks()};
}

std::ostream& operator<<(std::ostream& o, const TCounts& c) {
  return o << "gdi " << c.gdi << ", user " << c.user << ", subclasses " << c.subclasses << ", hooks " << c.hooks;
}

// ---- The fixture ----

namespace {
std::vector<std::string>* g_dropped = nullptr;
}

void ControlTest::SetUp() {
  FormTest::SetUp();
  g_log.clear();
  g_dropped = &dropped;
  SetCallbackErrorHandler([](const std::exception* e) {
    if (g_dropped) g_dropped->push_back(e ? e->what() : "?");
  });
  // The program's own failures would be shown to the user: recorded instead.
  Application->MessageBoxHook = [](const std::wstring& text, const std::wstring&, UINT) {
    g_log.push_back("box: " + WideToUtf8(text));
    return IDOK;
  };
  form = MakeForm(420, 260, TFormBorderStyle::bsSizeable, kAllBoxes, L"controls");
  sf = Attach(form);
}

void ControlTest::TearDown() {
  SetCallbackErrorHandler(nullptr);
  g_dropped = nullptr;
  FormTest::TearDown();
}

TTestSkinner* ControlTest::Skin(TWinControl* control, bool recolor) {
  auto* skinner = new TTestSkinner(control);
  skinner->Init(sf, data, &sf->ControlCanvas(), recolor);
  return skinner;
}

TTestSkinner* ControlTest::SkinWindow(HWND wnd) {
  auto* skinner = new TTestSkinner(sf);
  skinner->Inithwnd(wnd, data, &sf->ControlCanvas(), sf);
  return skinner;
}

void ControlTest::Settle(HWND wnd) {
  EXPECT_TRUE(Pump([&] {
    return !GetUpdateRect(wnd, nullptr, FALSE) && !GetUpdateRect(form->Handle(), nullptr, FALSE);
  }));
}

TColor ControlTest::PixelAt(HWND wnd, int x, int y) {
  TWindowDC dc(wnd, true);
  return Read(dc.Get(), x, y, 1, 1)[0][0];
}

bool ControlTest::Listed(TObject* skinner) const {
  return std::find(sf->Controllist.begin(), sf->Controllist.end(), skinner) != sf->Controllist.end();
}

}  // namespace qn::test
