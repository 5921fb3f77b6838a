// Small skins made in a test: a definition and bitmaps packed with the package writer and
// read back, as a skin file would be.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/core/BmpFile.h"
#include "platform/core/TextConv.h"
#include "skin/package/SkinRead.h"
#include "skin/package/WinSkinIni.h"

namespace qn::test {

// A 24-bit bitmap file of w x h pixels of one colour (0xRRGGBB).
inline std::vector<uint8_t> SolidBmp(int w, int h, uint32_t rgb) {
  TBmpImage img;
  img.width = w;
  img.height = h;
  img.bits = 24;
  for (int i = 0; i < w * h; ++i) {
    img.bgr.push_back(uint8_t(rgb));
    img.bgr.push_back(uint8_t(rgb >> 8));
    img.bgr.push_back(uint8_t(rgb >> 16));
  }
  return EncodeBmp24(img);
}

// A skin of one definition (UTF-8 text, stored in the system code page) and named entries.
struct TSkinFixture {
  explicit TSkinFixture(const std::string& definition, std::map<std::string, std::vector<uint8_t>> entries = {}) {
    TSkinWriter writer;
    writer.Add(L"skin.ini", [&] {
      std::string ansi = WideToAnsi(Utf8ToWide(definition));
      return std::vector<uint8_t>(ansi.begin(), ansi.end());
    }());
    for (auto& [name, bytes] : entries) writer.Add(Utf8ToWide(name), bytes);
    TMemoryStream package;
    writer.SaveToStream(package);
    loaded = reader.Loadfromstream(package);
    TMemoryStream ini_bytes;
    std::wstring fname;
    reader.readIni(L".ini", ini_bytes, fname);
    ini.LoadFromStream(&ini_bytes);
  }
  bool loaded = false;
  TSkinReader reader;
  TQuickIni ini;
};

}  // namespace qn::test
