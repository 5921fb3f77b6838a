// The gallery's menus: a menu bar with every kind of entry (shortcuts, disabled, separator,
// submenu, images, a default item, check and radio items, one radio item per skin), a context
// menu on the pages, and an MDI window with two children and a Window menu.
#include "gallery/GalleryForm.h"

#include "platform/win/GdiObjects.h"
#include "platform/win/ImgList.h"
#include "platform/win/Menus.h"

namespace qn {

namespace {

// What an item does, kept in its Tag; the skin items are kSkinBase + the choice's index.
enum TGalleryCommand {
  kNone, kOpen, kSave, kRecent, kExit, kUndo, kCut, kCopy, kPaste, kSelectAll, kStatusBar,
  kToolTips, kSize, kAbout, kMdi, kMdiNew, kMdiClose, kCascade, kTile, kNext,
  kSkinBase = 1000
};

// Three 16x16 pictures on magenta, which the list leaves out: scissors, two sheets, a board.
void DrawEditGlyphs(TBitmap& strip) {
  strip.SetPixelFormat(TPixelFormat::pf24bit);
  strip.SetSize(48, 16);
  HDC dc = strip.DC();
  FillSolidRect(dc, {0, 0, 48, 16}, RGB(255, 0, 255));
  TPenHandle ink = MakePen(PS_SOLID, 1, RGB(32, 32, 96));
  TBrushHandle paper = MakeSolidBrush(RGB(255, 255, 255));
  TBrushHandle wood = MakeSolidBrush(RGB(176, 112, 48));
  TScopedSelect pen_in(dc, ink.Get());
  {
    TScopedSelect brush_in(dc, paper.Get());
    MoveToEx(dc, 4, 1, nullptr);  // scissors: two blades, two rings
    LineTo(dc, 10, 10);
    MoveToEx(dc, 11, 1, nullptr);
    LineTo(dc, 5, 10);
    Ellipse(dc, 1, 9, 7, 15);
    Ellipse(dc, 9, 9, 15, 15);
    Rectangle(dc, 17, 1, 27, 11);  // two sheets
    Rectangle(dc, 21, 5, 31, 15);
  }
  TScopedSelect brush_in(dc, wood.Get());
  Rectangle(dc, 35, 2, 46, 15);  // a clipboard with a sheet on it
  FillSolidRect(dc, {37, 5, 44, 13}, RGB(255, 255, 255));
  FillSolidRect(dc, {38, 1, 43, 4}, RGB(96, 96, 96));
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const std::wstring& caption, int command,
                   TNotifyEvent on_click, TShortCut shortcut = scNone) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetTag(command);
  item->SetShortCut(shortcut);
  item->OnClick = on_click;
  parent->Add(item);
  return item;
}

}  // namespace

void TGalleryForm::BuildMenus(TPageControl* pages) {
  menu_images_ = new TImageList(this);
  TBitmap strip;
  DrawEditGlyphs(strip);
  menu_images_->AddMasked(&strip, clFuchsia);

  const TNotifyEvent run = TNotifyEvent::Bind<&TGalleryForm::MenuCommand>(this);
  MainMenu = new TMainMenu(this);
  MainMenu->SetImages(menu_images_);
  TMenuItem* root = MainMenu->Items();

  TMenuItem* file = AddItem(this, root, L"&File", kNone, {});
  AddItem(this, file, L"&Open...", kOpen, run, ShortCut('O', ssCtrl));
  AddItem(this, file, L"&Save", kSave, run, ShortCut('S', ssCtrl))->SetEnabled(false);
  AddItem(this, file, L"-", kNone, {});
  TMenuItem* recent = AddItem(this, file, L"&Recent", kNone, {});
  for (const wchar_t* name : {L"&1 Tiger-bone wine", L"&2 Ginseng wine", L"&3 Wolfberry wine"})
    AddItem(this, recent, name, kRecent, run);
  AddItem(this, file, L"&MDI window...", kMdi, run);
  AddItem(this, file, L"-", kNone, {});
  AddItem(this, file, L"E&xit", kExit, run, ShortCut(VK_F4, ssAlt));

  TMenuItem* edit = AddItem(this, root, L"&Edit", kNone, {});
  AddItem(this, edit, L"&Undo", kUndo, run, ShortCut('Z', ssCtrl));
  AddItem(this, edit, L"-", kNone, {});
  AddItem(this, edit, L"Cu&t", kCut, run, ShortCut('X', ssCtrl))->SetImageIndex(0);
  AddItem(this, edit, L"&Copy", kCopy, run, ShortCut('C', ssCtrl))->SetImageIndex(1);
  AddItem(this, edit, L"&Paste", kPaste, run, ShortCut('V', ssCtrl))->SetImageIndex(2);
  AddItem(this, edit, L"-", kNone, {});
  AddItem(this, edit, L"Select &all", kSelectAll, run, ShortCut('A', ssCtrl))->SetDefault(true);

  TMenuItem* view = AddItem(this, root, L"&View", kNone, {});
  AddItem(this, view, L"&Status bar", kStatusBar, run)->SetChecked(true);
  AddItem(this, view, L"&Tool tips", kToolTips, run);
  AddItem(this, view, L"-", kNone, {});
  for (const wchar_t* size : {L"S&mall", L"M&edium", L"&Large"}) {
    TMenuItem* item = AddItem(this, view, size, kSize, run);
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    item->SetAutoCheck(true);
    item->SetChecked(std::wstring(size) == L"M&edium");
  }

  // Opening the Skin menu first brings its check up to date with the skin list.
  TMenuItem* skins = AddItem(this, root, L"&Skin", kNone, TNotifyEvent::Bind<&TGalleryForm::UpdateSkinMenu>(this));
  for (size_t i = 0; i < choices_.size(); ++i) {
    TMenuItem* item = AddItem(this, skins, choices_[i].name, kSkinBase + static_cast<int>(i), run);
    item->SetRadioItem(true);
    item->SetGroupIndex(2);
  }
  UpdateSkinMenu(skins);

  TMenuItem* help = AddItem(this, root, L"&Help", kNone, {});
  AddItem(this, help, L"&About...", kAbout, run, ShortCut(VK_F1, 0));
  SetMenu(MainMenu);

  PagesMenu = new TPopupMenu(this);
  PagesMenu->SetImages(menu_images_);
  AddItem(this, PagesMenu->Items(), L"&Copy", kCopy, run)->SetImageIndex(1);
  TMenuItem* tips = AddItem(this, PagesMenu->Items(), L"&Tool tips", kToolTips, run);
  tips->SetChecked(ShowHint());
  AddItem(this, PagesMenu->Items(), L"-", kNone, {});
  TMenuItem* pick = AddItem(this, PagesMenu->Items(), L"&Skin", kNone, {});
  for (size_t i = 0; i < choices_.size(); ++i)
    AddItem(this, pick, choices_[i].name, kSkinBase + static_cast<int>(i), run)->SetRadioItem(true);
  PagesMenu->OnPopup = TNotifyEvent::Bind<&TGalleryForm::UpdateSkinMenu>(this);
  pages->SetPopupMenu(PagesMenu);
}

void TGalleryForm::UpdateSkinMenu(TObject*) {
  for (TMenu* m : {static_cast<TMenu*>(MainMenu), static_cast<TMenu*>(PagesMenu)})
    if (m) MarkMenuItems(m->Items());
}

void TGalleryForm::MarkMenuItems(TMenuItem* parent) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    const int choice = item->Tag() - kSkinBase;
    if (choice >= 0 && static_cast<size_t>(choice) < choice_buttons_.size())
      item->SetChecked(choice_buttons_[static_cast<size_t>(choice)]->Checked());
    if (item->Tag() == kToolTips) item->SetChecked(ShowHint());
    MarkMenuItems(item);
  }
}

void TGalleryForm::MenuCommand(TObject* sender) {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item) return;
  auto say = [this](const std::wstring& text) {
    if (auto* panel = static_cast<TStatusPanel*>(status_->Panels()->Items(1))) panel->SetText(text);
  };
  auto to_focus = [](UINT msg) {
    if (HWND focus = GetFocus()) SendMessageW(focus, msg, 0, 0);
  };
  const int command = item->Tag();
  if (command >= kSkinBase) {
    // The list does the switching, and the menus follow the list.
    const size_t choice = static_cast<size_t>(command - kSkinBase);
    if (choice < choice_buttons_.size()) choice_buttons_[choice]->SetChecked(true);
    UpdateSkinMenu(item);
    return;
  }
  switch (command) {
    case kOpen: say(L"Open... chosen"); break;
    case kRecent: say(L"Recent: " + item->Caption().substr(3)); break;
    case kExit: Close(); break;
    case kUndo: to_focus(WM_UNDO); break;
    case kCut: to_focus(WM_CUT); break;
    case kCopy: to_focus(WM_COPY); break;
    case kPaste: to_focus(WM_PASTE); break;
    case kSelectAll:
      if (HWND focus = GetFocus()) SendMessageW(focus, EM_SETSEL, 0, -1);
      break;
    case kStatusBar:
      status_->SetVisible(!status_->Visible());
      item->SetChecked(status_->Visible());
      break;
    case kToolTips:
      SetShowHint(!ShowHint());
      UpdateSkinMenu(item);
      break;
    case kSize: say(L"Size: " + item->Caption()); break;
    case kAbout: Application->MessageBox(L"The skin gallery: every control the engine skins.", L"About", MB_OK); break;
    case kMdi: OpenMdiWindow(); break;
    default: break;
  }
}

// ---- The MDI window ----

void TGalleryForm::OpenMdiWindow() {
  if (MdiFrame) {
    MdiFrame->Show();
    return;
  }
  auto* frame = new TForm(this);
  frame->SetFormStyle(TFormStyle::fsMDIForm);
  frame->SetCaption(L"MDI window");
  frame->SetBounds(Left() + 40, Top() + 40, 560, 400);
  frame->SetPosition(TPosition::poDesigned);
  frame->OnClose = TCloseEvent::Bind<&TGalleryForm::FreeOnClose>(this);
  frame->OnDestroy = TNotifyEvent::Bind<&TGalleryForm::MdiFrameGone>(this);

  const TNotifyEvent run = TNotifyEvent::Bind<&TGalleryForm::MdiCommand>(this);
  auto* bar = new TMainMenu(frame);
  TMenuItem* file = AddItem(frame, bar->Items(), L"&File", kNone, {});
  AddItem(frame, file, L"&New child", kMdiNew, run, ShortCut('N', ssCtrl));
  AddItem(frame, file, L"&Close window", kMdiClose, run);
  TMenuItem* window = AddItem(frame, bar->Items(), L"&Window", kNone, {});
  AddItem(frame, window, L"&Cascade", kCascade, run);
  AddItem(frame, window, L"&Tile", kTile, run);
  AddItem(frame, window, L"&Next", kNext, run, ShortCut(VK_F6, ssCtrl));
  frame->SetMenu(bar);
  frame->SetWindowMenu(window);
  MdiFrame = frame;
  frame->Show();
  for (int i = 0; i < 2; ++i) NewMdiChild();
}

void TGalleryForm::NewMdiChild() {
  if (!MdiFrame) return;
  auto* child = new TForm(MdiFrame);
  child->SetFormStyle(TFormStyle::fsMDIChild);
  child->SetCaption(L"Child " + std::to_wstring(++mdi_children_made_));
  child->SetBounds(0, 0, 260, 180);
  child->OnClose = TCloseEvent::Bind<&TGalleryForm::FreeOnClose>(this);
  auto* note = new TMemo(child);
  note->SetParent(child);
  note->SetAlign(TAlign::alClient);
  note->SetLines({L"An MDI child: maximise it and its buttons move into the frame's menu bar."});
  child->Show();
}

void TGalleryForm::MdiCommand(TObject* sender) {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item || !MdiFrame) return;
  switch (item->Tag()) {
    case kMdiNew: NewMdiChild(); break;
    case kMdiClose: MdiFrame->Close(); break;
    case kCascade: MdiFrame->Cascade(); break;
    case kTile: MdiFrame->Tile(); break;
    case kNext: MdiFrame->Next(); break;
    default: break;
  }
}

void TGalleryForm::FreeOnClose(TObject*, TCloseAction& action) { action = TCloseAction::caFree; }

void TGalleryForm::MdiFrameGone(TObject*) { MdiFrame = nullptr; }

}  // namespace qn
