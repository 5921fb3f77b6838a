#include "app/RecordText.h"

namespace qn {

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
  if (from.empty()) return text;
  std::wstring out;
  out.reserve(text.size());
  size_t at = 0;
  for (size_t hit; (hit = text.find(from, at)) != std::wstring::npos; at = hit + from.size()) {
    out.append(text, at, hit - at);
    out += to;
  }
  out.append(text, at, std::wstring::npos);
  return out;
}

std::wstring CleanRecordText(std::wstring text) {
  text = ReplaceAll(std::move(text), L"<br>", L"");
  text = ReplaceAll(std::move(text), L"【", L"\r\n【");
  text = ReplaceAll(std::move(text), L"#", L"");
  return ReplaceAll(std::move(text), L"百草居", L"\r\n\r\n   百草居");
}

std::wstring LikeContainsPattern(const std::wstring& keyword) {
  std::wstring p = L"%";
  for (wchar_t c : keyword) {
    if (c == L'\\' || c == L'%' || c == L'_') p += L'\\';
    p += c;
  }
  return p + L"%";
}

}  // namespace qn
