#include "platform/core/Classes.h"

#include <algorithm>
#include <stdexcept>

#include "platform/core/TextConv.h"

namespace qn {

namespace {

std::map<std::string, const TClassInfo*>& Registry() {
  static std::map<std::string, const TClassInfo*> registry;
  return registry;
}

bool SameName(std::string_view a, std::string_view b) { return SameTextAscii(a, b); }

}  // namespace

int TEnumInfo::ValueOf(std::string_view name) const {
  for (size_t i = 0; i < names.size(); ++i)
    if (SameName(names[i], name)) return static_cast<int>(i);
  return -1;
}

std::string TEnumInfo::NameOf(int64_t value) const {
  if (value < 0 || value >= static_cast<int64_t>(names.size())) return {};
  return names[static_cast<size_t>(value)];
}

bool TIdentMap::ToInt(std::string_view ident, int64_t& value) const {
  for (const auto& [name, v] : idents) {
    if (SameName(name, ident)) {
      value = v;
      return true;
    }
  }
  return false;
}

bool TClassInfo::InheritsFrom(std::string_view ancestor) const {
  for (const TClassInfo* c = this; c; c = c->parent)
    if (SameName(c->name, ancestor)) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view prop) const {
  for (const TClassInfo* c = this; c; c = c->parent)
    for (const TPropInfo& p : c->props)
      if (SameName(p.name, prop)) return &p;
  return nullptr;
}

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info{"TObject", nullptr, {}, {}};
  return info;
}

void RegisterComponentClass(const TClassInfo& info) { Registry()[LowerAscii(info.name)] = &info; }

const TClassInfo* FindClass(std::string_view name) {
  auto it = Registry().find(LowerAscii(std::string(name)));
  return it == Registry().end() ? nullptr : it->second;
}

namespace prop {
const TEnumInfo kBooleanInfo{{"False", "True"}};
}

QN_CLASS_IMPL(TPersistent, TObject)

void TPersistent::Assign(TPersistent* source) {
  throw std::runtime_error("Cannot assign a " + (source ? source->ClassName() : std::string("nil")) +
                           " to a " + ClassName());
}

QN_CLASS_IMPL(TComponent, TPersistent,
              {prop::Str("Name", &TComponent::Name, &TComponent::SetName),
               prop::Int("Tag", &TComponent::Tag, &TComponent::SetTag)})

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Tell those who asked, then those we asked, that we go.
  while (!free_notifies_.empty()) {
    TComponent* c = free_notifies_.back();
    free_notifies_.pop_back();
    auto& back = c->free_notifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    c->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  std::wstring wname = Utf8ToWide(std::string(name));
  for (TComponent* c : components_)
    if (SameTextAscii(c->name_, wname)) return c;
  return nullptr;
}

void TComponent::SetName(const std::wstring& name) {
  if (name == name_) return;
  if (owner_ && !name.empty()) {
    for (TComponent* c : owner_->components_) {
      if (c != this && SameTextAscii(c->name_, name))
        throw std::runtime_error("A component named " + WideToUtf8(name) + " already exists");
    }
  }
  name_ = name;
}

void TComponent::SetLoading(bool on) {
  if (on) state_ |= csLoading | csReading;
  else state_ &= ~(csLoading | csReading);
}

void TComponent::Notification(TComponent* component, TOperation op) {
  if (op == TOperation::opRemove && component) {
    auto& f = free_notifies_;
    f.erase(std::remove(f.begin(), f.end(), component), f.end());
  }
  for (TComponent* c : std::vector<TComponent*>(components_)) c->Notification(component, op);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end())
    free_notifies_.push_back(component);
  auto& back = component->free_notifies_;
  if (std::find(back.begin(), back.end(), this) == back.end()) back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), component),
                       free_notifies_.end());
  auto& back = component->free_notifies_;
  back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  component->owner_ = this;
  components_.push_back(component);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it == components_.end()) return;
  components_.erase(it);
  component->owner_ = nullptr;
  if (!(state_ & csDestroying)) Notification(component, TOperation::opRemove);
}

void TComponent::DestroyComponents() {
  state_ |= csDestroying;
  while (!components_.empty()) {
    TComponent* c = components_.back();
    // Unowned first so that its destructor does not look us up again.
    components_.pop_back();
    c->owner_ = nullptr;
    Notification(c, TOperation::opRemove);
    c->Free();
  }
}

QN_CLASS_IMPL(TCollectionItem, TPersistent)

TCollectionItem::TCollectionItem(TCollection* collection) : collection_(collection) {
  if (collection_) collection_->Insert(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  for (int i = 0; i < collection_->Count(); ++i)
    if (collection_->Items(i) == this) return i;
  return -1;
}

void TCollectionItem::Changed() {
  if (collection_) collection_->Changed(this);
}

QN_CLASS_IMPL(TCollection, TPersistent)

TCollection::TCollection(TPersistent* owner, ItemFactory factory)
    : owner_(owner), factory_(std::move(factory)) {}

TCollection::~TCollection() { OnUpdate = nullptr; }

void TCollection::Insert(TCollectionItem* item) {
  item->id_ = next_id_++;
  // Items made through Add() are adopted there; items that construct themselves into
  // the collection are adopted here.
  if (!adding_) items_.emplace_back(item);
}

TCollectionItem* TCollection::Add() {
  adding_ = true;
  TCollectionItem* item = nullptr;
  try {
    item = factory_(this);
  } catch (...) {
    adding_ = false;
    throw;
  }
  adding_ = false;
  items_.emplace_back(item);
  Changed(nullptr);
  return item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed(nullptr);
}

void TCollection::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed(nullptr);
}

void TCollection::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TCollection*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  items_.clear();
  for (int i = 0; i < src->Count(); ++i) Add()->Assign(src->Items(i));
  Changed(nullptr);
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
  return obj ? obj->ClassType().FindProp(name) : nullptr;
}

bool IsPublishedProp(const TObject* obj, std::string_view name) { return GetPropInfo(obj, name) != nullptr; }

int64_t GetOrdProp(TObject* obj, std::string_view name, int64_t absent) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->getOrd) return absent;
  return p->getOrd(*obj);
}

bool SetOrdProp(TObject* obj, std::string_view name, int64_t value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->setOrd) return false;
  p->setOrd(*obj, value);
  return true;
}

std::string GetEnumProp(TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || p->kind != TTypeKind::tkEnumeration) return {};
  return p->enumType->NameOf(p->getOrd(*obj));
}

bool SetEnumProp(TObject* obj, std::string_view name, std::string_view value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || p->kind != TTypeKind::tkEnumeration || !p->setOrd) return false;
  int v = p->enumType->ValueOf(value);
  if (v < 0) return false;
  p->setOrd(*obj, v);
  return true;
}

std::wstring GetStrProp(TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->getStr) return {};
  return p->getStr(*obj);
}

bool SetStrProp(TObject* obj, std::string_view name, const std::wstring& value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->setStr) return false;
  p->setStr(*obj, value);
  return true;
}

TObject* GetObjectProp(TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->getObj) return nullptr;
  return p->getObj(*obj);
}

bool SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->setObj) return false;
  p->setObj(*obj, value);
  return true;
}

TMethodRef GetMethodProp(TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->getMethod) return {};
  return p->getMethod(*obj);
}

bool SetMethodProp(TObject* obj, std::string_view name, const TMethodRef& value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->setMethod) return false;
  return p->setMethod(*obj, value);
}

namespace {

bool ParseInt(const std::string& s, int64_t& out) {
  if (s.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d = c >= '0' && c <= '9' ? c - '0'
            : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
            : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
    if (d < 0) return false;
    v = v * base + d;
  }
  out = neg ? -v : v;
  return true;
}

}  // namespace

bool SetPropFromText(TObject* obj, std::string_view name, const std::wstring& text) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return false;
  std::string t = WideToUtf8(text);
  switch (p->kind) {
    case TTypeKind::tkInteger: {
      int64_t v;
      if (!ParseInt(t, v) && !(p->idents && p->idents->ToInt(t, v))) return false;
      if (!p->setOrd) return false;
      p->setOrd(*obj, v);
      return true;
    }
    case TTypeKind::tkEnumeration:
      return SetEnumProp(obj, name, t);
    case TTypeKind::tkSet: {
      if (t.size() < 2 || t.front() != '[' || t.back() != ']' || !p->setOrd) return false;
      int64_t bits = 0;
      std::string body = t.substr(1, t.size() - 2);
      size_t start = 0;
      while (start <= body.size()) {
        size_t comma = body.find(',', start);
        std::string item = body.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        if (!item.empty()) {
          int v = p->enumType->ValueOf(item);
          if (v < 0 || v > 62) return false;
          bits |= int64_t(1) << v;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      p->setOrd(*obj, bits);
      return true;
    }
    case TTypeKind::tkString:
      if (!p->setStr) return false;
      p->setStr(*obj, text);
      return true;
    default:
      return false;
  }
}

}  // namespace qn
