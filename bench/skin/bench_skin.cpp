// The skin drawing routines on a title strip, each beside one plain blit of the same size from
// a device bitmap to a window, measured in one run under the same load.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/Graphics.h"
#include "skin/data/SkinSchema.h"
#include "skin/draw/SkinDraw.h"
#include "skin/package/SkinRead.h"
#include "skin/package/WinConvert.h"
#include "skin/package/WinSkinIni.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qn;

constexpr int kStripW = 665, kStripH = 25;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A title-bar skin image: two frames (active, inactive) stacked, 205 x 25 each, with a 40
// pixel left end, a 70 pixel right end and a patterned middle, as a skin author draws one.
std::unique_ptr<TBitmap> TitleImage(TPixelFormat format) {
  auto bmp = std::make_unique<TBitmap>(205, 50, TPixelFormat::pf24bit);
  for (int y = 0; y < 50; ++y) {
    uint8_t* row = bmp->ScanLine(y);
    for (int x = 0; x < 205; ++x) {
      const int part = x < 40 ? 0 : x >= 135 ? 2 : 1;
      row[x * 3 + 0] = static_cast<uint8_t>(120 + part * 40 + (y % 25) * 2);
      row[x * 3 + 1] = static_cast<uint8_t>(60 + (x * 7) % 50 + (y / 25) * 30);
      row[x * 3 + 2] = static_cast<uint8_t>(30 + part * 20);
    }
  }
  bmp->SetPixelFormat(format);
  return bmp;
}

LRESULT CALLBACK BenchWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcW(wnd, msg, w, l);
}

HWND MakeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = BenchWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QnBenchSkin";
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  ::RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"bench_skin", WS_POPUP | WS_VISIBLE, 0, 0, 700, 80, nullptr,
                             nullptr, wc.hInstance, nullptr);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return wnd;
}

struct TCase {
  std::string name;
  std::function<void()> run;
  std::vector<double> us;  // per call, one figure a round
};

}  // namespace

int main() {
  HWND wnd = MakeWindow();
  HDC screen = GetDC(wnd);

  auto device = TitleImage(TPixelFormat::pfDevice);
  auto dib24 = TitleImage(TPixelFormat::pf24bit);
  TBitmap plain(kStripW, kStripH, TPixelFormat::pfDevice);
  TBitmap plain24(kStripW, kStripH, TPixelFormat::pf24bit);
  const RECT strip{0, 0, kStripW, kStripH};
  const RECT margins{40, 0, 70, 0};
  const RECT at{10, 30, 10 + kStripW, 30 + kStripH};

  // Painters compose off screen: transparent pieces mostly land in a device buffer.
  TBitmap offscreen(700, 40, TPixelFormat::pfDevice);
  auto transparent = [&](TTransparentMethod method, HDC dc) {
    SetTransparentMethod(method);
    DrawSkinRect(dc, at, *device, margins, 2, 2, true, true, true);
    SetTransparentMethod(TTransparentMethod::tmAuto);
  };

  std::vector<TCase> cases = {
      {"blit_665x25", [&] { BitBlt(screen, 10, 30, kStripW, kStripH, plain.DC(), 0, 0, SRCCOPY); }, {}},
      {"blit_665x25_from_24bit", [&] { BitBlt(screen, 10, 30, kStripW, kStripH, plain24.DC(), 0, 0, SRCCOPY); }, {}},
      // What any new device bitmap of that size costs, with its DC: the floor of MakeSkinBitmap.
      {"new_device_bitmap_665x25", [&] { TBitmap b(kStripW, kStripH, TPixelFormat::pfDevice); }, {}},
      {"new_32bit_bitmap_665x25", [&] { TBitmap b(kStripW, kStripH, TPixelFormat::pf32bit); b.DC(); }, {}},
      {"make_skin_bitmap_title_stretched", [&] { MakeSkinBitmap(strip, *device, margins, 1, 2, false, true); }, {}},
      {"make_skin_bitmap_title_tiled", [&] { MakeSkinBitmap(strip, *device, margins, 1, 2, true, true); }, {}},
      {"make_skin_bitmap_title_tiled_from_24bit",
       [&] { MakeSkinBitmap(strip, *dib24, margins, 1, 2, true, true); }, {}},
      {"draw_skin_rect_title_stretched",
       [&] { DrawSkinRect(screen, at, *device, margins, 2, 2, false, false, true); }, {}},
      {"draw_skin_rect_title_tiled", [&] { DrawSkinRect(screen, at, *device, margins, 2, 2, false, true, true); }, {}},
      {"draw_skin_rect_title_tiled_from_24bit",
       [&] { DrawSkinRect(screen, at, *dib24, margins, 2, 2, false, true, true); }, {}},
      {"draw_skin_rect_title_transparent_maskblt_window",
       [&] { transparent(TTransparentMethod::tmMaskBlt, screen); }, {}},
      {"draw_skin_rect_title_transparent_maskblt_offscreen",
       [&] { transparent(TTransparentMethod::tmMaskBlt, offscreen.DC()); }, {}},
      {"draw_skin_rect_title_transparent_three_blits_offscreen",
       [&] { transparent(TTransparentMethod::tmThreeBlits, offscreen.DC()); }, {}},
  };

  constexpr int kRounds = 9, kCalls = 200;
  for (int round = -1; round < kRounds; ++round) {  // round -1 warms caches and buffers
    for (TCase& c : cases) {
      const Clock::time_point t0 = Clock::now();
      for (int i = 0; i < kCalls; ++i) c.run();
      GdiFlush();
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / kCalls;
      if (round >= 0) c.us.push_back(us);
    }
  }

  const double base = Median(cases[0].us);
  std::printf("%s: %.2f us\n", cases[0].name.c_str(), base);
  for (size_t i = 1; i < cases.size(); ++i) {
    const double v = Median(cases[i].us);
    std::printf("%s: %.2f us  ratio %.2f to %s\n", cases[i].name.c_str(), v, v / base, cases[0].name.c_str());
  }

  // ---- Skin loading ----
  // The built-in skin from its package to every skin object, beside decompressing it alone.
  TMemoryStream package;
  package.LoadFromFile(QN_SKIN_DIR "/builtin.skn");
  std::vector<double> unpack_us, load_us;
  for (int round = -1; round < kRounds; ++round) {
    Clock::time_point t0 = Clock::now();
    for (int i = 0; i < 20; ++i) {
      TMemoryStream archive;
      package.SetPosition(0);
      LZHDecompress(package, archive);
    }
    Clock::time_point t1 = Clock::now();
    for (int i = 0; i < 20; ++i) {
      TSkinObjects skin;
      TSkinReader reader;
      package.SetPosition(0);
      if (!reader.Loadfromstream(package)) return 1;
      TQuickIni ini;
      TMemoryStream ms;
      std::wstring fname;
      reader.readIni(L".ini", ms, fname);
      ms.SetPosition(0);
      ini.LoadFromStream(&ms);
      ReadSkin(reader, ini, skin);
    }
    GdiFlush();
    Clock::time_point t2 = Clock::now();
    if (round < 0) continue;
    unpack_us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count() / 20);
    load_us.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count() / 20);
  }
  const double unpack = Median(unpack_us), load = Median(load_us);
  std::printf("decompress_builtin_skin: %.1f us\n", unpack);
  std::printf("load_builtin_skin: %.1f us  ratio %.2f to decompress_builtin_skin\n", load, load / unpack);

  ReleaseDC(wnd, screen);
  DestroyWindow(wnd);
  return 0;
}
