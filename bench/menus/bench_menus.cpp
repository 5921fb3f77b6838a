// Menus skinned beside the same menus plain, measured in one run under the same load: a window
// with a menu bar started up to its first complete paint, a popup menu of 20 items opened until
// it is fully painted, and its selection moved one item down.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/Menus.h"
#include "platform/win/StdCtrls.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qn;

constexpr int kItems = 20;
constexpr int kMoves = 10;  // selection moves per opening

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const std::wstring& caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

void FillMenu(TComponent* owner, TMenuItem* parent) {
  for (int i = 0; i < kItems; ++i) {
    if (i % 7 == 6) {
      AddItem(owner, parent, L"-");
      continue;
    }
    TMenuItem* item = AddItem(owner, parent, L"药酒配方 &" + std::to_wstring(i + 1));
    if (i % 5 == 0) item->SetShortCut(ShortCut(static_cast<WORD>('A' + i), ssCtrl));
    if (i % 4 == 1) item->SetChecked(true);
  }
}

// A form with a menu bar of five entries of 20 items, a popup menu of 20 items and its own skin
// component, started with skinning on or off.
struct TMenuWindow {
  TForm* form = nullptr;
  TPopupMenu* popup = nullptr;
  TEdit* edit = nullptr;

  explicit TMenuWindow(bool skinned) {
    form = new TForm(Application);
    form->SetCaption(L"菜单");
    form->SetBounds(60, 60, 480, 320);
    form->SetPosition(TPosition::poDesigned);
    auto* data = new TSkinData(form);
    data->LoadFromFile(Utf8ToWide(QN_SKIN_DIR "/builtin.skn"));
    auto* bar = new TMainMenu(form);
    for (const wchar_t* entry : {L"&File", L"&Edit", L"&View", L"&Tools", L"&Help"})
      FillMenu(form, AddItem(form, bar->Items(), entry));
    form->SetMenu(bar);
    popup = new TPopupMenu(form);
    FillMenu(form, popup->Items());
    edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(20, 20, 200, 24);
    popup->SetPopupComponent(edit);
    data->SetActive(skinned);
    data->Loaded();
    form->Show();
    HWND wnd = form->Handle();
    Application->PumpUntil([&] {
      if (skinned) {
        TWinSkinForm* f = SkinManager() ? SkinManager()->FindForm(wnd) : nullptr;
        if (!f || f->Skinstate != 1) return false;
      }
      return IsWindowVisible(wnd) && !GetUpdateRect(wnd, nullptr, FALSE);
    }, 5000);
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  ~TMenuWindow() {
    form->Free();
    FreeSkinManager();
    Application->ProcessMessages();
  }
};

double StartOnce(bool skinned) {
  const Clock::time_point t0 = Clock::now();
  TMenuWindow w(skinned);
  return Ms(Clock::now() - t0);
}

// Times taken inside the popup's own loop: it tells its owner each time it has nothing left to
// do (WM_ENTERIDLE), so every paint that an opening or a key asked for is done by then.
struct TPopupTimes {
  TWndMethod old;
  Clock::time_point mark;
  int idles = 0;
  std::vector<double> open, move;

  void Proc(TMessage& m) {
    if (m.Msg == WM_ENTERIDLE && m.WParam == MSGF_MENU) {
      const Clock::time_point now = Clock::now();
      if (idles == 0) open.push_back(Ms(now - mark));
      else if (idles > 1) move.push_back(Ms(now - mark));  // the first key only selects
      if (idles++ < kMoves + 1) {
        mark = Clock::now();
        PostMessageW(reinterpret_cast<HWND>(m.LParam), WM_KEYDOWN, VK_DOWN, 0);
      } else {
        EndMenu();
      }
      m.Result = 0;
      return;
    }
    old(m);
  }
};

void PopupRounds(bool skinned, int rounds, std::vector<double>& open, std::vector<double>& move) {
  TMenuWindow w(skinned);
  TPopupTimes times;
  times.old = w.form->WindowProc;
  w.form->WindowProc = TWndMethod::Bind<&TPopupTimes::Proc>(&times);
  const POINT at = w.edit->ClientToScreen(POINT{10, 10});
  for (int i = 0; i < rounds; ++i) {
    times.idles = 0;
    times.mark = Clock::now();
    w.popup->Popup(at.x, at.y);
    Application->ProcessMessages();
  }
  w.form->WindowProc = times.old;
  open.push_back(Median(times.open));
  move.push_back(Median(times.move));
}

}  // namespace

int main() {
  InitApplication();
  RegisterControlClasses();
  RegisterSkinClasses();
  StartOnce(true);  // warms the system's and Wine's caches
  StartOnce(false);
  std::vector<double> plain, skinned;
  for (int round = 0; round < 9; ++round) {
    plain.push_back(StartOnce(false));
    skinned.push_back(StartOnce(true));
  }
  const double p = Median(plain), k = Median(skinned);
  std::printf("startup_menubar_plain: %.2f ms\n", p);
  std::printf("startup_menubar_skinned: %.2f ms  ratio %.2f to startup_menubar_plain\n", k, k / p);

  std::vector<double> open_plain, open_skinned, move_plain, move_skinned;
  for (int round = 0; round < 5; ++round) {
    PopupRounds(false, 5, open_plain, move_plain);
    PopupRounds(true, 5, open_skinned, move_skinned);
  }
  const double op = Median(open_plain), ok = Median(open_skinned);
  const double mp = Median(move_plain), mk = Median(move_skinned);
  std::printf("popup_open_plain: %.2f ms  (%d items, until painted)\n", op, kItems);
  std::printf("popup_open_skinned: %.2f ms  ratio %.2f to popup_open_plain\n", ok, ok / op);
  std::printf("selection_move_plain: %.3f ms\n", mp);
  std::printf("selection_move_skinned: %.3f ms  ratio %.2f to selection_move_plain\n", mk, mk / mp);
  DoneApplication();
  return 0;
}
