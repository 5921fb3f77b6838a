#include "platform/win/PropAccess.h"

#include <cstdint>
#include <limits>

#include "platform/core/TextConv.h"

namespace qn {

namespace {

const TPropInfo* PropOfKind(TObject* obj, std::string_view name, TTypeKind kind) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return p && p->kind == kind ? p : nullptr;
}

// Optional sign and decimal digits, within 32 bits.
int32_t ParseDecimal(const std::wstring& text) {
  auto fail = [&]() -> int32_t { throw EConvertError("'" + WideToUtf8(text) + "' is not a valid integer value"); };
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i >= text.size()) return fail();
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return fail();
    v = v * 10 + (text[i] - L'0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return fail();
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return fail();
  return static_cast<int32_t>(v);
}

}  // namespace

int GetPropInt(TObject* obj, std::string_view name) {
  const TPropInfo* p = PropOfKind(obj, name, TTypeKind::tkInteger);
  if (!p || !p->getOrd) return -1;
  return static_cast<int>(p->getOrd(*obj));
}

std::string GetPropEnum(TObject* obj, std::string_view name) {
  if (!PropOfKind(obj, name, TTypeKind::tkEnumeration)) return {};
  return GetEnumProp(obj, name);
}

bool PropEnumIs(TObject* obj, std::string_view name, std::string_view value) {
  return SameTextAscii(GetPropEnum(obj, name), value);
}

std::wstring GetPropText(TObject* obj, std::string_view name) {
  if (!PropOfKind(obj, name, TTypeKind::tkString)) return {};
  return GetStrProp(obj, name);
}

TObject* GetPropObject(TObject* obj, std::string_view name, std::string_view class_name) {
  if (!PropOfKind(obj, name, TTypeKind::tkClass)) return nullptr;
  TObject* value = GetObjectProp(obj, name);
  if (value && !class_name.empty() && !value->InheritsFrom(class_name)) return nullptr;
  return value;
}

bool SetPropText(TObject* obj, std::string_view name, const std::wstring& text) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return false;
  switch (p->kind) {
    case TTypeKind::tkInteger: {
      const int32_t v = ParseDecimal(text);
      return SetOrdProp(obj, name, v);
    }
    case TTypeKind::tkEnumeration:
      return SetEnumProp(obj, name, WideToUtf8(text));
    case TTypeKind::tkString:
      return SetStrProp(obj, name, text);
    default:
      return false;
  }
}

}  // namespace qn
