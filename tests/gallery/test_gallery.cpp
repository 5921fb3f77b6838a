// The skin gallery's window: the skins it offers, which of its controls are skinned, and every
// GDI object, USER object and window binding given back after skinning it off and on and
// changing its skin many times.
#include <gtest/gtest.h>

#include <functional>

#include "gallery/GalleryForm.h"
#include "platform/core/TextConv.h"
#include "platform/win/Subclass.h"
#include "skin/draw/SkinDraw.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"

namespace qn {
namespace {

struct TCounts {
  int gdi, user, links;
  // The drawing routines keep buffers between paints: emptied first, so that only what the
  // engine holds on to counts.
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

// Every windowed control of the container, depth first.
void ForEachControl(TWinControl* container, const std::function<void(TWinControl*)>& visit) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    if (auto* c = dynamic_cast<TWinControl*>(container->Controls(i))) {
      visit(c);
      ForEachControl(c, visit);
    }
  }
}

class GalleryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterSkinClasses();
    form = new TGalleryForm(Application, L"");
    Application->SetMainForm(form);
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
      TWinSkinForm* f = m ? m->FindForm(form->Handle()) : nullptr;
      return f && f->Skinstate == 1;
    }, 5000);
  }
  TGalleryForm* form = nullptr;
  TSkinManage* m = nullptr;
};

TEST_F(GalleryTest, OffersTheBuiltInSkinAndEveryPackageBesideIt) {
  std::vector<std::wstring> offered;
  ForEachControl(form, [&](TWinControl* c) {
    if (c->InheritsFrom("TRadioButton") && c->Parent()->Caption() == L"Skin") offered.push_back(c->Caption());
  });
  EXPECT_EQ(offered, (std::vector<std::wstring>{L"Built-in", L"ink", L"jade"}));
  EXPECT_EQ(form->SkinData->Skin()->SkinName, L"Qingnang Silver");
}

// Every push button is skinned, except the ones tagged to stay plain.
TEST_F(GalleryTest, EveryButtonIsSkinnedButTheTaggedOne) {
  int skinned = 0, plain = 0;
  ForEachControl(form, [&](TWinControl* c) {
    if (!c->InheritsFrom("TButton")) return;
    const bool is = SendMessageW(c->Handle(), WM_SKINQUERY, 0, 0) == 1;
    if (c->Tag() == 99) {
      EXPECT_FALSE(is) << WideToUtf8(c->Caption());
      ++plain;
    } else {
      EXPECT_TRUE(is) << WideToUtf8(c->Caption());
      ++skinned;
    }
  });
  EXPECT_GE(skinned, 8);
  EXPECT_EQ(plain, 2);
}

// The leak rounds run with a page shown, so that its controls paint (and make what they
// make at a paint) in every round.
class GalleryPageTest : public GalleryTest, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override {
    GalleryTest::SetUp();
    TPageControl* pages = nullptr;
    ForEachControl(form, [&](TWinControl* c) {
      if (!pages) pages = dynamic_cast<TPageControl*>(c);
    });
    ASSERT_NE(pages, nullptr);
    int shown = -1;
    for (int i = 0; i < pages->PageCount(); ++i)
      if (pages->Pages(i)->Caption() == GetParam()) shown = i;
    ASSERT_GE(shown, 0) << WideToUtf8(GetParam());
    pages->SetActivePageIndex(shown);
    Application->PumpUntil([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }, 5000);
  }
};

INSTANTIATE_TEST_SUITE_P(Pages, GalleryPageTest, ::testing::Values(L"Buttons", L"Lists and scrolling", L"Check boxes", L"Tools and ranges"));

TEST_P(GalleryPageTest, SkinningOffAndOnTwoHundredTimesGivesEverythingBack) {
  TSkinData* data = form->SkinData;
  // One round first: the skin images make their pictures at their first paint.
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

TEST_P(GalleryPageTest, AHundredSkinChangesGiveEverythingBack) {
  TSkinData* data = form->SkinData;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  folder = folder.substr(0, folder.find_last_of(L"\\/")) + L"\\skins\\";
  auto load = [&](int i) {
    if (i % 3 == 0) ASSERT_TRUE(LoadBuiltinSkin(data));
    else data->LoadFromFile(folder + (i % 3 == 1 ? L"ink.skn" : L"jade.skn"));
    ASSERT_FALSE(data->Empty());
    m->RunPendingAction();
    ASSERT_TRUE(Skinned());
    Application->ProcessMessages();
  };
  // Each skin once first, ending with the built-in one, as the rounds end.
  for (int i = 1; i <= 3; ++i) load(i);
  const TCounts before = TCounts::Now();
  for (int i = 0; i < 100; ++i) load(i);
  EXPECT_EQ(TCounts::Now(), before);
}

}  // namespace
}  // namespace qn
