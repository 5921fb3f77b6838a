#include <gtest/gtest.h>

#include "platform/win/ComCtrls.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/WinUtil.h"

namespace qn {
namespace {

class TTestForm : public TForm {
  QN_CLASS(TTestForm)
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {
    PublishMethod("ButtonClick", TMethodRef(TNotifyEvent::Bind<&TTestForm::ButtonClick>(this)));
    PublishMethod("LabelClick", TMethodRef(TNotifyEvent::Bind<&TTestForm::LabelClick>(this)));
    PublishField("Button1", &Button1);
    PublishField("Label1", &Label1);
  }
  void ButtonClick(TObject* s) { clicks.push_back(L"button"); }
  void LabelClick(TObject* s) { clicks.push_back(L"label"); }
  TButton* Button1 = nullptr;
  TLabel* Label1 = nullptr;
  std::vector<std::wstring> clicks;
};
QN_CLASS_IMPL(TTestForm, TForm)

const char* kForm = R"(object TestForm: TTestForm
  Caption = '测试'
  ClientWidth = 400
  ClientHeight = 300
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  Position = poDesktopCenter
  Font.Name = '宋体'
  Font.Height = -13
  object Pages: TPageControl
    Align = alTop
    Height = 200
    ActivePage = Sheet2
    TabOrder = 0
    object Sheet1: TTabSheet
      Caption = '信息管理'
      object Group: TGroupBox
        Align = alClient
        object Edit1: TEdit
          Left = 8
          Top = 18
          Text = 'hello'
          TabOrder = 1
        end
        object Button1: TButton
          Left = 140
          Top = 16
          Caption = '搜索'
          TabOrder = 0
          OnClick = ButtonClick
        end
        object Label1: TLabel
          Left = 9
          Top = 48
          Caption = '风湿'
          Font.Color = clGreen
          Cursor = crHandPoint
          OnClick = LabelClick
        end
      end
    end
    object Sheet2: TTabSheet
      Caption = '关于我们'
      object Memo1: TMemo
        Left = 4
        Top = 4
        ScrollBars = ssVertical
        BevelKind = bkTile
        BorderStyle = bsNone
        Lines.Strings = (
          'one'
          'two')
      end
    end
  end
  object Status: TStatusBar
    Height = 23
    Panels = <
      item
        Width = 300
      end
      item
        Width = 150
        Text = 'QQ'
      end>
  end
end
)";

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterComponentClass(TTestForm::StaticClass());
    form = Application->CreateForm<TTestForm>();
    form->ReadFormText(kForm);
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000));
  }
  void TearDown() override { DoneApplication(); }
  TTestForm* form = nullptr;
};

TEST_F(ControlsTest, WindowsCarryTheirClassNamesAndTheirObjects) {
  auto* edit = form->Find<TEdit>("Edit1");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(HwndGetClassName(edit->Handle()), L"TEdit");
  EXPECT_EQ(HwndGetClassName(form->Button1->Handle()), L"TButton");
  EXPECT_EQ(HwndGetClassName(form->Handle()), L"TTestForm");
  EXPECT_EQ(FindControl(edit->Handle()), edit);
  EXPECT_EQ(edit->Text(), L"hello");
  RECT c = HwndClientRect(form->Handle());
  EXPECT_EQ(c.right, 400);
  EXPECT_EQ(c.bottom, 300);
  LONG_PTR style = GetWindowLongPtrW(form->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_EQ(HwndGetText(form->Handle()), L"测试");
}

TEST_F(ControlsTest, LayoutFollowsAlignAndTheStoredActivePage) {
  auto* pages = form->Find<TPageControl>("Pages");
  auto* status = form->Find<TStatusBar>("Status");
  EXPECT_EQ(pages->Width(), 400);
  EXPECT_EQ(pages->Top(), 0);
  EXPECT_EQ(status->Top(), 300 - 23);
  EXPECT_EQ(pages->ActivePage(), form->Find<TTabSheet>("Sheet2"));
  EXPECT_TRUE(IsWindowVisible(form->Find<TTabSheet>("Sheet2")->Handle()));
  EXPECT_FALSE(IsWindowVisible(form->Find<TTabSheet>("Sheet1")->Handle()));
  pages->SetActivePageIndex(0);
  EXPECT_TRUE(IsWindowVisible(form->Button1->Handle()));
  EXPECT_EQ(form->Find<TGroupBox>("Group")->Width(), form->Find<TTabSheet>("Sheet1")->Width());
}

TEST_F(ControlsTest, ClicksReachButtonsAndGraphicLabels) {
  form->Find<TPageControl>("Pages")->SetActivePageIndex(0);
  SendMessageW(form->Button1->Handle(), BM_CLICK, 0, 0);
  HWND group = form->Find<TGroupBox>("Group")->Handle();
  LPARAM at = MAKELPARAM(form->Label1->Left() + 2, form->Label1->Top() + 2);
  SendMessageW(group, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(group, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(form->clicks, (std::vector<std::wstring>{L"button", L"label"}));
}

TEST_F(ControlsTest, StatusPanelsAndMemoLines) {
  auto* status = form->Find<TStatusBar>("Status");
  status->Panel(0)->SetText(L"共81条信息");
  wchar_t buf[64] = {};
  SendMessageW(status->Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buf));
  EXPECT_STREQ(buf, L"共81条信息");
  SendMessageW(status->Handle(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(buf));
  EXPECT_STREQ(buf, L"QQ");
  auto* memo = form->Find<TMemo>("Memo1");
  EXPECT_EQ(memo->Lines(), (std::vector<std::wstring>{L"one", L"two"}));
  EXPECT_TRUE(GetWindowLongPtrW(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ControlsTest, TabOrderListFollowsTabOrderNotCreationOrder) {
  std::vector<TWinControl*> list;
  form->Find<TGroupBox>("Group")->GetTabOrderList(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], form->Button1);
  EXPECT_EQ(list[1], form->Find<TEdit>("Edit1"));
}

TEST_F(ControlsTest, WindowProcCanBeReplacedAndTheOldOneCalled) {
  struct Spy {
    TWndMethod old;
    int seen = 0;
    void Proc(TMessage& m) {
      if (m.Msg == WM_USER + 7) ++seen;
      old(m);
    }
  } spy;
  auto* edit = form->Find<TEdit>("Edit1");
  spy.old = edit->WindowProc;
  edit->WindowProc = TWndMethod::Bind<&Spy::Proc>(&spy);
  SendMessageW(edit->Handle(), WM_USER + 7, 0, 0);
  SendMessageW(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
  edit->WindowProc = spy.old;
  EXPECT_EQ(spy.seen, 1);
  EXPECT_EQ(edit->Text(), L"changed");
}

// Edits and memos keep the window colour inside a parent of another colour, whether read from
// a form or made in code, and their parent hands the system a brush of it for them.
TEST_F(ControlsTest, EditsKeepTheWindowColourInsideAnyParent) {
  auto* made = new TEdit(form);
  made->SetParent(form);
  const TWinControl* edits[] = {form->Find<TEdit>("Edit1"), form->Find<TMemo>("Memo1"), made};
  for (const TWinControl* e : edits) {
    SCOPED_TRACE(e->Name());
    EXPECT_EQ(e->Color(), clWindow);
    EXPECT_FALSE(e->ParentColor());
  }
  form->SetColor(clBtnFace);
  HDC dc = GetDC(made->Handle());
  const HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageW(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(made->Handle())));
  LOGBRUSH lb{};
  ASSERT_NE(GetObjectW(brush, sizeof lb, &lb), 0);
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_WINDOW));
  ReleaseDC(made->Handle(), dc);
}

// The control atom is a global atom, which outlives the process: the program lets go of it at
// its end, and it goes once the last window carrying it has gone.
TEST(ControlAtomTest, GoesWhenTheProgramIsDoneAndItsLastWindowIsGone) {
  InitApplication();
  RegisterControlClasses();
  auto* form = new TForm(Application);
  HWND wnd = form->Handle();
  const ATOM atom = ControlAtom();
  wchar_t name[64] = {};
  ASSERT_GT(GlobalGetAtomNameW(atom, name, 64), 0u);
  EXPECT_EQ(std::wstring(name).rfind(L"ControlOfs", 0), 0u);
  EXPECT_EQ(GlobalFindAtomW(name), atom);
  EXPECT_EQ(GetPropW(wnd, MAKEINTATOM(atom)), form);

  ReleaseControlAtom();
  EXPECT_EQ(GlobalFindAtomW(name), atom) << "a window still carries it";
  EXPECT_EQ(FindControl(wnd), form);
  DoneApplication();
  EXPECT_EQ(GlobalFindAtomW(name), 0) << "left behind in the system's table";

  // Used again, it is made again under its name.
  wchar_t again[64] = {};
  ASSERT_GT(GlobalGetAtomNameW(ControlAtom(), again, 64), 0u);
  EXPECT_STREQ(again, name);
}

}  // namespace
}  // namespace qn
