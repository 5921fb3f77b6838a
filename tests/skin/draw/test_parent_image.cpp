// See-through controls: the parent painted behind a child; and window class names.
#include <gtest/gtest.h>

#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/StdCtrls.h"
#include "skin/draw/SkinDraw.h"
#include "tests/skin/draw/Pictures.h"

namespace qn::test {
namespace {

TColor ParentPixel(int x, int y) { return RGB(3 * x, 5 * y, 77); }

// A parent whose every pixel tells where it is.
class TStriped : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    RECT r = ClientRect();
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) SetPixelV(Canvas().Handle(), x, y, ParentPixel(x, y));
  }
};

// A see-through graphic child: its parent, then a black mark in its corner.
class TSeeThrough : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    DrawParentImage(this, Canvas().Handle());
    PatBlt(Canvas().Handle(), 0, 0, 2, 2, BLACKNESS);
  }
};

class ParentImage : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    form = new TForm(Application);
    form->SetColor(0x2040C0);
    form->SetBounds(0, 0, 200, 150);
    parent = new TStriped(form);
    parent->SetParent(form);
    parent->SetBounds(50, 40, 60, 40);
    panel = new TPanel(form);
    panel->SetParent(parent);
    panel->SetBounds(13, 7, 20, 10);
  }
  void TearDown() override { DoneApplication(); }

  TForm* form = nullptr;
  TStriped* parent = nullptr;
  TPanel* panel = nullptr;
};

TEST_F(ParentImage, ParentPaintedBehindTheChild) {
  auto* on_form = new TPanel(form);
  on_form->SetParent(form);
  on_form->SetBounds(13, 7, 20, 10);
  struct TCase {
    const char* name;
    TControl* child;
    POINT origin;  // the DC's viewport origin: where the child's top-left corner is
    std::function<TColor(int x, int y)> want;  // at the child's (x, y)
  } cases[] = {
      {"custom-painted parent", panel, {0, 0}, [](int x, int y) { return ParentPixel(13 + x, 7 + y); }},
      {"origin moved by the caller", panel, {5, 4}, [](int x, int y) { return ParentPixel(13 + x, 7 + y); }},
      {"form's background", on_form, {3, 2}, [](int, int) { return TColor{0x2040C0}; }},
  };
  for (const TCase& c : cases) {
    auto target = MakeTarget(30, 18);
    HDC dc = target->DC();
    SetViewportOrgEx(dc, c.origin.x, c.origin.y, nullptr);
    DrawParentImage(c.child, dc);

    POINT origin;
    GetViewportOrgEx(dc, &origin);
    RECT clip;
    EXPECT_EQ(origin.x, c.origin.x) << c.name << ": the DC's state is restored";
    EXPECT_EQ(origin.y, c.origin.y) << c.name;
    EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION) << c.name;
    EXPECT_EQ(clip.right - clip.left, 30) << c.name << ": no clipping left behind";

    SetViewportOrgEx(dc, 0, 0, nullptr);
    Rows want = Fill(30, 18, kBackground);  // only the child's client area is painted
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) want[c.origin.y + y][c.origin.x + x] = c.want(x, y);
    EXPECT_TRUE(SamePicture(Read(*target), want)) << c.name;
  }
}

TEST_F(ParentImage, SeeThroughGraphicChildDoesNotRecurse) {
  // Painting the parent paints the child, which paints the parent again: that inner request
  // must not paint the child once more, and so on without end.
  auto* glass = new TSeeThrough(form);
  glass->SetParent(parent);
  glass->SetBounds(30, 20, 8, 6);
  auto target = MakeTarget(60, 40);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(target->DC()), 0);
  EXPECT_EQ(glass->paints, 2);

  Rows want = Fill(60, 40, 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) want[y][x] = ParentPixel(x, y);
  for (int y = 20; y < 22; ++y)
    for (int x = 30; x < 32; ++x) want[y][x] = 0;
  Rows got = Read(*target);
  // The panel paints itself over its place; compare everything else.
  for (int y = 7; y < 17; ++y)
    for (int x = 13; x < 33; ++x) got[y][x] = want[y][x];
  EXPECT_TRUE(SamePicture(got, want));
}

TEST_F(ParentImage, ControlWithoutParentDrawsNothing) {
  TPanel orphan(nullptr);
  auto target = MakeTarget(10, 10);
  DrawParentImage(&orphan, target->DC());
  DrawParentImage(nullptr, target->DC());
  EXPECT_TRUE(SamePicture(Read(*target), Fill(10, 10, kBackground)));
}

TEST(WndClassName, NamesTheClassUpTo99Characters) {
  const std::wstring long_name(120, L'q');
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = long_name.c_str();
  ASSERT_NE(::RegisterClassW(&wc), 0);
  struct TCase {
    const wchar_t* cls;
    std::wstring want;
  } cases[] = {{L"BUTTON", L"Button"}, {long_name.c_str(), long_name.substr(0, 99)}};
  for (const TCase& c : cases) {
    HWND wnd = CreateWindowExW(0, c.cls, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(GetWndClassName(wnd), c.want);
    DestroyWindow(wnd);
  }
  EXPECT_EQ(GetWndClassName(nullptr), L"");
  UnregisterClassW(long_name.c_str(), wc.hInstance);
}

}  // namespace
}  // namespace qn::test
