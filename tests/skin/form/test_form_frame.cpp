// The skinned frame under Wine: painted from the skin's images (read back from the screen),
// active and inactive; the window fitted around an unchanged client area; message boxes
// widened to their title; caption text laid out by the skin; detaching.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/win/WinUtil.h"
#include "skin/draw/SkinDraw.h"
#include "skin/manager/WinSkinDlg.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

TWinSysButton* Button(TWinSkinForm* sf, int action) {
  for (auto& b : sf->SysBtn)
    if (b->data->Action == action && b->visible) return b.get();
  return nullptr;
}

TEST_F(FormTest, FrameIsPaintedFromTheSkinImagesActiveAndInactive) {
  TTestForm* f = MakeForm(400, 260, TFormBorderStyle::bsSizeable, kSysOnly, L"");
  TWinSkinForm* sf = Attach(f);
  Activate(f->Handle(), sf);
  // The built-in skin: 4-pixel sides and bottom, a 25-pixel title.
  EXPECT_EQ(sf->bw.left, 4);
  EXPECT_EQ(sf->bw.right, 4);
  EXPECT_EQ(sf->bw.top, 25);
  EXPECT_EQ(sf->bw.bottom, 4);
  TWinSysButton* close = Button(sf, 0);
  ASSERT_NE(close, nullptr);
  const RECT w = WindowRect0(f->Handle());
  // The close button sits where the skin puts it: 19 pixels from the right edge, 7 down.
  EXPECT_EQ(close->bounds.left, w.right - 19);
  EXPECT_EQ(close->bounds.top, 7);
  // Without minimise and maximise boxes those two buttons stay away.
  EXPECT_EQ(Button(sf, 1), nullptr);
  EXPECT_EQ(Button(sf, 2), nullptr);
  SaveShot(f->Handle(), "frame_active");

  Rows px = WindowPixels(f->Handle());
  EXPECT_TRUE(FrameMatchesSkin(px, (*data->Skin()), true, sf->bw, {close->bounds}));
  EXPECT_TRUE(ButtonShows(px, close->bounds, *close->data, 1));

  // Another window activated: every border shows its second frame, the button its fourth.
  TTestForm* other = MakeForm(200, 100, TFormBorderStyle::bsSizeable, kSysOnly, L"other", 500, 400);
  ASSERT_TRUE(Pump([&] { return !sf->FWindowActive && !GetUpdateRect(f->Handle(), nullptr, FALSE); }));
  (void)other;
  SaveShot(f->Handle(), "frame_inactive");
  px = WindowPixels(f->Handle());
  EXPECT_TRUE(FrameMatchesSkin(px, (*data->Skin()), false, sf->bw, {close->bounds}));
  EXPECT_TRUE(ButtonShows(px, close->bounds, *close->data, 4));
}


// The bounds of every caption button the window shows.
std::vector<RECT> ButtonBounds(TWinSkinForm* sf) {
  std::vector<RECT> out;
  for (auto& b : sf->SysBtn)
    if (b->visible) out.push_back(b->bounds);
  return out;
}

SIZE ClientSize(HWND wnd) {
  RECT r = HwndClientRect(wnd);
  return SIZE{r.right, r.bottom};
}

SIZE WindowSize(HWND wnd) {
  RECT r = HwndWindowRect(wnd);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The caption font the system reports, made here rather than taken from the skinner.
struct TSystemCaptionFont {
  TSystemCaptionFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    font = CreateFontIndirectW(&ncm.lfCaptionFont);
  }
  ~TSystemCaptionFont() { DeleteObject(font); }
  int Width(const std::wstring& text) const {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
  }
  HFONT font;
};

TEST_F(FormTest, TheClientAreaKeepsItsSizeInsideTheSkinnedFrame) {
  struct Case {
    TFormBorderStyle style;
    TBorderIcons icons;
    const char* name;
  } cases[] = {
      {TFormBorderStyle::bsSizeable, kAllBoxes, "sizeable"},
      {TFormBorderStyle::bsSingle, kSysOnly, "single"},
      {TFormBorderStyle::bsDialog, kSysOnly, "dialog"},
      {TFormBorderStyle::bsNone, kSysOnly, "no border"},  // no frame: the window as it was
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestForm* f = MakeForm(320, 200, c.style, c.icons, L"青囊珍藏");
    const RECT before = HwndWindowRect(f->Handle());
    TWinSkinForm* sf = Attach(f);
    const RECT after = HwndWindowRect(f->Handle());
    EXPECT_EQ(ClientSize(f->Handle()).cx, 320);
    EXPECT_EQ(ClientSize(f->Handle()).cy, 200);
    EXPECT_EQ(after.right - after.left, 320 + sf->bw.left + sf->bw.right);
    EXPECT_EQ(after.bottom - after.top, 200 + sf->bw.top + sf->bw.bottom);
    EXPECT_EQ(after.left, before.left);  // fitted where it was
    EXPECT_EQ(after.top, before.top);
    POINT origin{0, 0};
    ClientToScreen(f->Handle(), &origin);
    EXPECT_EQ(origin.x, after.left + sf->bw.left);
    EXPECT_EQ(origin.y, after.top + sf->bw.top);
    f->Free();
  }
}

// A dialog of class "#32770" with a long title and a text and a button.
struct TDialog {
  static INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

  explicit TDialog(const std::wstring& title) {
    std::vector<WORD> t;
    auto dword = [&](DWORD v) {
      t.push_back(LOWORD(v));
      t.push_back(HIWORD(v));
    };
    auto text = [&](const std::wstring& s) {
      for (wchar_t ch : s) t.push_back(ch);
      t.push_back(0);
    };
    auto align = [&] {
      if (t.size() % 2) t.push_back(0);
    };
    dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    dword(0);
    t.push_back(2);  // items
    for (short v : {20, 20, 120, 50}) t.push_back(WORD(v));
    t.push_back(0);  // no menu
    t.push_back(0);  // the dialog class
    text(title);
    struct Item {
      DWORD style;
      short x, y, cx, cy;
      WORD id, cls;
      const wchar_t* text;
    } items[] = {{WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 8, 60, 10, 100, 0x82, L"确定删除吗？"},
                 {WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 40, 28, 40, 14, IDOK, 0x80, L"OK"}};
    for (const Item& i : items) {
      align();
      dword(i.style);
      dword(0);
      for (short v : {i.x, i.y, i.cx, i.cy}) t.push_back(WORD(v));
      t.push_back(i.id);
      t.push_back(0xFFFF);
      t.push_back(i.cls);
      text(i.text);
      t.push_back(0);  // no creation data
    }
    bytes = t;
    wnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                     nullptr, Proc, 0);
  }
  ~TDialog() {
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  std::vector<WORD> bytes;
  HWND wnd = nullptr;
};

std::vector<POINT> ChildPositions(HWND wnd) {
  std::vector<POINT> out;
  for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r = HwndWindowRect(c);
    MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
    out.push_back(POINT{r.left, r.top});
  }
  return out;
}

TEST_F(FormTest, ADialogIsWidenedToItsTitleAndItsControlsMoveToTheMiddle) {
  const std::wstring title = L"青囊珍藏查询：这一条消息的标题比它的正文长得多，必须完整显示";
  TDialog dlg(title);
  ASSERT_NE(dlg.wnd, nullptr);
  ShowWindow(dlg.wnd, SW_SHOW);
  Activate(dlg.wnd);
  const SIZE client = ClientSize(dlg.wnd);
  const std::vector<POINT> children = ChildPositions(dlg.wnd);
  ASSERT_EQ(children.size(), 2u);

  TWinSkinForm* sf = AttachWindow(dlg.wnd);
  EXPECT_TRUE(sf->ismessagebox);
  EXPECT_EQ(sf->FormBorder, TSkinFormBorder::sbsDialog);
  SaveShot(dlg.wnd, "dialog_widened");
  // What the title needs: the caption text's left shift, the text with its spaces, the clip.
  const TDataSkinTitle& t = *(*data->Skin()).Title;
  const int needed = t.r.Left + TSystemCaptionFont().Width(L"  " + title + L" ") + t.backleft + t.backright + t.r.Right;
  const int plain = client.cx + sf->bw.left + sf->bw.right;
  ASSERT_GT(needed, plain);
  EXPECT_EQ(WindowSize(dlg.wnd).cx, needed);
  EXPECT_EQ(WindowSize(dlg.wnd).cy, client.cy + sf->bw.top + sf->bw.bottom);
  const std::vector<POINT> moved = ChildPositions(dlg.wnd);
  for (size_t i = 0; i < children.size(); ++i) {
    EXPECT_EQ(moved[i].x, children[i].x + (needed - plain) / 2);
    EXPECT_EQ(moved[i].y, children[i].y);
  }
  // The whole title shows; the dialog has no icon button.
  EXPECT_GE(sf->FTitleRect.right - sf->FTitleRect.left, TSystemCaptionFont().Width(L"  " + title + L" "));
  for (auto& b : sf->SysBtn) {
    if (b->data->Action == 3) {
      EXPECT_FALSE(b->visible);
    }
  }
  // Its background is the skin's.
  const Rows px = WindowPixels(dlg.wnd);
  const TColor face = ColorToRGB((*data->Skin()).Colors[skin::kcButtonFace]);
  EXPECT_EQ(px[size_t(sf->bw.top + 2)][size_t(sf->bw.left + 2)], TColor(face));
  sf->UnSubclass();
  delete sf;
}

// A message box's own window, found from inside its modal loop.
struct TBoxWatch {
  FormTest* test = nullptr;
  TSkinData* data = nullptr;
  TWinSkinForm* sf = nullptr;
  HWND box = nullptr;
  int ticks = 0;
  SIZE client{}, fitted{};
  std::vector<POINT> before, after;
  bool skinned = false;
  RECT bw{};

  static BOOL CALLBACK Find(HWND wnd, LPARAM self) {
    auto* w = reinterpret_cast<TBoxWatch*>(self);
    if (GetWndClassName(wnd) == L"#32770" && IsWindowVisible(wnd)) {
      w->box = wnd;
      return FALSE;
    }
    return TRUE;
  }
  void Tick() {
    ++ticks;
    if (!box) {
      EnumThreadWindows(GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(this));
      if (!box) return;
      client = ClientSize(box);
      before = ChildPositions(box);
      sf = new TWinSkinForm(nullptr);
      sf->Hwnd = box;
      sf->formclass = L"#32770";
      sf->InitDlg(data);
      PostMessageW(box, WM_SKINSTART, 0, 1000);
      return;
    }
    const bool ready = sf->Skinstate == 1 && !GetUpdateRect(box, nullptr, FALSE);
    if (ready || ticks > 200) {
      skinned = ready;
      fitted = WindowSize(box);
      after = ChildPositions(box);
      bw = sf->bw;
      SaveShot(box, "message_box");
      sf->UnSubclass();
      delete sf;
      sf = nullptr;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
};

TBoxWatch* g_watch = nullptr;
void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_watch && g_watch->box != reinterpret_cast<HWND>(-1)) g_watch->Tick();
}

TEST_F(FormTest, AMessageBoxIsSkinnedAndWidenedToItsTitle) {
  const std::wstring title = L"青囊珍藏查询 V1.0：这一条消息的标题很长很长，比它的正文长得多";
  TBoxWatch watch;
  watch.test = this;
  watch.data = data;
  g_watch = &watch;
  const UINT_PTR timer = SetTimer(nullptr, 0, 25, WatchTick);
  const int answer = MessageBoxW(nullptr, L"好", title.c_str(), MB_OK);
  KillTimer(nullptr, timer);
  g_watch = nullptr;
  EXPECT_EQ(answer, IDOK);
  ASSERT_TRUE(watch.skinned);
  const TDataSkinTitle& t = *(*data->Skin()).Title;
  const int needed = t.r.Left + TSystemCaptionFont().Width(L"  " + title + L" ") + t.backleft + t.backright + t.r.Right;
  const int plain = watch.client.cx + watch.bw.left + watch.bw.right;
  EXPECT_EQ(watch.fitted.cx, std::max(plain, needed));
  EXPECT_EQ(watch.fitted.cy, watch.client.cy + watch.bw.top + watch.bw.bottom);
  ASSERT_EQ(watch.after.size(), watch.before.size());
  for (size_t i = 0; i < watch.before.size(); ++i)
    EXPECT_EQ(watch.after[i].x, watch.before[i].x + (std::max(plain, needed) - plain) / 2);
}

TEST_F(FormTest, CaptionTextIsPlacedByTheSkinsAlignment) {
  // The built-in skin: text shifted 26 from the title's left end, clipped 64 before its right
  // end; the close button (19 from the right edge) the only right-aligned button.
  const std::wstring caption = L"青囊珍藏";
  const int tw = TSystemCaptionFont().Width(L"  " + caption + L" ");
  TDataSkinTitle& title = *(*data->Skin()).Title;
  for (bool rtl : {false, true}) {
    TTestForm* f = MakeForm(360, 120, TFormBorderStyle::bsSingle, kSysOnly, caption);
    if (rtl) SetWindowLongPtrW(f->Handle(), GWL_EXSTYLE, GetWindowLongPtrW(f->Handle(), GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    TWinSkinForm* sf = Attach(f);
    // The title runs 360 pixels between the 4-pixel side borders. Right to left, the text keeps
    // clear of the close button (19) and moves 10 further right.
    ASSERT_EQ(sf->bw.left, 4);
    ASSERT_EQ(WindowRect0(f->Handle()).right, 368);
    struct Case {
      int alignment;
      int text_left;  // where the text starts, from the window's left edge
    } cases[] = {
        {0, rtl ? 4 + 360 - 19 - tw + 10 : 4 + 26},
        {1, rtl ? 4 + (360 - 19 - tw) / 2 + 10 : 4 + (360 - tw) / 2},
        {2, rtl ? 4 + 26 + 10 : 4 + 360 - 64 - tw},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (rtl ? "right-to-left" : "left-to-right") << ", alignment " << c.alignment);
      title.Aligment = c.alignment;
      sf->PaintFrame();
      EXPECT_EQ(sf->FTitleRect.left, c.text_left);
      EXPECT_EQ(sf->FTitleRect.right - sf->FTitleRect.left, tw);
      // The text is drawn there, white on the dark title, and nowhere else.
      const Rows px = WindowPixels(f->Handle());
      int white = 0;
      for (int y = 0; y < sf->bw.top; ++y)
        for (int x = sf->FTitleRect.left; x < sf->FTitleRect.right; ++x)
          if ((px[size_t(y)][size_t(x)] & 0xE0E0E0) == 0xE0E0E0) ++white;
      EXPECT_GT(white, 20);
      std::vector<RECT> skip = ButtonBounds(sf);
      skip.push_back(sf->FTitleRect);
      EXPECT_TRUE(FrameMatchesSkin(px, (*data->Skin()), true, sf->bw, skip));
    }
    title.Aligment = 0;
    f->Free();
  }
}

TEST_F(FormTest, ALongCaptionIsCutBeforeTheClipOrTheButtons) {
  const std::wstring caption(60, L'藏');
  struct Case {
    TFormBorderStyle style;
    int clip;  // the text's right end, from the window's right edge
  } cases[] = {
      {TFormBorderStyle::bsSingle, 4 + 64},       // the skin's right clip from the title's end
      {TFormBorderStyle::bsDialog, 4 + 19 + 5},   // popup windows: 5 before the buttons
  };
  for (const Case& c : cases) {
    TTestForm* f = MakeForm(300, 80, c.style, kSysOnly, caption);
    TWinSkinForm* sf = Attach(f);
    const int W = WindowRect0(f->Handle()).right;
    EXPECT_EQ(sf->FTitleRect.right, W - c.clip);
    SaveShot(f->Handle(), c.style == TFormBorderStyle::bsSingle ? "caption_cut" : "caption_cut_popup");
    // Nothing of the text lies past its end.
    std::vector<RECT> skip = ButtonBounds(sf);
    skip.push_back(sf->FTitleRect);
    EXPECT_TRUE(FrameMatchesSkin(WindowPixels(f->Handle()), (*data->Skin()), true, sf->bw, skip));
    f->Free();
  }
}

TEST_F(FormTest, ANewCaptionIsDrawnInTheSkinnedTitle) {
  // The default handling of a new window text draws the native caption at once, over the
  // skinned one: both a form and a plain dialog get theirs back.
  TTestForm* f = MakeForm(300, 120, TFormBorderStyle::bsSingle, kSysOnly, L"青囊");
  TWinSkinForm* sf = Attach(f);
  TDialog dlg(L"对话框");
  ShowWindow(dlg.wnd, SW_SHOW);
  SetWindowPos(dlg.wnd, nullptr, 420, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  TWinSkinForm* sd = AttachWindow(dlg.wnd);
  struct Case {
    HWND wnd;
    TWinSkinForm* skinner;
    std::function<void(const std::wstring&)> set;
    int widened;  // a dialog's caption starts 16 pixels further left
  } cases[] = {
      {f->Handle(), sf, [&](const std::wstring& t) { f->SetCaption(t); }, 0},
      {dlg.wnd, sd, [&](const std::wstring& t) { SetWindowTextW(dlg.wnd, t.c_str()); }, 16},
  };
  for (const Case& c : cases) {
    const std::wstring text = L"青囊珍藏查询";
    c.set(text);
    ASSERT_TRUE(Pump([&] { return !GetUpdateRect(c.wnd, nullptr, FALSE); }));
    EXPECT_EQ(c.skinner->FTitleRect.right - c.skinner->FTitleRect.left - c.widened,
              TSystemCaptionFont().Width(L"  " + text + L" "));
    std::vector<RECT> skip = ButtonBounds(c.skinner);
    skip.push_back(c.skinner->FTitleRect);
    EXPECT_TRUE(FrameMatchesSkin(WindowPixels(c.wnd), (*data->Skin()), c.wnd == GetForegroundWindow(), c.skinner->bw, skip));
  }
  sd->UnSubclass();
  delete sd;
}

TEST_F(FormTest, DetachingGivesBackTheNativeFrameAndTheWindowProcedures) {
  TTestForm* f = MakeForm(300, 180, TFormBorderStyle::bsSizeable, kAllBoxes, L"青囊");
  HWND wnd = f->Handle();
  const TWndMethod method = f->WindowProc;
  const LONG_PTR proc = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  const SIZE window = WindowSize(wnd), client = ClientSize(wnd);

  TWinSkinForm* sf = Attach(f);
  EXPECT_FALSE(f->WindowProc == method);
  EXPECT_EQ(SendMessageW(wnd, WM_SKINQUERY, 0, 0), 1);
  TRegionHandle probe = MakeRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(wnd, probe.Get()), ERROR);
  EXPECT_NE(WindowSize(wnd).cy, window.cy);  // the built-in skin's title is not the native one

  sf->UnSubclass();
  EXPECT_TRUE(f->WindowProc == method);
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), proc);
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU, style & WS_SYSMENU);
  EXPECT_EQ(ClientSize(wnd).cx, client.cx);
  EXPECT_EQ(ClientSize(wnd).cy, client.cy);
  EXPECT_EQ(WindowSize(wnd).cx, window.cx);
  EXPECT_EQ(WindowSize(wnd).cy, window.cy);
  EXPECT_EQ(GetWindowRgn(wnd, probe.Get()), ERROR);  // no shape left
  EXPECT_NE(SendMessageW(wnd, WM_SKINQUERY, 0, 0), 1);
  EXPECT_EQ(f->Color(), clBtnFace);
  delete sf;
  // The form still works as a plain one.
  f->SetCaption(L"plain");
  EXPECT_EQ(HwndGetText(wnd), L"plain");
}

// Pixels of the window's outline against the border images' fixed ends: cut where the
// image is magenta, kept elsewhere.
::testing::AssertionResult ShapeFollowsTheSkin(HWND wnd, TSkinObjects& skin, const RECT& bw, int& cut) {
  TRegionHandle rgn = MakeRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(wnd, rgn.Get()) == ERROR) return ::testing::AssertionFailure() << "the window has no shape";
  const RECT w = WindowRect0(wnd);
  TDataSkinBorder& left = *skin.border[skin::kBorderLeft];
  TDataSkinBorder& top = *skin.border[skin::kBorderTop];
  auto is_cut = [](TColor c) { return (c & 0xFF) == 0xFF && ((c >> 8) & 0xFF) <= 1 && ((c >> 16) & 0xFF) == 0xFF; };
  int bad = 0;
  cut = 0;
  for (int y = 0; y < left.r.Top; ++y)
    for (int x = 0; x < bw.left; ++x) {
      const bool want = !is_cut(ImagePixel(left.Map, x, y));
      cut += !want;
      bad += (PtInRegion(rgn.Get(), x, y) != FALSE) != want;
    }
  for (int y = 0; y < bw.top; ++y)
    for (int x = 0; x < top.r.Left && bw.left + x < w.right; ++x) {
      const bool want = !is_cut(ImagePixel(top.Map, x, y));
      cut += !want;
      bad += (PtInRegion(rgn.Get(), bw.left + x, y) != FALSE) != want;
    }
  if (!PtInRegion(rgn.Get(), w.right / 2, w.bottom / 2)) ++bad;
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels of the top-left corner are shaped wrongly";
}

TEST_F(FormTest, ASkinChangeRepaintsAndRefitsTheFrameAndCutsJadesCorners) {
  TTestForm* f = MakeForm(360, 220, TFormBorderStyle::bsSizeable, kAllBoxes, L"青囊珍藏");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  // Each skin's frame widths, read off its border images: left, title, right, bottom.
  const struct {
    const char* name;
    RECT bw;
  } skins[] = {{"ink", {3, 28, 3, 3}}, {"jade", {5, 30, 5, 5}}, {"builtin", {4, 25, 4, 4}}};
  for (const auto& [name, want] : skins) {
    SCOPED_TRACE(name);
    data->LoadFromFile(SkinFile(name));
    ASSERT_FALSE(data->Empty());
    // What the manager does once a new skin is loaded.
    sf->DeleteSysbtn();
    sf->InitSkinData();
    sf->SkinChange();
    ASSERT_TRUE(Pump([&] { return !GetUpdateRect(wnd, nullptr, FALSE); }));
    EXPECT_TRUE(EqualRect(&sf->bw, &want));
    EXPECT_EQ(ClientSize(wnd).cx, 360);
    EXPECT_EQ(ClientSize(wnd).cy, 220);
    EXPECT_EQ(WindowSize(wnd).cx, 360 + want.left + want.right);
    EXPECT_EQ(WindowSize(wnd).cy, 220 + want.top + want.bottom);
    SaveShot(wnd, (std::string("skin_") + name).c_str());
    // The form takes the skin's button face.
    const Rows px = WindowPixels(wnd);
    EXPECT_EQ(px[size_t(want.top + 100)][size_t(want.left + 100)], TColor(ColorToRGB((*data->Skin()).Colors[skin::kcButtonFace])));
    std::vector<RECT> skip = ButtonBounds(sf);
    skip.push_back(RECT{sf->ctr.left, 0, sf->ctr.right, sf->bw.top});  // caption text and its backing
    EXPECT_TRUE(FrameMatchesSkin(WindowPixels(wnd), (*data->Skin()), true, sf->bw, skip));
    int cut = 0;
    EXPECT_TRUE(ShapeFollowsTheSkin(wnd, (*data->Skin()), sf->bw, cut));
    if (std::strcmp(name, "jade") == 0) {
      EXPECT_GT(cut, 0);  // its rounded corners
    }
  }
}

}  // namespace
}  // namespace qn::test
