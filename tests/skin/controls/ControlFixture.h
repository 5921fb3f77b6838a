// Control skinners on real controls of a skinned form: a form with its form skinner attached
// (the host every control skinner joins), a small concrete skinner that paints something
// recognisable and notes what it sees, and probes whose own handling notes the same messages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "platform/win/StdCtrls.h"
#include "skin/controls/WinSubClass.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {

// Messages the probes and the test skinner note in g_log, in the order they see them.
constexpr UINT kProbe = WM_USER + 40;      // answered by the control with 100 + wParam
constexpr UINT kSwallow = WM_USER + 41;    // kept from the control by the test skinner (answer 7)
constexpr UINT kFailBefore = WM_USER + 42; // the test skinner fails before passing it on
constexpr UINT kFailOwn = WM_USER + 43;    // the control's own handling fails
extern std::vector<std::string> g_log;
bool Noted(UINT msg);

// The skinner paints the top-left quarter of the control kMark (kMarkPressed while pressed)
// and the bottom-left quarter with the skin's face colour; the right half stays as the control
// painted itself. It keeps left-button presses from the control as push buttons do.
constexpr TColor kMark = 0x3CB41E;
constexpr TColor kMarkPressed = 0x1E3CB4;

class TTestSkinner : public TSkinControl {
 public:
  explicit TTestSkinner(TComponent* owner);
  ~TTestSkinner() override;
  bool BeforeProc(TMessage& m) override;
  void AfterProc(TMessage& m) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  static int alive;       // test skinners not yet freed
  int paints = 0;
  bool offscreen = true;  // every DrawControl drew on a DC of no window
  bool fail_paint = false;
  bool take_paint = false;   // WM_PAINT painted by the skinner alone (WMPaint)
  bool see_through = false;  // WM_ERASEBKGND shows the parent (WMEraseBkgnd)
};

// A windowed control of the class library whose own handling notes the probe messages.
class TProbeControl : public TWinControl {
 public:
  explicit TProbeControl(TComponent* owner) : TWinControl(owner) {}
  void WndProc(TMessage& m) override;
};

// A window-less control that paints itself blue.
constexpr TColor kGraphicBlue = 0xC80000;
class TProbeGraphic : public TGraphicControl {
 public:
  explicit TProbeGraphic(TComponent* owner) : TGraphicControl(owner) {}
  void WndProc(TMessage& m) override;

 protected:
  void Paint() override;
};

// A bare child window (no control object) that paints itself white and notes the probes.
HWND MakeProbeWindow(HWND parent, int x, int y, int w, int h);
WNDPROC ProbeWindowProc();

// GDI and USER objects of ours, window bindings and WindowProc hooks alive, with the drawing
// routines' kept buffers emptied first.
struct TCounts {
  int gdi, user, subclasses, hooks;
  static TCounts Now();
  bool operator==(const TCounts&) const = default;
};
std::ostream& operator<<(std::ostream& o, const TCounts& c);

class ControlTest : public FormTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A shown control of the form at (x, y), with its window.
  template <class T>
  T* Place(int x, int y, int w, int h) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    if constexpr (std::is_base_of_v<TWinControl, T>) c->HandleNeeded();
    return c;
  }
  // A test skinner attached to the control, as control discovery attaches one.
  TTestSkinner* Skin(TWinControl* control, bool recolor = false);
  TTestSkinner* SkinWindow(HWND wnd);
  // Pumps until the window has nothing left to paint.
  void Settle(HWND wnd);
  // Pixel (x, y) of the window as painted, window coordinates.
  TColor PixelAt(HWND wnd, int x, int y);
  bool Listed(TObject* skinner) const;

  TTestForm* form = nullptr;
  TWinSkinForm* sf = nullptr;
  std::vector<std::string> dropped;  // failures the engine dropped
};

}  // namespace qn::test
