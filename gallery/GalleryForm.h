// The gallery's one window: a page for each group of controls the engine skins, each control in
// the states a user can reach; on the left the skins to choose from (the built-in one, then
// every package in the skins folder beside the program) and skinning switched off and on.
#pragma once

#include <string>
#include <vector>

#include "platform/win/Buttons.h"
#include "platform/win/ComCtrls.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/ImgList.h"
#include "platform/win/Menus.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Tabs.h"
#include "skin/data/WinSkinData.h"

namespace qn {

class TGalleryForm : public TForm {
  QN_CLASS(TGalleryForm)
 public:
  // start_skin: the name of the skin to show first (a package's file name without ".skn");
  // empty for the built-in one.
  TGalleryForm(TComponent* owner, const std::wstring& start_skin);

  TSkinData* SkinData = nullptr;
  // The menu bar, the pages' context menu and the MDI window while it is open (GalleryMenus.cpp).
  TMainMenu* MainMenu = nullptr;
  TPopupMenu* PagesMenu = nullptr;
  TForm* MdiFrame = nullptr;
  void OpenMdiWindow();

 private:
  struct TSkinChoice {
    std::wstring name;  // shown
    std::wstring file;  // empty: the built-in skin
  };

  void BuildSkinList(TWinControl* parent);
  void BuildButtonsPage(TTabSheet* page);
  void BuildBoxesPage(TTabSheet* page);
  void BuildTabsPage(TTabSheet* page);
  void BuildListsPage(TTabSheet* page);
  void BuildChecksPage(TTabSheet* page);  // ChecksPage.cpp
  // ToolsPage.cpp lays out the page of tools and ranges from three parts, each in its own area
  // of the page (page coordinates) and its own file.
  void BuildToolsPage(TTabSheet* page);
  void BuildSpeedButtons(TWinControl* page, const RECT& area);     // ToolsSpeed.cpp
  void BuildRanges(TWinControl* page, const RECT& area);           // ToolsRanges.cpp
  void BuildHeaderAndPlayer(TWinControl* page, const RECT& area);  // ToolsHeader.cpp
  void BuildMenus(TPageControl* pages);  // GalleryMenus.cpp, with the handlers below
  void MenuCommand(TObject* sender);
  void UpdateSkinMenu(TObject* sender);
  void MarkMenuItems(TMenuItem* parent);
  void NewMdiChild();
  void MdiCommand(TObject* sender);
  void FreeOnClose(TObject* sender, TCloseAction& action);
  void MdiFrameGone(TObject* sender);
  void ChooseSkin(TObject* sender);
  void SwitchSkinning(TObject* sender);
  void LoadChoice(size_t index);
  void ShowSkinName();

  std::vector<TSkinChoice> choices_;
  std::vector<TRadioButton*> choice_buttons_;
  TCheckBox* skinning_ = nullptr;
  TStatusBar* status_ = nullptr;
  TBitmap glyph_;
  TImageList* menu_images_ = nullptr;
  int mdi_children_made_ = 0;
};

// The built-in skin package, from the program's resources.
bool LoadBuiltinSkin(TSkinData* data);
// Every skin package (*.skn) in the folder, sorted by name.
std::vector<std::wstring> FindSkinPackages(const std::wstring& folder);

}  // namespace qn
