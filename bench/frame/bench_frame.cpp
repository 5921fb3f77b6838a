// A full frame paint of a skinned window the size of the program's main window, beside one
// blit of the whole window, measured in one run under the same load.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qn;

// The main window's client area (Unit1.dfm).
constexpr int kClientW = 665, kClientH = 612;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct TCase {
  std::string name;
  std::function<void()> run;
  std::vector<double> us;  // per call, one figure a round
};

// Median microseconds per call of each case, the cases taking turns round by round so that
// a change of load touches all of them alike.
void Measure(std::vector<TCase>& cases, int rounds, int calls) {
  for (int round = -1; round < rounds; ++round) {  // round -1 warms caches and buffers
    for (TCase& c : cases) {
      const Clock::time_point t0 = Clock::now();
      for (int i = 0; i < calls; ++i) c.run();
      GdiFlush();
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / calls;
      if (round >= 0) c.us.push_back(us);
    }
  }
}

void Report(const std::vector<TCase>& cases) {
  const double base = Median(cases[0].us);
  std::printf("%s: %.2f us\n", cases[0].name.c_str(), base);
  for (size_t i = 1; i < cases.size(); ++i) {
    const double v = Median(cases[i].us);
    std::printf("%s: %.2f us  ratio %.2f to %s\n", cases[i].name.c_str(), v, v / base, cases[0].name.c_str());
  }
}

void Pump(const std::function<bool()>& done) { Application->PumpUntil(done, 5000); }

// One start of the program's main window, to its first complete paint, as the program starts
// (a fresh skin manager each time); with skinned false the stored skin loads but is not
// applied, as with Active stored false.
double StartOnce(bool skinned) {
  const Clock::time_point t0 = Clock::now();
  Form1 = Application->CreateForm<TForm1>();
  auto* data = Form1->Find<TSkinData>("SkinData1");
  if (!skinned) data->SetActive(false);
  Form1->Show();
  HWND wnd = Form1->Handle();
  Pump([&] {
    if (skinned) {
      TWinSkinForm* f = SkinManager() ? SkinManager()->FindForm(wnd) : nullptr;
      if (!f || f->Skinstate != 1) return false;
    }
    return IsWindowVisible(wnd) && !GetUpdateRect(wnd, nullptr, FALSE);
  });
  RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  TCloseAction action = TCloseAction::caFree;
  Form1->FormClose(Form1, action);
  Form1->Free();
  Form1 = nullptr;
  FreeSkinManager();
  Application->ProcessMessages();
  return ms;
}

}  // namespace

int main() {
  InitApplication();
  RegisterControlClasses();
  RegisterSkinClasses();
  auto* data = new TSkinData(nullptr);
  data->LoadFromFile(Utf8ToWide(QN_SKIN_DIR "/builtin.skn"));
  if (data->Empty()) return 1;

  // ---- Frame paint ----
  auto* form = new TForm(Application);
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  form->SetBorderIcons(1u << biSystemMenu);
  form->SetCaption(L"青囊珍藏");
  form->SetLeft(20);
  form->SetTop(20);
  form->SetClientWidth(kClientW);
  form->SetClientHeight(kClientH);
  form->Show();
  HWND wnd = form->Handle();
  auto* sf = new TWinSkinForm(form);
  sf->Hwnd = wnd;
  sf->formclass = GetWndClassName(wnd);
  sf->InitTform(data, form);
  PostMessageW(wnd, WM_SKINSTART, 0, 1000);
  Pump([&] { return sf->Skinstate == 1 && !GetUpdateRect(wnd, nullptr, FALSE); });
  const RECT wr = HwndWindowRect(wnd);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  std::printf("window: %d x %d, frame %ld/%ld/%ld/%ld\n", w, h, sf->bw.left, sf->bw.top, sf->bw.right,
              sf->bw.bottom);

  TBitmap picture(w, h, TPixelFormat::pfDevice);
  HDC window_dc = GetWindowDC(wnd);
  std::vector<TCase> cases = {
      {"blit_whole_window", [&] { BitBlt(window_dc, 0, 0, w, h, picture.DC(), 0, 0, SRCCOPY); }, {}},
      // What WM_NCPAINT does: the window's DC taken, borders, title bar with its text and
      // buttons composed off screen and copied, the DC given back.
      {"frame_paint_main_window", [&] { sf->PaintFrame(); }, {}},
      {"frame_paint_main_window_inactive", [&] {
         sf->FWindowActive = false;
         sf->PaintFrame();
         sf->FWindowActive = true;
       }, {}},
  };
  Measure(cases, 9, 100);
  Report(cases);
  ReleaseDC(wnd, window_dc);

  form->Free();

  // ---- Start-up with the skin beside start-up with Active false ----
  RegisterDataClasses();
  RegisterComponentClass(TForm1::StaticClass());
  Application->SetTitle(L"青囊珍藏查询 V1.0");
  Application->MessageBoxHook = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };
  StartOnce(true);  // warms the system's and Wine's caches
  StartOnce(false);
  std::vector<double> plain, skinned;
  for (int round = 0; round < 15; ++round) {
    plain.push_back(StartOnce(false));
    skinned.push_back(StartOnce(true));
  }
  const double p = Median(plain), k = Median(skinned);
  std::printf("startup_plain: %.2f ms\n", p);
  std::printf("startup_skinned: %.2f ms  ratio %.2f to startup_plain\n", k, k / p);

  DoneApplication();
  delete data;
  FreeSkinManager();
  return 0;
}
