#include "gallery/GalleryForm.h"

#include <algorithm>

#include "platform/core/Streams.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/ScrollBars.h"

namespace qn {

QN_CLASS_IMPL(TGalleryForm, TForm)

namespace {

constexpr int kPlainTag = 99;        // the skin data's DisableTag: such a control stays plain
constexpr int kSeeThroughTag = 5555;  // a button showing its parent behind its face

template <class T>
T* Add(TWinControl* parent, int x, int y, int w, int h, const std::wstring& caption = {}) {
  auto* c = new T(parent->Owner() ? parent->Owner() : parent);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

// Labels show what lies behind them: the skin's face on a skinned page or box.
TLabel* AddLabel(TWinControl* parent, int x, int y, int w, int h, const std::wstring& caption) {
  auto* label = Add<TLabel>(parent, x, y, w, h, caption);
  label->SetTransparent(true);
  return label;
}

TTabSheet* AddPage(TPageControl* pages, const std::wstring& caption) {
  auto* page = new TTabSheet(pages->Owner());
  page->SetPageControl(pages);
  page->SetCaption(caption);
  return page;
}

// A small jar on a teal background (the bottom-left pixel, left out when drawn).
void DrawJarGlyph(TBitmap& glyph) {
  glyph.SetPixelFormat(TPixelFormat::pf24bit);
  glyph.SetSize(16, 16);
  HDC dc = glyph.DC();
  const RECT all{0, 0, 16, 16};
  TBrushHandle back = MakeSolidBrush(RGB(0, 128, 128));
  FillRect(dc, &all, back.Get());
  TBrushHandle clay = MakeSolidBrush(RGB(176, 96, 40));
  TPenHandle outline = MakePen(PS_SOLID, 1, RGB(64, 32, 16));
  TScopedSelect brush_in(dc, clay.Get());
  TScopedSelect pen_in(dc, outline.Get());
  Ellipse(dc, 2, 5, 14, 15);
  Rectangle(dc, 5, 2, 11, 6);
}

}  // namespace

bool LoadBuiltinSkin(TSkinData* data) {
  HRSRC found = FindResourceW(nullptr, L"BUILTIN_SKIN", MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(nullptr, found) : 0;
  if (!bytes || !size) return false;
  TMemoryStream stream;
  stream.Write(bytes, size);
  stream.Seek(0, TSeekOrigin::soBeginning);
  data->LoadFromStream(stream);
  return !data->Empty();
}

std::vector<std::wstring> FindSkinPackages(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*.skn").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + L"\\" + found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

TGalleryForm::TGalleryForm(TComponent* owner, const std::wstring& start_skin) : TForm(owner) {
  SetCaption(L"Skin gallery");
  SetBorderStyle(TFormBorderStyle::bsSizeable);
  SetLeft(60);
  SetTop(40);
  SetClientWidth(720);
  SetClientHeight(470);

  SkinData = new TSkinData(this);
  choices_.push_back({L"Built-in", L""});
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  folder = folder.substr(0, folder.find_last_of(L"\\/")) + L"\\skins";
  size_t start = 0;
  for (const std::wstring& file : FindSkinPackages(folder)) {
    std::wstring name = file.substr(file.find_last_of(L"\\/") + 1);
    name = name.substr(0, name.size() - 4);
    if (_wcsicmp(name.c_str(), L"builtin") == 0) continue;  // the built-in one is listed first
    if (!start_skin.empty() && _wcsicmp(name.c_str(), start_skin.c_str()) == 0) start = choices_.size();
    choices_.push_back({name, file});
  }

  status_ = new TStatusBar(this);
  status_->SetParent(this);
  status_->SetAlign(TAlign::alBottom);
  for (const wchar_t* text : {L"", L"Hover, press and tab through the controls", L""}) {
    auto* panel = static_cast<TStatusPanel*>(status_->Panels()->Add());
    panel->SetText(text);
    panel->SetWidth(text[0] ? 300 : 180);
  }

  auto* side = Add<TPanel>(this, 0, 0, 180, 100);
  side->SetAlign(TAlign::alLeft);
  side->SetBevelOuter(TPanelBevel::bvNone);
  BuildSkinList(side);

  auto* pages = Add<TPageControl>(this, 180, 0, 540, 420);
  pages->SetAlign(TAlign::alClient);
  BuildButtonsPage(AddPage(pages, L"Buttons"));
  BuildBoxesPage(AddPage(pages, L"Boxes and panels"));
  BuildTabsPage(AddPage(pages, L"Tabs"));
  BuildListsPage(AddPage(pages, L"Lists and scrolling"));
  BuildChecksPage(AddPage(pages, L"Check boxes"));
  BuildToolsPage(AddPage(pages, L"Tools and ranges"));
  pages->SetActivePageIndex(0);
  BuildMenus(pages);

  choice_buttons_[start]->SetChecked(true);
  LoadChoice(start);
  SkinData->SetActive(true);
  SkinData->Loaded();
}

void TGalleryForm::BuildSkinList(TWinControl* parent) {
  auto* group = Add<TGroupBox>(parent, 8, 6, 164, 30 + 26 * static_cast<int>(choices_.size()), L"Skin");
  for (size_t i = 0; i < choices_.size(); ++i) {
    auto* choice = Add<TRadioButton>(group, 12, 22 + 26 * static_cast<int>(i), 140, 22, choices_[i].name);
    choice->SetTag(static_cast<int>(i));
    choice->OnClick = TNotifyEvent::Bind<&TGalleryForm::ChooseSkin>(this);
    choice_buttons_.push_back(choice);
  }
  const int below = group->Top() + group->Height() + 10;
  skinning_ = Add<TCheckBox>(parent, 14, below, 150, 22, L"Skinning on");
  skinning_->SetChecked(true);
  skinning_->OnClick = TNotifyEvent::Bind<&TGalleryForm::SwitchSkinning>(this);
  auto* plain = Add<TButton>(parent, 14, below + 34, 150, 30, L"Stays plain (Tag 99)");
  plain->SetTag(kPlainTag);
}

void TGalleryForm::BuildButtonsPage(TTabSheet* page) {
  AddLabel(page, 16, 12, 480, 18, L"Push buttons: normal, default, disabled; hover and press them.");
  Add<TButton>(page, 16, 36, 110, 30, L"&Normal");
  auto* def = Add<TButton>(page, 140, 36, 110, 30, L"&Default");
  def->SetDefault(true);
  auto* off = Add<TButton>(page, 264, 36, 110, 30, L"Disabled");
  off->SetEnabled(false);
  Add<TButton>(page, 388, 36, 110, 30, L"Two||lines");

  AddLabel(page, 16, 84, 480, 18, L"Bitmap buttons: glyph left, on top, and disabled (embossed).");
  DrawJarGlyph(glyph_);
  auto* left = Add<TBitBtn>(page, 16, 108, 140, 34, L"&Open recipe");
  left->SetGlyph(&glyph_);
  auto* top = Add<TBitBtn>(page, 170, 104, 110, 52, L"Glyph on top");
  top->SetGlyph(&glyph_);
  top->SetLayout(TButtonLayout::blGlyphTop);
  auto* dim = Add<TBitBtn>(page, 294, 108, 140, 34, L"Unavailable");
  dim->SetGlyph(&glyph_);
  dim->SetEnabled(false);

  AddLabel(page, 16, 172, 480, 18, L"A see-through button on a panel, and one the skin leaves alone.");
  auto* under = Add<TPanel>(page, 16, 196, 200, 60);
  under->SetColor(static_cast<TColor>(0x6080A0));
  auto* through = Add<TButton>(under, 40, 14, 120, 32, L"See-through");
  through->SetTag(kSeeThroughTag);
  auto* plain = Add<TButton>(page, 240, 210, 150, 32, L"Plain (Tag 99)");
  plain->SetTag(kPlainTag);
}

void TGalleryForm::BuildBoxesPage(TTabSheet* page) {
  auto* group = Add<TGroupBox>(page, 16, 12, 240, 150, L"Group box");
  AddLabel(group, 14, 28, 200, 18, L"Controls inside a group box:");
  Add<TButton>(group, 14, 56, 100, 30, L"Inside");
  Add<TButton>(group, 124, 56, 100, 30, L"Also inside");
  auto* nested = Add<TGroupBox>(page, 270, 12, 240, 150, L"A second group");
  AddLabel(nested, 14, 28, 200, 36, L"Group boxes hold their own captions.");

  auto* raised = Add<TPanel>(page, 16, 178, 150, 70, L"Raised panel");
  raised->SetBevelOuter(TPanelBevel::bvRaised);
  auto* lowered = Add<TPanel>(page, 182, 178, 150, 70, L"Lowered panel");
  lowered->SetBevelOuter(TPanelBevel::bvLowered);
  auto* flat = Add<TPanel>(page, 348, 178, 150, 70, L"Flat panel");
  flat->SetBevelOuter(TPanelBevel::bvNone);
  AddLabel(page, 16, 262, 480, 18, L"The status bar below has panels and a size grip.");
}

void TGalleryForm::BuildTabsPage(TTabSheet* page) {
  const struct {
    TTabPosition position;
    const wchar_t* name;
    int x, y;
  } sides[] = {{TTabPosition::tpTop, L"Top", 12, 10},
               {TTabPosition::tpBottom, L"Bottom", 268, 10},
               {TTabPosition::tpLeft, L"Left", 12, 150},
               {TTabPosition::tpRight, L"Right", 268, 150}};
  for (const auto& side : sides) {
    auto* tabs = Add<TTabControl>(page, side.x, side.y, 244, 128);
    tabs->SetTabPosition(side.position);
    tabs->SetTabs({side.name, L"Second", L"Third"});
    tabs->SetTabIndex(0);
    AddLabel(tabs, 40, 50, 160, 18, std::wstring(L"Tabs on the ") + side.name);
  }
  auto* set = Add<TTabSet>(page, 12, 292, 500, 26);
  set->SetTabs({L"Tab set", L"Wines", L"Herbs", L"Notes"});
  set->SetTabIndex(0);
}

// Every list and scrolling control, each with more content than it shows, so that every part
// of its scroll bars can be reached: arrows, track, thumb at both ends, and disabled.
void TGalleryForm::BuildListsPage(TTabSheet* page) {
  const wchar_t* wines[] = {L"Tiger-bone wine", L"Ginseng wine", L"Wolfberry wine", L"Deer-antler wine",
                            L"Snake wine",      L"Angelica wine", L"Chrysanthemum wine", L"Jujube wine"};
  std::vector<std::wstring> names;
  for (int i = 0; i < 40; ++i)
    names.push_back(std::to_wstring(i + 1) + L". " + wines[i % 8] +
                    (i % 5 == 0 ? L" (steeped a hundred days in a sealed earthen jar)" : L""));

  auto* list = Add<TListBox>(page, 12, 10, 150, 120);
  list->SetItems(names);
  list->SetItemIndex(2);

  auto* drop = Add<TComboBox>(page, 176, 10, 150, 24);
  drop->SetItems(names);
  drop->SetItemIndex(0);
  auto* pick = Add<TComboBox>(page, 176, 42, 150, 24);
  pick->SetStyle(TComboBoxStyle::csDropDownList);
  pick->SetItems(names);
  pick->SetItemIndex(5);
  auto* off = Add<TComboBox>(page, 176, 74, 150, 24);
  off->SetStyle(TComboBoxStyle::csDropDownList);
  off->SetItems({L"Disabled"});
  off->SetItemIndex(0);
  off->SetEnabled(false);
  auto* simple = Add<TComboBox>(page, 340, 10, 170, 120);
  simple->SetStyle(TComboBoxStyle::csSimple);
  simple->SetItems(names);

  auto* date = Add<TDateTimePicker>(page, 176, 106, 150, 24);
  date->SetKind(TDateTimeKind::dtkDate);
  auto* time = Add<TDateTimePicker>(page, 340, 138, 170, 24);
  time->SetKind(TDateTimeKind::dtkTime);
  Add<TEdit>(page, 12, 138, 314, 24)->SetText(L"An edit: type, select and paste as usual");

  auto* view = Add<TListView>(page, 12, 172, 250, 120);
  view->SetViewStyle(TViewStyle::vsReport);
  view->SetRowSelect(true);
  for (const wchar_t* column : {L"Wine", L"Herbs", L"Days", L"Jar", L"Dose", L"Season"}) view->AddColumn(column, 80);
  for (int i = 0; i < 60; ++i)
    view->AddItem(wines[i % 8], {L"Ginseng, jujube", std::to_wstring(30 + i), L"Earthen", L"One cup", L"Winter"});

  std::vector<std::wstring> lines;
  for (int i = 0; i < 30; ++i)
    lines.push_back(L"Line " + std::to_wstring(i + 1) +
                    L": warm the wine gently, never to boiling, and drink a small cup before sleep.");
  auto* memo = Add<TMemo>(page, 276, 172, 234, 56);
  memo->SetScrollBars(TScrollStyle::ssBoth);
  memo->SetWordWrap(false);
  memo->SetLines(lines);
  auto* rich = Add<TRichEdit>(page, 276, 236, 234, 56);
  rich->SetScrollBars(TScrollStyle::ssBoth);
  rich->SetWordWrap(false);
  rich->SetLines(lines);

  auto* box = Add<TScrollBox>(page, 12, 300, 180, 80);
  for (int i = 0; i < 6; ++i) Add<TButton>(box, 8 + 70 * i, 8 + 34 * i, 100, 28, L"Inside " + std::to_wstring(i + 1));

  // The kind first: changing it turns the bar's bounds round.
  auto bar = [&](TScrollBarKind kind, int x, int y, int w, int h) {
    auto* b = Add<TScrollBar>(page, 0, 0, 10, 10);
    b->SetKind(kind);
    b->SetBounds(x, y, w, h);
    return b;
  };
  bar(TScrollBarKind::sbHorizontal, 206, 306, 200, 18)->SetPageSize(20);
  bar(TScrollBarKind::sbHorizontal, 206, 338, 200, 18)->SetEnabled(false);
  bar(TScrollBarKind::sbVertical, 420, 300, 18, 80)->SetPosition(50);
}

void TGalleryForm::ChooseSkin(TObject* sender) {
  auto* choice = dynamic_cast<TRadioButton*>(sender);
  if (!choice || !choice->Checked()) return;
  LoadChoice(static_cast<size_t>(choice->Tag()));
}

void TGalleryForm::LoadChoice(size_t index) {
  if (index >= choices_.size()) return;
  const TSkinChoice& choice = choices_[index];
  if (choice.file.empty()) LoadBuiltinSkin(SkinData);
  else SkinData->LoadFromFile(choice.file);
  ShowSkinName();
}

void TGalleryForm::SwitchSkinning(TObject*) { SkinData->SetActive(skinning_->Checked()); }

void TGalleryForm::ShowSkinName() {
  auto* panel = static_cast<TStatusPanel*>(status_->Panels()->Items(0));
  if (panel) panel->SetText(L"Skin: " + SkinData->Skin()->SkinName);
}

}  // namespace qn
