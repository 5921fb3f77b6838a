// The skin-data component in a form, as a program holds it: stored settings, the stored skin,
// loading from files, and the requests it makes of the skin manager.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>

#include "platform/core/FormText.h"
#include "platform/core/TextConv.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/WinApiLookup.h"
#include "skin/data/WinSkinData.h"
#include "skin/manager/WinSkinDlg.h"
#include "skin/package/SkinRead.h"
#include "skin/package/WinConvert.h"

namespace qn {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SkinPath(const char* name) { return std::string(QN_SKIN_DIR) + "/" + name + ".skn"; }

// A package whose archive claims a version no reader knows.
std::vector<uint8_t> UnknownVersionPackage() {
  TSkinWriter writer(70000);
  writer.Add(L"x.ini", {'[', 'a', ']', '\n'});
  TMemoryStream archive;
  writer.SaveArchive(archive);
  const uint32_t version = 12345;
  std::memcpy(archive.Memory(), &version, 4);
  archive.SetPosition(0);
  TMemoryStream package;
  LZHCompress(archive, package);
  return package.Bytes();
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// The stored form of a package: its size in four bytes, then the package.
std::string StoredSkin(const std::vector<uint8_t>& package) {
  std::vector<uint8_t> stream(4);
  uint32_t n = static_cast<uint32_t>(package.size());
  std::memcpy(stream.data(), &n, 4);
  stream.insert(stream.end(), package.begin(), package.end());
  return "{" + Hex(stream) + "}";
}

class TSkinForm : public TForm {
  QN_CLASS(TSkinForm)
 public:
  explicit TSkinForm(TComponent* owner) : TForm(owner) {
    PublishMethod("Changed", TMethodRef(TNotifyEvent::Bind<&TSkinForm::Changed>(this)));
  }
  void Changed(TObject*) { ++changes; }
  int changes = 0;
};
QN_CLASS_IMPL(TSkinForm, TForm)

class SkinDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterSkinClasses();
    RegisterComponentClass(TSkinForm::StaticClass());
    Application->MessageBoxHook = [this](const std::wstring& text, const std::wstring&, UINT) {
      boxes.push_back(text);
      return IDOK;
    };
  }
  void TearDown() override {
    DoneApplication();
    FreeSkinManager();
    User32SimulateMissing(TUser32Entry::GetScrollBarInfo, false);
  }

  // A form holding one skin-data component with the given stored lines.
  TSkinData* FormWith(const std::string& settings) {
    form = Application->CreateForm<TSkinForm>();
    form->ReadFormText("object F: TSkinForm\n  object SkinData1: TSkinData\n" + settings + "  end\nend\n");
    return form->Find<TSkinData>("SkinData1");
  }

  TSkinForm* form = nullptr;
  std::vector<std::wstring> boxes;
};

TEST_F(SkinDataTest, CreationValuesAndTheDefaultClassList) {
  TSkinData d(nullptr);
  EXPECT_FALSE(d.Active());
  EXPECT_TRUE(d.Empty());
  EXPECT_EQ(d.DisableTag(), 99);
  EXPECT_EQ(GetEnumProp(&d, "SkinFormtype"), "sfMainform");
  for (int t = xcMainMenu; t <= xcFastReport; ++t)
    EXPECT_EQ(Has(d.SkinControls(), t), t != xcMenuItem && t != xcFastReport) << kSkinControlTypeInfo.NameOf(t);
  EXPECT_EQ(d.Options(), Bit(xoPreview) | Bit(xoToolbarBK) | Bit(xoCaptionButtonHint));
  // Version and SkinStore read fixed texts whatever is assigned.
  SetStrProp(&d, "Version", L"1.0");
  SetStrProp(&d, "SkinStore", L"mine");
  EXPECT_EQ(GetStrProp(&d, "Version"), L"5.40.07.15");
  EXPECT_EQ(GetStrProp(&d, "SkinStore"), L"(none)");

  std::vector<std::wstring> lines = d.Skin3rd();
  ASSERT_EQ(lines.size(), 118u);
  std::map<std::wstring, int> seen;
  for (const auto& l : lines) ++seen[l];
  std::vector<std::wstring> twice;
  for (const auto& [name, n] : seen)
    if (n == 2) twice.push_back(name);
  EXPECT_EQ(twice, (std::vector<std::wstring>{L"TDBCheckboxEh=checkbox", L"TLMDFontSizeCombobox=combobox",
                                               L"TWWDBCombobox=combobox"}));
  EXPECT_EQ(lines.front(), L"TCategoryButtons=scrollbar");
  // The bitmap glyphs of the skinned system menu: four 16 x 16 images side by side.
  EXPECT_EQ(d.bmpmenu.Width(), 64);
  EXPECT_EQ(d.bmpmenu.Height(), 16);
}

TEST_F(SkinDataTest, StoredSkinLoadsWhileTheFormIsReadAndStartsTheManager) {
  std::vector<uint8_t> package = ReadFile(SkinPath("builtin"));
  ASSERT_FALSE(package.empty());
  TSkinData* d = FormWith("    Active = True\n    SkinStream = " + StoredSkin(package) + "\n");
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(d->Empty());
  EXPECT_TRUE(d->Active());
  EXPECT_EQ(d->Data().Bytes(), package);
  EXPECT_EQ(d->Skin()->border[skin::kBorderTop]->Map.Width(), 205);
  EXPECT_TRUE(boxes.empty());
  TSkinManage* m = SkinManager();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Dlist(), std::vector<TSkinData*>{d});
  EXPECT_EQ(m->MainData, d);
  EXPECT_TRUE(m->HookInstalled());
  // Nothing has been activated yet: the request to skin everything only switches it on.
  EXPECT_TRUE(m->active);
  EXPECT_FALSE(m->TimerEnabled());
  EXPECT_FALSE(Has(d->SkinControls(), xcMenuItem));

  // Written back, the stored skin is the same bytes.
  std::string text = WriteComponentText(form);
  EXPECT_NE(text.find("SkinStream = {"), std::string::npos);
}

TEST_F(SkinDataTest, DamagedOrEmptyStoredSkinsLeaveTheComponentEmptyAndInactive) {
  struct Case {
    std::string stored;
    size_t messages;
  } cases[] = {
      {"{00000000}", 0},                                  // no package stored
      {StoredSkin(UnknownVersionPackage()), 1},           // an archive of another version
      {"{FFFF0000" + Hex(std::vector<uint8_t>(16, 7)) + "}", 0},  // a count past the stored bytes
      {StoredSkin(std::vector<uint8_t>(64, 0xAB)), 0},    // bytes that are no package
  };
  for (const Case& c : cases) {
    boxes.clear();
    TSkinData* d = FormWith("    Active = True\n    SkinStream = " + c.stored + "\n");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->Empty());
    EXPECT_FALSE(d->Active());
    ASSERT_EQ(boxes.size(), c.messages) << c.stored.substr(0, 40);
    if (c.messages) {
      EXPECT_EQ(boxes[0], L"This is Older Skin File\rPlease update to new version !");
    }
    form->Free();
  }
}

TEST_F(SkinDataTest, LoadFromFileTakesEachOfOurSkinsAndIgnoresAMissingFile) {
  TSkinData* d = FormWith("    Active = True\n    SkinStream = " + StoredSkin(ReadFile(SkinPath("builtin"))) + "\n");
  TSkinManage* m = SkinManager();
  m->state = 1;  // as once a window was activated
  for (const char* name : {"ink", "jade", "builtin"}) {
    d->SetSkinFile(Utf8ToWide(SkinPath(name)));
    EXPECT_FALSE(d->Empty()) << name;
    EXPECT_EQ(d->SkinFile(), Utf8ToWide(SkinPath(name)));
    // A new skin asks the manager to re-skin, a quarter of a second later.
    EXPECT_EQ(m->action, kActionSkinChanged);
    EXPECT_EQ(m->UpdateData, d);
    EXPECT_TRUE(m->TimerEnabled());
    EXPECT_EQ(m->TimerInterval(), 250);
  }
  d->LoadFromFile(L"Z:\\no\\such\\skin.skn");
  EXPECT_TRUE(d->Empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SkinDataTest, SwitchingRecordsTheManagersActionsAndTheTimerReportsThem) {
  TSkinData* d = FormWith("    Active = True\n    OnSkinChanged = Changed\n    SkinStream = " +
                          StoredSkin(ReadFile(SkinPath("builtin"))) + "\n");
  TSkinManage* m = SkinManager();
  m->state = 1;
  struct Case {
    std::function<void()> request;
    int action;
  } cases[] = {
      {[&] { d->SetActive(false); }, kActionUnskinAll},
      {[&] { d->SetActive(true); }, kActionSkinAll},
      {[&] { d->Uninstall(); }, kActionUnskinAll},
      {[&] { d->Install(); }, kActionSkinAll},
      {[&] { d->ChangeForm(form); }, kActionReskinForm},
  };
  for (const Case& c : cases) {
    c.request();
    EXPECT_EQ(m->action, c.action);
    EXPECT_TRUE(m->TimerEnabled());
  }
  EXPECT_EQ(m->lpara, form->Handle());
  // Re-skinning a window that has no skinner reports nothing and keeps the request's owner.
  ASSERT_TRUE(Application->PumpUntil([&] { return !m->TimerEnabled(); }, 5000));
  EXPECT_EQ(form->changes, 0);
  EXPECT_EQ(m->UpdateData, d);
  d->Uninstall();
  ASSERT_TRUE(Application->PumpUntil([&] { return form->changes == 1; }, 5000));
  EXPECT_EQ(m->UpdateData, nullptr);
  EXPECT_FALSE(m->active);
}

TEST_F(SkinDataTest, LoadedDropsScrollBarsWhenThePlatformCannotDescribeThem) {
  User32SimulateMissing(TUser32Entry::GetScrollBarInfo, true);
  TSkinData* d = FormWith("    Active = True\n    SkinStream = " + StoredSkin(ReadFile(SkinPath("builtin"))) + "\n");
  EXPECT_FALSE(Has(d->SkinControls(), xcScrollbar));
  SCROLLBARINFO info{};
  EXPECT_FALSE(d->GetScrollBarInfo(form->Handle(), OBJID_VSCROLL, info));
}

TEST_F(SkinDataTest, ServicesToTheSkinners) {
  TSkinData d(nullptr);
  bool skin = true;
  d.DoFormSkin(nullptr, L"SysMonthCal32", skin);
  EXPECT_FALSE(skin);
  skin = true;
  d.DoFormSkin(nullptr, L"TfrPreviewForm", skin);
  EXPECT_TRUE(skin);  // FastReport windows are refused only when that kind is in the set
  d.SetSkinControls(d.SkinControls() | Bit(xcFastReport));
  d.DoFormSkin(nullptr, L"TfrPreviewForm", skin);
  EXPECT_FALSE(skin);
  skin = false;
  d.DoFormSkin(nullptr, L"TForm1", skin);
  EXPECT_FALSE(skin);  // left as the caller proposed

  struct Names {
    const wchar_t* in;
    const wchar_t* out;
  } names[] = {{L"close.bmp", L"close"}, {L"a.b.c", L"a"}, {L"noext", L""}, {L".ini", L""}};
  for (const Names& n : names) EXPECT_EQ(TSkinData::GetFileName(n.in), n.out);
  EXPECT_EQ(WideLeft(L"青囊珍藏", 2), L"青囊");
  EXPECT_EQ(WideLeft(L"青囊珍藏", -1), L"青囊珍藏");

  // Only enumerations are changed by name.
  TButton b(nullptr);
  d.ChangeProperty(&b, "Align", "alBottom");
  d.ChangeProperty(&b, "Caption", "x");
  EXPECT_EQ(b.Align(), TAlign::alBottom);
  EXPECT_EQ(b.Caption(), L"");

  std::vector<std::wstring> log;
  d.DoDebug(L"lost");
  d.DebugList = &log;
  d.DoDebug(L"kept");
  EXPECT_EQ(log, std::vector<std::wstring>{L"kept"});
}

TEST_F(SkinDataTest, HintsShowOnceAndHideOnce) {
  TSkinData d(nullptr);
  RECT at{100, 100, 120, 120};
  d.ActivateHint(at, L"关闭");
  EXPECT_TRUE(d.IsHint());
  d.ActivateHint(at, L"最大化");  // a hint already showing: nothing
  d.HideHint();
  EXPECT_FALSE(d.IsHint());
  d.HideHint();
  EXPECT_FALSE(d.IsHint());
  d.SetOptions(0);  // without the caption-button hint option no hint shows
  d.ActivateHint(at, L"关闭");
  EXPECT_FALSE(d.IsHint());
}

}  // namespace
}  // namespace qn
