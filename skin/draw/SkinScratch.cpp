#include <memory>

#include "skin/draw/SkinBlit.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

void ReleaseRecycledBitmaps();  // SkinDraw.cpp

namespace {

struct TScratch {
  std::unique_ptr<TBitmap> bitmap;
  bool done = false;  // the module was finalised: no scratch bitmap until InitSkinDraw
};

// Released, like the routines' kept buffers, by its destructor when the program ends.
TScratch g_scratch;

void MakeScratch() {
  try {
    auto bmp = std::make_unique<TBitmap>(0, 0, TPixelFormat::pfDevice);
    SetStretchBltMode(bmp->DC(), COLORONCOLOR);
    g_scratch.bitmap = std::move(bmp);
  } catch (...) {  // out of resources: painters find no scratch bitmap and draw nothing
  }
}

}  // namespace

TBitmap* SkinScratch() {
  if (!g_scratch.bitmap && !g_scratch.done) MakeScratch();
  return g_scratch.bitmap.get();
}

void InitSkinDraw() {
  g_scratch.done = false;
  if (!g_scratch.bitmap) MakeScratch();
}

void DoneSkinDraw() {
  g_scratch.bitmap.reset();
  g_scratch.done = true;
  skinblit::ReleaseBuffers();
  ReleaseRecycledBitmaps();
}

}  // namespace qn
