// Draws the program's artwork with GDI: the banner picture (JPEG, 665 x 130) and the icon
// (32 x 32 in 16 and 256 colours, 48 x 48 in 256 colours). Run it under Wine or Windows
// with the Chinese fonts installed, then commit what it writes.
// Usage: artwork OUT_DIR
#include <windows.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Canvas {
  int w, h;
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  uint32_t* px;  // top-down BGRA

  Canvas(int width, int height) : w(width), h(height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bmp);
    px = static_cast<uint32_t*>(bits);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  uint32_t& At(int x, int y) { return px[y * w + x]; }
};

uint32_t Rgb(int r, int g, int b) { return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16; }
int Lerp(int a, int b, double t) { return int(std::lround(a + (b - a) * t)); }

// A bottle gourd: two stacked discs and a stem, the classic sign of a medicine seller.
double GourdCoverage(double x, double y, double cx, double top, double scale) {
  double small_r = 0.23 * scale, big_r = 0.34 * scale;
  double small_cy = top + 0.33 * scale, big_cy = top + 0.76 * scale;
  auto disc = [&](double dx, double dy, double r) { return std::sqrt(dx * dx + dy * dy) - r; };
  double d = std::min(disc(x - cx, y - small_cy, small_r), disc(x - cx, y - big_cy, big_r));
  // waist joining the two
  if (y > small_cy && y < big_cy && std::fabs(x - cx) < 0.12 * scale) d = std::min(d, 0.0);
  double stem = (std::fabs(x - cx) < 0.045 * scale && y > top && y < top + 0.14 * scale) ? -1 : 1;
  d = std::min(d, stem);
  return std::clamp(0.5 - d, 0.0, 1.0);
}

void DrawGourd(Canvas& c, double cx, double top, double scale, int r, int g, int b) {
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      double a = GourdCoverage(x + 0.5, y + 0.5, cx, top, scale);
      if (a <= 0) continue;
      // light from the upper left
      double shade = 1.0 - 0.35 * std::clamp((x - cx) / scale + (y - top) / scale * 0.4, 0.0, 1.0);
      uint32_t p = c.At(x, y);
      int pr = (p >> 16) & 255, pg = (p >> 8) & 255, pb = p & 255;
      c.At(x, y) = Rgb(Lerp(pr, int(r * shade), a), Lerp(pg, int(g * shade), a), Lerp(pb, int(b * shade), a));
    }
}

void Text(Canvas& c, const wchar_t* text, int x, int y, int height, COLORREF color, int weight) {
  HFONT f = CreateFontW(-height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"宋体");
  HGDIOBJ old = SelectObject(c.dc, f);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(0, 40, 30));
  TextOutW(c.dc, x + 2, y + 2, text, lstrlenW(text));
  SetTextColor(c.dc, color);
  TextOutW(c.dc, x, y, text, lstrlenW(text));
  SelectObject(c.dc, old);
  DeleteObject(f);
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

bool Banner(const std::string& out) {
  Canvas c(665, 130);
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      double t = x / 664.0, v = y / 129.0;
      c.At(x, y) = Rgb(Lerp(18, 36, t) + int(10 * v), Lerp(78, 120, t) - int(14 * v), Lerp(62, 98, t) - int(8 * v));
    }
  // faint rings, like the mouth of a jar seen from above
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      double d = std::hypot(x - 560.0, y - 150.0);
      double ring = std::fabs(std::fmod(d, 28.0) - 14.0) < 1.0 ? 0.10 : 0.0;
      uint32_t p = c.At(x, y);
      c.At(x, y) = Rgb(std::min(255, int(((p >> 16) & 255) + 255 * ring)), std::min(255, int(((p >> 8) & 255) + 255 * ring)),
                       std::min(255, int((p & 255) + 255 * ring)));
    }
  DrawGourd(c, 72, 8, 104, 214, 150, 60);
  GdiFlush();
  Text(c, L"青囊珍藏", 140, 22, 52, RGB(250, 244, 226), FW_BOLD);
  Text(c, L"民间药酒验方 · 随查随用", 144, 86, 18, RGB(226, 236, 214), FW_NORMAL);
  GdiFlush();

  std::vector<unsigned char> rgb(size_t(c.w) * c.h * 3);
  for (int i = 0; i < c.w * c.h; ++i) {
    rgb[size_t(i) * 3] = (c.px[i] >> 16) & 255;
    rgb[size_t(i) * 3 + 1] = (c.px[i] >> 8) & 255;
    rgb[size_t(i) * 3 + 2] = c.px[i] & 255;
  }
  tjhandle tj = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  int rc = tjCompress2(tj, rgb.data(), c.w, 0, c.h, TJPF_RGB, &jpeg, &size, TJSAMP_420, 88, 0);
  bool ok = rc == 0 && WriteFile(out + "/banner.jpg", jpeg, size);
  tjFree(jpeg);
  tjDestroy(tj);
  return ok;
}

// The icon picture at one size, as 32-bit pixels with full transparency outside the tile.
Canvas* IconPicture(int size) {
  auto* c = new Canvas(size, size);
  double r = size * 0.18;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double dx = std::max({r - x - 0.5, x + 0.5 - (size - r), 0.0});
      double dy = std::max({r - y - 0.5, y + 0.5 - (size - r), 0.0});
      bool inside = std::hypot(dx, dy) <= r;
      double t = double(y) / size;
      c->At(x, y) = inside ? Rgb(Lerp(30, 16, t), Lerp(120, 80, t), Lerp(90, 60, t)) | 0xFF000000u : 0;
    }
  DrawGourd(*c, size / 2.0, size * 0.07, size * 0.9, 222, 160, 64);
  return c;
}

int Nearest(uint32_t p, const std::vector<uint32_t>& pal) {
  int best = 0, bestd = 1 << 30;
  for (size_t i = 0; i < pal.size(); ++i) {
    int dr = int((p >> 16) & 255) - int((pal[i] >> 16) & 255), dg = int((p >> 8) & 255) - int((pal[i] >> 8) & 255),
        db = int(p & 255) - int(pal[i] & 255);
    int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
    if (d < bestd) bestd = d, best = int(i);
  }
  return best;
}

// One icon image: BITMAPINFOHEADER, palette, colour rows, mask rows, all bottom-up.
std::vector<uint8_t> IconImage(int size, int bits) {
  Canvas* c = IconPicture(size);
  std::vector<uint32_t> pal;
  if (bits == 4) {
    pal = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
           0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  } else {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) pal.push_back(Rgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 40; ++i) pal.push_back(Rgb(i * 255 / 39, i * 255 / 39, i * 255 / 39));
  }
  int stride = ((size * bits + 31) / 32) * 4, mask_stride = ((size + 31) / 32) * 4;
  std::vector<uint8_t> out(40 + pal.size() * 4 + size_t(stride + mask_stride) * size, 0);
  BITMAPINFOHEADER h{sizeof h, size, size * 2, 1, WORD(bits), BI_RGB, 0, 0, 0, DWORD(pal.size()), 0};
  std::memcpy(out.data(), &h, sizeof h);
  for (size_t i = 0; i < pal.size(); ++i) std::memcpy(&out[40 + i * 4], &pal[i], 4);
  uint8_t* colour = &out[40 + pal.size() * 4];
  uint8_t* mask = colour + size_t(stride) * size;
  for (int y = 0; y < size; ++y) {
    int row = size - 1 - y;
    for (int x = 0; x < size; ++x) {
      uint32_t p = c->At(x, y);
      bool opaque = (p >> 24) != 0 || (p & 0xFFFFFF) != 0;
      int idx = opaque ? Nearest(p & 0xFFFFFF, pal) : 0;
      if (bits == 4) colour[row * stride + x / 2] |= uint8_t(idx << (x % 2 ? 0 : 4));
      else colour[row * stride + x] = uint8_t(idx);
      if (!opaque) mask[row * mask_stride + x / 8] |= uint8_t(0x80 >> (x % 8));
    }
  }
  delete c;
  return out;
}

bool Icon(const std::string& out) {
  struct Entry { int size, bits; };
  const Entry entries[] = {{32, 4}, {32, 8}, {48, 8}};
  std::vector<std::vector<uint8_t>> images;
  for (const Entry& e : entries) images.push_back(IconImage(e.size, e.bits));
  std::vector<uint8_t> file(6 + 16 * 3);
  file[2] = 1;
  file[4] = 3;
  uint32_t offset = uint32_t(file.size());
  for (size_t i = 0; i < 3; ++i) {
    uint8_t* d = &file[6 + i * 16];
    d[0] = uint8_t(entries[i].size);
    d[1] = uint8_t(entries[i].size);
    d[2] = uint8_t(entries[i].bits == 4 ? 16 : 0);
    d[4] = 1;
    d[6] = uint8_t(entries[i].bits);
    uint32_t n = uint32_t(images[i].size());
    std::memcpy(d + 8, &n, 4);
    std::memcpy(d + 12, &offset, 4);
    offset += n;
  }
  for (auto& img : images) file.insert(file.end(), img.begin(), img.end());
  return WriteFile(out + "/qingnang.ico", file.data(), file.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: artwork OUT_DIR\n");
    return 2;
  }
  if (!Banner(argv[1]) || !Icon(argv[1])) {
    std::fprintf(stderr, "artwork: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
