// Pictures of the recipe program's main window in one of our skins, active or inactive, for
// the README. It runs the program's own window in this process, loads the skin into the
// window's skin-data component, and copies the window from the screen once it has painted.
// Usage: skinshot SKIN-FILE|builtin OUT.bmp [--inactive]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "platform/core/TextConv.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"

namespace {

using namespace qn;

bool SaveWindow(HWND wnd, const wchar_t* path) {
  RECT r;
  GetWindowRect(wnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  TBitmap shot(w, h, TPixelFormat::pf24bit);
  HDC screen = GetDC(nullptr);
  BitBlt(shot.DC(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  TBmpImage img;
  img.width = w;
  img.height = h;
  img.bgr.resize(size_t(w) * size_t(h) * 3);
  for (int y = 0; y < h; ++y) memcpy(&img.bgr[size_t(y) * size_t(w) * 3], shot.ScanLine(y), size_t(w) * 3);
  std::vector<uint8_t> file = EncodeBmp24(img);
  FILE* f = _wfopen(path, L"wb");
  if (!f) return false;
  bool ok = fwrite(file.data(), 1, file.size(), f) == file.size();
  return fclose(f) == 0 && ok;
}

bool Skinned(HWND wnd) {
  TSkinManage* m = SkinManager();
  TWinSkinForm* f = m ? m->FindForm(wnd) : nullptr;
  return f && f->Skinstate == 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: skinshot SKIN-FILE|builtin OUT.bmp [--inactive]\n");
    return 2;
  }
  const std::wstring skin = argv[1];
  const bool inactive = argc > 3 && std::wstring(argv[3]) == L"--inactive";
  InitApplication();
  RegisterControlClasses();
  RegisterDataClasses();
  RegisterSkinClasses();
  RegisterComponentClass(TForm1::StaticClass());
  Application->SetTitle(L"青囊珍藏查询 V1.0");
  Application->MessageBoxHook = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };
  Form1 = Application->CreateForm<TForm1>();
  Form1->Show();
  HWND wnd = Form1->Handle();
  if (!Application->PumpUntil([&] { return Skinned(wnd); }, 10000)) return 1;
  if (skin != L"builtin") {
    auto* data = Form1->Find<TSkinData>("SkinData1");
    data->SetSkinFile(skin);
    if (data->Empty()) {
      fwprintf(stderr, L"skinshot: cannot load %ls\n", skin.c_str());
      return 1;
    }
    SkinManager()->RunPendingAction();
  }
  // A click into the grid shows a recipe, as in the other pictures.
  if (Form1->DBGrid1->HandleAllocated()) {
    RECT cell = Form1->DBGrid1->CellRect(1, Form1->DBGrid1->FixedRows() + 2);
    LPARAM at = MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2);
    SendMessageW(Form1->DBGrid1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(Form1->DBGrid1->Handle(), WM_LBUTTONUP, 0, at);
  }
  HWND other = nullptr;
  if (inactive) {
    // Another window takes the activation, off to the side of the desktop.
    other = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
  }
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  DWORD until = GetTickCount() + 500;
  Application->PumpUntil([&] { return GetTickCount() >= until; }, 1000);
  bool ok = SaveWindow(wnd, argv[2]);
  if (other) DestroyWindow(other);
  Form1->Close();
  TCloseAction action = TCloseAction::caHide;
  Form1->FormClose(Form1, action);
  DoneApplication();
  FreeSkinManager();
  return ok ? 0 : 1;
}
