#include "app/Unit1.h"

#include "app/DataFile.h"
#include "app/RecordText.h"
#include "platform/win/Shell.h"

namespace qn {

TForm1* Form1 = nullptr;

const wchar_t kOfficialHost[] = L"www.baicaoju.example";
const wchar_t kMakerHost[] = L"www.yunshan.example";
const wchar_t kPartnerHost[] = L"www.xingpan.example";
const wchar_t kDataFileName[] = L"\\_.dll";
const wchar_t* gDataResource = L"_";

QN_CLASS_IMPL(TForm1, TForm)

TForm1::TForm1(TComponent* owner) : TForm(owner) {
#define QN_METHOD(Sig, Name) PublishMethod(#Name, TMethodRef(Sig::Bind<&TForm1::Name>(this)))
  QN_METHOD(TNotifyEvent, FormCreate);
  QN_METHOD(TCloseEvent, FormClose);
  QN_METHOD(TNotifyEvent, Button_RefreshClick);
  QN_METHOD(TNotifyEvent, Button_SearchClick);
  QN_METHOD(TNotifyEvent, Button_CopyClick);
  QN_METHOD(TNotifyEvent, Button_CloseClick);
  QN_METHOD(TNotifyEvent, Button_WebClick);
  QN_METHOD(TNotifyEvent, Button_UpdataClick);
  QN_METHOD(TNotifyEvent, Image1Click);
  QN_METHOD(TNotifyEvent, Label3Click);
  QN_METHOD(TNotifyEvent, Label5Click);
  QN_METHOD(TNotifyEvent, Label15Click);
  QN_METHOD(TNotifyEvent, Label9Click);
  QN_METHOD(TNotifyEvent, Label10Click);
  QN_METHOD(TNotifyEvent, Label11Click);
  QN_METHOD(TNotifyEvent, Label12Click);
  QN_METHOD(TNotifyEvent, Label13Click);
  QN_METHOD(TNotifyEvent, Label14Click);
  QN_METHOD(TNotifyEvent, searchkeywordClick);
  QN_METHOD(TNotifyEvent, searchkeywordDblClick);
  QN_METHOD(TDBGridClickEvent, DBGrid1CellClick);
#undef QN_METHOD
#define QN_FIELD(Name) PublishField(#Name, &Name)
  QN_FIELD(Image1);
  QN_FIELD(PageControl1);
  QN_FIELD(TabSheet1);
  QN_FIELD(TabSheet2);
  QN_FIELD(GroupBox1);
  QN_FIELD(GroupBox2);
  QN_FIELD(searchkeyword);
  QN_FIELD(Button_Search);
  QN_FIELD(Button_Refresh);
  QN_FIELD(Button_Copy);
  QN_FIELD(Label9);
  QN_FIELD(Label10);
  QN_FIELD(Label11);
  QN_FIELD(Label12);
  QN_FIELD(Label13);
  QN_FIELD(Label14);
  QN_FIELD(DBGrid1);
  QN_FIELD(Memo_Info);
  QN_FIELD(Edit_SoftVer);
  QN_FIELD(Label15);
  QN_FIELD(Button_Web);
  QN_FIELD(Button_Updata);
  QN_FIELD(Button_Close);
  QN_FIELD(StatusBar1);
  QN_FIELD(ADOConnection1);
  QN_FIELD(ADOQuery1);
  QN_FIELD(ADOTable1);
  QN_FIELD(DataSource1);
#undef QN_FIELD
  ReadForm(L"TFORM1");
}

void TForm1::FormCreate(TObject*) {
  try {
    SetCaption(Caption() + L" " + Edit_SoftVer->Text());
    std::wstring path = GetSpecialFolderPath(36) + kDataFileName;
    DeleteDataFile(path);
    SaveResourceToFile(gDataResource, L"mdb", path);
    ADOConnection1->SetConnectionString(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + GetSpecialFolderPath(36) +
                                        kDataFileName + L";Persist Security Info=False");
    RunQuery(L"Select * from data");
    StatusBar1->Panel(0)->SetText(L"共" + std::to_wstring(ADOQuery1->RecordCount()) + L"条信息");
    Button_RefreshClick(Button_Refresh);
    OldGridWnd = DBGrid1->WindowProc;
    DBGrid1->WindowProc = TWndMethod::Bind<&TForm1::GridWndProc>(this);
  } catch (...) {
    ShowMessage(L"程序发生未知错误,请联系客服！");
  }
}

void TForm1::FormClose(TObject*, TCloseAction&) {
  ADOConnection1->Close();
  // Without a Windows directory there is no file of ours to delete.
  std::wstring windows;
  try {
    windows = GetSpecialFolderPath(36);
  } catch (const std::exception&) {
    return;
  }
  DeleteDataFile(windows + kDataFileName);
}

void TForm1::RunQuery(const std::wstring& sql) {
  ADOQuery1->Close();
  ADOQuery1->SQL().Clear();
  ADOQuery1->SQL().Add(sql);
  ADOQuery1->Open();
}

void TForm1::SetupColumns() {
  DBGrid1->Columns()->Column(0)->SetVisible(false);
  DBGrid1->Columns()->Column(2)->SetVisible(false);
  DBGrid1->Columns()->Column(1)->SetWidth(300);
}

void TForm1::Button_RefreshClick(TObject*) {
  RunQuery(L"Select 编号,标题,内容 from data");
  SetupColumns();
  StatusBar1->Panel(0)->SetText(L"共" + std::to_wstring(ADOQuery1->RecordCount()) + L"条信息");
}

void TForm1::Button_SearchClick(TObject*) {
  std::wstring keyword = searchkeyword->Text();
  if (keyword.empty()) {
    ShowMessage(L"请输入搜索关键词！");
    return;
  }
  // The keyword is bound, not pasted into the statement: quotes, "%" and "_" in it are
  // searched for as they are.
  ADOQuery1->Close();
  ADOQuery1->SQL().Clear();
  ADOQuery1->SQL().Add(L"Select * from data where 标题 like :kw escape '\\' or 内容 like :kw escape '\\' ");
  ADOQuery1->Parameters()->ParamByName(L"kw")->SetValue(LikeContainsPattern(keyword));
  ADOQuery1->Open();
  StatusBar1->Panel(0)->SetText(L"关于" + keyword + L"的信息,共搜索到" + std::to_wstring(ADOQuery1->RecordCount()) + L"条");
  if (ADOQuery1->Eof()) {
    ShowMessage(L"对不起没有找到相关信息！请重新输入关键词");
    RunQuery(L"Select * from data");
  }
  SetupColumns();
}

void TForm1::SearchWord(const std::wstring& word) {
  searchkeyword->SetText(word);
  Button_SearchClick(Button_Search);
}

void TForm1::Label9Click(TObject*) { SearchWord(L"风湿"); }
void TForm1::Label10Click(TObject*) { SearchWord(L"跌打"); }
void TForm1::Label11Click(TObject*) { SearchWord(L"活血"); }
void TForm1::Label12Click(TObject*) { SearchWord(L"阳痿"); }
void TForm1::Label13Click(TObject*) { SearchWord(L"气血"); }
void TForm1::Label14Click(TObject*) { SearchWord(L"清热"); }

void TForm1::searchkeywordClick(TObject*) { searchkeyword->SetText(L""); }
void TForm1::searchkeywordDblClick(TObject*) { searchkeyword->SetText(L""); }

void TForm1::GridWndProc(TMessage& msg) {
  if (msg.Msg == WM_MOUSEWHEEL) {
    auto delta = static_cast<short>(HIWORD(msg.WParam));
    DBGrid1->DataSource()->DataSet()->MoveBy(delta < 0 ? 1 : -1);
    return;
  }
  OldGridWnd(msg);
}

void TForm1::DBGrid1CellClick(TColumn*) {
  Memo_Info->SetText(CleanRecordText(DBGrid1->DataLink()->Fields(2)->AsString()));
}

void TForm1::Button_CopyClick(TObject*) {
  if (Memo_Info->Text().empty()) {
    ShowMessage(L"请选择一条信息再复制！");
    return;
  }
  Memo_Info->SelectAll();
  Memo_Info->CopyToClipboard();
  ShowMessage(L"该信息已经拷贝到剪切板.");
}

void TForm1::Button_CloseClick(TObject*) { Close(); }

void TForm1::OpenSite(const std::wstring& host, const std::wstring& path) {
  ShellOpen(Handle(), L"http://" + host + path + Edit_SoftVer->Text());
}

void TForm1::Image1Click(TObject*) { OpenSite(kOfficialHost, L"/?qq=Caoben"); }
void TForm1::Label3Click(TObject*) { OpenSite(kOfficialHost, L"/?qq=Caoben"); }
void TForm1::Button_WebClick(TObject*) { OpenSite(kOfficialHost, L"/Class.asp?ID=120&qq=Caoben"); }
void TForm1::Label5Click(TObject*) { OpenSite(kMakerHost, L"/?qq=Caoben"); }
void TForm1::Button_UpdataClick(TObject*) { OpenSite(kMakerHost, L"/?qq=Caoben"); }
void TForm1::Label15Click(TObject*) { OpenSite(kPartnerHost, L"/?qq=Caoben"); }

}  // namespace qn
