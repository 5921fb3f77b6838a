// The skin store: a non-visual component holding named skin packages, so that a program can
// switch skins at run time without files. Each item keeps one complete package (the framed,
// compressed archive) and stores it as the binary property "DataStream", byte for byte.
// No Windows header.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/core/Classes.h"
#include "platform/core/Streams.h"

namespace qn {

class TSkinStore;

// An item name already used in the same collection.
class ESkinStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the SkinData property always reads: the caption of a design-time loader.
inline constexpr wchar_t kSkinDataCaption[] = L"Load Skin";

class TSkinCollectionItem : public TCollectionItem {
  QN_CLASS(TSkinCollectionItem)
 public:
  // Named "SkinItem" and the item's collection-wide ID.
  explicit TSkinCollectionItem(TCollection* collection);

  std::wstring Name() const { return FName; }
  // Renames, unless another item of the collection has that name (compared with case):
  // ESkinStoreError "The name X is already used.", and the name stays.
  void SetName(const std::wstring& value);
  std::wstring SkinData() const { return kSkinDataCaption; }
  int32_t DataSize() const { return static_cast<int32_t>(FData.Bytes().size()); }
  // The package bytes.
  TMemoryStream& Data() { return FData; }

  // From another item: its name and all its data. Anything else is refused.
  void Assign(TPersistent* source) override;
  // Writes all the data into stream at its position; the data's own position is kept.
  void CopyData(TStream& stream);
  // Replaces the data with a whole package file (UTF-8 name). File errors pass to the caller,
  // the data then being empty.
  void LoadFromFile(const std::string& name);

  std::wstring DisplayName() const override { return FName; }
  void DefineProperties(TFiler& filer) override;

 private:
  std::wstring FName;
  TMemoryStream FData;
};

class TSkinCollection : public TCollection {
  QN_CLASS(TSkinCollection)
 public:
  explicit TSkinCollection(TSkinStore* owner);

  TSkinCollectionItem* Add() { return static_cast<TSkinCollectionItem*>(TCollection::Add()); }
  TSkinCollectionItem* Items(int i) const { return static_cast<TSkinCollectionItem*>(TCollection::Items(i)); }
};

class TSkinStore : public TComponent {
  QN_CLASS(TSkinStore)
 public:
  explicit TSkinStore(TComponent* owner);

  TSkinCollection* Store() const { return FStore.get(); }
  // Copies the items of value (nothing when it is null).
  void SetStore(TSkinCollection* value);

 private:
  std::unique_ptr<TSkinCollection> FStore;
};

// Makes TSkinStore known to the form reader.
void RegisterSkinStoreClasses();

}  // namespace qn
