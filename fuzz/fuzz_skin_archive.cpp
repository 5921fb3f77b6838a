// Reads any bytes as a skin archive (first byte even) or as a compressed package (odd), then
// reads every entry it lists.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/package/SkinRead.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  qn::TMemoryStream in(std::vector<uint8_t>(data + 1, data + size));
  qn::TSkinReader reader;
  bool loaded = (data[0] & 1) ? reader.Loadfromstream(in) : reader.LoadArchive(in);
  if (!loaded) return 0;
  if (reader.Num > qn::kMaxSkinEntries || reader.Dir.size() != static_cast<size_t>(reader.Num)) std::abort();
  qn::TMemoryStream entry;
  for (int32_t i = 0; i < reader.Num; ++i) {
    reader.readfile(reader.Dir[static_cast<size_t>(i)], entry);
    bool valid = i < reader.ValidEntries();
    int64_t want = valid ? reader.sizes[static_cast<size_t>(i)] : 0;
    // A name listed twice reads as its first entry.
    bool first = true;
    for (int32_t j = 0; j < i; ++j) first = first && reader.Dir[static_cast<size_t>(j)] != reader.Dir[static_cast<size_t>(i)];
    if (first && entry.Size() != want) std::abort();
  }
  std::wstring fname;
  reader.readIni(L".ini", entry, fname);
  return 0;
}
