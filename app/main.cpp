// The program's entry: the application object, its title and the main window.
#include <windows.h>

#include "app/Unit1.h"
#include "skin/data/WinSkinData.h"
#include "skin/manager/WinSkinDlg.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace qn;
  InitApplication();
  RegisterControlClasses();
  RegisterDataClasses();
  RegisterSkinClasses();
  RegisterComponentClass(TForm1::StaticClass());
  try {
    Application->Initialize();
    Application->SetTitle(L"青囊珍藏查询 V1.0");
    Form1 = Application->CreateForm<TForm1>();
    Application->Run();
  } catch (const std::exception& e) {
    Application->HandleException(&e);
  }
  DoneApplication();
  FreeSkinManager();
  return 0;
}
