#include "platform/core/TextConv.h"

#include <algorithm>

namespace qn {

std::wstring Utf8ToWide(const std::string& s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    size_t extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else { out.push_back(0xFFFD); ++i; continue; }
    // A broken sequence becomes one replacement character covering its valid prefix.
    size_t k = 1;
    for (; k <= extra && i + k < s.size(); ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) break;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (k <= extra) {
      out.push_back(0xFFFD);
      i += k;
      continue;
    }
    i += extra + 1;
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
        continue;
      }
    }
    out.push_back(static_cast<wchar_t>(cp));
  }
  return out;
}

std::string WideToUtf8(const std::wstring& w) {
  std::string out;
  out.reserve(w.size() * 3);
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t cp = static_cast<char32_t>(w[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < w.size()) {
        char32_t lo = static_cast<char32_t>(w[i + 1]);
        if (lo >= 0xDC00 && lo < 0xE000) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          ++i;
        }
      }
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

template <class S>
static S LowerT(S s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<typename S::value_type>(c + ('a' - 'A'));
  return s;
}
template <class S>
static S UpperT(S s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<typename S::value_type>(c - ('a' - 'A'));
  return s;
}
template <class S>
static bool SameT(const S& a, const S& b) {
  if (a.size() != b.size()) return false;
  auto low = [](auto c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (low(a[i]) != low(b[i])) return false;
  return true;
}

std::string LowerAscii(std::string s) { return LowerT(std::move(s)); }
std::wstring LowerAscii(std::wstring s) { return LowerT(std::move(s)); }
std::string UpperAscii(std::string s) { return UpperT(std::move(s)); }
std::wstring UpperAscii(std::wstring s) { return UpperT(std::move(s)); }
bool SameTextAscii(std::string_view a, std::string_view b) { return SameT(a, b); }
bool SameTextAscii(std::wstring_view a, std::wstring_view b) { return SameT(a, b); }

}  // namespace qn
