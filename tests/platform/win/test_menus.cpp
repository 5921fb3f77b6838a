// Menus, image lists and MDI forms of the class library, on real windows: the native menus
// built from the items, commands, shortcut keys, owner drawing, context menus, and the
// handles they leave behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/win/Forms.h"
#include "platform/win/ImgList.h"
#include "platform/win/Menus.h"
#include "platform/win/PropAccess.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/WinUtil.h"

namespace qn {
namespace {

// Counts a notify event's calls.
struct TClicks {
  int count = 0;
  TObject* last = nullptr;
  void Hit(TObject* sender) {
    ++count;
    last = sender;
  }
  TNotifyEvent Event() { return TNotifyEvent::Bind<&TClicks::Hit>(this); }
};

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::wstring& caption, TShortCut shortcut = scNone) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(shortcut);
  parent->Add(item);
  return item;
}

// The native entry at a position, with its text.
struct TEntry {
  MENUITEMINFOW info{};
  std::wstring text;
};

TEntry EntryAt(HMENU menu, int pos) {
  TEntry e;
  wchar_t buf[128] = {};
  e.info.cbSize = sizeof e.info;
  e.info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
  e.info.dwTypeData = buf;
  e.info.cch = 127;
  GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &e.info);
  e.text = buf;
  return e;
}

// A form with an edit, a main menu like the gallery's, and the items tests reach for.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    form = Application->CreateForm<TForm>();
    form->SetBounds(100, 100, 420, 300);
    form->SetCaption(L"菜单");
    edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(8, 8, 200, 24);
    menu = new TMainMenu(form);
    TMenuItem* root = menu->Items();
    file = NewItem(form, root, L"&File");
    open = NewItem(form, file, L"&Open...");
    save = NewItem(form, file, L"&Save", ShortCut('S', ssCtrl));
    save->SetEnabled(false);
    NewItem(form, file, L"-");
    recent = NewItem(form, file, L"&Recent");
    for (const wchar_t* r : {L"one.txt", L"two.txt", L"three.txt"}) NewItem(form, recent, r);
    exit = NewItem(form, file, L"E&xit", ShortCut(VK_F4, ssAlt));
    view = NewItem(form, root, L"&View");
    status = NewItem(form, view, L"&Status bar");
    status->SetChecked(true);
    for (const wchar_t* s : {L"Small", L"Medium", L"Large"}) {
      TMenuItem* r = NewItem(form, view, s);
      r->SetRadioItem(true);
      r->SetGroupIndex(1);
      sizes.push_back(r);
    }
    sizes[1]->SetChecked(true);
    sizes[1]->SetDefault(true);
    copy = NewItem(form, view, L"&Copy", ShortCut('C', ssCtrl));
    form->SetMenu(menu);
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000));
  }
  void TearDown() override { DoneApplication(); }

  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TMainMenu* menu = nullptr;
  TMenuItem *file = nullptr, *open = nullptr, *save = nullptr, *recent = nullptr, *exit = nullptr;
  TMenuItem *view = nullptr, *status = nullptr, *copy = nullptr;
  std::vector<TMenuItem*> sizes;
};

TEST_F(MenuTest, TheWindowShowsTheNativeMenuBuiltFromTheItems) {
  HMENU bar = GetMenu(form->Handle());
  ASSERT_EQ(bar, menu->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(EntryAt(bar, 0).text, L"&File");
  EXPECT_EQ(EntryAt(bar, 0).info.hSubMenu, file->Handle());

  struct TCase {
    HMENU menu;
    int pos;
    std::wstring text;
    UINT type;   // MFT_ bits that must be set
    UINT state;  // the MFS_ bits of interest, exactly
    int subitems;
  };
  const UINT kStates = MFS_CHECKED | MFS_GRAYED | MFS_DEFAULT;
  const TCase cases[] = {
      {file->Handle(), 0, L"&Open...", MFT_STRING, 0, 0},
      {file->Handle(), 1, L"&Save\tCtrl+S", MFT_STRING, MFS_GRAYED, 0},
      {file->Handle(), 2, L"", MFT_SEPARATOR, 0, 0},
      {file->Handle(), 3, L"&Recent", MFT_STRING, 0, 3},
      {file->Handle(), 4, L"E&xit\tAlt+F4", MFT_STRING, 0, 0},
      {view->Handle(), 0, L"&Status bar", MFT_STRING, MFS_CHECKED, 0},
      {view->Handle(), 1, L"Small", MFT_RADIOCHECK, 0, 0},
      {view->Handle(), 2, L"Medium", MFT_RADIOCHECK, MFS_CHECKED | MFS_DEFAULT, 0},
      {view->Handle(), 4, L"&Copy\tCtrl+C", MFT_STRING, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.text));
    ASSERT_EQ(GetMenuItemCount(c.menu), 5);
    TEntry e = EntryAt(c.menu, c.pos);
    if (!(c.type & MFT_SEPARATOR)) {
      EXPECT_EQ(e.text, c.text);
    }
    EXPECT_EQ(e.info.fType & c.type, c.type);
    EXPECT_EQ(e.info.fState & kStates, c.state);
    EXPECT_EQ(e.info.hSubMenu ? GetMenuItemCount(e.info.hSubMenu) : 0, c.subitems);
    EXPECT_EQ(TMenuItem::FromItemData(e.info.dwItemData), TMenuItem::FromCommand(e.info.wID));
  }
  EXPECT_EQ(menu->FindItem(recent->Items(2)->Command(), TFindItemKind::fkCommand), recent->Items(2));
  EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(recent->Handle()), TFindItemKind::fkHandle), recent);
  EXPECT_EQ(menu->FindItem(ShortCut('C', ssCtrl), TFindItemKind::fkShortCut), copy);
  EXPECT_EQ(recent->Items(1)->GetParentMenu(), menu);
  EXPECT_EQ(recent->MenuIndex(), 3);
}

TEST_F(MenuTest, AHiddenItemHasNoEntryAndAnItemLosingItsSubitemsLosesItsSubmenu) {
  open->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(file->Handle()), 4);
  EXPECT_EQ(EntryAt(file->Handle(), 0).text, L"&Save\tCtrl+S");
  recent->Clear();
  TEntry e = EntryAt(file->Handle(), 2);
  EXPECT_EQ(e.text, L"&Recent");
  EXPECT_EQ(e.info.hSubMenu, nullptr);
  EXPECT_FALSE(recent->HandleAllocated());
}

TEST_F(MenuTest, AMenuCommandClicksItsItemOnce) {
  TClicks clicks;
  open->OnClick = clicks.Event();
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(clicks.last, open);
  // The same number from a control's notification is not the menu's.
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(open->Command(), BN_CLICKED),
               reinterpret_cast<LPARAM>(edit->Handle()));
  EXPECT_EQ(clicks.count, 1);
  save->OnClick = clicks.Event();
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(save->Command(), 0), 0);
  EXPECT_EQ(clicks.count, 1) << "a disabled item ran";
}

TEST_F(MenuTest, ShortcutKeysInTheFormRunTheirItemOnce) {
  TClicks clicks;
  copy->OnClick = clicks.Event();
  save->OnClick = clicks.Event();
  edit->SetFocus();
  ASSERT_TRUE(Application->PumpUntil([&] { return GetFocus() == edit->Handle(); }, 2000));
  BYTE keys[256], held[256];
  GetKeyboardState(keys);
  auto press = [&](WORD key, bool ctrl) {
    std::copy(std::begin(keys), std::end(keys), std::begin(held));
    held[VK_CONTROL] = held[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(held);
    PostMessageW(edit->Handle(), WM_KEYDOWN, key, 1);
    Application->ProcessMessages();
    SetKeyboardState(keys);
  };
  press('C', true);
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(clicks.last, copy);
  press('C', false);
  EXPECT_EQ(clicks.count, 1) << "C without Ctrl ran the item";
  press('S', true);
  EXPECT_EQ(clicks.count, 1) << "the shortcut of a disabled item ran";
  save->SetEnabled(true);
  press('S', true);
  EXPECT_EQ(clicks.count, 2);
  EXPECT_EQ(clicks.last, save);
}

TEST_F(MenuTest, CheckingARadioItemUnchecksTheOthersOfItsGroup) {
  auto* other = NewItem(form, view, L"Other group");
  other->SetRadioItem(true);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  struct TCase {
    int pick;
    bool autocheck_click;
  };
  for (TCase c : {TCase{0, false}, TCase{2, true}, TCase{1, true}}) {
    SCOPED_TRACE(c.pick);
    if (c.autocheck_click) {
      sizes[c.pick]->SetAutoCheck(true);
      sizes[c.pick]->Click();
    } else {
      sizes[c.pick]->SetChecked(true);
    }
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(sizes[i]->Checked(), i == c.pick);
      EXPECT_EQ((GetMenuState(view->Handle(), sizes[i]->Command(), MF_BYCOMMAND) & MF_CHECKED) != 0, i == c.pick);
    }
    EXPECT_TRUE(other->Checked()) << "another group changed";
    EXPECT_TRUE(status->Checked()) << "a plain item changed";
  }
  status->SetAutoCheck(true);
  status->Click();
  EXPECT_FALSE(status->Checked());
}

TEST_F(MenuTest, PublishedPropertiesReadAndWriteByName) {
  struct TCase {
    const char* name;
    const wchar_t* text;
    std::function<bool(TMenuItem*)> holds;
  };
  const TCase cases[] = {
      {"Caption", L"打开(&O)", [](TMenuItem* i) { return i->Caption() == L"打开(&O)"; }},
      {"Enabled", L"False", [](TMenuItem* i) { return !i->Enabled(); }},
      {"Checked", L"True", [](TMenuItem* i) { return i->Checked(); }},
      {"Visible", L"False", [](TMenuItem* i) { return !i->Visible(); }},
      {"ImageIndex", L"3", [](TMenuItem* i) { return i->ImageIndex() == 3; }},
      {"ShortCut", L"16467", [](TMenuItem* i) { return i->ShortCut() == (scCtrl | 'S'); }},
      {"Default", L"True", [](TMenuItem* i) { return i->Default(); }},
      {"RadioItem", L"True", [](TMenuItem* i) { return i->RadioItem(); }},
      {"GroupIndex", L"7", [](TMenuItem* i) { return i->GroupIndex() == 7; }},
      {"Tag", L"99", [](TMenuItem* i) { return i->Tag() == 99; }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto* item = NewItem(form, file, L"x");
    EXPECT_TRUE(SetPropText(item, c.name, c.text));
    EXPECT_TRUE(c.holds(item));
    EXPECT_EQ(GetPropText(item, c.name) + Utf8ToWide(GetPropEnum(item, c.name)) +
                  (GetPropInt(item, c.name) >= 0 ? std::to_wstring(GetPropInt(item, c.name)) : L""),
              c.text);
  }
  auto* probe = NewItem(form, file, L"probe");
  probe->SetEnabled(false);
  EXPECT_EQ(GetMenuState(file->Handle(), probe->Command(), MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
  EXPECT_TRUE(SetPropText(probe, "Enabled", L"True"));
  EXPECT_EQ(GetMenuState(file->Handle(), probe->Command(), MF_BYCOMMAND) & MF_GRAYED, 0u);
}

// Counts the messages of one number that reach a window, as a skinner hooking it sees them.
class TMessageCounter {
 public:
  TMessageCounter(HWND wnd, UINT msg) : wnd_(wnd), msg_(msg) { SetWindowSubclass(wnd, Proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
  ~TMessageCounter() { RemoveWindowSubclass(wnd_, Proc, 1); }
  int count = 0;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* c = reinterpret_cast<TMessageCounter*>(self);
    if (m == c->msg_) ++c->count;
    return DefSubclassProc(w, m, wp, lp);
  }
  HWND wnd_;
  UINT msg_;
};

TEST_F(MenuTest, AddingAndRemovingItemsRebuildsTheMenuAndTellsTheForm) {
  TMessageCounter changes(form->Handle(), CM_MENUCHANGED);
  auto* help = NewItem(form, menu->Items(), L"&Help");
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 3);
  EXPECT_GE(changes.count, 1);
  int before = changes.count;
  auto* about = NewItem(form, help, L"&About...");
  EXPECT_EQ(EntryAt(menu->Handle(), 2).info.hSubMenu, help->Handle()) << "the entry did not get its submenu";
  EXPECT_EQ(GetMenuItemCount(help->Handle()), 1);
  EXPECT_GT(changes.count, before);
  before = changes.count;
  file->Remove(open);
  EXPECT_EQ(GetMenuItemCount(file->Handle()), 4);
  EXPECT_EQ(open->Parent(), nullptr);
  EXPECT_GT(changes.count, before);
  view->Insert(0, open);
  EXPECT_EQ(EntryAt(view->Handle(), 0).text, L"&Open...");
  before = changes.count;
  about->SetCaption(L"关于(&A)...");
  EXPECT_EQ(EntryAt(help->Handle(), 0).text, L"关于(&A)...");
  EXPECT_GT(changes.count, before);
  before = changes.count;
  help->Free();
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 2);
  EXPECT_GT(changes.count, before);
}

TEST_F(MenuTest, TheMenuBarSurvivesTheWindowBeingMadeAgain) {
  form->RecreateWnd();
  ASSERT_TRUE(form->HandleAllocated());
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 2);
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  EXPECT_TRUE(IsMenu(menu->Handle())) << "taking the bar off destroyed it";
}

// Owner drawing: the messages a skinner's handlers get, sent with a real DC.
class OwnerDrawTest : public MenuTest {
 protected:
  LRESULT Measure(TMenuItem* item, UINT& w, UINT& h) {
    MEASUREITEMSTRUCT ms{};
    ms.CtlType = ODT_MENU;
    ms.itemID = item->Command();
    ms.itemData = reinterpret_cast<ULONG_PTR>(item);
    LRESULT r = SendMessageW(form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&ms));
    w = ms.itemWidth;
    h = ms.itemHeight;
    return r;
  }
  // Draws the item into a fresh bitmap of w x h; returns the bitmap's pixels (0x00RRGGBB).
  std::vector<COLORREF> Draw(TMenuItem* item, int w, int h, bool selected, ULONG_PTR data) {
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    HDC dc = bmp.DC();
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT), brush = GetCurrentObject(dc, OBJ_BRUSH);
    DRAWITEMSTRUCT ds{};
    ds.CtlType = ODT_MENU;
    ds.itemID = item->Command();
    ds.itemAction = ODA_DRAWENTIRE;
    ds.itemState = selected ? ODS_SELECTED : 0;
    ds.hwndItem = reinterpret_cast<HWND>(item->Parent()->Handle());
    ds.hDC = dc;
    ds.rcItem = {0, 0, w, h};
    ds.itemData = data;
    EXPECT_EQ(SendMessageW(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&ds)), TRUE);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font) << "the handler's font stayed in the DC";
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    std::vector<COLORREF> px;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px.push_back(GetPixel(dc, x, y));
    return px;
  }
};

TEST_F(OwnerDrawTest, EntriesBecomeOwnerDrawnBelowTheBar) {
  menu->SetOwnerDraw(true);
  EXPECT_FALSE(EntryAt(menu->Handle(), 0).info.fType & MFT_OWNERDRAW) << "the bar's own entries are the system's";
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(EntryAt(file->Handle(), i).info.fType & MFT_OWNERDRAW) << i;
  EXPECT_TRUE(EntryAt(recent->Handle(), 0).info.fType & MFT_OWNERDRAW);
  EXPECT_EQ(EntryAt(file->Handle(), 1).text, L"&Save\tCtrl+S") << "an owner-drawn entry keeps its text";
  menu->SetOwnerDraw(false);
  EXPECT_FALSE(EntryAt(file->Handle(), 0).info.fType & MFT_OWNERDRAW);
}

TEST_F(OwnerDrawTest, MeasureAndDrawMessagesReachTheItemsHandlers) {
  menu->SetOwnerDraw(true);
  int measured = 0, drawn = 0;
  RECT drawn_rect{};
  bool drawn_selected = false;
  open->OnMeasureItem = [&](TObject* sender, TCanvas* canvas, int& w, int& h) {
    ++measured;
    EXPECT_EQ(sender, open);
    ASSERT_NE(canvas, nullptr);
    EXPECT_GT(canvas->TextWidth(L"W"), 0) << "no usable DC";
    w = 123;
    h = 21;
  };
  open->OnDrawItem = [&](TObject* sender, TCanvas* canvas, const RECT& r, bool selected) {
    ++drawn;
    drawn_rect = r;
    drawn_selected = selected;
    // A handler that selects its own objects and leaves them.
    canvas->Brush().SetColor(clRed);
    canvas->FillRect(r);
    canvas->Font().SetStyle(1u << fsBold);
    canvas->TextOut(r.left, r.top, L"x");
  };
  UINT w = 0, h = 0;
  EXPECT_EQ(Measure(open, w, h), TRUE);
  EXPECT_EQ(measured, 1);
  EXPECT_EQ(w, 123u);
  EXPECT_EQ(h, 21u);
  auto px = Draw(open, 40, 20, true, reinterpret_cast<ULONG_PTR>(open));
  EXPECT_EQ(drawn, 1);
  EXPECT_TRUE(drawn_selected);
  EXPECT_EQ(drawn_rect.right, 40);
  EXPECT_EQ(px[20 * 19 + 39], RGB(255, 0, 0));
  // Found by its command when the entry's data is not an item of ours.
  Draw(open, 40, 20, false, 12345);
  EXPECT_EQ(drawn, 2);
  EXPECT_FALSE(drawn_selected);
}

TEST_F(OwnerDrawTest, WithoutHandlersItemsMeasureAndDrawThemselves) {
  menu->SetOwnerDraw(true);
  UINT w = 0, h = 0, line_w = 0, line_h = 0;
  Measure(save, w, h);
  Measure(file->Items(2), line_w, line_h);
  TCanvas probe;
  TWindowDC screen(nullptr);
  probe.SetHandle(screen.Get());
  AssignMenuFont(probe);
  const int text_w = probe.TextWidth(L"Save") + probe.TextWidth(L"Ctrl+S");
  const int text_h = probe.TextHeight(L"Save");
  probe.SetHandle(nullptr);
  EXPECT_GT(static_cast<int>(w), text_w + 16) << "no room for the check and the shortcut";
  EXPECT_GE(static_cast<int>(h), text_h);
  EXPECT_LT(line_h, h) << "a separator is thinner than an item";

  struct TCase {
    TMenuItem* item;
    bool selected;
    int colour;  // the system colour of the background
  };
  for (TCase c : {TCase{open, false, COLOR_MENU}, TCase{open, true, COLOR_HIGHLIGHT}, TCase{file->Items(2), true, COLOR_MENU}}) {
    auto px = Draw(c.item, 120, 20, c.selected, reinterpret_cast<ULONG_PTR>(c.item));
    EXPECT_EQ(px[118], GetSysColor(c.colour)) << WideToUtf8(c.item->Caption()) << " selected " << c.selected;
  }
  // The caption is drawn: some pixel differs from the background.
  auto px = Draw(open, 120, 20, false, reinterpret_cast<ULONG_PTR>(open));
  EXPECT_TRUE(std::any_of(px.begin(), px.end(), [](COLORREF c) { return c != GetSysColor(COLOR_MENU); }));
}

TEST_F(OwnerDrawTest, ForeignEntriesGoToTheDefaultProcedure) {
  MEASUREITEMSTRUCT ms{};
  ms.CtlType = ODT_MENU;
  ms.itemID = 0x7FFF + 100;  // no item of ours has this command
  ms.itemData = 0x1234;
  ms.itemWidth = 7;
  SendMessageW(form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&ms));
  EXPECT_EQ(ms.itemWidth, 7u);
}

TEST(ShortCutText, KeysAndModifiersReadBothWays) {
  struct TCase {
    TShortCut shortcut;
    const wchar_t* text;
  };
  const TCase cases[] = {
      {ShortCut('S', ssCtrl), L"Ctrl+S"},
      {ShortCut(VK_F5, 0), L"F5"},
      {ShortCut(VK_DELETE, ssShift), L"Shift+Del"},
      {ShortCut('N', ssCtrl | ssShift), L"Shift+Ctrl+N"},
      {ShortCut(VK_F4, ssAlt), L"Alt+F4"},
      {ShortCut(VK_RETURN, ssCtrl | ssAlt), L"Ctrl+Alt+Enter"},
      {ShortCut('1', ssCtrl), L"Ctrl+1"},
      {ShortCut(VK_INSERT, 0), L"Ins"},
      {ShortCut(VK_NUMPAD3, 0), L"Num 3"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ShortCutToText(c.shortcut), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.shortcut) << WideToUtf8(c.text);
  }
  EXPECT_EQ(TextToShortCut(L"ctrl+s"), ShortCut('S', ssCtrl));
  for (const wchar_t* bad : {L"", L"Ctrl+", L"Hyper+S", L"Ctrl+Banana"}) EXPECT_EQ(TextToShortCut(bad), scNone) << WideToUtf8(bad);
  EXPECT_EQ(ShortCutToText(scNone), L"");
  EXPECT_EQ(ShortCut(0x1FF, 0), scNone);
}

// ---- Image lists ----

class ImageListTest : public ::testing::Test {
 protected:
  void SetUp() override { InitApplication(); }
  void TearDown() override { DoneApplication(); }
  // Two 16x16 images side by side: red with a magenta corner, then blue.
  static void Strip(TBitmap& bmp) {
    bmp.SetSize(32, 16);
    FillSolidRect(bmp.DC(), {0, 0, 16, 16}, RGB(255, 0, 0));
    FillSolidRect(bmp.DC(), {0, 0, 4, 4}, RGB(255, 0, 255));
    FillSolidRect(bmp.DC(), {16, 0, 32, 16}, RGB(0, 0, 255));
  }
};

TEST_F(ImageListTest, MaskedImagesDrawWithTheirMaskColourLeftOut) {
  TImageList images(nullptr);
  TBitmap strip;
  Strip(strip);
  EXPECT_EQ(images.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(images.Count(), 2);
  TBitmap target(40, 20, TPixelFormat::pf24bit);
  FillSolidRect(target.DC(), {0, 0, 40, 20}, RGB(255, 255, 255));
  images.Draw(target.DC(), 2, 2, 0);
  images.Draw(target.DC(), 20, 2, 1);
  EXPECT_EQ(GetPixel(target.DC(), 3, 3), RGB(255, 255, 255)) << "the mask colour was drawn";
  EXPECT_EQ(GetPixel(target.DC(), 10, 10), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(target.DC(), 30, 10), RGB(0, 0, 255));
  // Disabled: not the image's own colour, and still nothing where the mask is.
  FillSolidRect(target.DC(), {0, 0, 40, 20}, RGB(255, 255, 255));
  images.Draw(target.DC(), 2, 2, 0, false);
  EXPECT_NE(GetPixel(target.DC(), 10, 10), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(target.DC(), 3, 3), RGB(255, 255, 255));
  // Out of range draws nothing.
  FillSolidRect(target.DC(), {0, 0, 40, 20}, RGB(255, 255, 255));
  for (int bad : {-1, 2}) images.Draw(target.DC(), 2, 2, bad);
  EXPECT_EQ(GetPixel(target.DC(), 10, 10), RGB(255, 255, 255));
  images.Clear();
  EXPECT_EQ(images.Count(), 0);
}

TEST_F(ImageListTest, ABitmapWithAMaskAndASizeChange) {
  TImageList images(nullptr);
  TBitmap strip, mask;
  Strip(strip);
  mask.SetSize(32, 16);
  FillSolidRect(mask.DC(), {0, 0, 32, 16}, RGB(0, 0, 0));
  FillSolidRect(mask.DC(), {16, 0, 32, 8}, RGB(255, 255, 255));  // top half of the blue one left out
  EXPECT_EQ(images.Add(&strip, &mask), 0);
  TBitmap target(20, 20, TPixelFormat::pf24bit);
  FillSolidRect(target.DC(), {0, 0, 20, 20}, RGB(0, 255, 0));
  images.Draw(target.DC(), 0, 0, 1);
  EXPECT_EQ(GetPixel(target.DC(), 8, 2), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(target.DC(), 8, 12), RGB(0, 0, 255));
  images.SetSize(24, 24);
  EXPECT_EQ(images.Count(), 0);
  TBitmap empty;
  EXPECT_EQ(images.Add(&empty, nullptr), -1);
  EXPECT_EQ(images.AddMasked(nullptr, clFuchsia), -1);
}

TEST_F(MenuTest, APlainMenuShowsItsImagesAsEntryBitmaps) {
  auto* images = new TImageList(form);
  TBitmap strip;
  strip.SetSize(16, 16);
  FillSolidRect(strip.DC(), {0, 0, 16, 16}, RGB(0, 128, 0));
  images->AddMasked(&strip, clFuchsia);
  open->SetImageIndex(0);
  menu->SetImages(images);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(file->Handle(), open->Command(), FALSE, &info));
  ASSERT_NE(info.hbmpItem, nullptr);
  BITMAP bm{};
  GetObjectW(info.hbmpItem, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  images->Free();  // the menu hears of it and drops the bitmaps
  info.hbmpItem = nullptr;
  GetMenuItemInfoW(file->Handle(), open->Command(), FALSE, &info);
  EXPECT_EQ(info.hbmpItem, nullptr);
  EXPECT_EQ(menu->Images(), nullptr);
}

// ---- Context menus ----

// Runs f from a timer while a modal loop (a popup menu) runs; a second timer ends the menu
// whatever happens, so that no test can hang.
class TMenuDriver {
 public:
  explicit TMenuDriver(std::function<void()> f) {
    Current() = this;
    action_ = std::move(f);
    act_ = SetTimer(nullptr, 0, 150, Act);
    guard_ = SetTimer(nullptr, 0, 4000, Guard);
  }
  ~TMenuDriver() {
    if (act_) KillTimer(nullptr, act_);
    KillTimer(nullptr, guard_);
    Current() = nullptr;
  }
  static TMenuDriver*& Current() {
    static TMenuDriver* d = nullptr;
    return d;
  }
  static void CALLBACK Act(HWND, UINT, UINT_PTR id, DWORD) {
    if (TMenuDriver* d = Current(); d && id == d->act_) {
      KillTimer(nullptr, id);
      d->act_ = 0;
      d->action_();
    }
  }
  static void CALLBACK Guard(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
  }

 private:
  std::function<void()> action_;
  UINT_PTR act_ = 0, guard_ = 0;
};

TEST_F(MenuTest, AContextMenuOpensOnTheControlAndRunsTheChosenItemOnce) {
  auto* popup = new TPopupMenu(form);
  TClicks popups, clicks;
  popup->OnPopup = popups.Event();
  auto* first = NewItem(form, popup->Items(), L"&First");
  first->OnClick = clicks.Event();
  auto* sub = NewItem(form, popup->Items(), L"&More");
  NewItem(form, sub, L"Deeper");
  edit->SetPopupMenu(popup);

  struct TCase {
    const char* name;
    LPARAM where;  // screen point, or -1 from the keyboard
    POINT expect;
    bool choose;
  };
  const POINT origin = edit->ClientToScreen({0, 0});
  const TCase cases[] = {
      {"mouse, cancelled", MAKELPARAM(origin.x + 30, origin.y + 5), {origin.x + 30, origin.y + 5}, false},
      {"keyboard, chosen", MAKELPARAM(0xFFFF, 0xFFFF), origin, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int pops = popups.count, runs = clicks.count;
    RECT shown{};
    bool seen = false;
    TMenuDriver driver([&] {
      HWND w = FindWindowW(L"#32768", nullptr);
      seen = w && IsWindowVisible(w);
      if (w) GetWindowRect(w, &shown);
      if (c.choose) {
        // Down selects the first entry, Enter chooses it.
        PostMessageW(form->Handle(), WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(form->Handle(), WM_KEYDOWN, VK_RETURN, 0);
      } else {
        PostMessageW(form->Handle(), WM_CANCELMODE, 0, 0);
      }
    });
    SendMessageW(edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit->Handle()), c.where);
    EXPECT_EQ(popups.count, pops + 1);
    EXPECT_EQ(popup->PopupComponent(), edit);
    EXPECT_TRUE(seen) << "no menu window while the popup ran";
    EXPECT_NEAR(shown.left, c.expect.x, 2);
    EXPECT_NEAR(shown.top, c.expect.y, 2);
    Application->ProcessMessages();
    EXPECT_EQ(clicks.count, runs + (c.choose ? 1 : 0));
  }
  // Without AutoPopup the control's own handling goes on (an edit's own menu, ended here).
  popup->SetAutoPopup(false);
  const int pops = popups.count;
  {
    TMenuDriver driver([] { EndMenu(); });
    SendMessageW(edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit->Handle()), MAKELPARAM(0xFFFF, 0xFFFF));
  }
  EXPECT_EQ(popups.count, pops);
  popup->Free();
  EXPECT_EQ(edit->PopupMenu(), nullptr);
}

TEST_F(MenuTest, AltWithALetterStillOpensTheNativeBar) {
  edit->SetFocus();
  ASSERT_TRUE(Application->PumpUntil([&] { return GetFocus() == edit->Handle(); }, 2000));
  TClicks clicks;
  exit->OnClick = clicks.Event();
  bool opened = false;
  TMenuDriver driver([&] {
    HWND w = FindWindowW(L"#32768", nullptr);
    opened = w && IsWindowVisible(w);
    EndMenu();
  });
  // What the keyboard gives for Alt+F: the system key, whose character the message loop makes.
  constexpr LPARAM kAltDown = 1 | (1 << 29);
  PostMessageW(edit->Handle(), WM_SYSKEYDOWN, 'F', kAltDown);
  EXPECT_TRUE(Application->PumpUntil([&] { return opened; }, 3000)) << "the bar's File menu did not open";
  EXPECT_EQ(clicks.count, 0);
  // Alt+F4 is a shortcut of ours: it runs the item and opens nothing.
  PostMessageW(edit->Handle(), WM_SYSKEYDOWN, VK_F4, kAltDown);
  Application->ProcessMessages();
  EXPECT_EQ(clicks.count, 1);
  EXPECT_TRUE(IsWindow(form->Handle()));
}

// ---- MDI ----

class MdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    Application->CreateForm<TForm>();  // the main form, not the frame
    frame = new TForm(Application);
    frame->SetFormStyle(TFormStyle::fsMDIForm);
    frame->SetBounds(50, 50, 600, 450);
    auto* bar = new TMainMenu(frame);
    file = NewItem(frame, bar->Items(), L"&File");
    run = NewItem(frame, file, L"&Run", ShortCut('R', ssCtrl));
    window = NewItem(frame, bar->Items(), L"&Window");
    NewItem(frame, window, L"&Cascade")->OnClick = TNotifyEvent::Bind<&MdiTest::DoCascade>(this);
    frame->SetMenu(bar);
    frame->SetWindowMenu(window);
    frame->Show();
    ASSERT_TRUE(frame->ClientHandle());
    for (int i = 0; i < 2; ++i) {
      auto* child = new TForm(frame);
      child->SetFormStyle(TFormStyle::fsMDIChild);
      child->SetBounds(0, 0, 250, 180);
      child->SetCaption(i ? L"Two" : L"One");
      child->Show();
      children.push_back(child);
    }
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(children[1]->Handle()); }, 3000));
  }
  void TearDown() override { DoneApplication(); }
  void DoCascade(TObject*) { frame->Cascade(); }

  TForm* frame = nullptr;
  TMenuItem *file = nullptr, *run = nullptr, *window = nullptr;
  std::vector<TForm*> children;
};

TEST_F(MdiTest, ChildrenLiveInTheFramesClient) {
  EXPECT_EQ(_wcsicmp(HwndGetClassName(frame->ClientHandle()).c_str(), L"MDICLIENT"), 0);
  EXPECT_EQ(frame->MDIChildCount(), 2);
  for (TForm* c : children) {
    EXPECT_EQ(GetParent(c->Handle()), frame->ClientHandle());
    EXPECT_TRUE(GetWindowLongPtrW(c->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
  }
  EXPECT_EQ(frame->ActiveMDIChild(), children[1]);
  frame->Next();
  EXPECT_EQ(frame->ActiveMDIChild(), children[0]);
  // The client fills the frame's client area.
  RECT fc = HwndClientRect(frame->Handle()), cr;
  GetWindowRect(frame->ClientHandle(), &cr);
  EXPECT_EQ(cr.right - cr.left, fc.right);
  EXPECT_EQ(cr.bottom - cr.top, fc.bottom);
  // The window menu lists the children after our own entries.
  EXPECT_GT(GetMenuItemCount(window->Handle()), 1);
  EXPECT_EQ(EntryAt(window->Handle(), 0).text, L"&Cascade");
  frame->Tile();
  frame->Cascade();
  EXPECT_EQ(frame->MDIChildCount(), 2);
}

TEST_F(MdiTest, AMaximisedChildPutsItsButtonsInTheFramesBarAndGivesThemBack) {
  HMENU bar = GetMenu(frame->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  SendMessageW(frame->ClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(children[0]->Handle()), 0);
  EXPECT_TRUE(IsZoomed(children[0]->Handle()));
  const int with_buttons = GetMenuItemCount(bar);
  EXPECT_GT(with_buttons, 2) << "the maximised child's buttons are not in the bar";
  // A change to our items keeps the system's entries in place.
  auto* help = NewItem(frame, frame->Menu()->Items(), L"&Help");
  EXPECT_EQ(GetMenuItemCount(bar), with_buttons + 1);
  help->Free();
  EXPECT_EQ(GetMenuItemCount(bar), with_buttons);
  SendMessageW(frame->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(children[0]->Handle()), 0);
  EXPECT_FALSE(IsZoomed(children[0]->Handle()));
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(EntryAt(bar, 0).text, L"&File");
}

TEST_F(MdiTest, FrameCommandsAndShortcutsWorkFromAChild) {
  TClicks clicks;
  run->OnClick = clicks.Event();
  SendMessageW(frame->Handle(), WM_COMMAND, MAKEWPARAM(run->Command(), 0), 0);
  EXPECT_EQ(clicks.count, 1);
  BYTE keys[256], held[256];
  GetKeyboardState(keys);
  std::copy(std::begin(keys), std::end(keys), std::begin(held));
  held[VK_CONTROL] = 0x80;
  SetKeyboardState(held);
  PostMessageW(children[0]->Handle(), WM_KEYDOWN, 'R', 1);
  Application->ProcessMessages();
  SetKeyboardState(keys);
  EXPECT_EQ(clicks.count, 2);
}

TEST_F(MdiTest, ClosingAChildFreesItWhenItsHandlerSaysSo) {
  struct TFreeOnClose {
    void Close(TObject*, TCloseAction& a) { a = TCloseAction::caFree; }
  } free_on_close;
  children[1]->OnClose = TCloseEvent::Bind<&TFreeOnClose::Close>(&free_on_close);
  HWND gone = children[1]->Handle();
  SendMessageW(gone, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Application->PumpUntil([&] { return frame->MDIChildCount() == 1; }, 3000));
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(frame->MDIChildren(0), children[0]);
  // The class library's default for a child: minimised, not hidden.
  children[0]->Close();
  EXPECT_TRUE(IsIconic(children[0]->Handle()));
  EXPECT_EQ(frame->MDIChildCount(), 1);
}

// ---- Handles ----

TEST(MenuHandles, FormsWithMenusLeaveNothingBehind) {
  auto round = [](bool mdi) {
    InitApplication();
    auto* form = Application->CreateForm<TForm>();
    if (mdi) form->SetFormStyle(TFormStyle::fsMDIForm);
    auto* images = new TImageList(form);
    TBitmap strip;
    strip.SetSize(32, 16);
    FillSolidRect(strip.DC(), {0, 0, 32, 16}, RGB(0, 128, 0));
    images->AddMasked(&strip, clFuchsia);
    auto* bar = new TMainMenu(form);
    bar->SetImages(images);
    auto* file = NewItem(form, bar->Items(), L"&File");
    NewItem(form, file, L"&Open")->SetImageIndex(0);
    NewItem(form, NewItem(form, file, L"&Recent"), L"one");
    auto* popup = new TPopupMenu(form);
    popup->SetImages(images);
    popup->SetOwnerDraw(true);
    NewItem(form, popup->Items(), L"Copy")->SetImageIndex(1);
    form->SetMenu(bar);
    form->SetPopupMenu(popup);
    form->Show();
    if (mdi) {
      for (int i = 0; i < 2; ++i) {
        auto* child = new TForm(form);
        child->SetFormStyle(TFormStyle::fsMDIChild);
        child->SetBounds(0, 0, 200, 150);
        child->Show();
      }
      SendMessageW(form->ClientHandle(), WM_MDIMAXIMIZE,
                   reinterpret_cast<WPARAM>(form->MDIChildren(0)->Handle()), 0);
    }
    Application->ProcessMessages();
    HMENU menu = bar->Handle();
    HWND wnd = form->Handle();
    DoneApplication();
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_FALSE(IsMenu(menu));
  };
  for (bool mdi : {false, true}) {
    SCOPED_TRACE(mdi ? "MDI" : "plain");
    round(mdi);  // what the library makes once and keeps
    const int gdi = LiveGdiHandles(), user = LiveUserHandles(), lists = TCustomImageList::LiveLists();
    for (int i = 0; i < 50; ++i) round(mdi);
    EXPECT_EQ(LiveGdiHandles(), gdi) << "GDI objects left behind";
    EXPECT_EQ(LiveUserHandles(), user) << "menus, hooks or icons left behind";
    EXPECT_EQ(TCustomImageList::LiveLists(), lists);
  }
}

TEST(MenuHandles, AMenuFreedBeforeItsFormTakesItsBarAway) {
  InitApplication();
  auto* form = Application->CreateForm<TForm>();
  auto* bar = new TMainMenu(form);
  NewItem(form, bar->Items(), L"&File");
  form->SetMenu(bar);
  form->Show();
  const int user = LiveUserHandles();
  bar->Free();
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  EXPECT_LT(LiveUserHandles(), user);
  DoneApplication();
}

}  // namespace
}  // namespace qn
