// Start-up to the first painted main window, and one keyword search over all records, each
// beside the same figure with an empty database; and one step of dragging the grid's thumb
// beside one blit of the grid's size. Each pair is measured in one run under the same load.
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/DataFile.h"
#include "platform/win/Graphics.h"
#include "platform/win/WinUtil.h"
#include "skin/draw/SkinDraw.h"
#include "app/Unit1.h"
#include "skin/data/WinSkinData.h"
#include "skin/manager/WinSkinDlg.h"
#include "bench/WaitingForPaint.h"
#include "platform/core/TextConv.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qn;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Figures {
  double startup, search;
};

// One start of the program's main window and its close; returns the start-up time and
// the median of several searches.
Figures RunOnce(const wchar_t* resource, int searches) {
  gDataResource = resource;
  Clock::time_point t0 = Clock::now();
  Form1 = Application->CreateForm<TForm1>();
  Form1->Show();
  UpdateWindow(Form1->Handle());  // paints now, children included
  RedrawWindow(Form1->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  double startup = Ms(Clock::now() - t0);

  std::vector<double> times;
  for (int i = 0; i < searches; ++i) {
    Form1->searchkeyword->SetText(i % 2 ? L"风湿" : L"活血");
    Clock::time_point s0 = Clock::now();
    Form1->Button_SearchClick(Form1->Button_Search);
    Clock::time_point s1 = Clock::now();
    // What the message loop does next: the grid's layout, then the paints.
    Application->ProcessMessages();
    RedrawWindow(Form1->DBGrid1->Handle(), nullptr, nullptr, RDW_UPDATENOW);
    times.push_back(Ms(Clock::now() - s0));
    if (getenv("QN_BENCH_DETAIL")) std::fprintf(stderr, "search %.2f paint %.2f\n", Ms(s1 - s0), Ms(Clock::now() - s1));
  }
  TCloseAction action = TCloseAction::caFree;
  Form1->FormClose(Form1, action);
  Form1->Free();
  Form1 = nullptr;
  Application->ProcessMessages();
  return {startup, Median(times)};
}

// One step of a thumb drag on the grid's vertical bar, as the platform's tracking loop makes
// it: the track position moves a few rows, the grid follows it (SB_THUMBTRACK), and the
// paints that this leaves are done. Beside it, one blit of the grid's size to the grid.
void DragSteps() {
  gDataResource = L"_";
  Form1 = Application->CreateForm<TForm1>();
  Form1->Show();
  Application->ProcessMessages();
  RedrawWindow(Form1->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const HWND form = Form1->Handle(), grid = Form1->DBGrid1->Handle();
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(grid, SB_VERT, &si);
  const int last = std::max(1, si.nMax - static_cast<int>(si.nPage) + 1);
  int pos = 0, dir = 3;
  auto step = [&] {
    pos += dir;
    if (pos < 0 || pos > last) {
      dir = -dir;
      pos += 2 * dir;
    }
    // Outside a real drag the track position is the bar's position.
    SetScrollPos(grid, SB_VERT, pos, FALSE);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos & 0xFFFF), 0);
  };
  auto paint = [&] { RedrawWindow(form, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); };
  step();
  const std::string waiting = bench::WaitingForPaint(form);
  paint();
  const RECT gr = HwndClientRect(grid);
  TBitmap picture(gr.right, gr.bottom, TPixelFormat::pfDevice);
  HDC dc = GetDC(grid);
  // What any paint of the grid costs however little it draws: one pixel of it made invalid and
  // painted the same way, the overlay following as it does after every paint of the grid.
  auto one_pixel = [&] {
    const RECT one{0, 0, 1, 1};
    InvalidateRect(grid, &one, FALSE);
    paint();
  };
  std::vector<double> steps, blits, pixels;
  for (int round = -1; round < 9; ++round) {
    Clock::time_point t0 = Clock::now();
    for (int i = 0; i < 20; ++i) {
      step();
      paint();
    }
    GdiFlush();
    Clock::time_point t1 = Clock::now();
    for (int i = 0; i < 20; ++i) BitBlt(dc, 0, 0, gr.right, gr.bottom, picture.DC(), 0, 0, SRCCOPY);
    GdiFlush();
    Clock::time_point t2 = Clock::now();
    for (int i = 0; i < 20; ++i) one_pixel();
    GdiFlush();
    Clock::time_point t3 = Clock::now();
    if (round < 0) continue;
    steps.push_back(Ms(t1 - t0) * 1000 / 20);
    blits.push_back(Ms(t2 - t1) * 1000 / 20);
    pixels.push_back(Ms(t3 - t2) * 1000 / 20);
  }
  ReleaseDC(grid, dc);
  const double b = Median(blits), d = Median(steps), p = Median(pixels);
  std::printf("blit_grid_size: %.1f us  (%ld x %ld)\n", b, gr.right, gr.bottom);
  std::printf("one_pixel_paint: %.1f us  ratio %.2f to blit_grid_size\n", p, p / b);
  std::printf("thumb_drag_step: %.1f us  ratio %.2f to blit_grid_size, %.2f to one_pixel_paint  (repainted: %s)\n", d,
              d / b, d / p, waiting.c_str());
  TCloseAction action = TCloseAction::caFree;
  Form1->FormClose(Form1, action);
  Form1->Free();
  Form1 = nullptr;
  Application->ProcessMessages();
}

}  // namespace

int main() {
  InitApplication();
  RegisterControlClasses();
  RegisterDataClasses();
  RegisterSkinClasses();
  RegisterComponentClass(TForm1::StaticClass());
  Application->SetTitle(L"青囊珍藏查询 V1.0");
  Application->MessageBoxHook = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };

  RunOnce(L"_", 3);  // warm the caches of the system and of Wine
  std::vector<double> full_start, empty_start, full_search, empty_search;
  for (int round = 0; round < 7; ++round) {
    Figures f = RunOnce(L"_", 9);
    Figures e = RunOnce(L"EMPTY", 9);
    full_start.push_back(f.startup);
    full_search.push_back(f.search);
    empty_start.push_back(e.startup);
    empty_search.push_back(e.search);
  }
  double fs = Median(full_start), es = Median(empty_start), fq = Median(full_search), eq = Median(empty_search);
  std::printf("startup_empty_db: %.2f ms\n", es);
  std::printf("startup_first_paint: %.2f ms  ratio %.2f to startup_empty_db\n", fs, fs / es);
  std::printf("search_empty_db: %.3f ms\n", eq);
  std::printf("search_all_records: %.3f ms  ratio %.2f to search_empty_db  (one frame: 16 ms)\n", fq, fq / eq);
  DragSteps();
  DoneApplication();
  FreeSkinManager();
  return fq < 16.0 ? 0 : 1;
}
