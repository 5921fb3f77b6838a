// The object model: classes that know their name and ancestry, published properties readable
// and writable by name, persistent objects, components with owners, and collections.
// No Windows header; the controls built on it live in platform/win.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Events.h"
#include "platform/core/Streams.h"

namespace qn {

class TObject;
class TComponent;
class TFiler;

enum class TTypeKind { tkInteger, tkEnumeration, tkSet, tkString, tkClass, tkMethod, tkStrings };

// Value names of an enumeration, in value order; also the element names of a set over it.
struct TEnumInfo {
  std::vector<std::string> names;
  int ValueOf(std::string_view name) const;  // -1 when unknown (compared without case)
  std::string NameOf(int64_t value) const;   // empty when out of range
};

// Identifiers an integer property accepts in a form description (colour and cursor names).
struct TIdentMap {
  std::vector<std::pair<std::string, int64_t>> idents;
  bool ToInt(std::string_view ident, int64_t& value) const;
};

struct TPropInfo {
  std::string name;
  TTypeKind kind = TTypeKind::tkInteger;
  const TEnumInfo* enumType = nullptr;  // enumerations and sets
  const TIdentMap* idents = nullptr;    // integers with named values
  const std::type_info* methodSig = nullptr;

  std::function<int64_t(TObject&)> getOrd;
  std::function<void(TObject&, int64_t)> setOrd;
  std::function<std::wstring(TObject&)> getStr;
  std::function<void(TObject&, const std::wstring&)> setStr;
  std::function<TObject*(TObject&)> getObj;
  std::function<void(TObject&, TObject*)> setObj;
  std::function<TMethodRef(TObject&)> getMethod;
  std::function<bool(TObject&, const TMethodRef&)> setMethod;  // false: signature mismatch
  std::function<std::vector<std::wstring>(TObject&)> getList;
  std::function<void(TObject&, const std::vector<std::wstring>&)> setList;
};

// What a class knows of itself: its name, its parent, how to make one (for the form reader)
// and the properties it publishes in addition to its ancestors'.
struct TClassInfo {
  std::string name;
  const TClassInfo* parent = nullptr;
  std::function<TObject*(TComponent* owner)> create;  // empty for abstract classes
  std::vector<TPropInfo> props;

  bool InheritsFrom(std::string_view ancestor) const;  // compared without case, self included
  const TPropInfo* FindProp(std::string_view prop) const;  // searched up the ancestry
};

// Declares the class information of a class; QN_CLASS_IMPL defines it in the .cpp.
#define QN_CLASS(Self)                                    \
 public:                                                  \
  static const ::qn::TClassInfo& StaticClass();           \
  const ::qn::TClassInfo& ClassType() const override {    \
    return StaticClass();                                 \
  }                                                       \
                                                          \
 private:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType().name; }
  // Whether this object's class is, or descends from, the class of that name.
  bool InheritsFrom(std::string_view ancestor) const { return ClassType().InheritsFrom(ancestor); }
};

// Classes the form reader can create by name.
void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindClass(std::string_view name);

// Builders for property tables. Getter and setter are member functions of C.
namespace prop {

// Getters may belong to an ancestor (G) of the class that declares the setter (S).
template <class G, class S, class T>
TPropInfo Int(std::string name, T (G::*get)() const, void (S::*set)(T), const TIdentMap* idents = nullptr) {
  TPropInfo p;
  p.name = std::move(name);
  p.kind = TTypeKind::tkInteger;
  p.idents = idents;
  p.getOrd = [get](TObject& o) { return static_cast<int64_t>((static_cast<G&>(o).*get)()); };
  if (set) p.setOrd = [set](TObject& o, int64_t v) { (static_cast<S&>(o).*set)(static_cast<T>(v)); };
  return p;
}

template <class G, class S, class E>
TPropInfo Enum(std::string name, const TEnumInfo& info, E (G::*get)() const, void (S::*set)(E)) {
  TPropInfo p = Int<G, S, E>(std::move(name), get, set);
  p.kind = TTypeKind::tkEnumeration;
  p.enumType = &info;
  return p;
}

extern const TEnumInfo kBooleanInfo;  // False, True

template <class G, class S>
TPropInfo Bool(std::string name, bool (G::*get)() const, void (S::*set)(bool)) {
  return Enum<G, S, bool>(std::move(name), kBooleanInfo, get, set);
}

template <class G, class S, class T>
TPropInfo Set(std::string name, const TEnumInfo& info, T (G::*get)() const, void (S::*set)(T)) {
  TPropInfo p = Int<G, S, T>(std::move(name), get, set);
  p.kind = TTypeKind::tkSet;
  p.enumType = &info;
  return p;
}

template <class G, class S>
TPropInfo Str(std::string name, std::wstring (G::*get)() const, void (S::*set)(const std::wstring&)) {
  TPropInfo p;
  p.name = std::move(name);
  p.kind = TTypeKind::tkString;
  p.getStr = [get](TObject& o) { return (static_cast<G&>(o).*get)(); };
  if (set) p.setStr = [set](TObject& o, const std::wstring& v) { (static_cast<S&>(o).*set)(v); };
  return p;
}

// An object property; the setter receives any TObject and checks its class itself.
template <class G, class S, class T, class U>
TPropInfo Obj(std::string name, T* (G::*get)() const, void (S::*set)(U*)) {
  TPropInfo p;
  p.name = std::move(name);
  p.kind = TTypeKind::tkClass;
  p.getObj = [get](TObject& o) -> TObject* { return (static_cast<G&>(o).*get)(); };
  if (set) {
    p.setObj = [set](TObject& o, TObject* v) {
      U* t = dynamic_cast<U*>(v);
      if (v && !t) throw std::runtime_error("Invalid property value");
      (static_cast<S&>(o).*set)(t);
    };
  }
  return p;
}

// A read-only object property (fonts, collections, constraints: set through their own properties).
template <class G, class T>
TPropInfo Obj(std::string name, T* (G::*get)() const) {
  TPropInfo p;
  p.name = std::move(name);
  p.kind = TTypeKind::tkClass;
  p.getObj = [get](TObject& o) -> TObject* { return (static_cast<G&>(o).*get)(); };
  return p;
}

// An event property stored in a public TEvent member.
template <class C, class Sig>
TPropInfo Event(std::string name, TEvent<Sig> C::*member) {
  TPropInfo p;
  p.name = std::move(name);
  p.kind = TTypeKind::tkMethod;
  p.methodSig = &typeid(Sig);
  p.getMethod = [member](TObject& o) { return TMethodRef(static_cast<C&>(o).*member); };
  p.setMethod = [member](TObject& o, const TMethodRef& m) { return m.Cast(static_cast<C&>(o).*member); };
  return p;
}

template <class G, class S>
TPropInfo Strings(std::string name, std::vector<std::wstring> (G::*get)() const,
                  void (S::*set)(const std::vector<std::wstring>&)) {
  TPropInfo p;
  p.name = std::move(name);
  p.kind = TTypeKind::tkStrings;
  p.getList = [get](TObject& o) { return (static_cast<G&>(o).*get)(); };
  if (set) p.setList = [set](TObject& o, const std::vector<std::wstring>& v) { (static_cast<S&>(o).*set)(v); };
  return p;
}

}  // namespace prop

// Makes the class information of C, whose parent is P.
template <class C, class P>
TClassInfo MakeClass(std::string name, std::vector<TPropInfo> props = {}) {
  TClassInfo info;
  info.name = std::move(name);
  info.parent = &P::StaticClass();
  if constexpr (std::is_constructible_v<C, TComponent*>) {
    info.create = [](TComponent* owner) -> TObject* { return new C(owner); };
  } else if constexpr (std::is_default_constructible_v<C>) {
    info.create = [](TComponent*) -> TObject* { return new C(); };
  }
  info.props = std::move(props);
  return info;
}

#define QN_CLASS_IMPL(Self, Parent, ...)                                                  \
  const ::qn::TClassInfo& Self::StaticClass() {                                           \
    static const ::qn::TClassInfo info = ::qn::MakeClass<Self, Parent>(#Self __VA_OPT__(, ) __VA_ARGS__); \
    return info;                                                                          \
  }

// Objects that can be stored: they may define properties of their own beyond the published
// ones (binary data, lists), and copy themselves from another of their kind.
class TPersistent : public TObject {
  QN_CLASS(TPersistent)
 public:
  virtual void DefineProperties(TFiler& filer) {}
  // Copies from source; the default refuses ("Cannot assign").
  virtual void Assign(TPersistent* source);
};

// Handed to DefineProperties: the stored binary properties of an object.
class TFiler {
 public:
  using TStreamProc = std::function<void(TStream&)>;
  virtual ~TFiler() = default;
  // reader: called with the stored bytes (position 0); writer: writes the bytes to store.
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc reader, TStreamProc writer,
                                    bool has_data) = 0;
};

enum TComponentStateFlag : unsigned {
  csLoading = 1, csReading = 2, csDestroying = 4, csDesigning = 8, csWriting = 16
};
enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  QN_CLASS(TComponent)
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const { return components_.at(static_cast<size_t>(i)); }
  TComponent* FindComponent(std::string_view name) const;  // owned, compared without case
  template <class T>
  T* Find(std::string_view name) const { return dynamic_cast<T*>(FindComponent(name)); }

  std::wstring Name() const { return name_; }
  void SetName(const std::wstring& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  unsigned ComponentState() const { return state_; }
  bool Loading() const { return (state_ & csLoading) != 0; }
  bool Destroying() const { return (state_ & csDestroying) != 0; }
  void SetLoading(bool on);

  // The container a form description places this component in (controls: their parent).
  virtual void SetParentComponent(TComponent* parent) {}
  virtual TComponent* GetParentComponent() const { return nullptr; }

  // Deletes the component after BeforeDestruction, while every override still runs; plain
  // delete works too but skips that step.
  void Free() {
    BeforeDestruction();
    delete this;
  }
  virtual void BeforeDestruction() { state_ |= csDestroying; }

  // Called once the form reader has set every stored property of every component.
  virtual void Loaded() { state_ &= ~csLoading; }
  // Tells this component that one it refers to (owned or free-notified) is going.
  virtual void Notification(TComponent* component, TOperation op);
  // Asks component to tell this one when it goes.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees every owned component, newest first.
  void DestroyComponents();

 protected:
  void Destroying_() { state_ |= csDestroying; }

 private:
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  std::wstring name_;
  int tag_ = 0;
  unsigned state_ = 0;
};

class TCollection;

class TCollectionItem : public TPersistent {
  QN_CLASS(TCollectionItem)
 public:
  explicit TCollectionItem(TCollection* collection);
  TCollection* Collection() const { return collection_; }
  int ID() const { return id_; }
  int Index() const;
  virtual std::wstring DisplayName() const {
    const std::string& n = ClassType().name;
    return std::wstring(n.begin(), n.end());
  }

 protected:
  void Changed();

 private:
  friend class TCollection;
  TCollection* collection_;
  int id_ = 0;
};

class TCollection : public TPersistent {
  QN_CLASS(TCollection)
 public:
  using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
  TCollection(TPersistent* owner, ItemFactory factory);
  ~TCollection() override;

  TCollectionItem* Add();
  void Clear();
  void Delete(int index);
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
  TPersistent* Owner() const { return owner_; }
  void Assign(TPersistent* source) override;

  // Called after an item changed or the item list changed (item null).
  std::function<void(TCollectionItem*)> OnUpdate;
  void Changed(TCollectionItem* item) { if (OnUpdate) OnUpdate(item); }

 private:
  friend class TCollectionItem;
  void Insert(TCollectionItem* item);
  TPersistent* owner_;
  ItemFactory factory_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int next_id_ = 0;
  bool adding_ = false;
};

// Reading and writing published properties by name, as the skinners and the form reader do.
// The getters return the absent-property answer when the object has no such property.
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TObject* obj, std::string_view name);
int64_t GetOrdProp(TObject* obj, std::string_view name, int64_t absent = -1);
bool SetOrdProp(TObject* obj, std::string_view name, int64_t value);
std::string GetEnumProp(TObject* obj, std::string_view name);  // value name; empty when absent
bool SetEnumProp(TObject* obj, std::string_view name, std::string_view value);
std::wstring GetStrProp(TObject* obj, std::string_view name);
bool SetStrProp(TObject* obj, std::string_view name, const std::wstring& value);
TObject* GetObjectProp(TObject* obj, std::string_view name);
bool SetObjectProp(TObject* obj, std::string_view name, TObject* value);
TMethodRef GetMethodProp(TObject* obj, std::string_view name);
bool SetMethodProp(TObject* obj, std::string_view name, const TMethodRef& value);
// A property of any kind from its text form ("True", "clRed", "[akLeft,akTop]", "12").
bool SetPropFromText(TObject* obj, std::string_view name, const std::wstring& text);

}  // namespace qn
