// contactsheet: draws every skin object of a skin package into one bitmap file.
// Usage: contactsheet SKIN.skn OUT.bmp   (Windows; scripts/contact-sheet.sh runs it under Wine)
#include <cstdio>
#include <string>

#include "platform/core/BmpFile.h"
#include "platform/core/TextConv.h"
#include "skin/data/SkinSchema.h"
#include "skin/package/WinSkinIni.h"
#include "tools/contactsheet/Sheet.h"

int wmain(int argc, wchar_t** argv) {
  using namespace qn;
  if (argc != 3) {
    std::fprintf(stderr, "usage: contactsheet SKIN.skn OUT.bmp\n");
    return 2;
  }
  const std::string in = WideToUtf8(argv[1]), out = WideToUtf8(argv[2]);
  try {
    TMemoryStream package;
    package.LoadFromFile(in);
    TSkinReader reader;
    if (!reader.Loadfromstream(package)) {
      std::fprintf(stderr, "contactsheet: %s: not a skin package (%s)\n", in.c_str(), reader.LastError().c_str());
      return 1;
    }
    TMemoryStream definition;
    std::wstring fname;
    reader.readIni(L".ini", definition, fname);
    TQuickIni ini;
    ini.LoadFromStream(&definition);
    TSkinObjects skin;
    ReadSkin(reader, ini, skin);

    std::wstring file = argv[1];
    file = file.substr(file.find_last_of(L"\\/:") + 1);
    auto sheet = sheet::DrawContactSheet(skin, file + L"  -  " + skin.SkinName + L"  -  " + std::to_wstring(reader.Num) +
                                                   L" entries (" + fname + L")");
    TBmpImage img;
    img.width = sheet->Width();
    img.height = sheet->Height();
    img.bits = 24;
    for (int y = 0; y < img.height; ++y) {
      const uint8_t* row = sheet->ScanLine(y);
      img.bgr.insert(img.bgr.end(), row, row + size_t(img.width) * 3);
    }
    auto bytes = EncodeBmp24(img);
    TFileStream f(out, TFileMode::fmCreate);
    f.WriteBuffer(bytes.data(), bytes.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "contactsheet: %s\n", e.what());
    return 1;
  }
  return 0;
}
