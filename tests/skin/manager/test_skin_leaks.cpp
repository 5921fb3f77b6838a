// Skinning switched off and on, skins changed and skinned message boxes opened and closed,
// many times over: every GDI object, USER object and window binding the engine makes is
// given back.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Subclass.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"

namespace qn {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SkinPath(const char* name) { return std::string(QN_SKIN_DIR) + "/" + name + ".skn"; }

std::string Stored(const std::vector<uint8_t>& package) {
  std::vector<uint8_t> stream(4);
  uint32_t n = static_cast<uint32_t>(package.size());
  std::memcpy(stream.data(), &n, 4);
  stream.insert(stream.end(), package.begin(), package.end());
  static const char* digits = "0123456789ABCDEF";
  std::string hex = "{";
  for (uint8_t b : stream) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex + "}";
}

struct TCounts {
  int gdi, user, links;
  // The drawing routines keep a few buffers and pictures between paints, sized by what was
  // painted last: they are emptied first, so that only what the engine holds on to counts.
  static TCounts Now() {
    DoneSkinDraw();
    InitSkinDraw();
    return {LiveGdiHandles(), LiveUserHandles(), TWindowSubclass::LiveLinks()};
  }
  bool operator==(const TCounts&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TCounts& c) {
  return o << "gdi " << c.gdi << ", user " << c.user << ", bindings " << c.links;
}

// A thread timer that runs inside the message box's own loop: once the skin engine has taken
// the box and painted it, the box is counted and closed as by its OK button.
int g_boxes_skinned = 0;

void CALLBACK CloseSkinnedBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(L"#32770", L"青囊");
  TSkinManage* mgr = SkinManager();
  TWinSkinForm* skinner = box && mgr ? mgr->FindForm(box) : nullptr;
  if (!skinner || skinner->Skinstate != 1) return;
  ++g_boxes_skinned;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class SkinLeakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterSkinClasses();
    form = Application->CreateForm<TForm>();
    form->ReadFormText("object Main: TForm\n  Caption = '青囊'\n  ClientWidth = 320\n  ClientHeight = 200\n"
                       "  object Edit1: TEdit\n    Left = 8\n    Top = 8\n  end\n"
                       "  object SkinData1: TSkinData\n    Active = True\n    SkinStream = " +
                       Stored(ReadFile(SkinPath("builtin"))) + "\n  end\nend\n");
    data = form->Find<TSkinData>("SkinData1");
    m = SkinManager();
    form->Show();
    ASSERT_TRUE(Skinned());
  }
  void TearDown() override {
    DoneApplication();
    FreeSkinManager();
  }
  bool Skinned() {
    return Application->PumpUntil([&] {
      TWinSkinForm* f = m->FindForm(form->Handle());
      return f && f->Skinstate == 1;
    }, 5000);
  }
  TForm* form = nullptr;
  TSkinData* data = nullptr;
  TSkinManage* m = nullptr;
};

TEST_F(SkinLeakTest, SwitchingOffAndOnTwoHundredTimesGivesEverythingBack) {
  // One round first: the drawing routines keep their buffers from the first paint on.
  data->SetActive(false);
  m->RunPendingAction();
  data->SetActive(true);
  m->RunPendingAction();
  ASSERT_TRUE(Skinned());
  const TCounts before = TCounts::Now();
  for (int i = 0; i < 200; ++i) {
    data->SetActive(false);
    m->RunPendingAction();
    ASSERT_EQ(m->FindForm(form->Handle()), nullptr);
    data->SetActive(true);
    m->RunPendingAction();
    ASSERT_TRUE(Skinned()) << "round " << i;
  }
  EXPECT_EQ(TCounts::Now(), before);
}

TEST_F(SkinLeakTest, ChangingTheSkinOverAHundredTimesGivesEverythingBack) {
  const char* skins[] = {"ink", "jade", "builtin"};
  for (const char* s : skins) {  // each skin once, for its buffers
    data->SetSkinFile(Utf8ToWide(SkinPath(s)));
    m->RunPendingAction();
    ASSERT_TRUE(Skinned());
  }
  const TCounts before = TCounts::Now();
  // Each skin draws a different number of its images, so the rounds end on the skin they
  // started with: 102 changes, 34 of each.
  for (int i = 0; i < 102; ++i) {
    data->SetSkinFile(Utf8ToWide(SkinPath(skins[i % 3])));
    ASSERT_FALSE(data->Empty());
    m->RunPendingAction();
    ASSERT_TRUE(Skinned()) << "round " << i;
  }
  EXPECT_EQ(TCounts::Now(), before);
}

TEST_F(SkinLeakTest, TwoHundredSkinnedMessageBoxesGiveEverythingBack) {
  auto box = [&] {
    UINT_PTR t = SetTimer(nullptr, 0, 10, CloseSkinnedBox);
    MessageBoxW(form->Handle(), L"该信息已经拷贝到剪切板.", L"青囊", MB_OK);
    KillTimer(nullptr, t);
    Application->ProcessMessages();
  };
  box();
  m->DeleteForm3();  // a closed box's skinner waits for the next purge
  const TCounts before = TCounts::Now();
  g_boxes_skinned = 0;
  for (int i = 0; i < 200; ++i) box();
  EXPECT_EQ(g_boxes_skinned, 200);
  m->DeleteForm3();
  EXPECT_EQ(m->Forms().size(), 1u);  // the main window alone
  EXPECT_EQ(TCounts::Now(), before);
}

}  // namespace
}  // namespace qn
