// An MDI frame and one MDI child, both skinned: the frame's MDI client is followed, the child
// keeps its client area and follows being maximised in the client.
#include <gtest/gtest.h>

#include "platform/win/WinUtil.h"
#include "skin/form/WinSkinMenuBar.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

HWND g_client = nullptr;

LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) { return DefFrameProcW(wnd, g_client, msg, w, l); }

struct TMdi {
  explicit TMdi(bool with_menu = false) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = L"QnMdiFrame";
    ::RegisterClassW(&wc);
    wc.lpfnWndProc = DefMDIChildProcW;
    wc.lpszClassName = L"QnMdiChild";
    ::RegisterClassW(&wc);
    HMENU bar = nullptr;
    if (with_menu) {
      bar = CreateMenu();
      HMENU file = CreatePopupMenu();
      AppendMenuW(file, MF_STRING, 100, L"&Open");
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"&Window");
    }
    frame = CreateWindowExW(0, L"QnMdiFrame", L"MDI", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 600, 420, nullptr,
                            bar, inst, nullptr);
    CLIENTCREATESTRUCT ccs{nullptr, 50000};
    client = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                             WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 0, 560, 340, frame,
                             nullptr, inst, &ccs);
    g_client = client;
    ShowWindow(frame, SW_SHOW);
    child = CreateMDIWindowW(L"QnMdiChild", L"child", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 10, 10, 260, 160, client, inst, 0);
  }
  ~TMdi() {
    DestroyWindow(frame);
    g_client = nullptr;
  }
  HWND frame = nullptr, client = nullptr, child = nullptr;
};

SIZE ClientSize(HWND wnd) {
  const RECT r = HwndClientRect(wnd);
  return SIZE{r.right, r.bottom};
}

TEST_F(FormTest, AnMdiFrameAndItsChildAreSkinnedTogether) {
  TMdi mdi;
  ASSERT_NE(mdi.child, nullptr);
  Activate(mdi.frame);
  const LONG_PTR client_proc = GetWindowLongPtrW(mdi.client, GWLP_WNDPROC);
  TWinSkinForm* frame = AttachWindow(mdi.frame);
  EXPECT_EQ(frame->FormStyle, TSkinFormStyle::sfsMDIform);
  EXPECT_EQ(frame->ClientHwnd, mdi.client);
  EXPECT_NE(GetWindowLongPtrW(mdi.client, GWLP_WNDPROC), client_proc);
  // Without the MDI scroll-bar option the client shows no scroll bars of its own.
  EXPECT_EQ(GetWindowLongPtrW(mdi.client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);

  const SIZE child_client = ClientSize(mdi.child);
  TWinSkinForm* child = AttachWindow(mdi.child);
  EXPECT_EQ(child->FormStyle, TSkinFormStyle::sfsMDIChild);
  EXPECT_EQ(ClientSize(mdi.child).cx, child_client.cx);
  EXPECT_EQ(ClientSize(mdi.child).cy, child_client.cy);
  SaveShot(mdi.frame, "mdi");

  SendMessageW(mdi.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(mdi.child), 0);
  ASSERT_TRUE(Pump([&] { return IsZoomed(mdi.child) && !GetUpdateRect(mdi.frame, nullptr, FALSE); }));
  EXPECT_TRUE(frame->MDIChildMax());
  EXPECT_EQ(child->Windowstate, TSkinWindowState::swsMax);
  // A maximised child has no frame of its own: it fills the client.
  EXPECT_EQ(ClientSize(mdi.child).cx, ClientSize(mdi.client).cx);
  SendMessageW(mdi.client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(mdi.child), 0);
  ASSERT_TRUE(Pump([&] { return !IsZoomed(mdi.child); }));
  EXPECT_FALSE(frame->MDIChildMax());
  EXPECT_EQ(child->Windowstate, TSkinWindowState::swsNormal);

  child->UnSubclass();
  delete child;
  frame->UnSubclass();
  delete frame;
  EXPECT_EQ(GetWindowLongPtrW(mdi.client, GWLP_WNDPROC), client_proc);
  EXPECT_EQ(ClientSize(mdi.child).cx, child_client.cx);
  EXPECT_EQ(ClientSize(mdi.child).cy, child_client.cy);
}

// The buttons a maximised MDI child shows in the frame's skinned menu line, by action.
TWinSysButton* MenuLineButton(TWinSkinForm* sf, int action) {
  for (auto& b : sf->SysBtn)
    if (b->data && b->data->Visibility == 100 && b->data->Action == action) return b.get();
  return nullptr;
}

LPARAM ScreenCentre(HWND wnd, const RECT& b) {
  const RECT r = HwndWindowRect(wnd);
  return MAKELPARAM(r.left + (b.left + b.right) / 2, r.top + (b.top + b.bottom) / 2);
}

// While an MDI child is maximised, the frame's skinned menu bar carries the child's minimise,
// restore and close buttons at its far end, drawn from the skin; they act on the child and go
// when it is no longer maximised.
TEST_F(FormTest, AMaximisedMdiChildsButtonsSitInTheSkinnedMenuLine) {
  TMdi mdi(true);
  ASSERT_NE(mdi.child, nullptr);
  Activate(mdi.frame);
  TWinSkinForm* frame = AttachWindow(mdi.frame);
  ASSERT_NE(frame->MenuBar(), nullptr);
  TWinSkinForm* child = AttachWindow(mdi.child);
  auto maximise = [&] {
    SendMessageW(mdi.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(mdi.child), 0);
    return Pump([&] { return IsZoomed(mdi.child) && !GetUpdateRect(mdi.frame, nullptr, FALSE); });
  };
  auto press = [&](TWinSysButton* b) {
    SendMessageW(mdi.frame, WM_NCLBUTTONDOWN, HTMENU, ScreenCentre(mdi.frame, b->bounds));
    SendMessageW(mdi.frame, WM_NCLBUTTONUP, HTMENU, ScreenCentre(mdi.frame, b->bounds));
  };
  const int actions[] = {7, 8, 9};  // minimise, restore, close

  for (int a : actions) {
    TWinSysButton* b = MenuLineButton(frame, a);
    ASSERT_NE(b, nullptr) << "action " << a;
    EXPECT_FALSE(b->visible) << "no child is maximised yet";
  }
  ASSERT_TRUE(maximise());
  RedrawWindow(mdi.frame, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  const Rows painted = WindowPixels(mdi.frame);
  const RECT bar = frame->MenuBar()->Bar;
  int left_end = bar.right;
  for (int a : actions) {
    SCOPED_TRACE(testing::Message() << "action " << a);
    TWinSysButton* b = MenuLineButton(frame, a);
    ASSERT_TRUE(b->visible);
    EXPECT_GE(b->bounds.left, bar.left);
    EXPECT_LE(b->bounds.right, bar.right);
    EXPECT_GE(b->bounds.top, bar.top);
    EXPECT_LE(b->bounds.bottom, bar.bottom);
    EXPECT_TRUE(ButtonShows(painted, b->bounds, *b->data, 1));
    left_end = std::min(left_end, static_cast<int>(b->bounds.left));
  }
  // The bar's own buttons stay clear of them.
  for (const auto& m : frame->MenuBar()->Buttons) {
    if (m->visible && !m->caption.empty()) {
      EXPECT_LE(m->bounds.right, left_end);
    }
  }
  SaveShot(mdi.frame, "mdi-maximised");

  press(MenuLineButton(frame, 8));
  ASSERT_TRUE(Pump([&] { return !IsZoomed(mdi.child) && !GetUpdateRect(mdi.frame, nullptr, FALSE); }));
  TWinSysButton* restore = MenuLineButton(frame, 8);
  EXPECT_FALSE(frame->MDIChildMax());
  RedrawWindow(mdi.frame, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_FALSE(ButtonShows(WindowPixels(mdi.frame), restore->bounds, *restore->data, 1)) << "gone with the maximised child";

  ASSERT_TRUE(maximise());
  child->UnSubclass();  // the child is closed by the button: its skinner goes first, as the manager does it
  delete child;
  press(MenuLineButton(frame, 9));
  EXPECT_TRUE(Pump([&] { return !IsWindow(mdi.child); })) << "the close button closes the child";
  EXPECT_FALSE(frame->MDIChildMax());

  frame->UnSubclass();
  delete frame;
}

}  // namespace
}  // namespace qn::test
