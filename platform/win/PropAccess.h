// Published properties of any class-library object read and written by name, as the skinners
// read controls: by name and kind, never by static type, so that any control with like-named
// properties is treated alike. An absent property, or one of another kind, reads as -1, empty
// text or null; writing it does nothing.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/core/Classes.h"

namespace qn {

// Text that is not a decimal integer, given to an integer property.
class EConvertError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// An integer-kind property (colours, sizes, tags); -1 when absent, of another kind, or obj is null.
int GetPropInt(TObject* obj, std::string_view name);
// The value name of an enumeration property ("True"/"False" for Booleans); empty when absent.
std::string GetPropEnum(TObject* obj, std::string_view name);
// Whether an enumeration property's value name is `value`, compared in lower case.
bool PropEnumIs(TObject* obj, std::string_view name, std::string_view value);
// A text property; empty when absent.
std::wstring GetPropText(TObject* obj, std::string_view name);
// An object property; null when absent or, with class_name given, when the object is not of
// that class or a descendant.
TObject* GetPropObject(TObject* obj, std::string_view name, std::string_view class_name = {});
// Writes a property from text: integer kind as a decimal integer (EConvertError when the text
// is not one), enumeration kind by value name, text kind as it is. Other kinds, absent or
// read-only properties and unknown value names are left alone. True when a value was written.
bool SetPropText(TObject* obj, std::string_view name, const std::wstring& text);

}  // namespace qn
