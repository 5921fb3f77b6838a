// The form skinner when things go wrong around it: the program hooks the form after it and
// outlives it, memory runs out half-way through its work, the program answers its questions
// with changes of its own, and the skin's borders are wider than the window's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"
#include "tests/skin/form/FormFixture.h"

// Allocations of this thread fail once this many more have succeeded (-1: none fails): the
// skinner's work is run with each of its allocations failing in turn.
thread_local int t_allocations_left = -1;

void* operator new(size_t size) {
  if (t_allocations_left >= 0 && t_allocations_left-- == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace qn::test {
namespace {

LPARAM At(HWND wnd, int x, int y) {
  const RECT r = HwndWindowRect(wnd);
  return MAKELPARAM(r.left + x, r.top + y);
}

class FormLifetimeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // Program code that fails while memory is short reports the way the program does.
    Application->MessageBoxHook = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };
  }
  void TearDown() override {
    t_allocations_left = -1;
    FormTest::TearDown();
    for (void* p : clobbered) ::operator delete(p);
  }
  // Writes over the block an object of `size` bytes just left, so that a later use of the freed
  // object reads nonsense and fails at once.
  void Clobber(size_t size) {
    void* p = ::operator new(size);
    std::memset(p, 0xCD, size);
    clobbered.push_back(p);
  }
  std::vector<void*> clobbered;
};

TEST_F(FormLifetimeTest, AHookTheProgramSetsOnTheFormAfterTheSkinnerOutlivesTheSkinner) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"hooked");
  TWinSkinForm* sf = Attach(f);
  // The program hooks the form after the skinner did, keeping what it found to pass on to.
  struct TLaterHook {
    TWndMethod old;
    int seen = 0;
    void Proc(TMessage& m) {
      ++seen;
      old(m);
    }
  } later;
  later.old = f->WindowProc;
  f->WindowProc = TWndMethod::Bind<&TLaterHook::Proc>(&later);
  // The skinner lets go and is freed while the program's hook stays.
  sf->UnSubclass();
  delete sf;
  Clobber(sizeof(TWinSkinForm));
  EXPECT_EQ(f->WindowProc, TWndMethod::Bind<&TLaterHook::Proc>(&later));
  // Messages still go through the program's hook to the form's own handling.
  SetWindowTextW(f->Handle(), L"still here");
  EXPECT_EQ(f->Caption(), L"still here");
  EXPECT_GT(later.seen, 0);
  f->WindowProc = later.old;
  SetWindowTextW(f->Handle(), L"unhooked");
  EXPECT_EQ(f->Caption(), L"unhooked");
}

// Activation runs with its first, second, third ... allocation failing, until one run needs
// no more than were allowed: each run must end with the skinner running and its frame painted.
TEST_F(FormLifetimeTest, ActivationThatFailsAnywhereLeavesTheSkinnerRunningWithItsFramePainted) {
  bool completed = false;
  for (int fail_at = 0; fail_at < 400 && !completed; ++fail_at) {
    SCOPED_TRACE(testing::Message() << "allocation " << fail_at << " fails");
    TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"短");
    auto* sf = new TWinSkinForm(f, SkinManager());
    sf->Hwnd = f->Handle();
    sf->formclass = GetWndClassName(sf->Hwnd);
    sf->InitTform(data, f);
    t_allocations_left = fail_at;
    SendMessageW(sf->Hwnd, WM_SKINSTART, 0, 1000);
    completed = t_allocations_left >= 0;
    t_allocations_left = -1;
    ASSERT_EQ(sf->Skinstate, 1);
    Activate(f->Handle(), sf);
    RepaintFrameFromBlack(f->Handle());
    EXPECT_TRUE(FrameMatchesSkin(WindowPixels(f->Handle()), *data->Skin(), true, sf->bw, ButtonsAndTitle(sf)));
    f->Free();
  }
  EXPECT_TRUE(completed);
}

TEST_F(FormLifetimeTest, ASkinChangeThatFailsAnywhereLeavesTheSkinnerRunningWithItsFramePainted) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"短");
  TWinSkinForm* sf = Attach(f);
  const char* skins[] = {"ink", "builtin"};
  bool completed = false;
  for (int fail_at = 0; fail_at < 400 && !completed; ++fail_at) {
    SCOPED_TRACE(testing::Message() << "allocation " << fail_at << " fails");
    data->LoadFromFile(SkinFile(skins[fail_at % 2]));
    // What the manager's action does; it drops what fails.
    t_allocations_left = fail_at;
    try {
      sf->DeleteSysbtn();
      sf->InitSkinData();
      sf->SkinChange();
    } catch (...) {
    }
    completed = t_allocations_left >= 0;
    t_allocations_left = -1;
    ASSERT_EQ(sf->Skinstate, 1);
    Activate(f->Handle(), sf);
    RepaintFrameFromBlack(f->Handle());
    EXPECT_TRUE(FrameMatchesSkin(WindowPixels(f->Handle()), *sf->SkinObjects(), true, sf->bw, ButtonsAndTitle(sf)));
  }
  EXPECT_TRUE(completed);
}

// The program decides whether the close button shows (visibility code 1500) and, asked, renames
// its window: the title then shows the new name, as every question is asked before the title
// is composed.
TEST_F(FormLifetimeTest, TheProgramIsAskedAboutItsButtonsBeforeTheTitleIsComposed) {
  TTestForm* f = MakeForm(360, 120, TFormBorderStyle::bsSingle, kSysOnly, L"a");
  TWinSkinForm* sf = Attach(f);
  TDataSkinSysButton* close = nullptr;
  for (const auto& b : sf->SysBtn)
    if (b->Definition() && b->Definition()->Action == 0) close = b->Definition();
  ASSERT_NE(close, nullptr);
  const int visibility = close->Visibility;
  close->Visibility = 1500;
  struct TRenamer {
    TWndMethod old;
    HWND wnd;
    bool renamed = false;
    void Proc(TMessage& m) {
      if (m.Msg != WM_SKINBUTTONVISIBLE) return old(m);
      if (!renamed) {
        renamed = true;
        SetWindowTextW(wnd, L"青囊珍藏 renamed");
      }
      m.Result = 1;
    }
  } renamer{f->WindowProc, f->Handle()};
  f->WindowProc = TWndMethod::Bind<&TRenamer::Proc>(&renamer);
  sf->PaintFrame();
  f->WindowProc = renamer.old;
  close->Visibility = visibility;
  EXPECT_TRUE(renamer.renamed);
  struct TCaptionFont {
    TFontHandle font;
    TCaptionFont() {
      NONCLIENTMETRICSW ncm{};
      ncm.cbSize = sizeof ncm;
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
      font = TFontHandle(CreateFontIndirectW(&ncm.lfCaptionFont));
    }
    int Width(const std::wstring& text) {
      TWindowDC dc(nullptr);
      TScopedSelect select(dc.Get(), font.Get());
      SIZE size{};
      GetTextExtentPoint32W(dc.Get(), text.c_str(), int(text.size()), &size);
      return size.cx;
    }
  } font;
  EXPECT_EQ(sf->FTitleRect.right - sf->FTitleRect.left, font.Width(L"  青囊珍藏 renamed "));
}

// A skin whose side and bottom borders (16 pixels) are much wider than the window's own sizing
// border. Where the window's own procedure finds nothing, a press drags the window as on the
// caption; its own sizing border and the top three pixels keep their meaning.
TEST_F(FormLifetimeTest, APressOnAWideBorderDragsTheWindowOutsideItsOwnSizingBorder) {
  TSkinObjects& skin = *data->Skin();
  auto widen = [](TDataSkinBorder& b, int w, int h) {
    TBitmap wide(w, h);
    wide.Canvas().Brush().SetColor(clMaroon);
    wide.Canvas().FillRect(RECT{0, 0, w, h});
    b.Map.Assign(&wide);
  };
  const int frames = std::max(1, int(skin.border[skin::kBorderLeft]->frame));
  const int tall = skin.border[skin::kBorderLeft]->Map.Height();
  widen(*skin.border[skin::kBorderLeft], 16 * frames, tall);
  widen(*skin.border[skin::kBorderRight], 16 * frames, tall);
  widen(*skin.border[skin::kBorderBottom], skin.border[skin::kBorderBottom]->Map.Width(),
        16 * std::max(1, int(skin.border[skin::kBorderBottom]->frame)));
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"wide");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  ASSERT_EQ(sf->bw.left, 16);
  ASSERT_EQ(sf->bw.bottom, 16);
  const RECT r = WindowRect0(wnd);
  const int W = r.right, H = r.bottom, mid_x = W / 2, mid_y = H / 2;
  const int frame = GetSystemMetrics(SM_CXFRAME);
  ASSERT_LT(frame + 2, 16);
  struct Case {
    const char* what;
    int x, y;
    LRESULT expected;
  } cases[] = {
      {"the window's own left sizing border", 1, mid_y, HTLEFT},
      {"the skin's left border beyond it", frame + 6, mid_y, HTCAPTION},
      {"the skin's right border beyond the sizing border", W - frame - 6, mid_y, HTCAPTION},
      {"the skin's bottom border beyond the sizing border", mid_x, H - frame - 6, HTCAPTION},
      {"the window's own bottom sizing border", mid_x, H - 1, HTBOTTOM},
      {"the title", mid_x, sf->bw.top / 2, HTCAPTION},
      {"the client area", mid_x, mid_y + 10, HTCLIENT},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, At(wnd, c.x, c.y)), c.expected) << c.what;
}

}  // namespace
}  // namespace qn::test
