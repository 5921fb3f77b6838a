// Natively the 8-bit code page is Latin-1: each byte is the code point of the same value.
#include "platform/core/TextConv.h"

namespace qn {

std::wstring AnsiToWide(const std::string& a) {
  std::wstring w;
  w.reserve(a.size());
  for (unsigned char c : a) w.push_back(static_cast<wchar_t>(c));
  return w;
}

std::string WideToAnsi(const std::wstring& w) {
  std::string a;
  a.reserve(w.size());
  for (wchar_t c : w) a.push_back(static_cast<unsigned>(c) < 256 ? static_cast<char>(c) : '?');
  return a;
}

}  // namespace qn
