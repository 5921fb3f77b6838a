// Loads any bytes as a skin definition, reads every key of every section, edits it with names
// taken from the text, and saves and reloads it.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/package/WinSkinIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qn::TMemoryStream in(std::vector<uint8_t>(data, data + size));
  qn::TQuickIni ini;
  ini.LoadFromStream(&in);
  qn::TStringVec sections, keys, lines;
  ini.ReadSections(&sections);
  for (const auto& s : sections) {
    ini.ReadSection(s, &keys);
    ini.ReadSectionValues(s, &lines);
    for (const auto& k : keys) {
      ini.ReadString(s, k, L"");
      ini.ReadInteger(s, k, 0);
    }
  }
  if (!sections.empty()) {
    const std::wstring& s = sections[size % sections.size()];
    ini.WriteString(s, L"fuzzkey", L"1");
    if (ini.ReadInteger(s, L"FuzzKey", 0) != 1) std::abort();
    ini.WriteInteger(sections.front() + L"x", L"n", -3);
    ini.DeleteKey(s, keys.empty() ? L"k" : keys.front());
    ini.EraseSection(sections.back());
    ini.ReadInteger(s, L"fuzzkey", 0);
  }
  qn::TMemoryStream saved;
  ini.SaveToStream(saved);
  saved.SetPosition(0);
  qn::TQuickIni again;
  again.LoadFromStream(&saved);
  return 0;
}
