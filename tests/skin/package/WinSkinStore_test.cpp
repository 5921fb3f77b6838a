#include "skin/package/WinSkinStore.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/core/FormText.h"
#include "skin/package/SkinRead.h"
#include "tests/skin/package/PackageTestUtil.h"

namespace qn::test {
namespace {

Bytes AllByteValues() {
  Bytes b;
  for (int round = 0; round < 3; ++round)
    for (int v = 0; v < 256; ++v) b.push_back(static_cast<uint8_t>(v));
  return b;
}

Bytes SmallPackage() {
  TSkinWriter w;
  w.Add(L"skin.ini", FromString("[Title]\r\nheight=21\r\n"));
  w.Add(L"title.bmp", SkinBitmap(20, 10, 1));
  TMemoryStream s;
  w.SaveToStream(s);
  return s.Bytes();
}

TEST(SkinStore, NamesAndRenames) {
  TSkinStore store(nullptr);
  TSkinCollectionItem* a = store.Store()->Add();
  TSkinCollectionItem* b = store.Store()->Add();
  EXPECT_EQ(a->Name(), L"SkinItem0");
  EXPECT_EQ(b->Name(), L"SkinItem1");
  EXPECT_EQ(b->DisplayName(), L"SkinItem1");
  EXPECT_EQ(b->DataSize(), 0);
  EXPECT_EQ(b->SkinData(), L"Load Skin");

  try {
    b->SetName(L"SkinItem0");
    FAIL() << "renamed to a used name";
  } catch (const ESkinStoreError& e) {
    EXPECT_STREQ(e.what(), "The name SkinItem0 is already used.");
  }
  EXPECT_EQ(b->Name(), L"SkinItem1");
  b->SetName(L"SkinItem1");  // its own name: accepted
  b->SetName(L"skinitem0");  // names compare with case
  EXPECT_EQ(b->Name(), L"skinitem0");
  // Through the property machinery, as the form reader sets it.
  EXPECT_THROW(SetStrProp(a, "Name", L"skinitem0"), ESkinStoreError);
  EXPECT_TRUE(SetStrProp(a, "Name", L"Blue"));
  EXPECT_EQ(a->Name(), L"Blue");
  EXPECT_EQ(GetOrdProp(a, "DataSize"), 0);

  // IDs go on across deletions, so a later item never takes an earlier default name.
  store.Store()->Delete(0);
  EXPECT_EQ(store.Store()->Add()->Name(), L"SkinItem2");
}

TEST(SkinStore, StoredFormKeepsEveryByte) {
  RegisterSkinStoreClasses();
  TSkinStore store(nullptr);
  store.SetName(L"SkinStore1");
  struct {
    const wchar_t* name;
    Bytes data;
  } const items[] = {{L"Package", SmallPackage()}, {L"Bytes", AllByteValues()}, {L"Empty", {}}};
  for (const auto& i : items) {
    TSkinCollectionItem* item = store.Store()->Add();
    item->SetName(i.name);
    item->Data().WriteBuffer(i.data.data(), i.data.size());
  }
  std::string text = WriteComponentText(&store);
  EXPECT_NE(text.find("DataStream"), std::string::npos);
  EXPECT_EQ(text.find("DataSize"), std::string::npos);
  EXPECT_EQ(text.find("SkinData"), std::string::npos);

  TSkinStore back(nullptr);
  ReadComponentText(&back, text);
  ASSERT_EQ(back.Store()->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.Store()->Items(i)->Name(), items[i].name);
    EXPECT_TRUE(back.Store()->Items(i)->Data().Bytes() == items[i].data);
  }
  TSkinReader reader;
  TMemoryStream package(back.Store()->Items(0)->Data().Bytes());
  EXPECT_TRUE(reader.Loadfromstream(package));
  EXPECT_EQ(WriteComponentText(&back), text);
}

TEST(SkinStore, CopiesItemsAndData) {
  TSkinStore from(nullptr), to(nullptr);
  TSkinCollectionItem* src = from.Store()->Add();
  src->SetName(L"Glaze");
  Bytes package = SmallPackage();
  src->Data().WriteBuffer(package.data(), package.size());
  src->Data().SetPosition(7);

  TMemoryStream out(Bytes{0xAA});
  out.SetPosition(1);
  src->CopyData(out);
  EXPECT_EQ(src->Data().Position(), 7);
  EXPECT_EQ(out.Size(), static_cast<int64_t>(package.size() + 1));

  to.Store()->Add();
  to.SetStore(from.Store());
  ASSERT_EQ(to.Store()->Count(), 1);
  EXPECT_EQ(to.Store()->Items(0)->Name(), L"Glaze");
  EXPECT_TRUE(to.Store()->Items(0)->Data().Bytes() == package);
  to.SetStore(nullptr);
  EXPECT_EQ(to.Store()->Count(), 1);

  TSkinStore other(nullptr);
  EXPECT_THROW(to.Store()->Items(0)->Assign(&other), std::runtime_error);
}

TEST(SkinStore, LoadsPackageFiles) {
  std::string path = testing::TempDir() + "skinstore_item.skn";
  Bytes package = SmallPackage();
  TMemoryStream(package).SaveToFile(path);
  TSkinStore store(nullptr);
  TSkinCollectionItem* item = store.Store()->Add();
  item->LoadFromFile(path);
  EXPECT_TRUE(item->Data().Bytes() == package);
  EXPECT_EQ(item->DataSize(), static_cast<int32_t>(package.size()));
  EXPECT_THROW(item->LoadFromFile(path + ".missing"), EStreamError);
  EXPECT_EQ(item->DataSize(), 0);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace qn::test
