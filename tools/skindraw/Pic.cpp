#include "tools/skindraw/Pic.h"

#include <algorithm>
#include <cmath>

#include "platform/core/BmpFile.h"

namespace qn::skindraw {

TRgb Mix(TRgb c1, TRgb c2, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto ch = [&](int shift) {
    double a = (c1 >> shift) & 0xFF, b = (c2 >> shift) & 0xFF;
    return TRgb(std::lround(a + (b - a) * t)) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

TPic::TPic(int width, int height, TRgb fill) : w_(width), h_(height), px_(size_t(width) * size_t(height), fill) {}

void TPic::Fill(int x, int y, int w, int h, TRgb c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void TPic::Frame(int x, int y, int w, int h, TRgb c) {
  HLine(x, y, w, c);
  HLine(x, y + h - 1, w, c);
  VLine(x, y, h, c);
  VLine(x + w - 1, y, h, c);
}

void TPic::Gradient(int x, int y, int w, int h, TRgb c1, TRgb c2, bool vertical) {
  const int n = vertical ? h : w;
  for (int k = 0; k < n; ++k) {
    TRgb c = Mix(c1, c2, n > 1 ? double(k) / (n - 1) : 0.0);
    if (vertical) HLine(x, y + k, w, c);
    else VLine(x + k, y, h, c);
  }
}

void TPic::Line(double x0, double y0, double x1, double y1, double thickness, TRgb c) {
  const int minx = int(std::floor(std::min(x0, x1) - thickness)), maxx = int(std::ceil(std::max(x0, x1) + thickness));
  const int miny = int(std::floor(std::min(y0, y1) - thickness)), maxy = int(std::ceil(std::max(y0, y1) + thickness));
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int y = miny; y <= maxy; ++y)
    for (int x = minx; x <= maxx; ++x) {
      double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
      double ex = x0 + t * dx - x, ey = y0 + t * dy - y;
      if (std::sqrt(ex * ex + ey * ey) <= thickness / 2) Set(x, y, c);
    }
}

void TPic::Arrow(int x, int y, int w, int h, char dir, int size, TRgb c) {
  // size = length of the triangle's base; its height is half of that, rounded up.
  const int depth = (size + 1) / 2;
  const bool horizontal = dir == 'l' || dir == 'r';
  const int bw = horizontal ? depth : size, bh = horizontal ? size : depth;
  const int ox = x + (w - bw) / 2, oy = y + (h - bh) / 2;
  for (int k = 0; k < depth; ++k) {
    // Row k from the tip holds 2k + 1 pixels (the last row may be the whole base).
    int len = std::min(2 * k + 1 + (size % 2 == 0 ? 1 : 0), size);
    int start = (size - len) / 2;
    for (int m = 0; m < len; ++m) {
      switch (dir) {
        case 'u': Set(ox + start + m, oy + k, c); break;
        case 'd': Set(ox + start + m, oy + depth - 1 - k, c); break;
        case 'l': Set(ox + k, oy + start + m, c); break;
        default: Set(ox + depth - 1 - k, oy + start + m, c); break;
      }
    }
  }
}

void TPic::Disc(double cx, double cy, double radius, TRgb c, bool hard) {
  for (int y = int(cy - radius - 1); y <= int(cy + radius + 1); ++y)
    for (int x = int(cx - radius - 1); x <= int(cx + radius + 1); ++x) {
      // Coverage from 4 x 4 samples of the pixel.
      int in = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          double px = x + (sx + 0.5) / 4 - cx, py = y + (sy + 0.5) / 4 - cy;
          in += px * px + py * py <= radius * radius;
        }
      if (hard) {
        if (in >= 8) Set(x, y, c);
      } else if (in > 0) {
        Blend(x, y, c, in / 16.0);
      }
    }
}

bool InRoundBox(int i, int j, int w, int h, int r) {
  if (i < 0 || j < 0 || i >= w || j >= h) return false;
  if (r <= 0) return true;
  int ci = i < r ? r - i : (i >= w - r ? i - (w - r - 1) : 0);
  int cj = j < r ? r - j : (j >= h - r ? j - (h - r - 1) : 0);
  if (ci == 0 || cj == 0) return true;
  double dx = ci - 0.5, dy = cj - 0.5;
  return dx * dx + dy * dy <= double(r) * r + 0.5;
}

void TPic::RoundBox(int x, int y, int w, int h, int radius, TRgb edge, const std::function<TRgb(int)>& fill) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      if (!InRoundBox(i, j, w, h, radius)) continue;
      bool ring = !InRoundBox(i - 1, j, w, h, radius) || !InRoundBox(i + 1, j, w, h, radius) ||
                  !InRoundBox(i, j - 1, w, h, radius) || !InRoundBox(i, j + 1, w, h, radius);
      Set(x + i, y + j, ring ? edge : fill(j));
    }
}

void TPic::CutCorners(int x, int y, int w, int h, int radius, bool top, bool bottom) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      if ((j < radius && !top) || (j >= h - radius && !bottom)) continue;
      if (!InRoundBox(i, j, w, h, radius)) Set(x + i, y + j, kMagenta);
    }
}

void TPic::Stamp(int x, int y, const std::vector<std::string>& rows, const std::function<TRgb(char)>& ink) {
  for (size_t j = 0; j < rows.size(); ++j)
    for (size_t i = 0; i < rows[j].size(); ++i) {
      char ch = rows[j][i];
      if (ch != ' ' && ch != '.') Set(x + int(i), y + int(j), ink(ch));
    }
}

void TPic::Paste(const TPic& src, int x, int y) {
  for (int j = 0; j < src.h_; ++j)
    for (int i = 0; i < src.w_; ++i) Set(x + i, y + j, src.Get(i, j));
}

TPic TPic::Crop(int x, int y, int w, int h) const {
  TPic out(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.Set(i, j, Get(x + i, y + j));
  return out;
}

TPic TPic::MirrorX() const {
  TPic out(w_, h_);
  for (int j = 0; j < h_; ++j)
    for (int i = 0; i < w_; ++i) out.Set(w_ - 1 - i, j, Get(i, j));
  return out;
}

TPic TPic::FlipY() const {
  TPic out(w_, h_);
  for (int j = 0; j < h_; ++j)
    for (int i = 0; i < w_; ++i) out.Set(i, h_ - 1 - j, Get(i, j));
  return out;
}

TPic TPic::RotateRight() const {
  TPic out(h_, w_);
  for (int j = 0; j < h_; ++j)
    for (int i = 0; i < w_; ++i) out.Set(h_ - 1 - j, i, Get(i, j));
  return out;
}

std::vector<uint8_t> TPic::Bmp24() const {
  TBmpImage img;
  img.width = w_;
  img.height = h_;
  img.bits = 24;
  img.bgr.resize(size_t(w_) * size_t(h_) * 3);
  for (size_t k = 0; k < px_.size(); ++k) {
    img.bgr[k * 3] = uint8_t(px_[k]);
    img.bgr[k * 3 + 1] = uint8_t(px_[k] >> 8);
    img.bgr[k * 3 + 2] = uint8_t(px_[k] >> 16);
  }
  return EncodeBmp24(img);
}

TPic Row(const std::vector<TPic>& frames) {
  int w = 0, h = 0;
  for (const auto& f : frames) {
    w += f.Width();
    h = std::max(h, f.Height());
  }
  TPic out(w, h);
  int x = 0;
  for (const auto& f : frames) {
    out.Paste(f, x, 0);
    x += f.Width();
  }
  return out;
}

TPic Column(const std::vector<TPic>& frames) {
  int w = 0, h = 0;
  for (const auto& f : frames) {
    h += f.Height();
    w = std::max(w, f.Width());
  }
  TPic out(w, h);
  int y = 0;
  for (const auto& f : frames) {
    out.Paste(f, 0, y);
    y += f.Height();
  }
  return out;
}

}  // namespace qn::skindraw
