// The main window: the record list with its search, the detail box, the About page and the
// links to the publisher's sites.
#pragma once

#include "platform/data/ADODB.h"
#include "platform/data/DB.h"
#include "platform/win/ComCtrls.h"
#include "platform/win/DBGrids.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/StdCtrls.h"

namespace qn {

class TForm1 : public TForm {
  QN_CLASS(TForm1)
 public:
  explicit TForm1(TComponent* owner);

  TImage* Image1 = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TEdit* searchkeyword = nullptr;
  TButton* Button_Search = nullptr;
  TButton* Button_Refresh = nullptr;
  TButton* Button_Copy = nullptr;
  TLabel* Label9 = nullptr;
  TLabel* Label10 = nullptr;
  TLabel* Label11 = nullptr;
  TLabel* Label12 = nullptr;
  TLabel* Label13 = nullptr;
  TLabel* Label14 = nullptr;
  TDBGrid* DBGrid1 = nullptr;
  TMemo* Memo_Info = nullptr;
  TEdit* Edit_SoftVer = nullptr;
  TLabel* Label15 = nullptr;
  TButton* Button_Web = nullptr;
  TButton* Button_Updata = nullptr;
  TButton* Button_Close = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  TADOConnection* ADOConnection1 = nullptr;
  TADOQuery* ADOQuery1 = nullptr;
  TADOTable* ADOTable1 = nullptr;
  TDataSource* DataSource1 = nullptr;

  // The grid's message method as it was before FormCreate hooked it.
  TWndMethod OldGridWnd;

  void FormCreate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void Button_RefreshClick(TObject* sender);
  void Button_SearchClick(TObject* sender);
  void Button_CopyClick(TObject* sender);
  void Button_CloseClick(TObject* sender);
  void Button_WebClick(TObject* sender);
  void Button_UpdataClick(TObject* sender);
  void Image1Click(TObject* sender);
  void Label3Click(TObject* sender);
  void Label5Click(TObject* sender);
  void Label15Click(TObject* sender);
  void Label9Click(TObject* sender);
  void Label10Click(TObject* sender);
  void Label11Click(TObject* sender);
  void Label12Click(TObject* sender);
  void Label13Click(TObject* sender);
  void Label14Click(TObject* sender);
  void searchkeywordClick(TObject* sender);
  void searchkeywordDblClick(TObject* sender);
  void DBGrid1CellClick(TColumn* column);
  void GridWndProc(TMessage& msg);

 private:
  void RunQuery(const std::wstring& sql);
  void SetupColumns();
  void SearchWord(const std::wstring& word);
  void OpenSite(const std::wstring& host, const std::wstring& path);
};

extern TForm1* Form1;

// The host names of the sites the program links to.
extern const wchar_t kOfficialHost[];
extern const wchar_t kMakerHost[];
extern const wchar_t kPartnerHost[];

// The data file's name in the Windows directory, after the separator.
extern const wchar_t kDataFileName[];
// The resource (type "MDB") that start-up writes out; the benchmark swaps in an empty one.
extern const wchar_t* gDataResource;

}  // namespace qn
