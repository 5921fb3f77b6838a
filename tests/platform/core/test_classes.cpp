#include <gtest/gtest.h>

#include "platform/core/Classes.h"

namespace qn {
namespace {

class TThing : public TComponent {
  QN_CLASS(TThing)
 public:
  explicit TThing(TComponent* owner) : TComponent(owner) {}
  ~TThing() override { ++destroyed; }
  int Width() const { return width_; }
  void SetWidth(int w) { width_ = w; }
  int Align() const { return align_; }
  void SetAlign(int a) { align_ = a; }
  std::wstring Caption() const { return caption_; }
  void SetCaption(const std::wstring& c) { caption_ = c; }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == peer) peer = nullptr;
  }
  TComponent* peer = nullptr;
  TNotifyEvent OnClick;
  static inline int destroyed = 0;

 private:
  int width_ = 0;
  int align_ = 0;
  std::wstring caption_;
};

const TEnumInfo kAlign{{"alNone", "alTop", "alBottom"}};
QN_CLASS_IMPL(TThing, TComponent,
              {prop::Int("Width", &TThing::Width, &TThing::SetWidth),
               prop::Enum("Align", kAlign, &TThing::Align, &TThing::SetAlign),
               prop::Str("Caption", &TThing::Caption, &TThing::SetCaption),
               prop::Event("OnClick", &TThing::OnClick)})

TEST(ClassesTest, AncestryByNameIgnoresCase) {
  TThing t(nullptr);
  EXPECT_TRUE(t.InheritsFrom("TThing"));
  EXPECT_TRUE(t.InheritsFrom("tcomponent"));
  EXPECT_TRUE(t.InheritsFrom("TPersistent"));
  EXPECT_FALSE(t.InheritsFrom("TControl"));
  EXPECT_EQ(t.ClassName(), "TThing");
}

TEST(ClassesTest, PropertiesByNameAndTheirAbsentAnswers) {
  TThing t(nullptr);
  EXPECT_TRUE(SetOrdProp(&t, "width", 42));
  EXPECT_EQ(GetOrdProp(&t, "Width"), 42);
  EXPECT_TRUE(SetEnumProp(&t, "Align", "ALTOP"));
  EXPECT_EQ(GetEnumProp(&t, "Align"), "alTop");
  EXPECT_FALSE(SetEnumProp(&t, "Align", "alLeftish"));
  EXPECT_TRUE(SetStrProp(&t, "Caption", L"青囊"));
  EXPECT_EQ(GetStrProp(&t, "Caption"), L"青囊");
  EXPECT_TRUE(SetOrdProp(&t, "Tag", 99));
  EXPECT_EQ(t.Tag(), 99);

  EXPECT_FALSE(IsPublishedProp(&t, "Glyph"));
  EXPECT_EQ(GetOrdProp(&t, "Glyph"), -1);
  EXPECT_EQ(GetStrProp(&t, "Glyph"), L"");
  EXPECT_EQ(GetObjectProp(&t, "Glyph"), nullptr);
  EXPECT_EQ(GetEnumProp(&t, "Glyph"), "");
  EXPECT_FALSE(SetStrProp(&t, "Glyph", L"x"));
}

struct Listener {
  void Clicked(TObject* sender) { last = sender; }
  void Other(int) {}
  TObject* last = nullptr;
};

TEST(ClassesTest, EventPropertiesTakeOnlyTheirOwnSignature) {
  TThing t(nullptr);
  Listener l;
  TMethodRef good(TNotifyEvent::Bind<&Listener::Clicked>(&l));
  TMethodRef bad(TEvent<void(int)>::Bind<&Listener::Other>(&l));
  EXPECT_FALSE(SetMethodProp(&t, "OnClick", bad));
  EXPECT_FALSE(t.OnClick);
  ASSERT_TRUE(SetMethodProp(&t, "OnClick", good));
  t.OnClick(&t);
  EXPECT_EQ(l.last, &t);
  EXPECT_TRUE(GetMethodProp(&t, "OnClick"));
}

TEST(ClassesTest, OwnerFreesOwnedAndFreeNotificationClearsReferences) {
  TThing::destroyed = 0;
  auto* owner = new TThing(nullptr);
  auto* a = new TThing(owner);
  auto* b = new TThing(owner);
  auto* watcher = new TThing(nullptr);
  watcher->peer = a;
  a->FreeNotification(watcher);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete a;
  EXPECT_EQ(watcher->peer, nullptr);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  delete owner;
  EXPECT_EQ(TThing::destroyed, 3);
  delete watcher;
}

TEST(ClassesTest, NamesAreUniqueAmongSiblings) {
  TThing owner(nullptr);
  auto* a = new TThing(&owner);
  auto* b = new TThing(&owner);
  a->SetName(L"Button1");
  EXPECT_THROW(b->SetName(L"BUTTON1"), std::runtime_error);
  b->SetName(L"Button2");
  EXPECT_EQ(owner.FindComponent("button2"), b);
}

class TItem : public TCollectionItem {
  QN_CLASS(TItem)
 public:
  explicit TItem(TCollection* c) : TCollectionItem(c) {}
  int Width() const { return width; }
  void SetWidth(int w) { width = w; }
  void Assign(TPersistent* src) override { width = static_cast<TItem*>(src)->width; }
  int width = 0;
};
QN_CLASS_IMPL(TItem, TCollectionItem, {prop::Int("Width", &TItem::Width, &TItem::SetWidth)})

TEST(ClassesTest, CollectionItemsGetRisingIdsAndAssignCopies) {
  TCollection a(nullptr, [](TCollection* c) { return new TItem(c); });
  auto* first = static_cast<TItem*>(a.Add());
  auto* second = static_cast<TItem*>(a.Add());
  EXPECT_EQ(first->ID(), 0);
  EXPECT_EQ(second->ID(), 1);
  EXPECT_EQ(second->Index(), 1);
  second->width = 7;
  TCollection b(nullptr, [](TCollection* c) { return new TItem(c); });
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(static_cast<TItem*>(b.Items(1))->width, 7);
}

}  // namespace
}  // namespace qn
