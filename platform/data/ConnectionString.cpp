#include "platform/data/ConnectionString.h"

#include "platform/core/TextConv.h"

namespace qn {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> ParseConnectionString(const std::wstring& text) {
  std::vector<std::pair<std::wstring, std::wstring>> out;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    size_t eq = text.find_first_of(L"=;", i);
    if (eq == std::wstring::npos || text[eq] == L';') {  // a piece without '='
      i = eq == std::wstring::npos ? n : eq + 1;
      continue;
    }
    std::wstring key = Trim(text.substr(i, eq - i));
    i = eq + 1;
    while (i < n && IsBlank(text[i])) ++i;
    std::wstring value;
    if (i < n && (text[i] == L'\'' || text[i] == L'"')) {
      wchar_t q = text[i++];
      while (i < n) {
        if (text[i] == q) {
          if (i + 1 < n && text[i + 1] == q) {
            value += q;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      // Anything between the closing quote and the next ';' is dropped.
      size_t semi = text.find(L';', i);
      i = semi == std::wstring::npos ? n : semi + 1;
    } else {
      size_t semi = text.find(L';', i);
      size_t end = semi == std::wstring::npos ? n : semi;
      value = Trim(text.substr(i, end - i));
      i = end == n ? n : end + 1;
    }
    if (!key.empty()) out.emplace_back(std::move(key), std::move(value));
  }
  return out;
}

std::optional<std::wstring> ConnectionStringValue(const std::wstring& text, const std::wstring& key) {
  std::optional<std::wstring> found;
  for (auto& [k, v] : ParseConnectionString(text))
    if (SameTextAscii(k, key)) found = v;
  return found;
}

}  // namespace qn
