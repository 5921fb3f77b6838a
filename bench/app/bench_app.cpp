// Start-up to the first painted main window, and one keyword search over all records, each
// beside the same figure with an empty database, measured in one run under the same load.
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/DataFile.h"
#include "app/Unit1.h"
#include "skin/data/WinSkinData.h"
#include "skin/manager/WinSkinDlg.h"
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
  DoneApplication();
  FreeSkinManager();
  return fq < 16.0 ? 0 : 1;
}
