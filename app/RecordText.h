// How a recipe's stored text becomes the text shown in the detail box.
#pragma once

#include <string>

namespace qn {

// Removes the "<br>" marks, starts each 【heading】 on a new line, removes every "#" and
// sets the site brand 百草居 apart in its own indented paragraph.
std::wstring CleanRecordText(std::wstring text);

// Replaces every occurrence of from with to (case-sensitive), left to right.
std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);

// The keyword as a LIKE pattern matching it anywhere, with '\' as the escape character, so
// that "%", "_" and "\" in the keyword match themselves.
std::wstring LikeContainsPattern(const std::wstring& keyword);

}  // namespace qn
