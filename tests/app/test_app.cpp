// The recipe program driven as a user drives it: real windows under Wine, message boxes and
// outbound links captured through the class library's seams.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "app/DataFile.h"
#include "app/RecordText.h"
#include "app/Unit1.h"
#include "skin/data/WinSkinData.h"
#include "skin/manager/WinSkinDlg.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Shell.h"
#include "platform/win/WinUtil.h"

namespace qn {
namespace {

struct Recipe {
  std::wstring title, text;
};

// The recipes as the source file holds them, read here independently of the database.
const std::vector<Recipe>& SourceRecipes() {
  static std::vector<Recipe> recipes = [] {
    std::vector<Recipe> out;
    std::ifstream in(QN_RECIPES_TXT, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (line.empty() || line[0] == ';') continue;
      if (line.rfind("### ", 0) == 0) out.push_back({Utf8ToWide(line.substr(4)), L""});
      else if (!out.empty()) out.back().text += Utf8ToWide(line);
    }
    return out;
  }();
  return recipes;
}

int CountHits(const std::wstring& word) {
  int n = 0;
  for (const Recipe& r : SourceRecipes())
    if (r.title.find(word) != std::wstring::npos || r.text.find(word) != std::wstring::npos) ++n;
  return n;
}

std::wstring DataFilePath() { return GetSpecialFolderPath(36) + kDataFileName; }

void RemoveAnythingAt(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  if (a & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(path.c_str());
  else DeleteFileW(path.c_str());
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<no clipboard>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return text;
}

void SetClipboardText(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(Application->Handle()));
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(h);
  SetClipboardData(CF_UNICODETEXT, h);
  CloseClipboard();
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterDataClasses();
    RegisterSkinClasses();
    RegisterComponentClass(TForm1::StaticClass());
    Application->SetTitle(L"青囊珍藏查询 V1.0");
    Application->MessageBoxHook = [this](const std::wstring& text, const std::wstring&, UINT) {
      boxes.push_back(text);
      return IDOK;
    };
    SetShellOpenHook([this](HWND, const std::wstring& url) { urls.push_back(url); });
  }

  void TearDown() override {
    SetShellOpenHook(nullptr);
    DoneApplication();
    FreeSkinManager();
    Form1 = nullptr;
    RemoveAnythingAt(DataFilePath());
  }

  // Starts the program as its entry does and waits for the main window.
  void Start() {
    Form1 = Application->CreateForm<TForm1>();
    form = Form1;
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 10000));
  }

  void ClickLabel(TControl* label) {
    HWND parent = label->Parent()->Handle();
    LPARAM at = MAKELPARAM(label->Left() + 3, label->Top() + 3);
    SendMessageW(parent, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(parent, WM_LBUTTONUP, 0, at);
  }

  void ClickButton(TButton* b) { SendMessageW(b->Handle(), BM_CLICK, 0, 0); }

  void ClickGridRow(int row) {
    form->PageControl1->SetActivePageIndex(0);
    RECT r = form->DBGrid1->CellRect(1, form->DBGrid1->FixedRows() + row);
    ASSERT_FALSE(IsRectEmpty(&r)) << "row " << row << " is not on screen";
    LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    SendMessageW(form->DBGrid1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(form->DBGrid1->Handle(), WM_LBUTTONUP, 0, at);
  }

  void Wheel(int delta) {
    SendMessageW(form->DBGrid1->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
  }

  std::wstring Status() const { return form->StatusBar1->Panel(0)->Text(); }
  int Records() const { return form->ADOQuery1->Active() ? form->ADOQuery1->RecordCount() : 0; }
  int RecNo() const { return form->ADOQuery1->RecNo(); }

  void ExpectTitleColumnOnly() {
    TDBGridColumns* cols = form->DBGrid1->Columns();
    ASSERT_EQ(cols->Count(), 3);
    EXPECT_FALSE(cols->Column(0)->Visible());
    EXPECT_TRUE(cols->Column(1)->Visible());
    EXPECT_FALSE(cols->Column(2)->Visible());
    EXPECT_EQ(cols->Column(1)->Width(), 300);
    EXPECT_EQ(cols->Column(1)->FieldName(), L"标题");
  }

  TForm1* form = nullptr;
  std::vector<std::wstring> boxes;
  std::vector<std::wstring> urls;
};

TEST_F(AppTest, NormalStartListsEveryRecordByTitle) {
  Start();
  const int total = static_cast<int>(SourceRecipes().size());
  ASSERT_GE(total, 60);
  EXPECT_EQ(HwndGetText(form->Handle()), L"青囊珍藏 1.2.20130119");
  EXPECT_EQ(Status(), L"共" + std::to_wstring(total) + L"条信息");
  EXPECT_EQ(Records(), total);
  EXPECT_TRUE(boxes.empty());
  ExpectTitleColumnOnly();
  // The window's skin came with it: loaded while the form was read, skinning switched on.
  auto* skin = form->Find<TSkinData>("SkinData1");
  ASSERT_NE(skin, nullptr);
  EXPECT_FALSE(skin->Empty());
  EXPECT_TRUE(skin->Active());
  EXPECT_EQ(skin->Skin3rd().size(), 118u);
  ASSERT_NE(SkinManager(), nullptr);
  EXPECT_TRUE(SkinManager()->active);
  RECT c = HwndClientRect(form->Handle());
  EXPECT_EQ(c.right, 665);
  EXPECT_EQ(c.bottom, 612);
  // The caption took the version once; later edits of the version box do not touch it.
  form->Edit_SoftVer->SetText(L"9.9");
  EXPECT_EQ(HwndGetText(form->Handle()), L"青囊珍藏 1.2.20130119");
}

TEST_F(AppTest, EverySearchPathGivesItsStatusAndMessage) {
  Start();
  const int total = static_cast<int>(SourceRecipes().size());
  const std::wstring kNoHits = L"对不起没有找到相关信息！请重新输入关键词";
  struct Case {
    const wchar_t* typed;    // text put in the box, or null to click a category word
    TLabel* TForm1::*label;  // the category word clicked instead
    const wchar_t* word;     // what ends up searched for
    const wchar_t* message;  // the message box, or null
  } cases[] = {
      {L"枸杞", nullptr, L"枸杞", nullptr},
      {nullptr, &TForm1::Label9, L"风湿", nullptr},
      {nullptr, &TForm1::Label10, L"跌打", nullptr},
      {nullptr, &TForm1::Label11, L"活血", nullptr},
      {nullptr, &TForm1::Label12, L"阳痿", nullptr},
      {nullptr, &TForm1::Label13, L"气血", nullptr},
      {nullptr, &TForm1::Label14, L"清热", nullptr},
      {L"请输入搜索关键词", nullptr, L"请输入搜索关键词", kNoHits.c_str()},
      // characters the statement syntax treats specially are searched for literally
      {L"50%", nullptr, L"50%", nullptr},
      {L"%", nullptr, L"%", nullptr},
      {L"_", nullptr, L"_", kNoHits.c_str()},
      {L"'", nullptr, L"'", kNoHits.c_str()},
      {L"枸杞' or '1'='1", nullptr, L"枸杞' or '1'='1", kNoHits.c_str()},
      {L"   ", nullptr, L"   ", kNoHits.c_str()},
  };
  for (const Case& c : cases) {
    boxes.clear();
    if (c.typed) {
      form->searchkeyword->SetText(c.typed);
      ClickButton(form->Button_Search);
    } else {
      ClickLabel(form->*c.label);
      EXPECT_EQ(form->searchkeyword->Text(), c.word);
    }
    int hits = CountHits(c.word);
    SCOPED_TRACE(WideToUtf8(c.word));
    EXPECT_EQ(Status(), L"关于" + std::wstring(c.word) + L"的信息,共搜索到" + std::to_wstring(hits) + L"条");
    if (c.message) {
      EXPECT_EQ(hits, 0);
      EXPECT_EQ(boxes, std::vector<std::wstring>{c.message});
      EXPECT_EQ(Records(), total);  // the full list is back
    } else {
      EXPECT_GT(hits, 0);
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(Records(), hits);
    }
    EXPECT_EQ(RecNo(), 1);
    ExpectTitleColumnOnly();
  }
  // An empty box is refused and leaves the list as it was.
  form->searchkeyword->SetText(L"枸杞");
  ClickButton(form->Button_Search);
  boxes.clear();
  std::wstring status = Status();
  form->searchkeyword->SetText(L"");
  ClickButton(form->Button_Search);
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"请输入搜索关键词！"});
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(Records(), CountHits(L"枸杞"));
  // Refresh lists everything again.
  ClickButton(form->Button_Refresh);
  EXPECT_EQ(Records(), total);
  EXPECT_EQ(Status(), L"共" + std::to_wstring(total) + L"条信息");
  ExpectTitleColumnOnly();
}

TEST_F(AppTest, ClickingOrDoubleClickingTheSearchBoxEmptiesIt) {
  Start();
  for (UINT up : {WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
    form->searchkeyword->SetText(L"当归");
    HWND edit = form->searchkeyword->Handle();
    SendMessageW(edit, up == WM_LBUTTONUP ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(form->searchkeyword->Text(), L"");
  }
}

TEST_F(AppTest, WheelMovesTheRecordByOneAndLeavesTheDetailAlone) {
  Start();
  form->Memo_Info->SetText(L"unchanged");
  ASSERT_EQ(RecNo(), 1);
  Wheel(120);  // up at the first record: stays
  EXPECT_EQ(RecNo(), 1);
  Wheel(-120);
  Wheel(-360);  // a big notch still moves one record
  EXPECT_EQ(RecNo(), 3);
  Wheel(120);
  EXPECT_EQ(RecNo(), 2);
  form->ADOQuery1->Last();
  Wheel(-120);
  EXPECT_EQ(RecNo(), Records());
  EXPECT_EQ(form->Memo_Info->Text(), L"unchanged");
  EXPECT_EQ(form->DBGrid1->CurrentRow(), Records() - 1);  // the grid follows the record
}

TEST_F(AppTest, RowClickShowsTheCleanedTextOfThatRecord) {
  Start();
  for (int row : {2, 0, 5}) {
    ClickGridRow(row);
    EXPECT_EQ(RecNo(), row + 1);
    const Recipe& r = SourceRecipes()[static_cast<size_t>(row)];
    EXPECT_EQ(form->Memo_Info->Text(), CleanRecordText(r.text)) << WideToUtf8(r.title);
  }
}

TEST_F(AppTest, CopyPutsTheShownTextOnTheClipboard) {
  Start();
  SetClipboardText(L"sentinel");
  ClickButton(form->Button_Copy);
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"请选择一条信息再复制！"});
  EXPECT_EQ(ClipboardText(), L"sentinel");

  boxes.clear();
  ClickGridRow(1);
  form->Memo_Info->SetText(form->Memo_Info->Text() + L"（已核对）");  // the user's own edit is copied
  ClickButton(form->Button_Copy);
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"该信息已经拷贝到剪切板."});
  EXPECT_EQ(ClipboardText(), form->Memo_Info->Text());
}

TEST_F(AppTest, EachLinkOpensItsPageWithTheVersionAppended) {
  Start();
  struct Case {
    std::function<void()> click;
    std::wstring url;
  };
  const std::wstring official = L"http://www.baicaoju.example", maker = L"http://www.yunshan.example",
                     partner = L"http://www.xingpan.example";
  auto about = [&](const char* name) {
    form->PageControl1->SetActivePageIndex(1);
    ClickLabel(form->Find<TLabel>(name));
  };
  std::vector<Case> cases = {
      {[&] { ClickLabel(form->Image1); }, official + L"/?qq=Caoben"},
      {[&] { about("Label3"); }, official + L"/?qq=Caoben"},
      {[&] { ClickButton(form->Button_Web); }, official + L"/Class.asp?ID=120&qq=Caoben"},
      {[&] { about("Label5"); }, maker + L"/?qq=Caoben"},
      {[&] { ClickButton(form->Button_Updata); }, maker + L"/?qq=Caoben"},
      {[&] { ClickLabel(form->Label15); }, partner + L"/?qq=Caoben"},
  };
  for (const std::wstring& version : {std::wstring(L"1.2.20130119"), std::wstring(L"2.0")}) {
    form->Edit_SoftVer->SetText(version);
    for (const Case& c : cases) {
      urls.clear();
      c.click();
      EXPECT_EQ(urls, std::vector<std::wstring>{c.url + version});
    }
  }
  urls.clear();
  about("Label4");  // the e-mail line has no link
  EXPECT_TRUE(urls.empty());
  EXPECT_TRUE(boxes.empty());
}

// A long session paints the window over and over: a thousand paints of the whole of it, frame
// and children, leave no GDI or USER object behind, delete nothing still selected (Windows
// would refuse and leak it) and have no release refused.
TEST_F(AppTest, AThousandRepaintsLeaveNothingBehind) {
  Start();
  HWND wnd = form->Handle();
  auto repaint = [wnd] {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  };
  repaint();  // what the first paint makes and keeps
  Application->ProcessMessages();
  const int gdi = LiveGdiHandles(), user = LiveUserHandles(), failed = FailedReleases(), selected = SelectedDeletes();
  for (int i = 0; i < 1000; ++i) repaint();
  Application->ProcessMessages();
  EXPECT_EQ(LiveGdiHandles(), gdi);
  EXPECT_EQ(LiveUserHandles(), user);
  EXPECT_EQ(FailedReleases(), failed);
  EXPECT_EQ(SelectedDeletes(), selected);
}

TEST_F(AppTest, DataFileExistsWhileRunningAndIsGoneAfterClose) {
  Start();
  std::ifstream in(DataFilePath().c_str(), std::ios::binary);
  char head[16] = {};
  in.read(head, 16);
  in.close();
  EXPECT_EQ(std::string(head, 15), "SQLite format 3");
  ClickButton(form->Button_Close);
  ASSERT_TRUE(Application->PumpUntil([] { return Application->Terminated(); }, 5000));
  EXPECT_EQ(GetFileAttributesW(DataFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(AppTest, AFileAlreadyAtThePathIsReplaced) {
  {
    std::ofstream old(DataFilePath().c_str(), std::ios::binary);
    old << "an old file from an earlier run";
  }
  Start();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Records(), static_cast<int>(SourceRecipes().size()));
}

TEST_F(AppTest, UnwritableDataFileStopsStartUpWithOneMessage) {
  ASSERT_TRUE(CreateDirectoryW(DataFilePath().c_str(), nullptr));  // a real directory is not removed
  Start();
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"程序发生未知错误,请联系客服！"});
  EXPECT_EQ(HwndGetText(form->Handle()), L"青囊珍藏 1.2.20130119");
  EXPECT_EQ(Records(), 0);
  EXPECT_EQ(Status(), L"");
  EXPECT_FALSE(form->OldGridWnd);  // the grid was not hooked
  // The program still runs: its windows answer and the About page opens.
  form->PageControl1->SetActivePageIndex(1);
  EXPECT_TRUE(IsWindowVisible(form->Find<TMemo>("Memo1")->Handle()));
  EXPECT_EQ(boxes.size(), 1u);
}

// The deletion rule against a file system that reports what Wine cannot make: a directory link.
struct FakeFs {
  static inline std::vector<std::string> calls;
  static inline BOOL delete_ok;
  static inline DWORD attrs;
  static BOOL WINAPI Delete(LPCWSTR) {
    calls.push_back("delete");
    if (!delete_ok) SetLastError(ERROR_ACCESS_DENIED);
    return delete_ok;
  }
  static DWORD WINAPI Attributes(LPCWSTR) {
    calls.push_back("attributes");
    SetLastError(ERROR_INVALID_PARAMETER);  // a call in between that changes the last error
    return attrs;
  }
  static BOOL WINAPI RemoveDir(LPCWSTR) {
    calls.push_back("rmdir");
    return TRUE;
  }
};

TEST(DeletionRuleTest, OnlyADirectoryLinkIsRemovedAsADirectory) {
  const TFileSystem fs{FakeFs::Delete, FakeFs::Attributes, FakeFs::RemoveDir};
  struct Case {
    BOOL delete_ok;
    DWORD attrs;
    std::vector<std::string> calls;
  } cases[] = {
      {TRUE, 0, {"delete"}},
      {FALSE, INVALID_FILE_ATTRIBUTES, {"delete", "attributes"}},
      {FALSE, FILE_ATTRIBUTE_DIRECTORY, {"delete", "attributes"}},
      {FALSE, FILE_ATTRIBUTE_REPARSE_POINT, {"delete", "attributes"}},
      {FALSE, FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, {"delete", "attributes", "rmdir"}},
  };
  for (const Case& c : cases) {
    FakeFs::calls.clear();
    FakeFs::delete_ok = c.delete_ok;
    FakeFs::attrs = c.attrs;
    DeleteDataFile(L"C:\\windows\\_.dll", fs);
    EXPECT_EQ(FakeFs::calls, c.calls) << std::hex << c.attrs;
    if (!c.delete_ok && c.calls.size() == 2) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
  }
}

}  // namespace
}  // namespace qn
