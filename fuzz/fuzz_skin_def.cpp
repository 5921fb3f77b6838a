// Reads any bytes as a skin (a bare archive when the first byte is even, a compressed package
// when odd), reads its definition through the schema and decodes every image the definition
// names, then applies the rules that depend on image sizes: everything the Windows loader
// does before it hands checked pixels to the system.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/data/SkinDef.h"
#include "skin/package/WinSkinIni.h"

namespace {

using namespace qn;
using namespace qn::skin;

void Check(bool ok) {
  if (!ok) std::abort();
}

TBmpImage Image(TSkinReader& reader, const std::wstring& value) {
  TBmpImage img;
  if (ReadBmpEntry(reader, value, img)) {
    Check(img.width > 0 && img.height > 0);
    Check(img.bgr.size() == size_t(img.width) * size_t(img.height) * 3);
  } else {
    Check(img.width == 0 && img.bgr.empty());
  }
  return img;
}

void Object(TSkinReader& reader, const std::optional<TObjectDef>& o) {
  if (!o) return;
  Image(reader, o->Image);
  if (!o->Mask.empty()) Image(reader, o->Mask);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  TMemoryStream in(std::vector<uint8_t>(data + 1, data + size));
  TSkinReader reader;
  if (!((data[0] & 1) ? reader.Loadfromstream(in) : reader.LoadArchive(in))) return 0;
  TMemoryStream definition;
  std::wstring fname;
  reader.readIni(L".ini", definition, fname);
  TQuickIni ini;
  ini.LoadFromStream(&definition);
  const TSkinDef d = ReadSkinDef(ini);

  for (const TObjectDef& b : d.border) {
    TBmpImage img = Image(reader, b.Image);
    int x = 0, y = 0;
    if (CaptionPixel(img.width, img.height, b.frame, x, y)) {
      Check(x >= 0 && x < img.width && y >= 0 && y < img.height);
      volatile uint8_t blue = img.bgr[(size_t(y) * size_t(img.width) + size_t(x)) * 3];
      (void)blue;
    }
  }
  for (const TSysButtonDef& b : d.SysBtn) {
    TBmpImage img = Image(reader, b.Image);
    Check(b.frame != 0 || SysButtonFrames(0, b.Action, img.width, img.height) > 0);
  }
  TBmpImage mdi = Image(reader, d.MdiImage);
  const int a = MdiCellWidth(mdi.width);
  Check(a >= 0 && 12 * a <= mdi.width);
  Image(reader, d.Title.Image);
  Image(reader, d.Button.Image);
  for (const std::wstring* strip : {&d.Button.CheckImage, &d.Button.RadioImage}) {
    TBmpImage img = Image(reader, *strip);
    Check(CheckCells(img.width, img.height) >= 4);
  }
  for (const auto* o : {&d.progress, &d.progresschunk, &d.Menubar, &d.Box, &d.tab, &d.StatusBar, &d.TabSheet,
                        &d.Toolbarbtn, &d.combox, &d.Comboxborder, &d.ExtraImages, &d.Header, &d.MenuItem,
                        &d.MenuitemBG, &d.SArrow, &d.HBar, &d.VBar, &d.HSlider, &d.VSlider, &d.TrackHorz,
                        &d.TrackVert, &d.TrackLeft, &d.Trackright, &d.Tracktop, &d.Trackbottom, &d.HSpin, &d.VSpin,
                        &d.TrackBar, &d.TrackBarVert})
    Object(reader, *o);
  if (d.boxlabel) Image(reader, d.boxlabel->Image);
  return 0;
}
