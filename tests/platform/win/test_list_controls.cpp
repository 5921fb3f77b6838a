// List boxes, combo boxes, date pickers, list views and rich edits: made from a form
// description, read by property name as the skinners read them, and driven with real messages
// and keys. Every test ends with the handles it started with.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/ComCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/PropAccess.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Subclass.h"
#include "platform/win/WinUtil.h"

namespace qn {
namespace {

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

std::string Join(const std::vector<std::wstring>& items) {
  std::string all;
  for (const std::wstring& s : items) {
    if (!all.empty()) all += '|';
    all += WideToUtf8(s);
  }
  return all;
}

std::string DateText(const SYSTEMTIME& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

SYSTEMTIME Moment(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME t{};
  t.wYear = y;
  t.wMonth = mo;
  t.wDay = d;
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  return t;
}

// A list view row as the window shows it: every column's text.
std::string RowText(HWND list, int row, int columns) {
  std::string all;
  for (int c = 0; c < columns; ++c) {
    wchar_t buf[64] = {};
    LVITEMW it{};
    it.iSubItem = c;
    it.pszText = buf;
    it.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    if (c) all += '|';
    all += WideToUtf8(buf);
  }
  return all;
}

void Key(HWND wnd, WPARAM key) {
  SendMessageW(wnd, WM_KEYDOWN, key, 1);
  SendMessageW(wnd, WM_KEYUP, key, 0xC0000001);
}

void Type(HWND wnd, const std::wstring& text) {
  for (wchar_t ch : text) SendMessageW(wnd, WM_CHAR, ch, 1);
}

void Click(HWND wnd, POINT p, WPARAM keys = 0) {
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
  SendMessageW(wnd, WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
}

POINT ListItemMiddle(HWND list, int index) {
  RECT r{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LONG_PTR Style(HWND wnd) { return GetWindowLongPtrW(wnd, GWL_STYLE); }

// The class library keeps one paint buffer (a DC and a bitmap) for the life of the process;
// painting a form once before the tests makes it, so that the counts see only the tests.
class PaintBufferWarmUp : public ::testing::Environment {
 public:
  void SetUp() override {
    InitApplication();
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 300, 200);
    form->Show();
    UpdateWindow(form->Handle());
    DoneApplication();
  }
};
const auto* const kWarmUp = ::testing::AddGlobalTestEnvironment(new PaintBufferWarmUp);

// ---- the form ----

class TListsForm : public TForm {
  QN_CLASS(TListsForm)
 public:
  explicit TListsForm(TComponent* owner) : TForm(owner) {
    PublishMethod("Clicked", TMethodRef(TNotifyEvent::Bind<&TListsForm::Clicked>(this)));
    PublishMethod("Changed", TMethodRef(TNotifyEvent::Bind<&TListsForm::Changed>(this)));
    PublishMethod("Selected", TMethodRef(TNotifyEvent::Bind<&TListsForm::Selected>(this)));
    PublishMethod("Opened", TMethodRef(TNotifyEvent::Bind<&TListsForm::Opened>(this)));
    PublishMethod("Closed", TMethodRef(TNotifyEvent::Bind<&TListsForm::Closed>(this)));
  }
  void Clicked(TObject* sender) { Note(sender, "click"); }
  void Changed(TObject* sender) { Note(sender, "change"); }
  void Selected(TObject* sender) { Note(sender, "select"); }
  void Opened(TObject* sender) { Note(sender, "open"); }
  void Closed(TObject* sender) { Note(sender, "close"); }
  template <class T>
  T* Get(const char* name) {
    T* c = Find<T>(name);
    if (!c) throw std::runtime_error(std::string("no ") + name);
    return c;
  }
  // The events since the last call, "Name.event" each.
  std::vector<std::string> TakeEvents() { return std::exchange(events_, {}); }

 private:
  void Note(TObject* sender, const char* what) {
    events_.push_back(WideToUtf8(static_cast<TComponent*>(sender)->Name()) + "." + what);
  }
  std::vector<std::string> events_;
};
QN_CLASS_IMPL(TListsForm, TForm)

const char* kForm = R"(object ListsForm: TListsForm
  Left = 20
  Top = 20
  ClientWidth = 640
  ClientHeight = 460
  BorderStyle = bsSingle
  Font.Name = '宋体'
  Font.Height = -12
  object List: TListBox
    Left = 8
    Top = 8
    Width = 140
    Height = 120
    Items.Strings = (
      '梨'
      'apple'
      'Cherry')
    ItemIndex = 1
    OnClick = Clicked
  end
  object Multi: TListBox
    Left = 8
    Top = 136
    Width = 140
    Height = 80
    BorderStyle = bsNone
    MultiSelect = True
    Sorted = True
    Items.Strings = (
      'c'
      'a'
      'b')
    OnClick = Clicked
  end
  object Drawn: TListBox
    Left = 8
    Top = 224
    Width = 140
    Height = 80
    Style = lbOwnerDrawFixed
    ItemHeight = 20
    Items.Strings = (
      'one'
      'two')
    ItemIndex = 1
  end
  object Pick: TComboBox
    Left = 160
    Top = 8
    Style = csDropDownList
    DropDownCount = 4
    Items.Strings = (
      'Apple'
      'Banana'
      'Cherry')
    ItemIndex = 0
    OnChange = Changed
    OnSelect = Selected
    OnDropDown = Opened
    OnCloseUp = Closed
  end
  object Typed: TComboBox
    Left = 160
    Top = 40
    Text = '自己写'
    Items.Strings = (
      'one'
      'two')
    OnChange = Changed
    OnSelect = Selected
  end
  object Simple: TComboBox
    Left = 160
    Top = 72
    Height = 90
    Style = csSimple
    Items.Strings = (
      'x'
      'y')
  end
  object Time: TDateTimePicker
    Left = 320
    Top = 8
    Kind = dtkTime
    OnChange = Changed
  end
  object Day: TDateTimePicker
    Left = 320
    Top = 40
    DateMode = dmUpDown
  end
  object Rows: TListView
    Left = 160
    Top = 176
    Width = 300
    Height = 130
    ViewStyle = vsReport
    RowSelect = True
    GridLines = True
    ReadOnly = True
    Columns = <
      item
        Caption = '名称'
        Width = 80
      end
      item
        Caption = 'B'
        Width = 60
      end>
    OnChange = Changed
  end
  object Rich: TRichEdit
    Left = 8
    Top = 316
    Width = 200
    Height = 120
    ScrollBars = ssBoth
    WordWrap = False
    Lines.Strings = (
      '第一行'
      ''
      'third')
    OnChange = Changed
  end
  object Memo: TMemo
    Left = 220
    Top = 316
    Width = 120
    Height = 120
  end
end
)";

// Every test ends with as many GDI and USER objects of ours alive as it started with, and with
// no subclass binding left over.
class ListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gdi_ = LiveGdiHandles();
    user_ = LiveUserHandles();
    links_ = TWindowSubclass::LiveLinks();
    InitApplication();
    RegisterControlClasses();
    RegisterComponentClass(TListsForm::StaticClass());
    form = Application->CreateForm<TListsForm>();
    form->ReadFormText(kForm);
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000));
  }
  void TearDown() override {
    DoneApplication();
    EXPECT_EQ(LiveGdiHandles(), gdi_) << "GDI objects left behind";
    EXPECT_EQ(LiveUserHandles(), user_) << "hooks, menus or icons left behind";
    EXPECT_EQ(TWindowSubclass::LiveLinks(), links_) << "subclass bindings left behind";
  }
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  TListsForm* form = nullptr;

 private:
  int gdi_ = 0, user_ = 0, links_ = 0;
};

// ---- what the skinners and the form reader see ----

TEST_F(ListsTest, PublishedPropertiesReadByName) {
  struct TCase {
    const char* component;
    const char* prop;
    const char* want;
  } cases[] = {
      {"List", "Items", "梨|apple|Cherry"}, {"List", "ItemIndex", "1"},
      {"List", "BorderStyle", "bsSingle"}, {"List", "Sorted", "False"},
      {"List", "MultiSelect", "False"},    {"List", "Style", "lbStandard"},
      {"Multi", "Items", "a|b|c"},         {"Multi", "BorderStyle", "bsNone"},
      {"Multi", "MultiSelect", "True"},    {"Multi", "Sorted", "True"},
      {"Multi", "ItemIndex", "-1"},        {"Drawn", "Style", "lbOwnerDrawFixed"},
      {"Drawn", "ItemHeight", "20"},       {"Pick", "Style", "csDropDownList"},
      {"Pick", "Items", "Apple|Banana|Cherry"}, {"Pick", "ItemIndex", "0"},
      {"Pick", "Text", "Apple"},           {"Pick", "DropDownCount", "4"},
      {"Typed", "Style", "csDropDown"},    {"Typed", "Text", "自己写"},
      {"Typed", "ItemIndex", "-1"},        {"Simple", "Style", "csSimple"},
      {"Time", "Kind", "dtkTime"},         {"Time", "DateMode", "dmComboBox"},
      {"Day", "Kind", "dtkDate"},          {"Day", "DateMode", "dmUpDown"},
      {"Rows", "ViewStyle", "vsReport"},   {"Rows", "RowSelect", "True"},
      {"Rows", "GridLines", "True"},       {"Rows", "ReadOnly", "True"},
      {"Rows", "BorderStyle", "bsSingle"}, {"Rich", "ScrollBars", "ssBoth"},
      {"Rich", "WordWrap", "False"},       {"Rich", "Lines", "第一行||third"},
      {"Rich", "BorderStyle", "bsSingle"}, {"Rich", "ReadOnly", "False"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(PropAsText(form->Get<TComponent>(c.component), c.prop), c.want) << c.component << "." << c.prop;

  auto* columns = GetPropObject(form->Get<TComponent>("Rows"), "Columns", "TCollection");
  ASSERT_NE(columns, nullptr);
  auto* coll = static_cast<TCollection*>(columns);
  ASSERT_EQ(coll->Count(), 2);
  EXPECT_EQ(PropAsText(coll->Items(0), "Caption"), "名称");
  EXPECT_EQ(PropAsText(coll->Items(1), "Width"), "60");
}

TEST_F(ListsTest, ClassesWindowClassesAndStyles) {
  struct TCase {
    const char* component;
    const char* ancestor;
    const wchar_t* window_class;
    LONG_PTR style_bits;  // all of them set under the mask
    LONG_PTR style_mask;
    int client_edge;  // -1: not asked
  } cases[] = {
      {"List", "TCustomListBox", L"TListBox", LBS_NOTIFY, LBS_NOTIFY | LBS_SORT | LBS_EXTENDEDSEL | LBS_OWNERDRAWFIXED,
       1},
      {"Multi", "TCustomListBox", L"TListBox", LBS_NOTIFY | LBS_SORT | LBS_EXTENDEDSEL,
       LBS_NOTIFY | LBS_SORT | LBS_EXTENDEDSEL, 0},
      {"Drawn", "TWinControl", L"TListBox", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 1},
      {"Pick", "TCustomComboBox", L"TComboBox", CBS_DROPDOWNLIST, 3, -1},
      {"Typed", "TCustomComboBox", L"TComboBox", CBS_DROPDOWN, 3, -1},
      {"Simple", "TCustomComboBox", L"TComboBox", CBS_SIMPLE, 3, -1},
      {"Time", "TWinControl", L"TDateTimePicker", DTS_TIMEFORMAT, DTS_TIMEFORMAT, -1},
      {"Day", "TWinControl", L"TDateTimePicker", DTS_UPDOWN, DTS_TIMEFORMAT, -1},
      {"Rows", "TCustomListView", L"TListView", LVS_REPORT | LVS_SINGLESEL, LVS_TYPEMASK | LVS_SINGLESEL | LVS_EDITLABELS,
       1},
      {"Rich", "TCustomMemo", L"TRichEdit", ES_MULTILINE | WS_HSCROLL | WS_VSCROLL,
       ES_MULTILINE | WS_HSCROLL | WS_VSCROLL | ES_READONLY, 1},
  };
  for (const TCase& c : cases) {
    auto* control = form->Get<TWinControl>(c.component);
    EXPECT_TRUE(control->InheritsFrom(c.ancestor)) << c.component;
    EXPECT_EQ(HwndGetClassName(control->Handle()), c.window_class) << c.component;
    EXPECT_EQ(Style(control->Handle()) & c.style_mask, c.style_bits) << c.component;
    if (c.client_edge >= 0) {
      EXPECT_EQ((GetWindowLongPtrW(control->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, c.client_edge == 1)
          << c.component;
    }
  }
  for (const char* name : {"TListBox", "TComboBox", "TDateTimePicker", "TListView", "TRichEdit"})
    EXPECT_NE(FindClass(name), nullptr) << name;

  // A rich edit underneath, which reports its changes because it was asked to.
  ASSERT_TRUE(RichEditAvailable());
  HWND rich = form->Get<TWinControl>("Rich")->Handle();
  EXPECT_TRUE(SendMessageW(rich, EM_GETEVENTMASK, 0, 0) & ENM_CHANGE);
  // The list view's column header is its own child.
  HWND header = form->Get<TCustomListView>("Rows")->HeaderHandle();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(GetParent(header), form->Get<TWinControl>("Rows")->Handle());
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
}

// A style property set by name makes the window again with that style, and what the control
// held (the user's typing included) survives.
TEST_F(ListsTest, StylePropertiesRemakeTheWindowAndKeepTheContent) {
  auto content = [&](TComponent* c) -> std::string {
    if (auto* l = dynamic_cast<TCustomListBox*>(c)) return Join(l->Items()) + " @" + std::to_string(l->ItemIndex());
    if (auto* b = dynamic_cast<TCustomComboBox*>(c))
      return Join(b->Items()) + " @" + std::to_string(b->ItemIndex()) + " " + WideToUtf8(b->Text());
    if (auto* d = dynamic_cast<TDateTimePicker*>(c)) return DateText(d->DateTime());
    if (auto* v = dynamic_cast<TCustomListView*>(c)) {
      HWND h = v->Handle();
      std::string all = std::to_string(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)) + " @" + std::to_string(v->ItemIndex());
      for (int i = 0; i < v->ItemCount(); ++i) {
        all += ' ';
        all += RowText(h, i, 2);
      }
      return all;
    }
    return WideToUtf8(static_cast<TWinControl*>(c)->GetText());
  };
  auto* rows = form->Get<TCustomListView>("Rows");
  rows->AddItem(L"r0", {L"s0"});
  rows->AddItem(L"r1", {L"s1"});
  rows->SetItemIndex(1);
  ASSERT_TRUE(form->Get<TDateTimePicker>("Day")->SetDateTime(Moment(2023, 7, 14, 0, 0, 0)));
  form->Get<TCustomComboBox>("Typed")->SetItemIndex(1);
  form->Get<TCustomListBox>("Multi")->SetSelected(2, true);
  // Typed by the user, never set in code.
  Type(form->Get<TWinControl>("Memo")->Handle(), L"ab");
  Type(form->Get<TWinControl>("Rich")->Handle(), L"z");
  form->TakeEvents();

  struct TCase {
    const char* component;
    const char* prop;
    const wchar_t* value;
    LONG_PTR mask;
    LONG_PTR bits;
    const char* content;  // when it differs from the content before
  } cases[] = {
      {"List", "Sorted", L"True", LBS_SORT, LBS_SORT, "apple|Cherry|梨 @0"},  // the selection follows its item
      {"List", "MultiSelect", L"True", LBS_EXTENDEDSEL, LBS_EXTENDEDSEL, nullptr},
      {"Multi", "MultiSelect", L"False", LBS_EXTENDEDSEL, 0, nullptr},
      {"Drawn", "Style", L"lbStandard", LBS_OWNERDRAWFIXED, 0, nullptr},
      {"Pick", "Style", L"csDropDown", 3, CBS_DROPDOWN, nullptr},
      {"Typed", "Style", L"csDropDownList", 3, CBS_DROPDOWNLIST, nullptr},
      {"Simple", "Style", L"csDropDown", 3, CBS_DROPDOWN, nullptr},
      {"Time", "Kind", L"dtkDate", DTS_TIMEFORMAT, 0, nullptr},
      {"Day", "DateMode", L"dmComboBox", DTS_UPDOWN, 0, nullptr},
      {"Day", "Kind", L"dtkTime", DTS_TIMEFORMAT, DTS_TIMEFORMAT, nullptr},
      {"Rows", "ViewStyle", L"vsList", LVS_TYPEMASK, LVS_LIST, nullptr},
      {"Rows", "BorderStyle", L"bsNone", 0, 0, nullptr},
      {"Rich", "ScrollBars", L"ssNone", WS_HSCROLL | WS_VSCROLL, 0, nullptr},
      {"Rich", "ScrollBars", L"ssVertical", WS_HSCROLL | WS_VSCROLL, WS_VSCROLL, nullptr},
      {"Rich", "ScrollBars", L"ssHorizontal", WS_HSCROLL | WS_VSCROLL, WS_HSCROLL, nullptr},
      {"Rich", "WordWrap", L"True", 0, 0, nullptr},
      {"Memo", "ScrollBars", L"ssVertical", WS_VSCROLL, WS_VSCROLL, nullptr},
  };
  for (const TCase& c : cases) {
    auto* control = form->Get<TWinControl>(c.component);
    const HWND before = control->Handle();
    const std::string kept = content(control);
    ASSERT_TRUE(SetPropText(control, c.prop, c.value)) << c.component << "." << c.prop;
    EXPECT_EQ(GetPropEnum(control, c.prop), WideToUtf8(c.value));
    EXPECT_NE(control->Handle(), before) << c.component << "." << c.prop << ": the window was not made again";
    EXPECT_TRUE(IsWindow(control->Handle()));
    if (c.mask) {
      EXPECT_EQ(Style(control->Handle()) & c.mask, c.bits) << c.component << "." << c.prop;
    }
    EXPECT_EQ(content(control), c.content ? c.content : kept) << c.component << "." << c.prop;
  }
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{}) << "changes made in code fire nothing";
}

// ---- list boxes ----

TEST_F(ListsTest, ListBoxItemsInAndOutWithAndWithoutAWindow) {
  auto* list = new TListBox(form);
  list->SetItems({L"b", L"a"});
  EXPECT_EQ(list->AddItem(L"c"), 2);
  list->DeleteItem(0);
  list->DeleteItem(7);  // out of range: nothing
  list->SetItemIndex(1);
  EXPECT_FALSE(list->HandleAllocated());
  EXPECT_EQ(Join(list->Items()), "a|c");
  EXPECT_EQ(list->ItemIndex(), 1);

  list->SetParent(form);  // the window takes over what the object held
  ASSERT_TRUE(list->HandleAllocated());
  HWND h = list->Handle();
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(WideToUtf8(list->Item(1)), "c");
  EXPECT_EQ(list->Item(5), L"");

  list->SetSorted(true);
  EXPECT_EQ(list->AddItem(L"b"), 1) << "a sorted list puts a new item in its place";
  EXPECT_EQ(Join(list->Items()), "a|b|c");
  list->DeleteItem(0);
  EXPECT_EQ(Join(list->Items()), "b|c");
  EXPECT_EQ(list->Count(), 2);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
  list->Free();
}

// OnClick fires once for each change of the selection the user makes, and never for one made
// in code.
TEST_F(ListsTest, ListBoxReportsEachSelectionChangeOnce) {
  auto* list = form->Get<TCustomListBox>("List");
  HWND h = list->Handle();
  struct TStep {
    const char* what;
    std::function<void()> act;
    int index;
    int clicks;
  } steps[] = {
      {"click the third item", [&] { Click(h, ListItemMiddle(h, 2)); }, 2, 1},
      {"click it again", [&] { Click(h, ListItemMiddle(h, 2)); }, 2, 0},
      {"arrow up", [&] { Key(h, VK_UP); }, 1, 1},
      {"home", [&] { Key(h, VK_HOME); }, 0, 1},
      {"arrow up at the top", [&] { Key(h, VK_UP); }, 0, 0},
      {"set in code", [&] { list->SetItemIndex(2); }, 2, 0},
      {"arrow down at the end", [&] { Key(h, VK_DOWN); }, 2, 0},
  };
  for (const TStep& s : steps) {
    s.act();
    EXPECT_EQ(list->ItemIndex(), s.index) << s.what;
    EXPECT_EQ(form->TakeEvents().size(), static_cast<size_t>(s.clicks)) << s.what;
  }

  auto* multi = form->Get<TCustomListBox>("Multi");
  HWND m = multi->Handle();
  Click(m, ListItemMiddle(m, 0));
  Click(m, ListItemMiddle(m, 2), MK_CONTROL);
  EXPECT_EQ(form->TakeEvents(), (std::vector<std::string>{"Multi.click", "Multi.click"}));
  EXPECT_EQ(multi->SelCount(), 2);
  EXPECT_TRUE(multi->Selected(0));
  EXPECT_FALSE(multi->Selected(1));
  EXPECT_TRUE(multi->Selected(2));
  EXPECT_EQ(multi->ItemIndex(), 2) << "the focused selected item";
  multi->SetSelected(0, false);
  EXPECT_EQ(multi->SelCount(), 1);
  Click(m, ListItemMiddle(m, 2), MK_CONTROL);  // unselects the last one
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{"Multi.click"});
  EXPECT_EQ(multi->SelCount(), 0);
  EXPECT_EQ(multi->ItemIndex(), -1);
}

// The horizontal scroll bar follows the widest item; the vertical one the number of items.
TEST_F(ListsTest, ListBoxScrollsBothWays) {
  auto* list = form->Get<TCustomListBox>("List");
  HWND h = list->Handle();
  const int client = HwndClientRect(h).right;
  auto extent = [&] { return static_cast<int>(SendMessageW(h, LB_GETHORIZONTALEXTENT, 0, 0)); };
  auto text_width = [&](const std::wstring& t) {
    TWindowDC dc(h);
    TScopedSelect font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc.Get(), t.c_str(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return static_cast<int>(r.right);
  };
  EXPECT_LT(extent(), client);
  EXPECT_FALSE(Style(h) & WS_HSCROLL);
  EXPECT_FALSE(Style(h) & WS_VSCROLL);

  const std::wstring wide = L"一条很长很长的药酒方名称，比列表宽得多 and then some";
  ASSERT_GT(text_width(wide), client);
  const int at = list->AddItem(wide);
  EXPECT_GE(extent(), text_width(wide));
  EXPECT_LT(extent(), text_width(wide) + 16);
  EXPECT_TRUE(Style(h) & WS_HSCROLL);

  list->DeleteItem(at);
  EXPECT_LT(extent(), client);
  EXPECT_FALSE(Style(h) & WS_HSCROLL);

  for (int i = 0; i < 30; ++i) list->AddItem(L"item " + std::to_wstring(i));
  EXPECT_TRUE(Style(h) & WS_VSCROLL);
}

// An owner-drawn list paints each item through OnDrawItem, or plainly with the selection in
// the highlight colour when there is none.
TEST_F(ListsTest, OwnerDrawnListBoxDrawsItsItems) {
  auto* list = form->Get<TCustomListBox>("Drawn");
  HWND h = list->Handle();
  EXPECT_EQ(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0), 20);
  auto pixel = [&](int x, int y) {
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    TWindowDC dc(h);
    return GetPixel(dc.Get(), x, y);
  };
  // Right of the text, inside the selected second item; the first is in the window colour.
  EXPECT_EQ(pixel(HwndClientRect(h).right - 4, 30), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(pixel(HwndClientRect(h).right - 4, 10), GetSysColor(COLOR_WINDOW));

  struct TPainter {
    TCustomListBox* list;
    std::vector<int> drawn;
    void Draw(TObject*, int index, const RECT& r, UINT) {
      drawn.push_back(index);
      list->Canvas().Brush().SetColor(RGB(0, 128, 0));
      list->Canvas().FillRect(r);
    }
  } painter{list, {}};
  list->OnDrawItem = TDrawItemEvent::Bind<&TPainter::Draw>(&painter);
  EXPECT_EQ(pixel(HwndClientRect(h).right - 4, 10), RGB(0, 128, 0));
  EXPECT_NE(std::find(painter.drawn.begin(), painter.drawn.end(), 0), painter.drawn.end());
  EXPECT_NE(std::find(painter.drawn.begin(), painter.drawn.end(), 1), painter.drawn.end());
  list->OnDrawItem = {};
}

// ---- combo boxes ----

// Records what reaches a combo's message method, as a skinner hooked there sees it.
struct TMethodSpy {
  TWndMethod old;
  std::vector<WORD> codes;  // CN_COMMAND notification codes
  void Proc(TMessage& m) {
    if (m.Msg == CN_COMMAND) codes.push_back(HIWORD(m.WParam));
    old(m);
  }
};

TEST_F(ListsTest, DropDownListOpensAndPicksByKeyboard) {
  auto* pick = form->Get<TCustomComboBox>("Pick");
  HWND h = pick->Handle();
  TMethodSpy spy{pick->WindowProc, {}};
  pick->WindowProc = TWndMethod::Bind<&TMethodSpy::Proc>(&spy);
  pick->SetFocus();

  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(pick->DroppedDown());
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{"Pick.open"});
  Key(h, VK_DOWN);
  Key(h, VK_RETURN);
  Pump();
  EXPECT_FALSE(pick->DroppedDown());
  EXPECT_EQ(form->TakeEvents(),
            (std::vector<std::string>{"Pick.select", "Pick.change", "Pick.close"}));
  EXPECT_EQ(pick->ItemIndex(), 1);
  EXPECT_EQ(WideToUtf8(pick->Text()), "Banana");
  EXPECT_EQ(PropAsText(pick, "Text"), "Banana");

  // The skinner's view: the list opened and closed.
  EXPECT_NE(std::find(spy.codes.begin(), spy.codes.end(), CBN_DROPDOWN), spy.codes.end());
  EXPECT_NE(std::find(spy.codes.begin(), spy.codes.end(), CBN_CLOSEUP), spy.codes.end());
  pick->WindowProc = spy.old;

  // The open list shows DropDownCount items at most.
  pick->SetItems({L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9"});
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(SendMessageW(h, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info)));
  const int item = static_cast<int>(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0));
  const RECT list = HwndClientRect(info.hwndList);
  EXPECT_LE(list.bottom, 4 * item + 2);
  EXPECT_GE(list.bottom, 3 * item);
  SendMessageW(h, CB_SHOWDROPDOWN, FALSE, 0);
  form->TakeEvents();

  // Text set in code picks the item of exactly that text, or none.
  struct TCase {
    const wchar_t* text;
    int index;
    const char* shown;
  } cases[] = {{L"3", 2, "3"}, {L"nine", -1, ""}, {L"9", 8, "9"}};
  for (const TCase& c : cases) {
    pick->SetText(c.text);
    EXPECT_EQ(pick->ItemIndex(), c.index) << WideToUtf8(c.text);
    EXPECT_EQ(WideToUtf8(pick->Text()), c.shown) << WideToUtf8(c.text);
  }
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});
}

TEST_F(ListsTest, EditableComboReportsTypingAndPicking) {
  auto* typed = form->Get<TCustomComboBox>("Typed");
  HWND h = typed->Handle();
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(SendMessageW(h, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info)));
  ASSERT_NE(info.hwndItem, nullptr);
  EXPECT_EQ(WideToUtf8(HwndGetText(info.hwndItem)), "自己写");

  SendMessageW(info.hwndItem, EM_SETSEL, 3, 3);
  Type(info.hwndItem, L"!");
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{"Typed.change"});
  EXPECT_EQ(WideToUtf8(typed->Text()), "自己写!");

  typed->SetText(L"in code");
  typed->SetItemIndex(0);
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});
  EXPECT_EQ(WideToUtf8(typed->Text()), "one");

  // Picking from the open list: the text follows at once.
  typed->SetFocus();
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  Key(info.hwndItem, VK_DOWN);
  EXPECT_EQ(typed->ItemIndex(), 1);
  EXPECT_EQ(WideToUtf8(typed->Text()), "two");
  Key(info.hwndItem, VK_RETURN);
  Pump();
  EXPECT_EQ(form->TakeEvents(), (std::vector<std::string>{"Typed.select", "Typed.change"}));
  EXPECT_EQ(WideToUtf8(typed->Text()), "two");

  // The combo's own edit takes the combo's colour: it asks the combo, not the form.
  typed->SetColor(static_cast<TColor>(RGB(255, 255, 0)));
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  {
    TWindowDC dc(info.hwndItem);
    const RECT edit = HwndClientRect(info.hwndItem);
    EXPECT_EQ(GetPixel(dc.Get(), edit.right - 2, edit.bottom / 2), RGB(255, 255, 0));
  }

  // A simple combo's list is always there.
  auto* simple = form->Get<TCustomComboBox>("Simple");
  ASSERT_TRUE(SendMessageW(simple->Handle(), CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(Join(simple->Items()), "x|y");
}

// ---- date pickers ----

TEST_F(ListsTest, DatePickerValueRoundTrips) {
  auto* day = form->Get<TDateTimePicker>("Day");
  struct TCase {
    SYSTEMTIME value;
    bool taken;
  } cases[] = {
      {Moment(2024, 2, 29, 13, 45, 10), true},
      {Moment(1999, 12, 31, 23, 59, 59), true},
      {Moment(2023, 2, 30, 0, 0, 0), false},   // no such day
      {Moment(2023, 13, 1, 0, 0, 0), false},   // no such month
      {Moment(2023, 1, 1, 24, 0, 0), false},   // no such hour
  };
  SYSTEMTIME now = day->DateTime();
  for (const TCase& c : cases) {
    EXPECT_EQ(day->SetDateTime(c.value), c.taken) << DateText(c.value);
    if (c.taken) now = c.value;
    EXPECT_EQ(DateText(day->DateTime()), DateText(now)) << DateText(c.value);
    SYSTEMTIME shown{};
    EXPECT_EQ(SendMessageW(day->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)), GDT_VALID);
    EXPECT_EQ(DateText(shown), DateText(now));
  }

  // A picker without a window keeps the value for the window it gets.
  auto* later = new TDateTimePicker(form);
  EXPECT_EQ(later->DateTime().wYear, 0) << "not set yet";
  ASSERT_TRUE(later->SetDateTime(Moment(2001, 9, 8, 7, 6, 5)));
  EXPECT_FALSE(later->HandleAllocated());
  later->SetParent(form);
  SYSTEMTIME shown{};
  SendMessageW(later->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
  EXPECT_EQ(DateText(shown), "2001-09-08 07:06:05");
  later->Free();
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});
}

// The user's arrow keys change the time; OnChange hears of each change once, never of a value
// set in code.
TEST_F(ListsTest, TimePickerReportsTheUsersChanges) {
  auto* time = form->Get<TDateTimePicker>("Time");
  ASSERT_TRUE(time->SetDateTime(Moment(2020, 5, 6, 10, 20, 30)));
  HWND h = time->Handle();
  time->SetFocus();
  Click(h, {6, HwndClientRect(h).bottom / 2});  // the first field: hours
  Key(h, VK_UP);
  Pump();
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{"Time.change"});
  EXPECT_EQ(DateText(time->DateTime()), "2020-05-06 11:20:30");
  ASSERT_TRUE(time->SetDateTime(Moment(2020, 5, 6, 8, 0, 0)));
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});
}

// ---- list views ----

TEST_F(ListsTest, ListViewHoldsManyRowsAndColumns) {
  auto* rows = form->Get<TCustomListView>("Rows");
  HWND h = rows->Handle();
  rows->Columns()->Clear();
  for (int c = 0; c < 6; ++c) rows->AddColumn(L"列" + std::to_wstring(c), 40 + c);
  rows->BeginUpdate();
  for (int r = 0; r < 200; ++r) {
    std::vector<std::wstring> subs;
    for (int c = 1; c < 6; ++c) subs.push_back(std::to_wstring(r) + L"." + std::to_wstring(c));
    rows->AddItem(L"行" + std::to_wstring(r), subs);
  }
  rows->EndUpdate();

  EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 200);
  EXPECT_EQ(RowText(h, 150, 6), "行150|150.1|150.2|150.3|150.4|150.5");
  EXPECT_EQ(SendMessageW(h, LVM_GETCOLUMNWIDTH, 3, 0), 43);
  HWND header = rows->HeaderHandle();
  ASSERT_TRUE(IsWindow(header));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 6);
  wchar_t caption[16] = {};
  HDITEMW hd{};
  hd.mask = HDI_TEXT;
  hd.pszText = caption;
  hd.cchTextMax = 16;
  SendMessageW(header, HDM_GETITEMW, 2, reinterpret_cast<LPARAM>(&hd));
  EXPECT_EQ(WideToUtf8(caption), "列2");

  // Rows change in the object and in the window together.
  rows->DeleteItem(0);
  rows->Item(0)->SetCaption(L"first");
  rows->Item(0)->SetSubItem(4, L"last");
  rows->Item(1)->SetSubItem(6, L"beyond the columns");
  EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 199);
  EXPECT_EQ(RowText(h, 0, 6), "first|1.1|1.2|1.3|1.4|last");
  EXPECT_EQ(rows->Item(1)->SubItems().size(), 7u);
  EXPECT_EQ(rows->Item(1)->Index(), 1);

  // A further column shows the sub-items the rows already had for it.
  rows->AddColumn(L"G", 30);
  EXPECT_EQ(RowText(h, 1, 7), "行2|2.1|2.2|2.3|2.4|2.5|");
  rows->AddColumn(L"H", 30);
  EXPECT_EQ(RowText(h, 1, 8), "行2|2.1|2.2|2.3|2.4|2.5||beyond the columns");
  rows->ClearItems();
  EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListsTest, ListViewReportsTheUsersSelection) {
  auto* rows = form->Get<TCustomListView>("Rows");
  for (const wchar_t* r : {L"a", L"b", L"c"}) rows->AddItem(r, {L"-"});
  HWND h = rows->Handle();
  rows->SetItemIndex(0);
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});
  rows->SetFocus();
  struct TStep {
    WPARAM key;
    int index;
    size_t events;
  } steps[] = {{VK_DOWN, 1, 1}, {VK_END, 2, 1}, {VK_DOWN, 2, 0}, {VK_HOME, 0, 1}};
  for (const TStep& s : steps) {
    Key(h, s.key);
    Pump();
    EXPECT_EQ(rows->ItemIndex(), s.index) << s.key;
    EXPECT_EQ(form->TakeEvents().size(), s.events) << s.key;
  }
  EXPECT_TRUE(rows->Item(0)->Selected());
  rows->Item(2)->SetSelected(true);  // a single-selection list moves it
  EXPECT_EQ(rows->ItemIndex(), 2);
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});

  // Read-only rows refuse an edit; editable ones keep what was typed.
  EXPECT_EQ(SendMessageW(h, LVM_EDITLABELW, 1, 0), 0);
  rows->SetReadOnly(false);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(h, LVM_EDITLABELW, 1, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"renamed");
  Key(edit, VK_RETURN);
  Pump();
  EXPECT_EQ(WideToUtf8(rows->Item(1)->Caption()), "renamed");
  EXPECT_EQ(RowText(h, 1, 1), "renamed");
}

// ---- rich edits ----

TEST_F(ListsTest, RichEditTextRoundTrips) {
  auto* rich = form->Get<TCustomRichEdit>("Rich");
  struct TCase {
    std::vector<std::wstring> lines;
  } cases[] = {
      {{L"第一行", L"", L"third"}},
      {{L"one"}},
      {{}},
      {{std::wstring(40000, L'药')}},  // beyond the control's own limit of 32K
  };
  for (const TCase& c : cases) {
    rich->SetLines(c.lines);
    EXPECT_EQ(rich->Lines(), c.lines) << Join(c.lines).substr(0, 20);
  }
  rich->SetText(L"a\r\nb");
  EXPECT_EQ(WideToUtf8(rich->GetText()), "a\r\nb");
  EXPECT_EQ(PropAsText(rich, "Lines"), "a|b");
  form->TakeEvents();

  Type(rich->Handle(), L"x");
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{"Rich.change"});
  rich->SetReadOnly(true);
  Type(rich->Handle(), L"y");
  EXPECT_EQ(form->TakeEvents(), std::vector<std::string>{});
  EXPECT_TRUE(Style(rich->Handle()) & ES_READONLY);
}

// ---- handles ----

// Each kind of control, made, filled, shown, painted and freed again and again, leaves nothing
// behind.
TEST_F(ListsTest, ControlsGiveBackEveryHandle) {
  const int gdi = LiveGdiHandles(), user = LiveUserHandles();
  const char* kinds[] = {"TListBox", "TComboBox", "TDateTimePicker", "TListView", "TRichEdit"};
  for (const char* kind : kinds) {
    for (int round = 0; round < 10; ++round) {
      auto* c = static_cast<TWinControl*>(FindClass(kind)->create(form));
      c->SetBounds(8, 8, 200, 100);
      c->SetParent(form);
      if (auto* l = dynamic_cast<TCustomListBox*>(c)) {
        l->SetStyle(round % 2 ? TListBoxStyle::lbOwnerDrawFixed : TListBoxStyle::lbStandard);
        for (int i = 0; i < 20; ++i) l->AddItem(L"第 " + std::to_wstring(i) + L" 项");
        l->SetItemIndex(3);
      } else if (auto* b = dynamic_cast<TCustomComboBox*>(c)) {
        b->SetItems({L"a", L"b"});
        b->SetDroppedDown(true);
        b->SetDroppedDown(false);
      } else if (auto* v = dynamic_cast<TCustomListView*>(c)) {
        v->SetViewStyle(TViewStyle::vsReport);
        v->AddColumn(L"c", 50);
        v->AddItem(L"r", {L"s"});
      } else if (auto* e = dynamic_cast<TCustomMemo*>(c)) {
        e->SetLines({L"x", L"y"});
      }
      const HWND h = c->Handle();
      RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      c->Free();
      EXPECT_FALSE(IsWindow(h)) << kind;
    }
    Pump();
    EXPECT_EQ(LiveGdiHandles(), gdi) << kind;
    EXPECT_EQ(LiveUserHandles(), user) << kind;
  }
}

}  // namespace
}  // namespace qn
