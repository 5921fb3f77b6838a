// Method pointers: an object and one of its member functions, comparable and cheap to copy,
// like the class library's "procedure of object". Events, the replaceable message method of
// controls and published methods of forms are all of this type.
#pragma once

#include <typeinfo>
#include <utility>

namespace qn {

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
 public:
  using Thunk = R (*)(void*, A...);

  TEvent() = default;
  TEvent(void* data, Thunk code) : data_(data), code_(code) {}

  // TEvent<void(TObject*)>::Bind<&TForm1::Button1Click>(form)
  template <auto Member, class C>
  static TEvent Bind(C* object) {
    return TEvent(object, [](void* o, A... args) -> R {
      return (static_cast<C*>(o)->*Member)(std::forward<A>(args)...);
    });
  }

  explicit operator bool() const { return code_ != nullptr; }
  R operator()(A... args) const { return code_(data_, std::forward<A>(args)...); }
  bool operator==(const TEvent& o) const { return data_ == o.data_ && code_ == o.code_; }

  void* Data() const { return data_; }
  Thunk Code() const { return code_; }

 private:
  void* data_ = nullptr;
  Thunk code_ = nullptr;
};

// A method pointer with its signature erased, as the form reader hands it from a published
// method to an event property. Cast() gives it back only for the signature it was made with.
class TMethodRef {
 public:
  TMethodRef() = default;
  template <class Sig>
  explicit TMethodRef(const TEvent<Sig>& e)
      : sig_(&typeid(Sig)), data_(e.Data()), code_(reinterpret_cast<void (*)()>(e.Code())) {}

  template <class Sig>
  bool Cast(TEvent<Sig>& out) const {
    if (!code_) { out = {}; return true; }
    if (*sig_ != typeid(Sig)) return false;
    out = TEvent<Sig>(data_, reinterpret_cast<typename TEvent<Sig>::Thunk>(code_));
    return true;
  }
  explicit operator bool() const { return code_ != nullptr; }
  const std::type_info* Signature() const { return sig_; }

 private:
  const std::type_info* sig_ = nullptr;
  void* data_ = nullptr;
  void (*code_)() = nullptr;
};

class TObject;
using TNotifyEvent = TEvent<void(TObject* sender)>;

}  // namespace qn
