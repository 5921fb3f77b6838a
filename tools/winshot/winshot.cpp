// Saves a picture of a program's window as it is on screen, frame included.
// Usage: winshot CLASS OUT.bmp [TIMEOUT_MS] [--tab N] [--click CHILDCLASS X Y] [--menu C] [--close]
//   Waits until a visible top-level window of that class exists and has painted, saves it
//   as a 24-bit bitmap file and, with --close, asks the window to close. --tab N first
//   selects page N of the window's first tab control, as a click on the tab would;
//   --click presses and releases the left button at X, Y in the first child of that class;
//   --menu C opens the menu-bar entry whose caption underlines the letter C, as Alt+C does,
//   and the picture shows it open.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Shot {
  int w = 0, h = 0;
  std::vector<uint8_t> rows;  // bottom-up, 4-byte aligned
};

Shot Capture(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  Shot s;
  s.w = r.right - r.left;
  s.h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), s.w, s.h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, s.w, s.h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  size_t stride = (size_t(s.w) * 3 + 3) & ~size_t(3);
  s.rows.assign(static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits) + stride * s.h);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return s;
}

bool Save(const Shot& s, const wchar_t* path) {
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{sizeof ih, s.w, s.h, 1, 24, BI_RGB, DWORD(s.rows.size()), 0, 0, 0, 0};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + DWORD(s.rows.size());
  FILE* f = _wfopen(path, L"wb");
  if (!f) return false;
  bool ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&ih, sizeof ih, 1, f) == 1 &&
            fwrite(s.rows.data(), 1, s.rows.size(), f) == s.rows.size();
  return fclose(f) == 0 && ok;
}

struct Search {
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK FindClass(HWND wnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  wchar_t name[64];
  GetClassNameW(wnd, name, 64);
  if (lstrcmpiW(name, s->cls) != 0) return TRUE;
  s->found = wnd;
  return FALSE;
}

HWND FindChild(HWND top, const wchar_t* cls) {
  Search s{cls, nullptr};
  EnumChildWindows(top, FindClass, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Moves the selection with the arrow keys: the control then tells its parent, in its own
// process, exactly as for a click (a notification sent from here would not cross over).
void SelectTab(HWND top, int index) {
  HWND tabs = FindChild(top, L"TPageControl");
  if (!tabs) tabs = FindChild(top, WC_TABCONTROLW);
  if (!tabs) return;
  int current = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
  for (; current < index; ++current) SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
  for (; current > index; --current) SendMessageW(tabs, WM_KEYDOWN, VK_LEFT, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: winshot CLASS OUT.bmp [TIMEOUT_MS] [--close]\n");
    return 2;
  }
  DWORD timeout = argc > 3 && argv[3][0] != L'-' ? wcstoul(argv[3], nullptr, 10) : 30000;
  bool close = false;
  int tab = -1;
  wchar_t menu_key = 0;
  const wchar_t* click_class = nullptr;
  int click_x = 0, click_y = 0;
  for (int i = 3; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--click" && i + 3 < argc) {
      click_class = argv[i + 1];
      click_x = _wtoi(argv[i + 2]);
      click_y = _wtoi(argv[i + 3]);
      i += 3;
    }
    if (std::wstring(argv[i]) == L"--close") close = true;
    if (std::wstring(argv[i]) == L"--menu" && i + 1 < argc) menu_key = argv[++i][0];
    if (std::wstring(argv[i]) == L"--tab" && i + 1 < argc) tab = _wtoi(argv[++i]);
  }
  DWORD start = GetTickCount();
  HWND wnd = nullptr;
  while (GetTickCount() - start < timeout) {
    wnd = FindWindowW(argv[1], nullptr);
    if (wnd && IsWindowVisible(wnd)) break;
    wnd = nullptr;
    Sleep(50);
  }
  if (!wnd) {
    fwprintf(stderr, L"winshot: no window of class %ls\n", argv[1]);
    return 1;
  }
  if (tab >= 0) SelectTab(wnd, tab);
  if (menu_key) PostMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(towlower(menu_key)));
  if (click_class) {
    if (HWND child = FindChild(wnd, click_class)) {
      PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click_x, click_y));
      PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(click_x, click_y));
    }
  }
  // Let the program finish what it is doing, then wait for two identical pictures in a row.
  DWORD_PTR dummy;
  Shot last;
  for (int i = 0; i < 40; ++i) {
    SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dummy);
    Sleep(100);
    Shot now = Capture(wnd);
    if (i > 2 && now.w == last.w && now.h == last.h && now.rows == last.rows) break;
    last = std::move(now);
  }
  if (!Save(last, argv[2])) {
    fwprintf(stderr, L"winshot: cannot write %ls\n", argv[2]);
    return 1;
  }
  if (menu_key) {
    // Escape twice: the popup closes, then the bar lets go.
    for (int i = 0; i < 2; ++i) {
      if (HWND popup = FindWindowW(L"#32768", nullptr)) PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
      Sleep(200);
    }
  }
  if (close) PostMessageW(wnd, WM_CLOSE, 0, 0);
  return 0;
}
