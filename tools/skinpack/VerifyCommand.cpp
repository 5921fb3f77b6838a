// verify: decodes a package completely and checks that everything in it adds up.
#include <algorithm>
#include <set>

#include "platform/core/BmpFile.h"
#include "platform/core/TextConv.h"
#include "skin/package/WinConvert.h"
#include "skin/package/WinSkinIni.h"
#include "tools/skinpack/Commands.h"

namespace qn::skinpack {

namespace {

std::string U8(const std::wstring& s) { return WideToUtf8(s); }

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class TVerifier {
 public:
  TVerifier(const std::string& package, TOutput& o) : package_(package), o_(o) {}

  bool Run();

 private:
  void Damage(const std::string& what) { o_.err << "skinpack: " << package_ << ": " << what << "\n", ++damages_; }
  void Warn(const std::string& what) { o_.err << "skinpack: warning: " << package_ << ": " << what << "\n"; }
  bool Decode(TMemoryStream& archive);
  void CheckEntries();
  // Bitmap file names the definition's values name (file-name part, lower case).
  std::set<std::wstring> CheckDefinition();
  void CheckBitmap(const std::wstring& name);

  std::string package_;
  TOutput& o_;
  TSkinReader reader_;
  int damages_ = 0;
};

bool TVerifier::Decode(TMemoryStream& archive) {
  TMemoryStream source(ReadWhole(package_));
  TLzhFrameInfo info;
  try {
    LZHDecompress(source, archive, &info);
  } catch (const ElzhBadCount&) {
    source.SetPosition(0);
    Damage("its count of " + std::to_string(source.ReadU32()) + " bytes cannot come from " +
           std::to_string(source.Size() - 4) + " bytes of compressed data");
    return false;
  } catch (const EStreamError&) {
    Damage("too short to hold a count");
    return false;
  }
  if (info.RanOut) {
    Damage("the compressed data ends before its count of " + std::to_string(info.Count) + " bytes");
  } else if (info.CodeUsed < info.CodeBytes) {
    Damage(std::to_string(info.CodeBytes - info.CodeUsed) + " bytes left over after the compressed data");
  }
  return true;
}

void TVerifier::CheckEntries() {
  const TSkinReader& r = reader_;
  if (r.ValidEntries() < r.Num) {
    size_t i = static_cast<size_t>(r.ValidEntries());
    Damage("entry \"" + U8(r.Dir[i]) + "\" (size " + std::to_string(r.sizes[i]) + ") does not fit the data area" +
           (r.Num - r.ValidEntries() > 1 ? ", nor do the " + std::to_string(r.Num - r.ValidEntries() - 1) + " after it" : ""));
  } else if (r.DataUsed() < r.DataSize()) {
    Damage(std::to_string(r.DataSize() - r.DataUsed()) + " bytes of the data area belong to no entry");
  }
  std::set<std::wstring> seen;
  for (const auto& name : r.Dir) {
    if (!seen.insert(name).second) Warn("entry \"" + U8(name) + "\" is listed twice; readers see only the first");
  }
}

std::set<std::wstring> TVerifier::CheckDefinition() {
  std::set<std::wstring> named;
  TMemoryStream def;
  std::wstring fname;
  reader_.readIni(L".ini", def, fname);
  if (fname.empty()) {
    Damage("no definition (.ini entry)");
    return named;
  }
  const auto& bytes = def.Bytes();
  auto nul = std::find(bytes.begin(), bytes.end(), uint8_t(0));
  if (nul != bytes.end()) {
    Damage("definition \"" + U8(fname) + "\" holds a NUL byte at offset " + std::to_string(nul - bytes.begin()) +
           "; the text after it is not read");
  }
  TQuickIni ini;
  ini.LoadFromStream(&def);
  TStringVec sections, lines;
  ini.ReadSections(&sections);
  if (sections.empty()) Damage("definition \"" + U8(fname) + "\" has no sections");
  for (const auto& s : sections) {
    ini.ReadSectionValues(s, &lines);
    for (const auto& line : lines) {
      size_t eq = line.find(L'=');
      if (eq == std::wstring::npos) continue;
      std::wstring value = line.substr(eq + 1);
      while (!value.empty() && value.back() <= L' ') value.pop_back();
      if (!EndsWith(value, L".bmp")) continue;  // the skin loader takes only this spelling
      size_t cut = value.find_last_of(L"\\:");
      std::wstring file = cut == std::wstring::npos ? value : value.substr(cut + 1);
      if (file != L".bmp") named.insert(LowerAscii(file));
    }
  }
  return named;
}

void TVerifier::CheckBitmap(const std::wstring& name) {
  TMemoryStream entry;
  reader_.readfile(name, entry);
  if (entry.Size() == 0) {
    Warn("bitmap \"" + U8(name) + "\" is empty; the skin leaves its image out");
    return;
  }
  TBmpImage image;
  std::string why;
  if (!DecodeBmp(entry.Memory(), entry.Bytes().size(), image, &why)) Damage("bitmap \"" + U8(name) + "\": " + why);
}

bool TVerifier::Run() {
  TMemoryStream archive;
  if (!Decode(archive)) return false;
  TMessageCatcher messages;
  if (!reader_.LoadArchive(archive)) {
    Damage(LoadFailure(reader_, messages));
    return false;
  }
  CheckEntries();
  std::set<std::wstring> bitmaps;
  for (const auto& name : reader_.Dir) {
    if (EndsWith(LowerAscii(name), L".bmp")) bitmaps.insert(name);
  }
  for (const auto& name : CheckDefinition()) {
    if (std::find(reader_.Dir.begin(), reader_.Dir.end(), name) == reader_.Dir.end()) {
      Warn("the definition names \"" + U8(name) + "\", which the package lacks");
    }
  }
  for (const auto& name : bitmaps) CheckBitmap(name);
  if (damages_ > 0) return false;
  o_.out << package_ << ": ok, version " << reader_.header.Version << ", " << reader_.Num << " entries\n";
  return true;
}

}  // namespace

bool Verify(const std::string& package, TOutput& o) { return TVerifier(package, o).Run(); }

}  // namespace qn::skinpack
