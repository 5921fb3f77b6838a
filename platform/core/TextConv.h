// Conversions between UTF-8, wide text and 8-bit system code page text. No Windows header:
// the Windows build implements the code-page conversions with the system's own tables.
#pragma once

#include <string>
#include <string_view>

namespace qn {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

// 8-bit text in the system code page (skin definitions, archive directories) to wide text
// and back. Natively the code page is Latin-1.
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);

// Lower-cases A-Z only, as the skin formats compare names.
std::string LowerAscii(std::string s);
std::wstring LowerAscii(std::wstring s);
std::string UpperAscii(std::string s);
std::wstring UpperAscii(std::wstring s);
// Case-insensitive comparison over A-Z only.
bool SameTextAscii(std::string_view a, std::string_view b);
bool SameTextAscii(std::wstring_view a, std::wstring_view b);

}  // namespace qn
