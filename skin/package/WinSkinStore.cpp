#include "skin/package/WinSkinStore.h"

#include "platform/core/TextConv.h"

namespace qn {

// Name and the binary "DataStream" are what an item stores; SkinData and DataSize only read.
QN_CLASS_IMPL(TSkinCollectionItem, TCollectionItem,
              {prop::Str("Name", &TSkinCollectionItem::Name, &TSkinCollectionItem::SetName),
               prop::Str<TSkinCollectionItem, TSkinCollectionItem>("SkinData", &TSkinCollectionItem::SkinData, nullptr),
               prop::Int<TSkinCollectionItem, TSkinCollectionItem, int32_t>("DataSize", &TSkinCollectionItem::DataSize,
                                                                             nullptr)})

TSkinCollectionItem::TSkinCollectionItem(TCollection* collection) : TCollectionItem(collection) {
  FName = L"SkinItem" + std::to_wstring(ID());
}

void TSkinCollectionItem::SetName(const std::wstring& value) {
  if (value == FName) return;
  if (TCollection* c = Collection()) {
    for (int i = 0; i < c->Count(); ++i) {
      auto* other = static_cast<TSkinCollectionItem*>(c->Items(i));
      if (other != this && other->FName == value) {
        throw ESkinStoreError("The name " + WideToUtf8(value) + " is already used.");
      }
    }
  }
  FName = value;
}

void TSkinCollectionItem::Assign(TPersistent* source) {
  auto* item = dynamic_cast<TSkinCollectionItem*>(source);
  if (!item) {
    TCollectionItem::Assign(source);
    return;
  }
  if (item == this) return;
  FName = item->FName;
  FData.Clear();
  item->CopyData(FData);
  FData.SetPosition(0);
}

void TSkinCollectionItem::CopyData(TStream& stream) {
  int64_t pos = FData.Position();
  FData.SetPosition(0);
  // (A count of 0 would mean "everything" to CopyFrom; there is nothing to copy then.)
  if (FData.Size() > 0) stream.CopyFrom(FData, FData.Size());
  FData.SetPosition(pos);
}

void TSkinCollectionItem::LoadFromFile(const std::string& name) {
  FData.Clear();
  try {
    FData.LoadFromFile(name);
  } catch (...) {
    FData.Clear();
    throw;
  }
}

void TSkinCollectionItem::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "DataStream",
      [this](TStream& s) {
        FData.Clear();
        s.SetPosition(0);
        if (s.Size() > 0) FData.CopyFrom(s, s.Size());
        FData.SetPosition(0);
      },
      [this](TStream& s) { CopyData(s); }, true);
}

QN_CLASS_IMPL(TSkinCollection, TCollection)

TSkinCollection::TSkinCollection(TSkinStore* owner)
    : TCollection(owner, [](TCollection* c) -> TCollectionItem* { return new TSkinCollectionItem(c); }) {}

QN_CLASS_IMPL(TSkinStore, TComponent, {prop::Obj("Store", &TSkinStore::Store, &TSkinStore::SetStore)})

TSkinStore::TSkinStore(TComponent* owner) : TComponent(owner), FStore(std::make_unique<TSkinCollection>(this)) {}

void TSkinStore::SetStore(TSkinCollection* value) {
  if (value && value != FStore.get()) FStore->Assign(value);
}

void RegisterSkinStoreClasses() { RegisterComponentClass(TSkinStore::StaticClass()); }

}  // namespace qn
