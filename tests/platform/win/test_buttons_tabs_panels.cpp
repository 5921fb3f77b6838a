// Bitmap buttons, check boxes, radio buttons, tab controls, tab sets and panels: made from a
// form description, read by property name as the skinners read them, driven with real
// messages and checked by the pixels they paint.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/BmpFile.h"
#include "platform/core/FormText.h"
#include "platform/win/Buttons.h"
#include "platform/win/ComCtrls.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/PropAccess.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Tabs.h"
#include "platform/win/WinUtil.h"

namespace qn {
namespace {

// ---- pictures ----

constexpr COLORREF kMagenta = RGB(255, 0, 255);
// The colour of glyph cell i (normal, disabled, pressed, down).
constexpr COLORREF kCellColours[] = {RGB(0, 0, 255), RGB(0, 160, 0), RGB(255, 0, 0), RGB(255, 255, 0)};
constexpr int kCellW = 16, kCellH = 12;

// A strip of `cells` glyphs of kCellW x kCellH: each a solid colour inside a one-pixel magenta
// border, which the button leaves out (the bottom-left pixel's colour).
std::unique_ptr<TBitmap> MakeStrip(int cells) {
  auto b = std::make_unique<TBitmap>(kCellW * cells, kCellH, TPixelFormat::pf24bit);
  for (int y = 0; y < kCellH; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < kCellW * cells; ++x) {
      const int cx = x % kCellW;
      const bool border = cx == 0 || cx == kCellW - 1 || y == 0 || y == kCellH - 1;
      const COLORREF c = border ? kMagenta : kCellColours[x / kCellW];
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
  return b;
}

std::string BmpHex(TBitmap& b) {
  TBmpImage img;
  img.width = b.Width();
  img.height = b.Height();
  img.bits = 24;
  for (int y = 0; y < img.height; ++y) {
    const uint8_t* row = b.ScanLine(y);
    img.bgr.insert(img.bgr.end(), row, row + img.width * 3);
  }
  std::string hex;
  char two[3];
  for (uint8_t byte : EncodeBmp24(img)) {
    std::snprintf(two, sizeof two, "%02X", byte);
    hex += two;
  }
  return hex;
}

// A window's client area as painted, [y][x].
struct TPixels {
  std::vector<std::vector<COLORREF>> rows;
  int Width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
  int Height() const { return static_cast<int>(rows.size()); }
  COLORREF At(int x, int y) const { return rows.at(static_cast<size_t>(y)).at(static_cast<size_t>(x)); }
  // The smallest rectangle holding every pixel of colour c; empty when there is none.
  RECT Bounds(COLORREF c) const {
    RECT r{Width(), Height(), 0, 0};
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x)
        if (At(x, y) == c) r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                                std::max<LONG>(r.bottom, y + 1)};
    return r.right > r.left ? r : RECT{0, 0, 0, 0};
  }
  // The same for dark pixels (caption ink) inside `inside`.
  RECT DarkBounds(const RECT& inside) const {
    RECT r{Width(), Height(), 0, 0};
    for (int y = inside.top; y < inside.bottom; ++y)
      for (int x = inside.left; x < inside.right; ++x) {
        const COLORREF c = At(x, y);
        if (GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80)
          r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
               std::max<LONG>(r.bottom, y + 1)};
      }
    return r.right > r.left ? r : RECT{0, 0, 0, 0};
  }
};

TPixels Capture(HWND wnd) {
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const RECT c = HwndClientRect(wnd);
  TBitmap shot(c.right, c.bottom, TPixelFormat::pf32bit);
  {
    TWindowDC dc(wnd);
    BitBlt(shot.DC(), 0, 0, c.right, c.bottom, dc.Get(), 0, 0, SRCCOPY);
  }
  TPixels px;
  for (int y = 0; y < c.bottom; ++y) {
    const uint8_t* row = shot.ScanLine(y);
    std::vector<COLORREF> line;
    for (int x = 0; x < c.right; ++x) line.push_back(RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]));
    px.rows.push_back(std::move(line));
  }
  return px;
}

bool Empty(RECT r) { return IsRectEmpty(&r) != FALSE; }

std::string Text(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", long(r.left), long(r.top), long(r.right), long(r.bottom));
  return text;
}

void Click(HWND wnd, int x, int y) {
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickMiddle(HWND wnd) {
  const RECT c = HwndClientRect(wnd);
  Click(wnd, c.right / 2, c.bottom / 2);
}

// A published property as text, whatever its kind: what a skinner reading it by name sees.
std::string PropAsText(TObject* obj, const char* name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return "<absent>";
  switch (p->kind) {
    case TTypeKind::tkEnumeration: return GetPropEnum(obj, name);
    case TTypeKind::tkInteger: return std::to_string(GetPropInt(obj, name));
    case TTypeKind::tkString: return WideToUtf8(GetPropText(obj, name));
    case TTypeKind::tkStrings: {
      std::string all;
      for (const std::wstring& s : p->getList(*obj)) {
        if (!all.empty()) all += '|';
        all += WideToUtf8(s);
      }
      return all;
    }
    default: return "<kind>";
  }
}

// ---- the form ----

class TKindsForm : public TForm {
  QN_CLASS(TKindsForm)
 public:
  explicit TKindsForm(TComponent* owner) : TForm(owner) {
    PublishMethod("Clicked", TMethodRef(TNotifyEvent::Bind<&TKindsForm::Clicked>(this)));
    PublishMethod("Changed", TMethodRef(TNotifyEvent::Bind<&TKindsForm::Changed>(this)));
    PublishMethod("TabSetChanging", TMethodRef(TTabChangeEvent::Bind<&TKindsForm::TabSetChanging>(this)));
  }
  void Clicked(TObject* sender) { events.push_back(Name(sender) + ".click"); }
  void Changed(TObject* sender) { events.push_back(Name(sender) + ".change"); }
  void TabSetChanging(TObject* sender, int new_tab, bool& allow) {
    events.push_back(Name(sender) + ".change " + std::to_string(new_tab));
    allow = new_tab != veto_tab;
  }
  template <class T>
  T* Get(const char* name) {
    T* c = Find<T>(name);
    if (!c) throw std::runtime_error(std::string("no ") + name);
    return c;
  }
  std::vector<std::string> events;
  int veto_tab = -2;

 private:
  static std::string Name(TObject* o) { return WideToUtf8(static_cast<TComponent*>(o)->Name()); }
};
QN_CLASS_IMPL(TKindsForm, TForm)

std::string FormText() {
  auto strip = MakeStrip(2);
  return R"(object KindsForm: TKindsForm
  Left = 20
  Top = 20
  ClientWidth = 560
  ClientHeight = 420
  BorderStyle = bsSingle
  Font.Name = '宋体'
  Font.Height = -12
  object Glyphs: TBitBtn
    Left = 8
    Top = 8
    Width = 120
    Height = 64
    Caption = 'Go'
    Glyph.Data = {)" +
         BmpHex(*strip) + R"(}
    NumGlyphs = 2
    Layout = blGlyphTop
    Margin = 4
    Spacing = 2
    OnClick = Clicked
  end
  object Ok: TBitBtn
    Left = 136
    Top = 8
    Caption = '确定'
    Kind = bkOK
  end
  object Close: TBitBtn
    Left = 136
    Top = 40
    Kind = bkClose
  end
  object Check: TCheckBox
    Left = 8
    Top = 80
    Width = 120
    Caption = '选项'
    AllowGrayed = True
    State = cbGrayed
    Alignment = taLeftJustify
    OnClick = Clicked
  end
  object Radio1: TRadioButton
    Left = 8
    Top = 104
    Caption = '甲'
    Checked = True
    OnClick = Clicked
  end
  object Radio2: TRadioButton
    Left = 8
    Top = 124
    Caption = '乙'
    OnClick = Clicked
  end
  object Tabs: TTabControl
    Left = 232
    Top = 8
    Width = 320
    Height = 150
    Tabs.Strings = (
      '一'
      '二'
      '三')
    TabIndex = 1
    TabPosition = tpBottom
    Style = tsButtons
    TabHeight = 30
    OnChange = Changed
    object Client: TPanel
      Align = alClient
      BevelOuter = bvNone
    end
  end
  object Pages: TPageControl
    Left = 232
    Top = 166
    Width = 320
    Height = 100
    TabPosition = tpLeft
    TabWidth = 60
    object Sheet: TTabSheet
      Caption = '页'
    end
  end
  object TabSet: TTabSet
    Left = 8
    Top = 150
    Width = 216
    Height = 22
    Tabs.Strings = (
      '春'
      '夏'
      '秋')
    TabIndex = 0
    TabPosition = tpTop
    StartMargin = 7
    OnChange = TabSetChanging
  end
  object Panel: TPanel
    Left = 8
    Top = 280
    Width = 216
    Height = 120
    Caption = 'P'
    Alignment = taLeftJustify
    BevelInner = bvLowered
    BevelOuter = bvRaised
    BevelWidth = 2
    BorderWidth = 3
    Color = clBtnFace
    object Inner: TPanel
      Align = alClient
      BevelOuter = bvNone
      Color = clWhite
    end
  end
end
)";
}

class KindsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterComponentClass(TKindsForm::StaticClass());
    form = Application->CreateForm<TKindsForm>();
    form->ReadFormText(FormText());
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000));
  }
  void TearDown() override { DoneApplication(); }
  TKindsForm* form = nullptr;
};

// ---- what the skinners read ----

TEST_F(KindsTest, PublishedPropertiesReadByName) {
  struct TCase {
    const char* component;
    const char* prop;
    const char* want;
  } cases[] = {
      {"Glyphs", "Layout", "blGlyphTop"},      {"Glyphs", "Margin", "4"},
      {"Glyphs", "Spacing", "2"},              {"Glyphs", "NumGlyphs", "2"},
      {"Glyphs", "Kind", "bkCustom"},          {"Glyphs", "Caption", "Go"},
      {"Ok", "Kind", "bkOK"},                  {"Ok", "Caption", "确定"},
      {"Ok", "ModalResult", "1"},              {"Ok", "Default", "True"},
      {"Close", "Caption", "&Close"},          {"Close", "ModalResult", "0"},
      {"Check", "State", "cbGrayed"},          {"Check", "Checked", "False"},
      {"Check", "AllowGrayed", "True"},        {"Check", "Alignment", "taLeftJustify"},
      {"Radio1", "Checked", "True"},           {"Radio2", "Checked", "False"},
      {"Radio2", "Alignment", "taRightJustify"},
      {"Tabs", "Tabs", "一|二|三"},             {"Tabs", "TabIndex", "1"},
      {"Tabs", "TabPosition", "tpBottom"},     {"Tabs", "Style", "tsButtons"},
      {"Tabs", "MultiLine", "False"},          {"Tabs", "TabHeight", "30"},
      {"Tabs", "TabWidth", "0"},
      {"Pages", "TabPosition", "tpLeft"},      {"Pages", "Style", "tsTabs"},
      {"Pages", "TabWidth", "60"},             {"Pages", "TabIndex", "<absent>"},
      {"TabSet", "Tabs", "春|夏|秋"},           {"TabSet", "TabIndex", "0"},
      {"TabSet", "TabPosition", "tpTop"},      {"TabSet", "FirstIndex", "0"},
      {"TabSet", "StartMargin", "7"},          {"TabSet", "EndMargin", "5"},
      {"Panel", "BevelInner", "bvLowered"},    {"Panel", "BevelOuter", "bvRaised"},
      {"Panel", "BevelWidth", "2"},            {"Panel", "BorderWidth", "3"},
      {"Panel", "Alignment", "taLeftJustify"}, {"Inner", "BevelOuter", "bvNone"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(PropAsText(form->Get<TComponent>(c.component), c.prop), c.want) << c.component << "." << c.prop;

  auto* glyph = GetPropObject(form->Get<TComponent>("Glyphs"), "Glyph", "TBitmap");
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(static_cast<TBitmap*>(glyph)->Width(), 2 * kCellW);
}

TEST_F(KindsTest, ClassesWindowClassesAndStyles) {
  struct TCase {
    const char* component;
    const char* ancestor;
    const wchar_t* window_class;
    LONG_PTR style_bits;  // all of them set
    LONG_PTR style_mask;  // under this mask, when not 0
  } cases[] = {
      {"Glyphs", "TButton", L"TBitBtn", BS_OWNERDRAW, BS_TYPEMASK},
      {"Check", "TCustomCheckBox", L"TCheckBox", BS_AUTO3STATE | BS_LEFTTEXT, BS_TYPEMASK | BS_LEFTTEXT},
      {"Radio1", "TButtonControl", L"TRadioButton", BS_AUTORADIOBUTTON, BS_TYPEMASK | BS_LEFTTEXT},
      {"Tabs", "TCustomTabControl", L"TTabControl", TCS_BOTTOM | TCS_BUTTONS, TCS_BOTTOM | TCS_BUTTONS | TCS_VERTICAL},
      {"Pages", "TCustomTabControl", L"TPageControl", TCS_VERTICAL | TCS_MULTILINE | TCS_FIXEDWIDTH,
       TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE | TCS_FIXEDWIDTH},
      {"TabSet", "TCustomControl", L"TTabSet", 0, 0},
      {"Panel", "TCustomPanel", L"TPanel", 0, 0},
  };
  for (const TCase& c : cases) {
    auto* control = form->Get<TWinControl>(c.component);
    EXPECT_TRUE(control->InheritsFrom(c.ancestor)) << c.component;
    EXPECT_EQ(HwndGetClassName(control->Handle()), c.window_class) << c.component;
    const LONG_PTR style = GetWindowLongPtrW(control->Handle(), GWL_STYLE);
    if (c.style_mask) {
      EXPECT_EQ(style & c.style_mask, c.style_bits) << c.component;
    }
  }
  EXPECT_EQ(FindClass("TBitBtn"), &TBitBtn::StaticClass());
  EXPECT_EQ(FindClass("TTabSet"), &TTabSet::StaticClass());
}

// What the form description stores comes back when it is read again.
TEST(KindsStoreTest, WrittenAndReadBackAlike) {
  InitApplication();
  RegisterControlClasses();
  auto strip = MakeStrip(3);
  const std::string text = R"(object Stored: TForm
  object Button: TBitBtn
    Caption = 'B'
    Glyph.Data = {)" + BmpHex(*strip) + R"(}
    NumGlyphs = 3
    Layout = blGlyphRight
    Kind = bkRetry
  end
  object Box: TCheckBox
    State = cbChecked
  end
  object Tabs: TTabControl
    Tabs.Strings = ('a' 'b')
    TabIndex = 1
    MultiLine = True
    TabWidth = 40
    Style = tsFlatButtons
  end
  object Set: TTabSet
    Tabs.Strings = ('x' 'y' 'z')
    FirstIndex = 2
    TabIndex = 2
    EndMargin = 9
  end
  object Frame: TPanel
    BevelOuter = bvSpace
    BevelWidth = 3
    Alignment = taRightJustify
  end
end
)";
  auto* first = new TForm(nullptr);
  first->ReadFormText(text);
  const std::string written = WriteComponentText(first);
  first->Free();
  auto* second = new TForm(nullptr);
  second->ReadFormText(written);
  // The controls' part; the form's own size is not what this is about.
  auto controls = [](const std::string& all) { return all.substr(all.find("\n  object ")); };
  EXPECT_EQ(controls(WriteComponentText(second)), controls(written));
  EXPECT_EQ(PropAsText(second->FindComponent("Set"), "FirstIndex"), "2");
  EXPECT_EQ(PropAsText(second->FindComponent("Button"), "Caption"), "B") << "stored before Kind, kept";
  EXPECT_EQ(PropAsText(second->FindComponent("Button"), "ModalResult"), "4") << "not stored: the kind's";
  auto* glyph = static_cast<TBitBtn*>(second->FindComponent("Button"))->Glyph();
  ASSERT_EQ(glyph->Width(), 3 * kCellW);
  const uint8_t* px = glyph->ScanLine(5) + 3 * (2 * kCellW + 5);
  EXPECT_EQ(RGB(px[2], px[1], px[0]), kCellColours[2]);
  second->Free();
  DoneApplication();
}

// ---- check boxes and radio buttons ----

TEST_F(KindsTest, ClicksMoveCheckBoxesOnAndFireOnClick) {
  auto* check = form->Get<TCheckBox>("Check");
  // A three-state box goes unchecked, checked, grayed.
  const char* states[] = {"cbUnchecked", "cbChecked", "cbGrayed", "cbUnchecked"};
  for (const char* want : states) {
    ClickMiddle(check->Handle());
    EXPECT_EQ(GetPropEnum(check, "State"), want);
  }
  EXPECT_EQ(form->events, std::vector<std::string>(4, "Check.click"));

  // Two states only once grayed is not allowed; a change made in code clicks too.
  form->events.clear();
  check->SetAllowGrayed(false);
  ClickMiddle(check->Handle());
  ClickMiddle(check->Handle());
  ClickMiddle(check->Handle());
  EXPECT_EQ(GetPropEnum(check, "State"), "cbChecked");
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(SetPropText(check, "Checked", L"False"));
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(form->events.size(), 4u);

  // Grayed in code: the button takes the three-state style for as long as it stays grayed.
  auto type = [&] { return GetWindowLongPtrW(check->Handle(), GWL_STYLE) & BS_TYPEMASK; };
  EXPECT_EQ(type(), BS_AUTOCHECKBOX);
  EXPECT_TRUE(SetPropText(check, "State", L"cbGrayed"));
  EXPECT_EQ(type(), BS_AUTO3STATE);
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  ClickMiddle(check->Handle());
  EXPECT_EQ(GetPropEnum(check, "State"), "cbUnchecked");
  EXPECT_EQ(type(), BS_AUTOCHECKBOX);
}

TEST_F(KindsTest, ARadioButtonCheckedUnchecksItsSiblings) {
  auto* one = form->Get<TRadioButton>("Radio1");
  auto* two = form->Get<TRadioButton>("Radio2");
  ClickMiddle(two->Handle());
  EXPECT_TRUE(two->Checked());
  EXPECT_FALSE(one->Checked());
  EXPECT_EQ(SendMessageW(one->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ClickMiddle(two->Handle());  // already checked: nothing changes
  one->SetChecked(true);
  EXPECT_FALSE(two->Checked());
  EXPECT_EQ(SendMessageW(two->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(form->events, (std::vector<std::string>{"Radio2.click", "Radio1.click"}));
}

// ---- tab controls ----

TEST_F(KindsTest, TabClickSelectsAndFiresOnChange) {
  auto* tabs = form->Get<TTabControl>("Tabs");
  RECT item{};
  ASSERT_TRUE(SendMessageW(tabs->Handle(), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item)));
  Click(tabs->Handle(), (item.left + item.right) / 2, (item.top + item.bottom) / 2);
  EXPECT_EQ(GetPropInt(tabs, "TabIndex"), 2);
  EXPECT_EQ(form->events, std::vector<std::string>{"Tabs.change"});

  tabs->SetTabIndex(0);  // in code: no event
  EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETCURSEL, 0, 0), 0);
  tabs->SetTabs({L"only"});
  EXPECT_EQ(tabs->TabIndex(), 0);
  tabs->SetTabIndex(5);
  EXPECT_EQ(tabs->TabIndex(), -1);
  EXPECT_EQ(form->events.size(), 1u);
}

TEST_F(KindsTest, TabSidesSizesAndTheDisplayArea) {
  auto* tabs = form->Get<TTabControl>("Tabs");
  auto* pages = form->Get<TPageControl>("Pages");
  RECT item{};
  SendMessageW(tabs->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const RECT display = tabs->DisplayRect();
  EXPECT_EQ(item.bottom - item.top, 30) << "TabHeight";
  EXPECT_GE(item.top, display.bottom) << "bottom tabs lie below the display area";
  auto* client = form->Get<TPanel>("Client");
  EXPECT_EQ(Text(client->BoundsRect()), Text(display)) << "an aligned child fills the display area";

  SendMessageW(pages->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const RECT page = pages->DisplayRect();
  EXPECT_LE(item.right, page.left) << "left tabs lie left of the pages";
  EXPECT_EQ(item.bottom - item.top, 60) << "TabWidth runs along the side";
  EXPECT_EQ(Text(form->Get<TTabSheet>("Sheet")->BoundsRect()), Text(page));

  // Another side makes the window again; the pages follow.
  EXPECT_TRUE(SetPropText(pages, "TabPosition", L"tpRight"));
  SendMessageW(pages->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_GE(item.left, pages->DisplayRect().right);
  EXPECT_EQ(Text(form->Get<TTabSheet>("Sheet")->BoundsRect()), Text(pages->DisplayRect()));
  EXPECT_TRUE(IsWindowVisible(form->Get<TTabSheet>("Sheet")->Handle()));
}

// ---- tab sets ----

TEST_F(KindsTest, TabSetClickAsksOnChangeAndSelects) {
  auto* set = form->Get<TTabSet>("TabSet");
  const RECT second = set->TabRect(1);
  ASSERT_FALSE(Empty(second));
  EXPECT_EQ(second.left, set->TabRect(0).right) << "tabs follow one another";
  EXPECT_EQ(set->TabRect(0).left, 7) << "StartMargin";

  Click(set->Handle(), (second.left + second.right) / 2, 10);
  EXPECT_EQ(GetPropInt(set, "TabIndex"), 1);
  form->veto_tab = 2;
  const RECT third = set->TabRect(2);
  Click(set->Handle(), (third.left + third.right) / 2, 10);
  EXPECT_EQ(set->TabIndex(), 1) << "the change was refused";
  Click(set->Handle(), set->Width() - 2, 10);  // beside the tabs
  EXPECT_EQ(form->events, (std::vector<std::string>{"TabSet.change 1", "TabSet.change 2"}));
}

// The page edge runs along the side the tabs stand on and is broken by the selected tab.
TEST_F(KindsTest, TabSetPaintsThePageEdgeBrokenByTheSelectedTab) {
  auto* set = form->Get<TTabSet>("TabSet");
  const COLORREF edge = GetSysColor(COLOR_WINDOWFRAME), face = GetSysColor(COLOR_BTNFACE);
  for (TTabPosition side : {TTabPosition::tpTop, TTabPosition::tpBottom}) {
    set->SetTabPosition(side);
    const TPixels px = Capture(set->Handle());
    const int row = side == TTabPosition::tpTop ? px.Height() - 1 : 0;
    const RECT selected = set->TabRect(0), other = set->TabRect(2);
    EXPECT_EQ(px.At((selected.left + selected.right) / 2, row), face) << int(side);
    EXPECT_EQ(px.At((other.left + other.right) / 2, row), edge) << int(side);
    EXPECT_EQ(px.At(2, row), edge) << int(side);
    EXPECT_EQ(px.At(2, px.Height() - 1 - row), face) << int(side) << ": no edge on the far side";
  }
}

TEST_F(KindsTest, TabSetScrollsWhenItsTabsDoNotFit) {
  auto* set = form->Get<TTabSet>("TabSet");
  EXPECT_FALSE(IsWindowVisible(set->Scroller()->Handle()));
  EXPECT_EQ(set->Components(0), set->Scroller()) << "the arrows are its first owned component";
  set->SetTabs({L"一月份", L"二月份", L"三月份", L"四月份", L"五月份", L"六月份", L"七月份", L"八月份"});
  ASSERT_TRUE(IsWindowVisible(set->Scroller()->Handle()));
  const RECT arrows = set->Scroller()->BoundsRect();
  int shown = 0;
  for (int i = 0; i < 8; ++i) {
    const RECT r = set->TabRect(i);
    if (Empty(r)) continue;
    ++shown;
    EXPECT_LE(r.right, arrows.left) << "tab " << i << " runs under the arrows";
  }
  ASSERT_GT(shown, 0);
  ASSERT_LT(shown, 8);

  const RECT a = HwndClientRect(set->Scroller()->Handle());
  Click(set->Scroller()->Handle(), a.right * 3 / 4, a.bottom / 2);
  EXPECT_EQ(set->FirstIndex(), 1);
  EXPECT_TRUE(Empty(set->TabRect(0)));

  set->SetTabIndex(7);  // scrolled into view
  EXPECT_FALSE(Empty(set->TabRect(7)));
}

// ---- bitmap buttons ----

class BitBtnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    form = new TForm(Application);
    form->SetBounds(20, 20, 300, 200);
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000));
  }
  void TearDown() override { DoneApplication(); }
  TBitBtn* MakeButton(int cells, const std::wstring& caption, int w = 120, int h = 64) {
    auto* b = new TBitBtn(form);
    b->SetParent(form);
    b->SetBounds(10, 10, w, h);
    b->SetCaption(caption);
    auto strip = MakeStrip(cells);
    b->SetGlyph(strip.get());
    b->SetNumGlyphs(cells);
    return b;
  }
  TForm* form = nullptr;
};

TEST_F(BitBtnTest, GlyphAndCaptionLandWhereLayoutMarginAndSpacingSay) {
  constexpr int W = 120, H = 64;
  struct TCase {
    TButtonLayout layout;
    int margin, spacing;
    POINT glyph;  // the cell's top-left corner
  } cases[] = {
      {TButtonLayout::blGlyphLeft, 5, 3, {5, (H - kCellH + 1) / 2}},
      {TButtonLayout::blGlyphRight, 7, 6, {W - 7 - kCellW, (H - kCellH + 1) / 2}},
      {TButtonLayout::blGlyphTop, 4, 2, {(W - kCellW + 1) / 2, 4}},
      {TButtonLayout::blGlyphBottom, 6, 5, {(W - kCellW + 1) / 2, H - 6 - kCellH}},
  };
  for (const TCase& c : cases) {
    auto* b = MakeButton(1, L"Go");
    b->SetLayout(c.layout);
    b->SetMargin(c.margin);
    b->SetSpacing(c.spacing);
    const TPixels px = Capture(b->Handle());
    const RECT want{c.glyph.x + 1, c.glyph.y + 1, c.glyph.x + kCellW - 1, c.glyph.y + kCellH - 1};
    EXPECT_EQ(Text(px.Bounds(kCellColours[0])), Text(want)) << "layout " << int(c.layout);
    EXPECT_EQ(px.At(c.glyph.x, c.glyph.y), GetSysColor(COLOR_BTNFACE)) << "the glyph's border is left out";

    // The caption keeps Spacing from the glyph on the layout's side (ink may start a pixel
    // or two inside the text's box).
    const RECT ink = px.DarkBounds({4, 4, W - 4, H - 4});
    ASSERT_FALSE(Empty(ink)) << int(c.layout);
    switch (c.layout) {
      case TButtonLayout::blGlyphLeft:
        EXPECT_NEAR(ink.left, c.glyph.x + kCellW + c.spacing, 2) << Text(ink);
        break;
      case TButtonLayout::blGlyphRight:
        EXPECT_NEAR(ink.right, c.glyph.x - c.spacing, 2) << Text(ink);
        break;
      case TButtonLayout::blGlyphTop:
        EXPECT_GE(ink.top, c.glyph.y + kCellH + c.spacing) << Text(ink);
        EXPECT_LE(ink.top, c.glyph.y + kCellH + c.spacing + 4) << Text(ink);
        break;
      case TButtonLayout::blGlyphBottom:
        EXPECT_LE(ink.bottom, c.glyph.y - c.spacing) << Text(ink);
        EXPECT_GE(ink.bottom, c.glyph.y - c.spacing - 4) << Text(ink);
        break;
    }
    b->Free();
  }
}

TEST_F(BitBtnTest, FreeMarginOrSpacingSharesTheRoomLeft) {
  constexpr int W = 120;
  auto* b = MakeButton(1, L"Go");
  // Both free: margin, gap and what is left after the caption are equal.
  b->SetMargin(-1);
  b->SetSpacing(-1);
  TPixels px = Capture(b->Handle());
  RECT glyph = px.Bounds(kCellColours[0]);
  RECT ink = px.DarkBounds({4, 4, W - 4, 60});
  const int margin = glyph.left - 1, gap = ink.left - (glyph.right + 1);
  EXPECT_NEAR(gap, margin, 2);
  EXPECT_NEAR(W - ink.right, margin, 3);
  // A free margin with a given spacing centres glyph and caption together.
  b->SetSpacing(10);
  px = Capture(b->Handle());
  glyph = px.Bounds(kCellColours[0]);
  ink = px.DarkBounds({4, 4, W - 4, 60});
  EXPECT_NEAR(ink.left - (glyph.right + 1), 10, 2);
  EXPECT_NEAR(glyph.left - 1, W - ink.right, 3);
}

TEST_F(BitBtnTest, TheCellFollowsTheState) {
  enum class State { Normal, Disabled, Pressed };
  struct TCase {
    const char* name;
    int cells;
    State state;
    COLORREF shown;  // 0: the embossed copy
    int shift;       // pressed faces move down and right
  } cases[] = {
      {"normal", 3, State::Normal, kCellColours[0], 0},
      {"disabled, own cell", 2, State::Disabled, kCellColours[1], 0},
      {"pressed, own cell", 3, State::Pressed, kCellColours[2], 1},
      {"pressed, no cell of its own", 1, State::Pressed, kCellColours[0], 1},
      {"disabled, no cell of its own", 1, State::Disabled, 0, 0},
  };
  for (const TCase& c : cases) {
    auto* b = MakeButton(c.cells, L"");
    b->SetMargin(8);
    if (c.state == State::Disabled) b->SetEnabled(false);
    if (c.state == State::Pressed) SendMessageW(b->Handle(), BM_SETSTATE, TRUE, 0);
    const TPixels px = Capture(b->Handle());
    const POINT at{8 + c.shift, (64 - kCellH + 1) / 2 + c.shift};
    const RECT inside{at.x + 1, at.y + 1, at.x + kCellW - 1, at.y + kCellH - 1};
    for (int i = 0; i < 4; ++i) {
      if (kCellColours[i] != c.shown) {
        EXPECT_TRUE(Empty(px.Bounds(kCellColours[i]))) << c.name << ": cell " << i + 1;
      }
    }
    if (c.shown) {
      EXPECT_EQ(Text(px.Bounds(c.shown)), Text(inside)) << c.name;
    } else {
      // The dark pixels in the shadow colour, their copy one pixel down and right in the
      // highlight colour beneath.
      EXPECT_EQ(px.At(inside.left, inside.top), GetSysColor(COLOR_BTNSHADOW)) << c.name;
      EXPECT_EQ(px.At(inside.right - 1, inside.bottom - 1), GetSysColor(COLOR_BTNSHADOW)) << c.name;
      EXPECT_EQ(px.At(inside.right, inside.bottom), GetSysColor(COLOR_BTNHIGHLIGHT)) << c.name;
      EXPECT_EQ(px.At(inside.left - 1, inside.top - 1), GetSysColor(COLOR_BTNFACE)) << c.name;
    }
    b->Free();
  }
}

TEST_F(BitBtnTest, KindsGiveCaptionModalResultAndRole) {
  struct TCase {
    TBitBtnKind kind;
    const wchar_t* caption;
    int modal_result;
    bool is_default, is_cancel;
  } cases[] = {
      {TBitBtnKind::bkOK, L"OK", mrOk, true, false},
      {TBitBtnKind::bkCancel, L"Cancel", mrCancel, false, true},
      {TBitBtnKind::bkYes, L"&Yes", mrYes, true, false},
      {TBitBtnKind::bkNo, L"&No", mrNo, false, true},
      {TBitBtnKind::bkAbort, L"Abort", mrAbort, false, false},
      {TBitBtnKind::bkAll, L"&All", mrAll, false, false},
  };
  auto* b = MakeButton(1, L"x");
  for (const TCase& c : cases) {
    b->SetKind(c.kind);
    EXPECT_EQ(b->Caption(), c.caption);
    EXPECT_EQ(b->ModalResult(), c.modal_result) << WideToUtf8(c.caption);
    EXPECT_EQ(b->Default(), c.is_default) << WideToUtf8(c.caption);
    EXPECT_EQ(b->Cancel(), c.is_cancel) << WideToUtf8(c.caption);
    EXPECT_EQ(GetWindowLongPtrW(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << "still painted by us";
  }
}

TEST_F(BitBtnTest, EveryPressClicksAndACloseButtonClosesItsForm) {
  auto* b = MakeButton(1, L"关");
  int clicks = 0, closes = 0;
  struct TCounter {
    int* n;
    void Count(TObject*) { ++*n; }
    void Closing(TObject*, TCloseAction& action) {
      ++*n;
      action = TCloseAction::caNone;
    }
  } click_counter{&clicks}, close_counter{&closes};
  b->OnClick = TNotifyEvent::Bind<&TCounter::Count>(&click_counter);
  form->OnClose = TCloseEvent::Bind<&TCounter::Closing>(&close_counter);
  const LPARAM at = MAKELPARAM(20, 20);
  // A quick second press arrives as a double-click.
  SendMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(b->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageW(b->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(b->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(closes, 0);
  b->SetKind(TBitBtnKind::bkClose);
  SendMessageW(b->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(closes, 1);
}

// ---- panels ----

// Left to right along a panel's middle row: outer bevel, border, inner bevel, then the
// inside; aligned children start after all three.
TEST_F(KindsTest, PanelFrameAndAlignedChildren) {
  struct TCase {
    TPanelBevel outer, inner;
    int bevel_width, border_width;
    std::vector<int> row;  // colours from the left edge: 'h'ighlight, 's'hadow, 'f'ace
  } cases[] = {
      {TPanelBevel::bvRaised, TPanelBevel::bvLowered, 2, 3, {'h', 'h', 'f', 'f', 'f', 's', 's'}},
      {TPanelBevel::bvLowered, TPanelBevel::bvNone, 1, 0, {'s'}},
      {TPanelBevel::bvSpace, TPanelBevel::bvRaised, 2, 1, {'f', 'f', 'f', 'h', 'h'}},
      {TPanelBevel::bvNone, TPanelBevel::bvNone, 1, 2, {'f', 'f'}},
  };
  auto* panel = form->Get<TPanel>("Panel");
  auto* inner = form->Get<TPanel>("Inner");
  inner->SetVisible(false);
  for (const TCase& c : cases) {
    panel->SetBevelOuter(c.outer);
    panel->SetBevelInner(c.inner);
    panel->SetBevelWidth(c.bevel_width);
    panel->SetBorderWidth(c.border_width);
    const int frame = static_cast<int>(c.row.size());
    EXPECT_EQ(panel->FrameWidth(), frame);
    const TPixels px = Capture(panel->Handle());
    for (int x = 0; x < frame; ++x) {
      const int want = c.row[static_cast<size_t>(x)];
      const COLORREF colour = GetSysColor(want == 'h' ? COLOR_BTNHIGHLIGHT : want == 's' ? COLOR_BTNSHADOW : COLOR_BTNFACE);
      EXPECT_EQ(px.At(x, px.Height() - 10), colour) << "frame " << frame << ", x " << x;
    }
    inner->SetVisible(true);
    EXPECT_EQ(Text(inner->BoundsRect()), Text({frame, frame, panel->Width() - frame, panel->Height() - frame}));
    inner->SetVisible(false);
  }
}

TEST_F(KindsTest, PanelCaptionFollowsAlignment) {
  auto* panel = form->Get<TPanel>("Panel");
  form->Get<TPanel>("Inner")->SetVisible(false);
  panel->SetCaption(L"标题");
  const int w = panel->Width();
  const RECT inside{10, 10, w - 10, panel->Height() - 10};
  struct TCase {
    TAlignment alignment;
    int from, to;  // where the caption's ink lies, across the width
  } cases[] = {
      {TAlignment::taLeftJustify, 0, w / 3},
      {TAlignment::taCenter, w / 3, 2 * w / 3},
      {TAlignment::taRightJustify, 2 * w / 3, w},
  };
  for (const TCase& c : cases) {
    panel->SetAlignment(c.alignment);
    const RECT ink = Capture(panel->Handle()).DarkBounds(inside);
    EXPECT_GE(ink.left, c.from) << int(c.alignment) << " " << Text(ink);
    EXPECT_LE(ink.right, c.to) << int(c.alignment) << " " << Text(ink);
  }
}

// ---- handles ----

// Every control made, painted in each state and freed leaves no GDI or USER object and no
// window behind.
TEST(KindsLeakTest, FreeingTheFormLeavesNothingBehind) {
  auto round = [] {
    InitApplication();
    RegisterControlClasses();
    RegisterComponentClass(TKindsForm::StaticClass());
    auto* form = Application->CreateForm<TKindsForm>();
    form->ReadFormText(FormText());
    form->Show();
    Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000);
    auto* glyphs = form->Get<TBitBtn>("Glyphs");
    Capture(form->Handle());
    glyphs->SetNumGlyphs(1);
    glyphs->SetEnabled(false);
    SendMessageW(form->Get<TBitBtn>("Ok")->Handle(), BM_SETSTATE, TRUE, 0);
    form->Get<TTabSet>("TabSet")->SetTabs({L"一月份", L"二月份", L"三月份", L"四月份", L"五月份", L"六月份"});
    form->Get<TPageControl>("Pages")->SetTabPosition(TTabPosition::tpBottom);
    Capture(form->Handle());
    std::vector<HWND> windows;
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto* w = dynamic_cast<TWinControl*>(form->Components(i))) windows.push_back(w->Handle());
    windows.push_back(form->Get<TTabSet>("TabSet")->Scroller()->Handle());
    DoneApplication();
    return windows;
  };
  round();  // what the library makes once and keeps (the paint buffer)
  const int gdi = LiveGdiHandles(), user = LiveUserHandles();
  for (HWND w : round()) EXPECT_FALSE(IsWindow(w)) << WideToUtf8(HwndGetClassName(w));
  EXPECT_EQ(LiveGdiHandles(), gdi) << "GDI objects left behind";
  EXPECT_EQ(LiveUserHandles(), user) << "hooks, menus or icons left behind";
}

}  // namespace
}  // namespace qn
