// The skinned-control base on real controls of a skinned form: the message protocol in each
// way of attaching, the colour a skinner lends a control, and letting go in every order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/win/ComCtrls.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/MethodHook.h"
#include "platform/win/Subclass.h"
#include "tests/skin/controls/ControlFixture.h"

namespace qn::test {
namespace {

using Log = std::vector<std::string>;

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

// One way of attaching: how the test reaches the control, and the skinner on it.
struct TAttached {
  std::function<LRESULT(UINT, WPARAM)> send;
  TTestSkinner* skinner;
};

TEST_F(ControlTest, MessagesGoThroughTheSkinnerInOrderInEachWayOfAttaching) {
  struct Row {
    const char* what;
    UINT msg;
    WPARAM w;
    Log log;  // before: the skinner's BeforeProc, own: the control's own handling, after: AfterProc
    LRESULT result;
    bool skinned_after;
    bool repaints;
  };
  const Row rows[] = {
      {"a message passed on", kProbe, 5, {"before", "own", "after"}, 105, true, false},
      {"a message the skinner keeps", kSwallow, 0, {"before"}, 7, true, false},
      {"the skin query, answered by the skinner", WM_SKINQUERY, 0, {"before"}, 1, true, false},
      {"switched off, seen by the hook alone", WM_SKINENABLE, 0, {}, 0, false, false},
      {"unskinned, a message goes straight to the control", kProbe, 6, {"own"}, 106, false, false},
      {"unskinned, nothing is kept", kSwallow, 0, {"own"}, 50, false, false},
      {"unskinned, the control answers the skin query", WM_SKINQUERY, 0, {"own"}, 0, false, false},
      {"switched on, repainted", WM_SKINENABLE, 1, {}, 0, true, true},
      {"switched off by a negative 32-bit value", WM_SKINENABLE, 0xFFFFFFFF, {}, 0, false, false},
      {"switched on again", WM_SKINENABLE, 2, {}, 0, true, true},
  };

  auto* probe = Place<TProbeControl>(10, 10, 120, 40);
  HWND bare = MakeProbeWindow(form->Handle(), 10, 60, 120, 40);
  auto* graphic = Place<TProbeGraphic>(10, 110, 120, 40);
  const TWndMethod probe_own = probe->WindowProc, graphic_own = graphic->WindowProc;
  const WNDPROC bare_own = ProcOf(bare);
  auto* graphic_skinner = new TTestSkinner(graphic);
  graphic_skinner->InitGraphicControl(sf, data, &sf->ControlCanvas());
  struct Mode {
    const char* what;
    TAttached target;
  } modes[] = {
      {"a control of the class library",
       {[&](UINT m, WPARAM w) { return SendMessageW(probe->Handle(), m, w, 0); }, Skin(probe)}},
      {"a bare window", {[&](UINT m, WPARAM w) { return SendMessageW(bare, m, w, 0); }, SkinWindow(bare)}},
      {"a window-less control", {[&](UINT m, WPARAM w) { return graphic->Perform(m, w, 0); }, graphic_skinner}},
  };
  for (const Mode& mode : modes) {
    SCOPED_TRACE(mode.what);
    TTestSkinner* skinner = mode.target.skinner;
    EXPECT_EQ(skinner->skinstate, kSkinAttached);
    EXPECT_TRUE(Listed(skinner));
    Settle(form->Handle());
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      g_log.clear();
      const int paints = skinner->paints;
      EXPECT_EQ(mode.target.send(row.msg, row.w), row.result);
      EXPECT_EQ(g_log, row.log);
      EXPECT_EQ(skinner->skinned, row.skinned_after);
      Settle(form->Handle());
      EXPECT_EQ(skinner->paints > paints, row.repaints);
    }
  }
  // Each gets back exactly the procedure it had.
  EXPECT_NE(probe->WindowProc, probe_own);
  EXPECT_NE(ProcOf(bare), bare_own);
  EXPECT_NE(graphic->WindowProc, graphic_own);
  for (const Mode& mode : modes) delete mode.target.skinner;
  EXPECT_EQ(probe->WindowProc, probe_own);
  EXPECT_EQ(ProcOf(bare), bare_own);
  EXPECT_EQ(graphic->WindowProc, graphic_own);
  EXPECT_TRUE(sf->Controllist.empty());
  EXPECT_TRUE(dropped.empty());
}

TEST_F(ControlTest, AttachingAgainChangesNothing) {
  auto* probe = Place<TProbeControl>(10, 10, 120, 40);
  probe->SetColor(clYellow);
  TTestSkinner* skinner = Skin(probe);
  const int hooks = TMethodHook::LiveLinks();
  skinner->Init(sf, data, &sf->ControlCanvas(), true);
  EXPECT_EQ(TMethodHook::LiveLinks(), hooks);
  EXPECT_EQ(std::count(sf->Controllist.begin(), sf->Controllist.end(), skinner), 1);
  g_log.clear();
  SendMessageW(probe->Handle(), kProbe, 0, 0);
  EXPECT_EQ(g_log, (Log{"before", "own", "after"}));
  EXPECT_EQ(probe->Color(), clYellow) << "the second call's colour request is ignored";
}

TEST_F(ControlTest, AWindowlessControlIsPaintedThroughItsParent) {
  auto* graphic = Place<TProbeGraphic>(20, 30, 80, 40);
  auto* skinner = new TTestSkinner(graphic);
  skinner->InitGraphicControl(sf, data, &sf->ControlCanvas());
  EXPECT_EQ(skinner->GControl, graphic);
  EXPECT_EQ(skinner->hwnd, nullptr);
  EXPECT_TRUE(Listed(skinner));

  // The parent's paint: the control paints itself, the skinner over its left half.
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Settle(form->Handle());
  ASSERT_GT(skinner->paints, 0);
  EXPECT_TRUE(skinner->offscreen);
  TWindowDC dc(form->Handle());
  EXPECT_EQ(Read(dc.Get(), 20 + 10, 30 + 5, 1, 1)[0][0], kMark);
  EXPECT_EQ(Read(dc.Get(), 20 + 60, 30 + 5, 1, 1)[0][0], kGraphicBlue);

  // Repainted on its own, through the parent's window.
  const int paints = skinner->paints;
  skinner->state |= kStatePressed;
  skinner->PaintControl(nullptr);
  EXPECT_EQ(skinner->paints, paints + 1);
  EXPECT_EQ(Read(dc.Get(), 20 + 10, 30 + 5, 1, 1)[0][0], kMarkPressed);
  const POINT origin = graphic->ClientToScreen({0, 0});
  EXPECT_EQ(skinner->boundsrect.left, origin.x);
  EXPECT_EQ(skinner->boundsrect.bottom, origin.y + 40);

  // Going with its control, it leaves the form's list.
  graphic->Free();
  EXPECT_EQ(TTestSkinner::alive, 0);
  EXPECT_FALSE(Listed(skinner));
}

TEST_F(ControlTest, AControlWearsTheSkinsFaceColourWhileSkinnedAndGetsItsOwnBack) {
  TColor builtin_face = data->Skin()->Colors[skin::kcButtonFace];
  auto* edit = Place<TEdit>(10, 10, 160, 30);
  edit->SetColor(clYellow);
  TTestSkinner* skinner = Skin(edit, true);
  EXPECT_EQ(edit->Color(), builtin_face);

  // A new skin brings its face colour, and a repaint.
  data->LoadFromFile(SkinFile("ink"));
  const TColor ink_face = data->Skin()->Colors[skin::kcButtonFace];
  ASSERT_NE(ink_face, builtin_face);
  int paints = skinner->paints;
  sf->HandleRequest(TSkinRequest::srSkinChanged);
  EXPECT_EQ(edit->Color(), ink_face);
  EXPECT_GT(skinner->paints, paints);
  Settle(edit->Handle());
  EXPECT_EQ(PixelAt(edit->Handle(), 20, 25), ink_face) << "the bottom-left quarter shows the new skin's face";

  // Switched off by message, the control keeps the colour and is not repainted ...
  paints = skinner->paints;
  SendMessageW(edit->Handle(), WM_SKINENABLE, 0, 0);
  Settle(edit->Handle());
  EXPECT_EQ(skinner->paints, paints);
  EXPECT_EQ(edit->Color(), ink_face);
  // ... until skinning stops: then it has its own colour and paints itself again.
  skinner->Unsubclass();
  EXPECT_EQ(edit->Color(), clYellow);
  Settle(edit->Handle());
  EXPECT_EQ(PixelAt(edit->Handle(), 20, 8), ColorToRGB(clYellow));
  EXPECT_EQ(skinner->paints, paints);

  // A window being destroyed keeps the colour it has: its control may be going too.
  auto* other = Place<TEdit>(10, 50, 160, 30);
  other->SetColor(clYellow);
  TTestSkinner* going = Skin(other, true);
  other->DestroyHandle();
  EXPECT_EQ(going->skinstate, kSkinWindowGone);
  EXPECT_FALSE(going->skinned);
  EXPECT_EQ(other->Color(), ink_face);
  EXPECT_TRUE(Listed(going)) << "the form skinner frees it later";
}

// Each way of letting go, for a recoloured control of the class library and for a bare window:
// whatever goes first, the control ends with its own procedure and colour, the skinner is freed
// and out of the form skinner's list, and no binding is left over.
struct TScene {
  TProbeControl* control = nullptr;
  HWND wnd = nullptr;
  TTestSkinner* skinner = nullptr;
};

TEST_F(ControlTest, LettingGoInAnyOrderIsExactAndSafe) {
  struct Case {
    const char* what;
    bool bare;
    std::function<void(TScene&)> detach;
  };
  const Case cases[] = {
      {"the control freed", false, [](TScene& s) { s.control->Free(); s.control = nullptr; }},
      {"the control deleted without its destruction step", false,
       [](TScene& s) { delete s.control; s.control = nullptr; }},
      {"the form skinner freed", false, [this](TScene&) { delete std::exchange(sf, nullptr); }},
      {"skinning switched off for the form", false,
       [this](TScene&) { std::exchange(sf, nullptr)->HandleRequest(TSkinRequest::srUnskin); }},
      {"the skinner switched off, then freed", false,
       [](TScene& s) {
         s.skinner->Unsubclass();
         delete s.skinner;
       }},
      {"a skin changed while the control is pressed, then skinning off", false,
       [this](TScene& s) {
         HWND wnd = s.control->Handle();
         SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
         EXPECT_EQ(PixelAt(wnd, 5, 5), kMarkPressed);
         data->LoadFromFile(SkinFile("ink"));
         sf->HandleRequest(TSkinRequest::srSkinChanged);
         const TColor ink_face = data->Skin()->Colors[skin::kcButtonFace];
         EXPECT_EQ(s.control->Color(), ink_face);
         EXPECT_EQ(PixelAt(wnd, 5, 5), kMarkPressed) << "still pressed";
         EXPECT_EQ(PixelAt(wnd, 5, 35), ink_face) << "in the new skin";
         g_log.clear();
         SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         EXPECT_EQ(g_log, (Log{"mouse up"})) << "the release reaches the control";
         EXPECT_EQ(PixelAt(wnd, 5, 5), kMark);
         std::exchange(sf, nullptr)->HandleRequest(TSkinRequest::srUnskin);
         data->LoadFromFile(SkinFile("builtin"));
       }},
      {"the window destroyed, then skinning switched off for the form", true,
       [this](TScene& s) {
         DestroyWindow(std::exchange(s.wnd, nullptr));
         EXPECT_EQ(s.skinner->skinstate, kSkinWindowGone);
         EXPECT_EQ(s.skinner->hwnd, nullptr);
         EXPECT_EQ(TTestSkinner::alive, 1) << "kept until the form skinner frees it";
         std::exchange(sf, nullptr)->HandleRequest(TSkinRequest::srUnskin);
       }},
      {"the form skinner freed", true, [this](TScene&) { delete std::exchange(sf, nullptr); }},
      {"the skinner switched off, then freed", true,
       [](TScene& s) {
         s.skinner->Unsubclass();
         delete s.skinner;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.what << (c.bare ? " (bare window)" : " (control)"));
    if (!sf) sf = Attach(form);
    const int subclasses = TWindowSubclass::LiveLinks(), hooks = TMethodHook::LiveLinks();
    TScene s;
    TWndMethod own;
    if (c.bare) {
      s.wnd = MakeProbeWindow(form->Handle(), 10, 10, 120, 40);
      s.skinner = SkinWindow(s.wnd);
    } else {
      s.control = Place<TProbeControl>(10, 10, 120, 40);
      s.control->SetColor(clYellow);
      s.control->OnMouseUp = TMouseEvent(nullptr, [](void*, TObject*, TMouseButton, unsigned, int, int) {
        g_log.push_back("mouse up");
      });
      own = s.control->WindowProc;
      s.skinner = Skin(s.control, true);
    }
    Settle(form->Handle());
    ASSERT_EQ(TTestSkinner::alive, 1);

    c.detach(s);

    EXPECT_EQ(TTestSkinner::alive, 0);
    if (sf) {
      EXPECT_FALSE(Listed(s.skinner));
    }
    if (s.control) {
      EXPECT_EQ(s.control->WindowProc, own);
      EXPECT_EQ(s.control->Color(), clYellow);
      g_log.clear();
      EXPECT_EQ(SendMessageW(s.control->Handle(), kProbe, 1, 0), 101);
      EXPECT_EQ(g_log, (Log{"own"}));
      s.control->Free();
    }
    if (s.wnd) {
      EXPECT_EQ(ProcOf(s.wnd), ProbeWindowProc());
      g_log.clear();
      EXPECT_EQ(SendMessageW(s.wnd, kProbe, 1, 0), 101);
      EXPECT_EQ(g_log, (Log{"own"}));
      DestroyWindow(s.wnd);
    }
    if (!sf) {
      // The form skinner's own bindings went with it; it comes back for the next case.
      sf = Attach(form);
      continue;
    }
    EXPECT_EQ(TWindowSubclass::LiveLinks(), subclasses);
    EXPECT_EQ(TMethodHook::LiveLinks(), hooks);
  }
  EXPECT_TRUE(dropped.empty());
}

// The program hooks the control after the skinner and keeps what it found: the skinner's link
// passes messages on once the skinner is gone, and leaves when the program unhooks.
TEST_F(ControlTest, AHookTheProgramSetsAfterTheSkinnerOutlivesTheSkinner) {
  auto* probe = Place<TProbeControl>(10, 10, 120, 40);
  const TWndMethod own = probe->WindowProc;
  const int hooks = TMethodHook::LiveLinks();
  TTestSkinner* skinner = Skin(probe);
  struct TLater {
    TWndMethod old;
    void Proc(TMessage& m) {
      if (m.Msg == kProbe) g_log.push_back("later");
      old(m);
    }
  } later{probe->WindowProc};
  probe->WindowProc = TWndMethod::Bind<&TLater::Proc>(&later);
  g_log.clear();
  SendMessageW(probe->Handle(), kProbe, 0, 0);
  EXPECT_EQ(g_log, (Log{"later", "before", "own", "after"}));

  delete skinner;
  EXPECT_EQ(probe->WindowProc, TWndMethod::Bind<&TLater::Proc>(&later));
  g_log.clear();
  EXPECT_EQ(SendMessageW(probe->Handle(), kProbe, 2, 0), 102);
  EXPECT_EQ(g_log, (Log{"later", "own"}));

  probe->WindowProc = later.old;
  g_log.clear();
  EXPECT_EQ(SendMessageW(probe->Handle(), kProbe, 3, 0), 103);
  EXPECT_EQ(g_log, (Log{"own"}));
  EXPECT_EQ(probe->WindowProc, own);
  EXPECT_EQ(TMethodHook::LiveLinks(), hooks);
}

// A failure of the skinner is dropped and reported, and the control still handles the message
// (and paints itself); a failure of the control's own handling reaches the program as it would
// without the skinner.
TEST_F(ControlTest, TheSkinnersFailuresAreDroppedAndTheControlsOwnReachTheProgram) {
  auto* probe = Place<TProbeControl>(10, 10, 120, 40);
  TTestSkinner* skinner = Skin(probe);
  g_log.clear();
  SendMessageW(probe->Handle(), kFailBefore, 0, 0);
  EXPECT_EQ(g_log, (Log{"before", "own"}));
  EXPECT_EQ(dropped, (std::vector<std::string>{"before failed"}));

  dropped.clear();
  g_log.clear();
  SendMessageW(probe->Handle(), kFailOwn, 0, 0);
  EXPECT_EQ(g_log, (Log{"before", "own", "box: own failed."}));
  EXPECT_TRUE(dropped.empty());

  auto* edit = Place<TEdit>(10, 60, 160, 30);
  TTestSkinner* failing = Skin(edit);
  failing->fail_paint = true;
  failing->Redraw();
  Settle(edit->Handle());
  ASSERT_FALSE(dropped.empty());
  for (const std::string& failure : dropped) EXPECT_EQ(failure, "paint failed");
  EXPECT_EQ(PixelAt(edit->Handle(), 20, 8), ColorToRGB(edit->Color())) << "the edit's own picture stays";
  (void)skinner;
}

// Skinners attached and let go of, over and over, in the ways that keep the form skinner: every
// GDI and USER object and every binding comes back.
// A control whose window is made anew (a style that only a new window can take) is skinned
// again on its new window by itself, whatever its kind, with one skinner.
TEST_F(ControlTest, AControlWhoseWindowIsMadeAnewIsSkinnedAgain) {
  struct Row {
    const char* what;
    TWinControl* control;
  } rows[] = {
      {"push button", Place<TButton>(10, 10, 90, 28)},
      {"check box", Place<TCheckBox>(10, 50, 120, 22)},
      {"edit", Place<TEdit>(10, 80, 120, 24)},
      {"memo with bars", Place<TMemo>(150, 10, 160, 90)},
      {"page control", Place<TPageControl>(10, 120, 300, 120)},
  };
  static_cast<TMemo*>(rows[3].control)->SetScrollBars(TScrollStyle::ssBoth);
  auto* pages = static_cast<TPageControl*>(rows[4].control);
  for (const wchar_t* caption : {L"One", L"Two"}) {
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
  }
  sf->InitControls(form);
  Settle(form->Handle());
  auto skinners = [](TWinControl* c) {
    int n = 0;
    for (int i = 0; i < c->ComponentCount(); ++i) n += dynamic_cast<TSkinControl*>(c->Components(i)) != nullptr;
    return n;
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    ASSERT_EQ(SendMessageW(r.control->Handle(), WM_SKINQUERY, 0, 0), 1);
    const HWND old = r.control->Handle();
    r.control->RecreateWnd();
    r.control->HandleNeeded();
    ASSERT_NE(r.control->Handle(), old);
    Settle(form->Handle());
    EXPECT_EQ(SendMessageW(r.control->Handle(), WM_SKINQUERY, 0, 0), 1) << "skinned on its new window";
    EXPECT_EQ(skinners(r.control), 1);
  }
}

TEST_F(ControlTest, AttachingAndLettingGoLeavesNothingBehind) {
  auto* edit = Place<TEdit>(10, 10, 160, 30);
  HWND bare = MakeProbeWindow(form->Handle(), 10, 60, 120, 40);
  auto cycle = [&] {
    TTestSkinner* a = Skin(edit, true);
    a->Redraw();
    a->Unsubclass();
    delete a;

    TTestSkinner* b = SkinWindow(bare);
    b->Redraw();
    delete b;

    auto* gone = Place<TEdit>(10, 100, 160, 30);
    Skin(gone, true)->Redraw();
    gone->Free();

    auto* graphic = Place<TProbeGraphic>(200, 10, 60, 30);
    (new TTestSkinner(graphic))->InitGraphicControl(sf, data, &sf->ControlCanvas());
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    graphic->Free();
    Settle(form->Handle());
  };
  cycle();  // whatever is made once and kept (fonts, the skin's pictures) is made now
  const TCounts before = TCounts::Now();
  for (int i = 0; i < 20; ++i) cycle();
  EXPECT_EQ(TCounts::Now(), before);
  EXPECT_EQ(TTestSkinner::alive, 0);
  EXPECT_TRUE(sf->Controllist.empty());
}

}  // namespace
}  // namespace qn::test
