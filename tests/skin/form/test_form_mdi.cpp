// An MDI frame and one MDI child, both skinned: the frame's MDI client is followed, the child
// keeps its client area and follows being maximised in the client.
#include <gtest/gtest.h>

#include "platform/win/WinUtil.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

HWND g_client = nullptr;

LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) { return DefFrameProcW(wnd, g_client, msg, w, l); }

struct TMdi {
  TMdi() {
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
    frame = CreateWindowExW(0, L"QnMdiFrame", L"MDI", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 600, 420, nullptr,
                            nullptr, inst, nullptr);
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

}  // namespace
}  // namespace qn::test
