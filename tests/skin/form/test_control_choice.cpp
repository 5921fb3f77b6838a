// The skinner control discovery gives each control: every row of the class rules, of the
// Skin3rd kinds and of the window-class table, as one table of cases each.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "platform/win/ComCtrls.h"
#include "platform/win/DBGrids.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/ScrollBars.h"
#include "platform/win/StdCtrls.h"
#include "skin/data/WinSkinData.h"
#include "skin/controls/WinSubClass.h"
#include "skin/form/ControlChoice.h"

namespace qn {
namespace {

// Controls of other libraries (or kinds the class library does not have): a class of that
// name and ancestry, with the published properties the rules read.
#define QN_STAND_IN(Cpp, Name, Base, ...)                                                 \
  class Cpp : public Base {                                                               \
   public:                                                                                \
    using Base::Base;                                                                     \
    static const TClassInfo& StaticClass() {                                              \
      static const TClassInfo info = MakeClass<Cpp, Base>(Name __VA_OPT__(, ) __VA_ARGS__); \
      return info;                                                                        \
    }                                                                                     \
    const TClassInfo& ClassType() const override { return StaticClass(); }                \
  };

QN_STAND_IN(FakeCustomCheckBox, "TCustomCheckBox", TWinControl)
QN_STAND_IN(FakeCheckBox, "TCheckBox", FakeCustomCheckBox)
QN_STAND_IN(FakeRadioButton, "TRadioButton", TWinControl)
QN_STAND_IN(FakeBitBtn, "TBitBtn", TButton)
QN_STAND_IN(FakeSpeedButton, "TSpeedButton", TGraphicControl)
QN_STAND_IN(FakeTabControl, "TTabControl", TCustomTabControl)
QN_STAND_IN(FakeTabSet, "TTabSet", TCustomControl)
QN_STAND_IN(FakeTabbedNotebook, "TTabbedNotebook", TWinControl)
QN_STAND_IN(FakeMvcPanel, "TMVCPanel", TWinControl)
QN_STAND_IN(FakeHeader, "THeaderControl", TWinControl)
QN_STAND_IN(FakeTrackBar, "TTrackBar", TWinControl)
QN_STAND_IN(FakeUpDown, "TUpDown", TWinControl)
QN_STAND_IN(FakeSpinButton, "TSpinButton", TWinControl)
QN_STAND_IN(FakeMediaPlayer, "TMediaPlayer", TWinControl)
QN_STAND_IN(FakeCustomRadioGroup, "TCustomRadioGroup", TCustomGroupBox)
QN_STAND_IN(FakeRadioGroup, "TRadioGroup", FakeCustomRadioGroup)
QN_STAND_IN(FakeDbNavigator, "TDBNavigator", TCustomPanel)
QN_STAND_IN(FakeRzCheckBox, "TRzCheckBox", TWinControl)
QN_STAND_IN(FakeRzDbRadioButton, "TRzDBRadioButton", TWinControl)
QN_STAND_IN(FakeCxCheckBox, "TcxCheckBox", TWinControl)
QN_STAND_IN(FakeToolBar, "TToolBar", TWinControl)
QN_STAND_IN(FakeCoolBar, "TCoolBar", TWinControl)
QN_STAND_IN(FakeProgressBar, "TProgressBar", TWinControl)
QN_STAND_IN(FakeTntComboBox, "TTntComboBox", TWinControl)
QN_STAND_IN(FakeCustomComboBox, "TCustomComboBox", TWinControl)
QN_STAND_IN(FakeComboBox, "TComboBox", FakeCustomComboBox)
QN_STAND_IN(FakeRichEdit, "TRichEdit", TWinControl)
QN_STAND_IN(FakeWwRichEdit, "TwwDBRichEdit", TWinControl)
QN_STAND_IN(FakeDxTreeList, "TdxTreeList", TWinControl)
QN_STAND_IN(FakeCustomListView, "TCustomListView", TWinControl)
QN_STAND_IN(FakeListView, "TListView", FakeCustomListView)
QN_STAND_IN(FakeCustomListBox, "TCustomListBox", TWinControl)
QN_STAND_IN(FakeListBox, "TListBox", FakeCustomListBox)
QN_STAND_IN(FakeCustomFrame, "TCustomFrame", TWinControl)
QN_STAND_IN(FakeFrame, "TFrame", FakeCustomFrame)
QN_STAND_IN(FakeComboBoxEh, "TDBComboBoxEh", TWinControl)
QN_STAND_IN(FakeRzGroup, "TRzGroup", TWinControl)
QN_STAND_IN(FakeRzRadioGroup, "TRzRadioGroup", TCustomGroupBox)
QN_STAND_IN(FakeLmdCheckGroup, "TLMDCheckGroup", TCustomGroupBox)
QN_STAND_IN(FakeLmdEdit, "TLMDEDIT", TWinControl)
QN_STAND_IN(FakeComboBoxEx, "TComboboxex", TWinControl)

const TEnumInfo kTabStyleInfo{{"tsTabs", "tsButtons", "tsFlatButtons"}};
class FakeButtonPages : public TPageControl {
 public:
  using TPageControl::TPageControl;
  static const TClassInfo& StaticClass() {
    static const TClassInfo info = MakeClass<FakeButtonPages, TPageControl>(
        "TButtonPages", {prop::Enum("Style", kTabStyleInfo, &FakeButtonPages::Style, &FakeButtonPages::SetStyle)});
    return info;
  }
  const TClassInfo& ClassType() const override { return StaticClass(); }
  int Style() const { return 1; }
  void SetStyle(int) {}
};

const TEnumInfo kCxButtonKindInfo{{"cxbkStandard", "cxbkDropDown", "cxbkDropDownButton"}};
class FakeCxButton : public TWinControl {
 public:
  using TWinControl::TWinControl;
  static const TClassInfo& StaticClass() {
    static const TClassInfo info = MakeClass<FakeCxButton, TWinControl>(
        "TcxButton", {prop::Enum("Kind", kCxButtonKindInfo, &FakeCxButton::Kind, &FakeCxButton::SetKind)});
    return info;
  }
  const TClassInfo& ClassType() const override { return StaticClass(); }
  int Kind() const { return kind; }
  void SetKind(int k) { kind = k; }
  int kind = 2;
};

const TEnumInfo kDateModeInfo{{"dmComboBox", "dmUpDown"}};
const TEnumInfo kDateKindInfo{{"dtkDate", "dtkTime"}};
class FakeDateTimePicker : public TWinControl {
 public:
  using TWinControl::TWinControl;
  static const TClassInfo& StaticClass() {
    static const TClassInfo info = MakeClass<FakeDateTimePicker, TWinControl>(
        "TDateTimePicker", {prop::Enum("DateMode", kDateModeInfo, &FakeDateTimePicker::DateMode, &FakeDateTimePicker::SetDateMode),
                            prop::Enum("Kind", kDateKindInfo, &FakeDateTimePicker::Kind, &FakeDateTimePicker::SetKind)});
    return info;
  }
  const TClassInfo& ClassType() const override { return StaticClass(); }
  int DateMode() const { return mode; }
  void SetDateMode(int m) { mode = m; }
  int Kind() const { return kind; }
  void SetKind(int k) { kind = k; }
  int mode = 0, kind = 0;
};

class FakeDcEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  static const TClassInfo& StaticClass() {
    static const TClassInfo info =
        MakeClass<FakeDcEdit, TWinControl>("TDCEdit", {prop::Int("NumButtons", &FakeDcEdit::NumButtons, &FakeDcEdit::SetNumButtons)});
    return info;
  }
  const TClassInfo& ClassType() const override { return StaticClass(); }
  int NumButtons() const { return buttons; }
  void SetNumButtons(int n) { buttons = n; }
  int buttons = 1;
};

// A control that carries a menu of its own.
class FakeMenuOwner : public TWinControl {
 public:
  using TWinControl::TWinControl;
  static const TClassInfo& StaticClass() {
    static const TClassInfo info =
        MakeClass<FakeMenuOwner, TWinControl>("TMenuOwner", {prop::Obj("Menu", &FakeMenuOwner::Menu)});
    return info;
  }
  const TClassInfo& ClassType() const override { return StaticClass(); }
  TComponent* Menu() const { return const_cast<TComponent*>(&menu); }
  TComponent menu{nullptr};
};

using K = TSkinnerKind;
using I = TSkinnerInit;
using W = TChildWalk;

constexpr TSkinControlTypes kAll = ~0u;
constexpr TSkinControlTypes Without(int member) { return kAll & ~Bit(member); }

struct Expect {
  int rule;
  K kind;
  I init = I::Init0;
  int variant = 0;
  W walk = W::None;
  K child = K::None;
};

class ControlChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    form = Application->CreateForm<TForm>();
    form->SetBounds(10, 10, 400, 300);
  }
  void TearDown() override { DoneApplication(); }

  template <class C>
  std::function<TControl*()> Make(std::function<void(C*)> setup = {}) {
    return [this, setup] {
      auto* c = new C(form);
      if (auto* w = dynamic_cast<TWinControl*>(static_cast<TControl*>(c)); w && !dynamic_cast<TCustomForm*>(w))
        w->SetParent(form);
      else if (auto* g = dynamic_cast<TGraphicControl*>(static_cast<TControl*>(c)))
        g->SetParent(form);
      if (setup) setup(c);
      return c;
    };
  }

  void Check(const char* what, TControl* control, const TChoiceContext& ctx, const Expect& e) {
    SCOPED_TRACE(what);
    const TSkinnerChoice c = ChooseForControl(control, ctx);
    EXPECT_EQ(c.rule, e.rule);
    EXPECT_STREQ(SkinnerClassName(c.kind), SkinnerClassName(e.kind));
    if (e.kind != K::None) {
      EXPECT_EQ(c.init, e.init);
      EXPECT_EQ(c.variant, e.variant);
    }
    EXPECT_EQ(c.walk, e.walk);
    EXPECT_STREQ(SkinnerClassName(c.child_kind), SkinnerClassName(e.child));
  }

  TForm* form = nullptr;
};

TEST_F(ControlChoiceTest, ClassRules) {
  struct Case {
    const char* what;
    std::function<TControl*()> make;
    TSkinControlTypes set;
    Expect expect;
    bool tab_object = true;
    bool main_menu = false;
  } cases[] = {
      {"a stand-alone tab control", Make<FakeTabControl>(), kAll, {1, K::Tab, I::Init0, 2}},
      {"a page control of tabs", Make<TPageControl>(), kAll, {1, K::Tab}},
      {"a page control of buttons", Make<FakeButtonPages>(), kAll, {1, K::TabBtn}},
      {"a page control, the skin without tabs", Make<TPageControl>(), kAll, {0, K::None}, false},
      {"a page control without xcTab", Make<TPageControl>(), Without(xcTab), {0, K::None}},
      {"a control with its own menu, menu bar skinned", Make<FakeMenuOwner>(), kAll, {2, K::None}, true, true},
      {"a control with its own menu, menu bar not skinned", Make<FakeMenuOwner>(), kAll, {0, K::None}},
      {"a banded tool-bar container", Make<FakeCoolBar>(), kAll, {3, K::None}},
      {"a tab set", Make<FakeTabSet>(), kAll, {4, K::Tab31}},
      {"a tab set, the skin without tabs", Make<FakeTabSet>(), kAll, {0, K::None}, false},
      {"a tab sheet", [this] {
         auto* pages = new TPageControl(form);
         pages->SetParent(form);
         auto* sheet = new TTabSheet(form);
         sheet->SetPageControl(pages);
         return static_cast<TControl*>(sheet); }, kAll, {5, K::TabSheet}},
      {"a tabbed notebook", Make<FakeTabbedNotebook>(), kAll, {6, K::Tab}},
      {"an MVC panel", Make<FakeMvcPanel>(), kAll, {7, K::None, I::Init0, 0, W::ChildrenAfter}},
      {"a header control", Make<FakeHeader>(), kAll, {8, K::Header}},
      {"a header control without xcPanel", Make<FakeHeader>(), Without(xcPanel), {0, K::None}},
      {"a check box", Make<FakeCheckBox>(), kAll, {9, K::CheckBox}},
      {"a check box of the class library", Make<TCheckBox>(), kAll, {9, K::CheckBox}},
      {"a check box without xcCheckBox stays plain", Make<TCheckBox>(), Without(xcCheckBox), {0, K::None}},
      {"a track bar", Make<FakeTrackBar>(), kAll, {10, K::TrackBar}},
      {"an up-down", Make<FakeUpDown>(), kAll, {11, K::UpDown}},
      {"a spin button", Make<FakeSpinButton>(), kAll, {11, K::UpDown}},
      {"a media player", Make<FakeMediaPlayer>(), kAll, {12, K::MediaPlayer}},
      {"a radio group", Make<FakeRadioGroup>(), kAll, {13, K::GroupBox, I::Init1, 0, W::None, K::RadioButton}},
      {"a radio group without xcRadioButton: a group box", Make<FakeRadioGroup>(), Without(xcRadioButton),
       {18, K::GroupBox, I::Init0, 0, W::ChildrenFirst}},
      {"a radio group of the class library", Make<TRadioGroup>(), kAll,
       {13, K::GroupBox, I::Init1, 0, W::None, K::RadioButton}},
      {"a data navigator", Make<FakeDbNavigator>(), kAll, {14, K::Box, I::Init1, 0, W::EachChild}},
      {"a TRz check box", Make<FakeRzCheckBox>(), kAll, {15, K::ObjImage, I::Init1, 1}},
      {"a TRz radio button", Make<FakeRzDbRadioButton>(), kAll, {16, K::ObjImage, I::Init1, 2}},
      {"a Tcx check box", Make<FakeCxCheckBox>(), kAll, {17, K::ObjImage, I::Init1, 3}},
      {"a group box", Make<TGroupBox>(), kAll, {18, K::GroupBox, I::Init0, 0, W::ChildrenFirst}},
      {"a group box without xcPanel", Make<TGroupBox>(), Without(xcPanel), {0, K::None}},
      {"a radio button", Make<FakeRadioButton>(), kAll, {19, K::RadioButton}},
      {"a radio button of the class library", Make<TRadioButton>(), kAll, {19, K::RadioButton}},
      {"a radio button without xcRadioButton stays plain", Make<TRadioButton>(), Without(xcRadioButton), {0, K::None}},
      {"a tool bar", Make<FakeToolBar>(), kAll, {20, K::Box}},
      {"a status bar", Make<TStatusBar>(), kAll, {21, K::StatusBar}},
      {"a progress bar", Make<FakeProgressBar>(), kAll, {22, K::Progress}},
      {"a stand-alone scroll bar", Make<TScrollBar>(), kAll, {23, K::ScControl, I::Scrollbar}},
      {"a stand-alone scroll bar without xcScrollbar stays plain", Make<TScrollBar>(), Without(xcScrollbar),
       {0, K::None}},
      {"a scroll box whose content fits stays plain", Make<TScrollBox>(), kAll, {0, K::None}},
      {"a scroll box with content past its edges: its bars", Make<TScrollBox>([](TScrollBox* box) {
         auto* inside = new TPanel(box);
         inside->SetParent(box);
         inside->SetBounds(0, 0, 600, 600);
         box->HandleNeeded();
       }),
       kAll, {36, K::Scrollbar, I::Scrollbar}},
      {"a Tnt combo box", Make<FakeTntComboBox>(), kAll, {24, K::ComBox}},
      {"a combo box", Make<FakeComboBox>(), kAll, {25, K::ComBox}},
      {"a date picker", Make<FakeDateTimePicker>(), kAll, {26, K::DateTime}},
      {"a date picker with an up-down", Make<FakeDateTimePicker>([](FakeDateTimePicker* p) { p->mode = 1; }), kAll,
       {26, K::Edit}},
      {"a time picker", Make<FakeDateTimePicker>([](FakeDateTimePicker* p) { p->kind = 1; }), kAll, {26, K::Edit}},
      {"a rich edit", Make<FakeRichEdit>(), kAll, {27, K::Scrollbar, I::Scrollbar}},
      {"a wwDB rich edit", Make<FakeWwRichEdit>(), kAll, {28, K::Scrollbar, I::Scrollbar}},
      {"a bitmap button", Make<FakeBitBtn>(), kAll, {29, K::BitButton}},
      {"a bitmap button without xcBitBtn stays plain", Make<FakeBitBtn>(), Without(xcBitBtn), {29, K::None}},
      {"a speed button", Make<FakeSpeedButton>(), kAll, {30, K::SpeedButton, I::Graphic}},
      {"a panel", Make<TPanel>(), kAll, {31, K::Box, I::Init1, 0, W::ChildrenFirst}},
      {"a dx tree list", Make<FakeDxTreeList>(), kAll, {32, K::Scrollbar, I::Scrollbar}},
      {"a list view", Make<FakeListView>(), kAll, {33, K::ListView, I::Scrollbar}},
      {"a memo: its scroll bars, not an edit", Make<TMemo>(), kAll, {34, K::Scrollbar, I::Scrollbar}},
      {"a memo without xcScrollbar: an edit", Make<TMemo>(), Without(xcScrollbar), {38, K::Edit}},
      {"a grid", Make<TDBGrid>(), kAll, {35, K::Scrollbar, I::Scrollbar}},
      {"a list box", Make<FakeListBox>(), kAll, {36, K::Scrollbar, I::Scrollbar}},
      {"a push button", Make<TButton>(), kAll, {37, K::Button}},
      {"a push button without xcButton", Make<TButton>(), Without(xcButton), {0, K::None}},
      {"an edit", Make<TEdit>(), kAll, {38, K::Edit}},
      {"a form inside the form", Make<TForm>(), kAll, {39, K::Box, I::Init1, 0, W::OwnedControls}},
      {"a frame", Make<FakeFrame>(), kAll, {39, K::None, I::Init0, 0, W::OwnedControls}},
      {"a DC edit with one button", Make<FakeDcEdit>(), kAll, {40, K::ComBox}},
      {"a DC edit without buttons", Make<FakeDcEdit>([](FakeDcEdit* e) { e->buttons = 0; }), kAll, {40, K::Edit, I::Hwnd}},
      {"a label stays plain", Make<TLabel>(), kAll, {0, K::None}},
      {"an image stays plain", Make<TImage>(), kAll, {0, K::None}},
      {"a combo box of another library left alone by name", Make<FakeComboBoxEh>(), kAll, {0, K::None}},
  };
  for (const Case& c : cases) {
    TChoiceContext ctx;
    ctx.controls = c.set;
    ctx.has_tab_object = c.tab_object;
    ctx.main_menu = c.main_menu;
    Check(c.what, c.make(), ctx, c.expect);
  }
}

TEST_F(ControlChoiceTest, Skin3rdKinds) {
  struct Case {
    const char* what;
    std::function<TControl*()> make;
    std::vector<std::wstring> lines;
    TSkinControlTypes set;
    Expect expect;
    bool tab_object = true;
  } cases[] = {
      {"nil: left alone though a class rule would match", Make<TButton>(), {L"TButton=nil"}, kAll, {kSkin3rdRule, K::None}},
      {"an unknown kind: left alone", Make<TButton>(), {L"TButton=whatever"}, kAll, {kSkin3rdRule, K::None}},
      {"combobox", Make<FakeTntComboBox>(), {L"TTntComboBox=combobox"}, kAll, {kSkin3rdRule, K::ComBox}},
      {"combobox, gate off: left alone", Make<FakeTntComboBox>(), {L"TTntComboBox=combobox"}, Without(xcCombo),
       {kSkin3rdRule, K::None}},
      {"comboboxex", Make<FakeComboBoxEx>(), {L"TComboboxex=comboboxex"}, kAll, {kSkin3rdRule, K::ComBox}},
      {"edit without a border: left alone", Make<FakeLmdEdit>(), {L"TLMDEDIT=edit"}, kAll, {kSkin3rdRule, K::None}},
      {"radiobutton", Make<FakeRadioButton>(), {L"TRadioButton=radiobutton"}, kAll, {kSkin3rdRule, K::RadioButton}},
      {"panel", Make<FakeRzGroup>(), {L"TRzGroup=Panel"}, kAll, {kSkin3rdRule, K::Box, I::Init1}},
      {"trackbar", Make<FakeTrackBar>(), {L"TTrackBar=trackbar"}, kAll, {kSkin3rdRule, K::TrackBar}},
      {"button", Make<FakeMediaPlayer>(), {L"TMediaPlayer=button"}, kAll, {kSkin3rdRule, K::Button}},
      {"datetimepicker", Make<FakeDateTimePicker>(), {L"TDateTimePicker=datetimepicker"}, kAll, {kSkin3rdRule, K::DateTime}},
      {"mediaplayer", Make<FakeMediaPlayer>(), {L"TMediaPlayer=mediaplayer"}, kAll, {kSkin3rdRule, K::MediaPlayer}},
      {"bitbtn", Make<FakeBitBtn>(), {L"TBitBtn=bitbtn"}, kAll, {kSkin3rdRule, K::BitButton}},
      {"bitbtn of a drop-down Tcx button", Make<FakeCxButton>(), {L"TcxButton=bitbtn"}, kAll, {kSkin3rdRule, K::MenuButton}},
      {"bitbtn of a plain Tcx button", Make<FakeCxButton>([](FakeCxButton* b) { b->kind = 0; }), {L"TcxButton=bitbtn"},
       kAll, {kSkin3rdRule, K::BitButton}},
      {"pngbitbtn", Make<FakeBitBtn>(), {L"TBitBtn=pngbitbtn"}, kAll, {kSkin3rdRule, K::BitButton}},
      {"pngspeedbutton", Make<FakeSpeedButton>(), {L"TSpeedButton=pngspeedbutton"}, kAll,
       {kSkin3rdRule, K::SpeedButton, I::Graphic}},
      {"menubtn", Make<FakeBitBtn>(), {L"TBitBtn=menubtn"}, kAll, {kSkin3rdRule, K::MenuButton}},
      {"speedbutton", Make<FakeSpeedButton>(), {L"TSpeedButton=speedbutton"}, kAll, {kSkin3rdRule, K::SpeedButton, I::Graphic}},
      {"tab", Make<FakeTabbedNotebook>(), {L"TTabbedNotebook=tab"}, kAll, {kSkin3rdRule, K::Tab}},
      {"tab, the skin without tabs", Make<FakeTabbedNotebook>(), {L"TTabbedNotebook=tab"}, kAll, {kSkin3rdRule, K::None},
       false},
      {"progress", Make<FakeProgressBar>(), {L"TProgressBar=progress"}, kAll, {kSkin3rdRule, K::Progress}},
      {"scrollbar", Make<FakeDxTreeList>(), {L"TdxTreeList=scrollbar"}, kAll,
       {kSkin3rdRule, K::Scrollbar, I::Scrollbar, 0, W::ChildrenAfter}},
      {"singlescrollbar", Make<FakeDxTreeList>(), {L"TdxTreeList=singlescrollbar"}, kAll,
       {kSkin3rdRule, K::Scrollbar, I::Scrollbar, 1}},
      {"embedscrollbar", Make<FakeDxTreeList>(), {L"TdxTreeList=embedscrollbar"}, kAll,
       {kSkin3rdRule, K::None, I::Init0, 0, W::EmbeddedScrollbars}},
      {"container", Make<FakeMvcPanel>(), {L"TMVCPanel=container"}, kAll, {kSkin3rdRule, K::None, I::Init0, 0, W::ChildrenAfter}},
      {"groupbox", Make<FakeRzGroup>(), {L"TRzGroup=groupbox"}, kAll, {kSkin3rdRule, K::GroupBox, I::Init1}},
      {"advpagecontrol", Make<FakeTabbedNotebook>(), {L"TTabbedNotebook=advpagecontrol"}, kAll,
       {kSkin3rdRule, K::AdvPage, I::Init1, 4}},
      {"radiogroup", Make<FakeRadioGroup>(), {L"TRadioGroup=radiogroup"}, kAll,
       {kSkin3rdRule, K::GroupBox, I::Init1, 0, W::None, K::RadioButton}},
      {"radiogroup of TRz", Make<FakeRzRadioGroup>(), {L"TRzRadioGroup=radiogroup"}, kAll,
       {kSkin3rdRule, K::GroupBox, I::Init1, 0, W::None, K::ObjImage}},
      {"radiogroup without xcRadioButton: the group only", Make<FakeRadioGroup>(), {L"TRadioGroup=radiogroup"},
       Without(xcRadioButton), {kSkin3rdRule, K::GroupBox, I::Init1}},
      {"checkgroup", Make<FakeLmdCheckGroup>(), {L"TLMDCheckGroup=checkgroup"}, kAll,
       {kSkin3rdRule, K::GroupBox, I::Init1, 0, W::None, K::CheckBox}},
      {"checkgroup without xcGroupBox: the children only", Make<FakeLmdCheckGroup>(), {L"TLMDCheckGroup=checkgroup"},
       Without(xcGroupBox), {kSkin3rdRule, K::None, I::Init0, 0, W::None, K::CheckBox}},
      {"checkbox", Make<FakeRzCheckBox>(), {L"TRzCheckBox=checkbox"}, kAll, {kSkin3rdRule, K::CheckBox}},
      {"names and kinds without regard to case", Make<FakeTrackBar>(), {L"ttrackbar=TRACKBAR"}, kAll,
       {kSkin3rdRule, K::TrackBar}},
      {"the first matching line wins", Make<FakeTrackBar>(), {L"TTrackBar=nil", L"TTrackBar=trackbar"}, kAll,
       {kSkin3rdRule, K::None}},
      {"a line matches only the whole class name", Make<FakeComboBox>(), {L"TComboboxex=combobox"}, kAll, {25, K::ComBox}},
  };
  for (const Case& c : cases) {
    TChoiceContext ctx;
    ctx.controls = c.set;
    ctx.skin3rd = &c.lines;
    ctx.has_tab_object = c.tab_object;
    Check(c.what, c.make(), ctx, c.expect);
  }
  // What the panel and track-bar kinds ask of the control first.
  std::vector<std::wstring> lines{L"TRzGroup=panel"};
  TChoiceContext ctx;
  ctx.controls = kAll;
  ctx.skin3rd = &lines;
  const TSkinnerChoice panel = ChooseForControl(Make<FakeRzGroup>()(), ctx);
  ASSERT_EQ(panel.properties.size(), 1u);
  EXPECT_STREQ(panel.properties[0].first, "Transparent");
  EXPECT_STREQ(panel.properties[0].second, L"True");
  // The program's own list: every default line has a kind, and its three repeated lines agree.
  const std::vector<std::wstring>& defaults = DefaultSkin3rd();
  EXPECT_EQ(defaults.size(), 118u);
  bool found = false;
  EXPECT_EQ(Skin3rdKind(defaults, "TLMDFontSizeCombobox", found), L"combobox");
  EXPECT_TRUE(found);
  EXPECT_EQ(Skin3rdKind(defaults, "TComboBox", found), L"");
  EXPECT_FALSE(found);
}

LRESULT CALLBACK QuietProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

TEST_F(ControlChoiceTest, WindowClassTable) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  for (const wchar_t* cls : {L"TPanel", L"TTntPanel.UnicodeClass", L"TTntSilentPaintPanel.UnicodeClass", L"TCheckBox",
                             L"TComboBox", L"TButton", L"TProgressBar", L"TSilentPaintPanel"}) {
    WNDCLASSW wc{};
    if (GetClassInfoW(GetModuleHandleW(nullptr), cls, &wc)) continue;
    wc.lpfnWndProc = QuietProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
  }
  HWND parent = form->Handle();
  std::vector<HWND> made;
  auto child = [&](const wchar_t* cls, DWORD style) {
    HWND w = CreateWindowExW(0, cls, L"x", WS_CHILD | style, 0, 0, 80, 24, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    made.push_back(w);
    return w;
  };
  struct Case {
    const char* what;
    const wchar_t* cls;
    DWORD style;
    TSkinControlTypes set;
    int row;
    K kind;
    W walk = W::None;
  } cases[] = {
      {"a group box", L"BUTTON", BS_GROUPBOX, kAll, 1, K::None},
      {"a bitmap button", L"BUTTON", BS_BITMAP, kAll, 1, K::None},
      {"an auto check box", L"BUTTON", BS_AUTOCHECKBOX, kAll, 2, K::CheckBox},
      {"a check box", L"BUTTON", BS_CHECKBOX, kAll, 2, K::CheckBox},
      {"a three-state box", L"BUTTON", BS_3STATE, kAll, 2, K::CheckBox},
      {"a check box without xcCheckBox", L"BUTTON", BS_AUTOCHECKBOX, Without(xcCheckBox), 2, K::None},
      {"an auto radio button", L"BUTTON", BS_AUTORADIOBUTTON, kAll, 3, K::RadioButton},
      {"a radio button", L"BUTTON", BS_RADIOBUTTON, kAll, 3, K::RadioButton},
      {"a push button", L"BUTTON", BS_PUSHBUTTON, kAll, 4, K::Button},
      {"a default push button", L"BUTTON", BS_DEFPUSHBUTTON, kAll, 4, K::Button},
      {"a push button without xcButton", L"BUTTON", BS_PUSHBUTTON, Without(xcButton), 4, K::None},
      {"an owner-drawn button stays plain", L"BUTTON", BS_OWNERDRAW, kAll, 0, K::None},
      {"a drop-down combo box", L"COMBOBOX", CBS_DROPDOWNLIST, kAll, 5, K::ComBox},
      {"a simple combo box stays plain", L"COMBOBOX", CBS_SIMPLE, kAll, 5, K::None},
      {"a combo box without xcCombo", L"COMBOBOX", CBS_DROPDOWNLIST, Without(xcCombo), 0, K::None},
      {"an extended combo box", WC_COMBOBOXEXW, CBS_DROPDOWNLIST, kAll, 6, K::ComBox},
      {"a size grip", L"SCROLLBAR", SBS_SIZEGRIP, kAll, 7, K::Sizer},
      {"a tree", WC_TREEVIEWW, 0, kAll, 8, K::None},
      {"a nested dialog", L"#32770", 0, kAll, 9, K::BoxH, W::Windows},
      {"a panel window", L"TPanel", 0, kAll, 10, K::None, W::Windows},
      {"a Tnt panel window", L"TTntPanel.UnicodeClass", 0, kAll, 10, K::None, W::Windows},
      {"a Tnt silent panel window", L"TTntSilentPaintPanel.UnicodeClass", 0, kAll, 10, K::None, W::Windows},
      {"a TCheckBox window", L"TCheckBox", 0, kAll, 11, K::CheckBox},
      {"a TComboBox window", L"TComboBox", 0, kAll, 12, K::ComBox},
      {"a TButton window", L"TButton", 0, kAll, 13, K::Button},
      {"a TProgressBar window, whatever the set", L"TProgressBar", 0, 0, 14, K::Progress},
      {"a silent panel window", L"TSilentPaintPanel", 0, kAll, 15, K::None},
      {"a tab control", WC_TABCONTROLW, 0, kAll, 16, K::Tab},
      {"an owner-drawn tab control stays plain", WC_TABCONTROLW, TCS_OWNERDRAWFIXED, kAll, 0, K::None},
      {"a tool bar, whatever the set", TOOLBARCLASSNAMEW, 0, 0, 17, K::BoxH},
      {"an edit", L"EDIT", 0, kAll, 18, K::Edit},
      {"an edit without xcEdit", L"EDIT", 0, Without(xcEdit), 0, K::None},
      {"a static stays plain", L"STATIC", 0, kAll, 0, K::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND w = child(c.cls, c.style);
    ASSERT_TRUE(w);
    TChoiceContext ctx;
    ctx.controls = c.set;
    const TSkinnerChoice choice = ChooseForWindow(w, ctx);
    EXPECT_EQ(choice.rule, c.row ? kWindowRule + c.row : 0);
    EXPECT_STREQ(SkinnerClassName(choice.kind), SkinnerClassName(c.kind));
    if (c.kind != K::None) {
      EXPECT_EQ(choice.init, I::Hwnd);
    }
    EXPECT_EQ(choice.walk, c.walk);
  }
  for (HWND w : made) DestroyWindow(w);
}

// Every kind the tables give has its skinner, except the kinds still pending: a pending kind
// has none yet (whoever builds its skinner takes it off this list), and every other kind's
// skinner is of the class the tables name.
TEST(SkinnerFactory, EveryChosenKindMakesItsSkinnerOrIsPending) {
  using K = TSkinnerKind;
  const std::vector<K> pending = {};
  for (int k = static_cast<int>(K::Button); k <= static_cast<int>(K::ObjImage); ++k) {
    const K kind = static_cast<K>(k);
    SCOPED_TRACE(SkinnerClassName(kind));
    std::unique_ptr<TSkinControl> skinner(MakeControlSkinner(kind, nullptr));
    if (std::find(pending.begin(), pending.end(), kind) != pending.end()) {
      EXPECT_EQ(skinner, nullptr) << "built: take it off the pending list";
      continue;
    }
    ASSERT_NE(skinner, nullptr);
    EXPECT_EQ(skinner->ClassName(), SkinnerClassName(kind));
  }
}

}  // namespace
}  // namespace qn
