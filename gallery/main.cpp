// The skin gallery's entry. "--skin NAME" starts with the package NAME.skn of the skins folder
// instead of the built-in skin.
#include <windows.h>

#include "gallery/GalleryForm.h"
#include "skin/manager/WinSkinDlg.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace qn;
  std::wstring start;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 1; i + 1 < argc; ++i)
      if (std::wstring(argv[i]) == L"--skin") start = argv[i + 1];
    LocalFree(argv);
  }
  InitApplication();
  RegisterControlClasses();
  RegisterSkinClasses();
  try {
    Application->Initialize();
    Application->SetTitle(L"Skin gallery");
    auto* form = new TGalleryForm(Application, start);
    Application->SetMainForm(form);
    form->Show();
    Application->Run();
  } catch (const std::exception& e) {
    Application->HandleException(&e);
  }
  DoneApplication();
  FreeSkinManager();
  return 0;
}
