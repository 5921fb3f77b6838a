#include "skin/package/WinSkinIni.h"

#include "platform/core/TextConv.h"
#include "skin/package/WinConvert.h"

namespace qn {

namespace {

constexpr char kStringsUnassigned[] = "The parameter Strings is unassigned! (Winskinini)";

bool IsBlank(wchar_t c) { return c <= L' '; }

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsHeader(const std::wstring& line) { return line.size() >= 2 && line.front() == L'[' && line.back() == L']'; }

// The key of a line: the text before its first "=", trimmed, in lower case; empty without "=".
std::wstring KeyOf(const std::wstring& line) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring::npos) return {};
  return LowerAscii(Trim(line.substr(0, eq)));
}

std::wstring ValueOf(const std::wstring& line) {
  size_t eq = line.find(L'=');
  return eq == std::wstring::npos ? std::wstring() : Trim(line.substr(eq + 1));
}

void Require(const TStringVec* strings) {
  if (!strings) throw EAssertionFailed(kStringsUnassigned);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

int32_t StrToIntDef(const std::wstring& s, int32_t def) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  if (i >= s.size()) return def;
  uint64_t v = 0;
  if (s[i] == L'$') {
    if (++i >= s.size()) return def;
    for (; i < s.size(); ++i) {
      int d = HexDigit(s[i]);
      if (d < 0) return def;
      v = v << 4 | static_cast<unsigned>(d);
      if (v > 0xFFFFFFFFu) return def;
    }
    uint32_t u = static_cast<uint32_t>(v);
    return static_cast<int32_t>(negative ? 0u - u : u);
  }
  for (; i < s.size(); ++i) {
    if (s[i] < L'0' || s[i] > L'9') return def;
    v = v * 10 + static_cast<unsigned>(s[i] - L'0');
    if (v > 0x80000000u) return def;
  }
  if (!negative && v > 0x7FFFFFFFu) return def;
  return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : static_cast<int32_t>(v);
}

void TQuickIni::LoadFromStream(TStream* stream) {
  if (!stream) return;
  int64_t left = stream->Remaining();
  std::string text(static_cast<size_t>(left), '\0');
  text.resize(stream->Read(text.data(), text.size()));
  size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);

  Clear();
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    std::wstring line = Trim(AnsiToWide(text.substr(start, p - start)));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
    if (line.empty() || line[0] == L';') continue;
    FIniFile.push_back(line);
    if (IsHeader(line)) FSections.push_back({line, static_cast<int>(FIniFile.size() - 1)});
  }
}

void TQuickIni::LoadFromFile(const std::string& name) {
  TFileStream f(name, TFileMode::fmOpenRead);
  LoadFromStream(&f);
}

void TQuickIni::SaveToStream(TStream& stream) const {
  std::string text;
  for (const auto& line : FIniFile) text += WideToAnsi(line) + "\r\n";
  stream.WriteBuffer(text.data(), text.size());
}

void TQuickIni::SaveToFile(const std::string& name) const {
  TFileStream f(name, TFileMode::fmCreate);
  SaveToStream(f);
}

void TQuickIni::LoadFromZip(const std::string& name) {
  TFileStream f(name, TFileMode::fmOpenRead);
  TMemoryStream text;
  LZHDecompress(f, text);
  text.SetPosition(0);
  LoadFromStream(&text);
}

void TQuickIni::SavetoZip(const std::string& name) const {
  TMemoryStream text;
  SaveToStream(text);
  TFileStream f(name, TFileMode::fmCreate);
  LZHCompress(text, f);
}

int TQuickIni::FindSection(const std::wstring& name) const {
  std::wstring header = L"[" + name + L"]";
  for (const auto& s : FSections) {
    if (SameTextAscii(s.header, header)) return s.line;
  }
  return -1;
}

size_t TQuickIni::BodyEnd(size_t header) const {
  size_t i = header + 1;
  while (i < FIniFile.size() && !IsHeader(FIniFile[i])) ++i;
  return i;
}

int TQuickIni::FindKey(const std::wstring& section, const std::wstring& ident) const {
  int at = FindSection(section);
  if (at < 0) return -1;
  std::wstring key = LowerAscii(ident);
  size_t end = BodyEnd(static_cast<size_t>(at));
  for (size_t i = static_cast<size_t>(at) + 1; i < end; ++i) {
    if (KeyOf(FIniFile[i]) == key) return static_cast<int>(i);
  }
  return -1;
}

void TQuickIni::ReadSections(TStringVec* strings) const {
  Require(strings);
  strings->clear();
  for (const auto& s : FSections) {
    std::wstring h = Trim(s.header);
    strings->push_back(Trim(h.size() >= 2 ? h.substr(1, h.size() - 2) : std::wstring()));
  }
}

void TQuickIni::ReadSection(const std::wstring& section, TStringVec* strings) const {
  Require(strings);
  strings->clear();
  int at = FindSection(section);
  if (at < 0) return;
  size_t end = BodyEnd(static_cast<size_t>(at));
  for (size_t i = static_cast<size_t>(at) + 1; i < end; ++i) {
    std::wstring key = KeyOf(FIniFile[i]);
    if (!key.empty()) strings->push_back(key);
  }
}

void TQuickIni::ReadSectionValues(const std::wstring& section, TStringVec* strings) const {
  Require(strings);
  strings->clear();
  int at = FindSection(section);
  if (at < 0) return;
  size_t end = BodyEnd(static_cast<size_t>(at));
  for (size_t i = static_cast<size_t>(at) + 1; i < end; ++i) strings->push_back(FIniFile[i]);
}

std::wstring TQuickIni::ReadString(const std::wstring& section, const std::wstring& ident,
                                   const std::wstring& def) const {
  if (FIniFile.empty()) return def;
  int at = FindKey(section, ident);
  if (at < 0 || ident.empty()) return def;
  std::wstring value = ValueOf(FIniFile[static_cast<size_t>(at)]);
  return value.empty() ? def : value;
}

int32_t TQuickIni::ReadInteger(const std::wstring& section, const std::wstring& ident, int32_t def) const {
  std::wstring s = ReadString(section, ident, L"");
  if (s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X')) s = L"$" + s.substr(2);
  return StrToIntDef(s, def);
}

bool TQuickIni::ReadBool(const std::wstring& section, const std::wstring& ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TQuickIni::WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) {
  std::wstring line = ident + L"=" + value;
  int at = FindSection(section);
  if (at < 0) {
    FIniFile.push_back(L"[" + section + L"]");
    FSections.push_back({FIniFile.back(), static_cast<int>(FIniFile.size() - 1)});
    if (!ident.empty()) FIniFile.push_back(line);
    return;
  }
  if (ident.empty()) return;
  int key = FindKey(section, ident);
  if (key >= 0) {
    FIniFile[static_cast<size_t>(key)] = line;
    return;
  }
  size_t end = BodyEnd(static_cast<size_t>(at));
  FIniFile.insert(FIniFile.begin() + static_cast<long>(end), line);
  for (auto& s : FSections) {
    if (s.line >= static_cast<int>(end)) ++s.line;
  }
}

void TQuickIni::WriteInteger(const std::wstring& section, const std::wstring& ident, int32_t value) {
  WriteString(section, ident, std::to_wstring(value));
}

void TQuickIni::WriteBool(const std::wstring& section, const std::wstring& ident, bool value) {
  WriteString(section, ident, value ? L"1" : L"0");
}

// Later sections move down by the deleted line, so that they are still found where they are.
void TQuickIni::DeleteKey(const std::wstring& section, const std::wstring& ident) {
  int at = FindKey(section, ident);
  if (at < 0) return;
  FIniFile.erase(FIniFile.begin() + at);
  for (auto& s : FSections) {
    if (s.line > at) --s.line;
  }
}

void TQuickIni::EraseSection(const std::wstring& section) {
  int at = FindSection(section);
  if (at < 0) return;
  size_t end = BodyEnd(static_cast<size_t>(at));
  FIniFile.erase(FIniFile.begin() + at, FIniFile.begin() + static_cast<long>(end));
  if (at > 0) FIniFile.insert(FIniFile.begin() + at, std::wstring());
  // Every later header moved: index them again at once rather than leave stale positions.
  RebuildSections();
}

void TQuickIni::SetIniFile(const TStringVec& strings) {
  FIniFile = strings;
  RebuildSections();
}

void TQuickIni::RebuildSections() {
  FSections.clear();
  for (size_t i = 0; i < FIniFile.size(); ++i) {
    if (IsHeader(FIniFile[i])) FSections.push_back({FIniFile[i], static_cast<int>(i)});
  }
}

void TQuickIni::Clear() {
  FIniFile.clear();
  FSections.clear();
}

}  // namespace qn
