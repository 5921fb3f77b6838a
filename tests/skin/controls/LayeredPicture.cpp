#include "tests/skin/controls/LayeredPicture.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "platform/win/GdiObjects.h"

#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

// The source positions a target position may take its pixel from along one axis: itself in a
// fixed border, its proportional place (give or take one) in a stretched part.
std::pair<int, int> Band(int pos, int size, int lead, int trail, int fsize) {
  if (lead + trail > size) lead = trail = 0;  // borders that do not fit are dropped
  if (pos < lead) return {pos, pos};
  if (pos >= size - trail) return {fsize - (size - pos), fsize - (size - pos)};
  const int ds = size - lead - trail, ss = fsize - lead - trail;
  const int t = pos - lead;
  const int lo = lead + int(int64_t(t) * ss / ds) - 1, hi = lead + int(int64_t(t + 1) * ss / ds) + 1;
  return {std::max(lo, lead), std::min(hi, fsize - trail - 1)};
}

std::set<TColor> Offered(const TLayer& l, POINT p) {
  const int frames = std::max(1, l.frames);
  const int fw = l.image->Width() / frames, fh = l.image->Height();
  const auto [x0, x1] = Band(p.x - l.at.left, W(l.at), l.margins.left, l.margins.right, fw);
  const auto [y0, y1] = Band(p.y - l.at.top, H(l.at), l.margins.top, l.margins.bottom, fh);
  std::set<TColor> colours;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) colours.insert(ImagePixel(*l.image, fw * (l.frame - 1) + x, y));
  return colours;
}

// Whether `got` at p is what the layers (the last on top) can show over `base`.
bool Explains(const std::vector<TLayer>& layers, POINT p, TColor got, TColor base) {
  for (size_t i = layers.size(); i-- > 0;) {
    const TLayer& l = layers[i];
    if (!PtInRect(&l.at, p)) continue;
    const std::set<TColor> offered = Offered(l, p);
    if (offered.count(got) && (got != kMagenta || !l.transparent)) return true;
    if (!l.transparent || !offered.count(kMagenta)) return false;
  }
  return got == base;
}

}  // namespace

::testing::AssertionResult Shows(const Rows& painted, const RECT& area, const std::vector<TLayer>& layers,
                                 const Rows& base) {
  int bad = 0;
  auto failure = ::testing::AssertionFailure();
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const TColor got = painted[size_t(y)][size_t(x)];
      if (Explains(layers, POINT{x, y}, got, base[size_t(y)][size_t(x)])) continue;
      if (bad++ < 5) failure << "(" << x << ", " << y << ") is " << std::hex << got << std::dec << "; ";
    }
  if (!bad) return ::testing::AssertionSuccess();
  return failure << bad << " pixels unexplained";
}

::testing::AssertionResult FaceShows(const Rows& px, TDataSkinButton& b, int frame, TColor behind, RECT* ink) {
  const int H = int(px.size()), W = H ? int(px[0].size()) : 0;
  const int frames = std::max(1, b.frame), fw = b.Map.Width() / frames, fh = b.Map.Height();
  const int ox = (frame - 1) * fw, L = b.r.Left, T = b.r.Top, R = b.r.Right, B = b.r.Bottom;
  auto source = [](int v, int size, int lo, int hi, int fsize) {
    std::vector<int> from;
    if (v < lo) from.push_back(v);
    else if (v >= size - hi) from.push_back(fsize - (size - v));
    else
      for (int s = lo; s < fsize - hi; ++s) from.push_back(s);
    return from;
  };
  auto colour = [&](int sx, int sy) {
    const TColor c = ImagePixel(b.Map, ox + sx, sy);
    return c == kMagenta && b.trans ? behind : c;
  };
  int bad = 0;
  std::string report;
  RECT box{W, H, -1, -1};
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      std::set<TColor> allowed;
      for (int sy : source(y, H, T, B, fh))
        for (int sx : source(x, W, L, R, fw)) allowed.insert(colour(sx, sy));
      const TColor got = px[size_t(y)][size_t(x)];
      if (allowed.count(got)) continue;
      if (x >= L && x < W - R && y >= T && y < H - B) {
        box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                   std::max<LONG>(box.bottom, y + 1)};
        continue;
      }
      if (bad++ < 6) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  (%d,%d): %06X", x, y, unsigned(got));
        report += line;
      }
    }
  }
  if (ink) *ink = box;
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " face pixels of frame " << frame << " differ" << report;
}

Rows ClientPixels(TWinControl* c) {
  TWindowDC dc(c->Handle());
  return Read(dc.Get(), 0, 0, c->Width(), c->Height());
}

}  // namespace qn::test
