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

// The value of a line: the text after its first "=", trimmed; empty without "=".
std::wstring_view ValueOf(const std::wstring& line) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring::npos) return {};
  std::wstring_view v(line);
  v.remove_prefix(eq + 1);
  while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
  return v;
}

// Whether key (lower case already) equals ident compared without regard to A-Z case.
bool SameKey(const std::wstring& key, std::wstring_view ident) {
  if (key.size() != ident.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    wchar_t c = ident[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + (L'a' - L'A'));
    if (key[i] != c) return false;
  }
  return true;
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

int32_t StrToIntDef(std::wstring_view s, int32_t def) {
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
  keys_valid_ = false;
  if (!stream) return;
  int64_t left = stream->Remaining();
  std::string text(static_cast<size_t>(left), '\0');
  text.resize(stream->Read(text.data(), text.size()));
  size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);

  Clear();
  // One conversion for the whole text: no byte of a multi-byte character is a line break,
  // so the lines come out the same as converted one by one.
  const std::wstring wide = AnsiToWide(text);
  size_t p = 0;
  while (p < wide.size()) {
    size_t start = p;
    while (p < wide.size() && wide[p] != L'\r' && wide[p] != L'\n') ++p;
    std::wstring line = Trim(wide.substr(start, p - start));
    if (p < wide.size() && wide[p] == L'\r') ++p;
    if (p < wide.size() && wide[p] == L'\n') ++p;
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

const std::vector<std::wstring>& TQuickIni::Keys() const {
  // Every query walks keys: they are worked out once per change of the text.
  if (!keys_valid_) {
    keys_.clear();
    keys_.reserve(FIniFile.size());
    for (const std::wstring& line : FIniFile) keys_.push_back(KeyOf(line));
    headers_.clear();
    for (const auto& sec : FSections) headers_.emplace(LowerAscii(sec.header), sec.line);  // first one wins
    keys_valid_ = true;
  }
  return keys_;
}

int TQuickIni::FindSection(std::wstring_view name) const {
  Keys();
  // A kept buffer: looking a section up makes no new string once it is big enough.
  thread_local std::wstring header;
  header.assign(1, L'[');
  for (wchar_t c : name) header += (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
  header += L']';
  auto it = headers_.find(header);
  return it == headers_.end() ? -1 : it->second;
}

size_t TQuickIni::BodyEnd(size_t header) const {
  size_t i = header + 1;
  while (i < FIniFile.size() && !IsHeader(FIniFile[i])) ++i;
  return i;
}

int TQuickIni::FindKey(std::wstring_view section, std::wstring_view ident) const {
  int at = FindSection(section);
  if (at < 0) return -1;
  const std::vector<std::wstring>& keys = Keys();
  size_t end = BodyEnd(static_cast<size_t>(at));
  for (size_t i = static_cast<size_t>(at) + 1; i < end; ++i) {
    if (SameKey(keys[i], ident)) return static_cast<int>(i);
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

std::wstring_view TQuickIni::ValueView(std::wstring_view section, std::wstring_view ident) const {
  if (FIniFile.empty() || ident.empty()) return {};
  int at = FindKey(section, ident);
  return at < 0 ? std::wstring_view() : ValueOf(FIniFile[static_cast<size_t>(at)]);
}

std::wstring TQuickIni::ReadString(std::wstring_view section, std::wstring_view ident, std::wstring_view def) const {
  std::wstring_view value = ValueView(section, ident);
  return std::wstring(value.empty() ? def : value);
}

int32_t TQuickIni::ReadInteger(std::wstring_view section, std::wstring_view ident, int32_t def) const {
  std::wstring_view v = ValueView(section, ident);
  if (v.size() > 2 && v[0] == L'0' && (v[1] == L'x' || v[1] == L'X')) return StrToIntDef(L"$" + std::wstring(v.substr(2)), def);
  return StrToIntDef(v, def);
}

bool TQuickIni::ReadBool(std::wstring_view section, std::wstring_view ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

// The lookups below index the text again; every change to the lines after them drops that
// index, or the next query would read keys that no longer sit where it looks.
void TQuickIni::WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) {
  std::wstring line = ident + L"=" + value;
  int at = FindSection(section);
  if (at < 0) {
    FIniFile.push_back(L"[" + section + L"]");
    FSections.push_back({FIniFile.back(), static_cast<int>(FIniFile.size() - 1)});
    if (!ident.empty()) FIniFile.push_back(line);
    keys_valid_ = false;
    return;
  }
  if (ident.empty()) return;
  int key = FindKey(section, ident);
  keys_valid_ = false;
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
  keys_valid_ = false;
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
  keys_valid_ = false;
  FIniFile = strings;
  RebuildSections();
}

void TQuickIni::RebuildSections() {
  keys_valid_ = false;
  FSections.clear();
  for (size_t i = 0; i < FIniFile.size(); ++i) {
    if (IsHeader(FIniFile[i])) FSections.push_back({FIniFile[i], static_cast<int>(i)});
  }
}

void TQuickIni::Clear() {
  keys_valid_ = false;
  FIniFile.clear();
  FSections.clear();
}

}  // namespace qn
