// Each page of the skin gallery repainted whole (the page and every control on it, to the
// screen), skinned beside unskinned; one skinned push button's paint beside one blit of the
// button's size; and one step of a skinned progress bar beside one blit of the bar's size. Skinned and plain take turns round by round, so that a change of load
// touches both alike.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gallery/GalleryForm.h"
#include "bench/WaitingForPaint.h"
#include "platform/core/TextConv.h"
#include "platform/win/RangeCtrls.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinControl.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qn;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Pump(const std::function<bool()>& done) { Application->PumpUntil(done, 5000); }

template <class T>
T* FindControl(TWinControl* container, const std::function<bool(T*)>& match) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(container->Controls(i));
    if (!c) continue;
    if (auto* t = dynamic_cast<T*>(c); t && match(t)) return t;
    if (T* inner = FindControl<T>(c, match)) return inner;
  }
  return nullptr;
}

// Microseconds per call of run, `calls` calls.
double Time(const std::function<void()>& run, int calls) {
  const Clock::time_point t0 = Clock::now();
  for (int i = 0; i < calls; ++i) run();
  GdiFlush();
  return std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / calls;
}

}  // namespace

int main() {
  InitApplication();
  RegisterControlClasses();
  RegisterSkinClasses();
  auto* form = new TGalleryForm(Application, L"");
  Application->SetMainForm(form);
  form->Show();
  TSkinManage* m = SkinManager();
  auto skinned = [&] {
    TWinSkinForm* f = m ? m->FindForm(form->Handle()) : nullptr;
    return f && f->Skinstate == 1;
  };
  Pump(skinned);
  if (!skinned()) {
    std::printf("bench_controls: the gallery was not skinned\n");
    return 1;
  }
  auto* pages = FindControl<TPageControl>(form, [](TPageControl*) { return true; });
  if (!pages) return 1;
  auto settle = [&] { Pump([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }); };
  auto set_skinning = [&](bool on) {
    form->SkinData->SetActive(on);
    m->RunPendingAction();
    Pump([&] { return skinned() == on; });
    settle();
  };

  constexpr int kRounds = 7, kCalls = 20;
  for (int page = 0; page < pages->PageCount(); ++page) {
    pages->SetActivePageIndex(page);
    settle();
    HWND wnd = pages->Handle();
    auto repaint = [&] {
      RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    };
    std::vector<double> plain, skin;
    for (int round = -1; round < kRounds; ++round) {  // round -1 warms caches and buffers
      set_skinning(false);
      const double p = Time(repaint, kCalls);
      set_skinning(true);
      const double s = Time(repaint, kCalls);
      if (round >= 0) {
        plain.push_back(p);
        skin.push_back(s);
      }
    }
    const std::string name = WideToUtf8(pages->Pages(page)->Caption());
    std::printf("page_repaint_plain[%s]: %.1f us\n", name.c_str(), Median(plain));
    std::printf("page_repaint_skinned[%s]: %.1f us  ratio %.2f to page_repaint_plain[%s]\n", name.c_str(),
                Median(skin), Median(skin) / Median(plain), name.c_str());
  }

  // One push button: its skinner's whole paint beside one blit of its size to its window.
  pages->SetActivePageIndex(0);
  settle();
  auto* button = FindControl<TButton>(form, [](TButton* b) { return b->Caption() == L"&Normal"; });
  TSkinControl* skinner = nullptr;
  for (int i = 0; button && i < button->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<TSkinControl*>(button->Components(i))) skinner = s;
  if (!skinner) {
    std::printf("bench_controls: the push button has no skinner\n");
    return 1;
  }
  const int w = button->Width(), h = button->Height();
  TBitmap picture(w, h, TPixelFormat::pfDevice);
  HDC dc = GetWindowDC(button->Handle());
  std::vector<double> blit, paint, own_dc;
  for (int round = -1; round < kRounds; ++round) {
    const double b = Time([&] { BitBlt(dc, 0, 0, w, h, picture.DC(), 0, 0, SRCCOPY); }, 200);
    const double p = Time([&] { skinner->PaintControl(dc); }, 200);
    const double o = Time([&] { skinner->PaintControl(nullptr); }, 200);
    if (round >= 0) {
      blit.push_back(b);
      paint.push_back(p);
      own_dc.push_back(o);
    }
  }
  ReleaseDC(button->Handle(), dc);
  std::printf("blit_button_size: %.2f us\n", Median(blit));
  std::printf("push_button_paint: %.2f us  ratio %.2f to blit_button_size\n", Median(paint),
              Median(paint) / Median(blit));
  std::printf("push_button_paint_own_dc: %.2f us  ratio %.2f to blit_button_size\n", Median(own_dc),
              Median(own_dc) / Median(blit));

  // A progress bar stepped: the step and the paint it asks for, beside one blit of the bar's
  // size to its window, with the windows that wait for a paint after a step. The bar is stepped
  // 100 times a round, wrapping round at its end.
  for (int page = 0; page < pages->PageCount(); ++page)
    if (FindControl<TProgressBar>(pages->Pages(page), [](TProgressBar*) { return true; })) pages->SetActivePageIndex(page);
  settle();
  auto* bar = FindControl<TProgressBar>(form, [](TProgressBar* b) {
    return b->Orientation() == TProgressBarOrientation::pbHorizontal && b->Showing();
  });
  if (!bar) {
    std::printf("bench_controls: no progress bar is shown\n");
    return 1;
  }
  HWND bar_wnd = bar->Handle();
  const RECT br = HwndClientRect(bar_wnd);
  TBitmap bar_picture(br.right, br.bottom, TPixelFormat::pfDevice);
  HDC bar_dc = GetDC(bar_wnd);
  auto step = [&] {
    if (bar->Position() >= bar->Max()) bar->SetPosition(bar->Min());
    bar->StepIt();
    UpdateWindow(bar_wnd);
  };
  std::string waiting;
  {
    step();
    if (bar->Position() >= bar->Max()) bar->SetPosition(bar->Min());
    bar->StepIt();
    waiting = bench::WaitingForPaint(form->Handle());
    UpdateWindow(bar_wnd);
    settle();
  }
  // What any paint of the bar costs however little it draws: one pixel of it made invalid and
  // painted.
  auto one_pixel = [&] {
    const RECT one{0, 0, 1, 1};
    InvalidateRect(bar_wnd, &one, FALSE);
    UpdateWindow(bar_wnd);
  };
  std::vector<double> bar_blit, steps, pixels;
  for (int round = -1; round < kRounds; ++round) {
    const double b = Time([&] { BitBlt(bar_dc, 0, 0, br.right, br.bottom, bar_picture.DC(), 0, 0, SRCCOPY); }, 100);
    const double t = Time(step, 100);
    const double o = Time(one_pixel, 100);
    if (round >= 0) {
      bar_blit.push_back(b);
      steps.push_back(t);
      pixels.push_back(o);
    }
  }
  ReleaseDC(bar_wnd, bar_dc);
  std::printf("blit_progress_size: %.2f us  (%ld x %ld)\n", Median(bar_blit), br.right, br.bottom);
  std::printf("progress_one_pixel_paint: %.2f us  ratio %.2f to blit_progress_size\n", Median(pixels),
              Median(pixels) / Median(bar_blit));
  std::printf("progress_step: %.2f us  ratio %.2f to blit_progress_size, %.2f to progress_one_pixel_paint  "
              "(waiting for a paint after a step: %s)\n",
              Median(steps), Median(steps) / Median(bar_blit), Median(steps) / Median(pixels), waiting.c_str());
  DoneApplication();
  FreeSkinManager();
  return 0;
}
