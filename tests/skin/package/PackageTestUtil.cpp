#include "tests/skin/package/PackageTestUtil.h"

#include <algorithm>
#include <random>

#include "platform/core/Streams.h"
#include "skin/package/LzhModel.h"
#include "skin/package/WinConvert.h"

namespace qn::test {

Bytes Random(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

Bytes WordSoup(size_t n, uint32_t seed) {
  static const char* const words[] = {"frame", "top", "left", "right", "bottom", "button", "caption",
                                      "color", "=", "1", "2", "255", "[", "]", "\r\n", " ", "bmp",
                                      "trans", "tile", "Title", "Border", "Scroll", "0x", "ff"};
  std::mt19937 rng(seed);
  Bytes b;
  b.reserve(n);
  while (b.size() < n) {
    const char* w = words[rng() % (sizeof words / sizeof words[0])];
    for (const char* p = w; *p && b.size() < n; ++p) b.push_back(static_cast<uint8_t>(*p));
  }
  return b;
}

Bytes SkinBitmap(int width, int height, uint32_t seed, int noise_every) {
  std::mt19937 rng(seed);
  int stride = (width * 3 + 3) & ~3;
  Bytes b(54 + static_cast<size_t>(stride) * height);
  b[0] = 'B';
  b[1] = 'M';
  PutU32(b, 2, static_cast<uint32_t>(b.size()));
  PutU32(b, 10, 54);
  PutU32(b, 14, 40);
  PutU32(b, 18, static_cast<uint32_t>(width));
  PutU32(b, 22, static_cast<uint32_t>(height));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.data() + 54 + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      uint8_t* px = row + x * 3;
      if (x < width / 8 || y < height / 8) {  // magenta background
        px[0] = 255, px[1] = 0, px[2] = 255;
      } else if (x < width / 2) {  // vertical gradient
        px[0] = static_cast<uint8_t>(128 + y * 100 / height);
        px[1] = static_cast<uint8_t>(90 + y * 120 / height);
        px[2] = static_cast<uint8_t>(60 + y * 150 / height);
      } else if (y < height / 2) {  // flat face
        px[0] = px[1] = px[2] = 229;
      } else {  // horizontal gradient with a little noise
        px[0] = static_cast<uint8_t>(x * 255 / width + (rng() % static_cast<unsigned>(noise_every) == 0));
        px[1] = static_cast<uint8_t>(x * 200 / width);
        px[2] = 102;
      }
    }
  }
  return b;
}

Bytes Repeat(const std::string& unit, size_t n) {
  Bytes b;
  b.reserve(n);
  while (b.size() < n) b.push_back(static_cast<uint8_t>(unit[b.size() % unit.size()]));
  return b;
}

Bytes FromString(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Pack(const Bytes& data) {
  TMemoryStream in(data), out;
  LZHCompress(in, out);
  return out.Bytes();
}

Bytes Unpack(const Bytes& framed) {
  TMemoryStream in(framed), out;
  LZHDecompress(in, out);
  return out.Bytes();
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

namespace {

// Bit input as the format describes it: a 16-bit buffer topped up one byte at a time, zero
// bytes once the code is used up.
struct TPlainBits {
  const Bytes& code;
  size_t pos = 0;
  uint16_t getbuf = 0;
  uint8_t getlen = 0;

  void Fill() {
    while (getlen <= 8) {
      unsigned c = pos < code.size() ? code[pos++] : 0;
      getbuf = static_cast<uint16_t>(getbuf | c << (8 - getlen));
      getlen = static_cast<uint8_t>(getlen + 8);
    }
  }
  unsigned Bit() {
    Fill();
    unsigned b = getbuf >> 15;
    getbuf = static_cast<uint16_t>(getbuf << 1);
    --getlen;
    return b;
  }
  unsigned Byte() {
    Fill();
    unsigned b = getbuf >> 8;
    getbuf = static_cast<uint16_t>(getbuf << 8);
    getlen = static_cast<uint8_t>(getlen - 8);
    return b;
  }
};

// The original linear scan for the node to trade places with.
void PlainUpdate(lzh::THuffModel& m, unsigned c, TRefStats& stats) {
  using namespace lzh;
  ++stats.symbols;
  if (m.freq[R] == MAX_FREQ) {
    m.Rebuild();
    ++stats.rebuilds;
  }
  unsigned n = m.prnt[c + T];
  do {
    unsigned k = ++m.freq[n];
    unsigned l = n + 1;
    if (k > m.freq[l]) {
      while (k > m.freq[++l]) {
      }
      --l;
      m.freq[n] = m.freq[l];
      m.freq[l] = static_cast<uint16_t>(k);
      unsigned i = m.son[n];
      m.prnt[i] = static_cast<uint16_t>(l);
      if (i < T) m.prnt[i + 1] = static_cast<uint16_t>(l);
      unsigned j = m.son[l];
      m.son[l] = static_cast<uint16_t>(i);
      m.prnt[j] = static_cast<uint16_t>(n);
      if (j < T) m.prnt[j + 1] = static_cast<uint16_t>(n);
      m.son[n] = static_cast<uint16_t>(j);
      n = l;
    }
    n = m.prnt[n];
  } while (n != 0);
}

}  // namespace

Bytes ReferenceUnpack(uint32_t count, const Bytes& code, TRefStats* stats) {
  using namespace lzh;
  static lzh::THuffModel m;
  m.Reset();
  uint8_t text_buf[N] = {};
  for (int i = 0; i < N - F; ++i) text_buf[i] = ' ';
  unsigned r = N - F;
  TPlainBits in{code};
  TRefStats st;
  Bytes out;
  while (out.size() < count) {
    unsigned c = m.son[R];
    unsigned depth = 0;
    for (; c < T; ++depth) c = m.son[c + in.Bit()];
    if (depth > st.longest) st.longest = depth;
    c -= T;
    PlainUpdate(m, c, st);
    st.parse.push_back(static_cast<uint16_t>(c < 256 ? 1 : c - 253));
    if (c < 256) {
      out.push_back(static_cast<uint8_t>(c));
      text_buf[r++] = static_cast<uint8_t>(c);
      r &= N - 1;
      continue;
    }
    unsigned i = in.Byte();
    unsigned u = kPos.dcode[i];
    unsigned extra = kPos.dlen[i] - 2u;
    while (extra--) i = (i << 1) + in.Bit();
    unsigned pos = (u << 6) | (i & 63);
    unsigned src = (r - pos - 1) & (N - 1);
    unsigned len = c - 253;
    for (unsigned k = 0; k < len && out.size() < count; ++k) {
      uint8_t b = text_buf[(src + k) & (N - 1)];
      out.push_back(b);
      text_buf[r++] = b;
      r &= N - 1;
    }
  }
  if (stats) *stats = st;
  return out;
}

std::vector<uint16_t> LongestMatchParse(const Bytes& data) {
  using namespace lzh;
  // The window as one line: the blanks before the input, then the input. At the start only the
  // F strings just before it are candidates; later, every string within N - F bytes.
  Bytes text;
  text.reserve(N - F + data.size());
  text.resize(N - F, ' ');
  text.insert(text.end(), data.begin(), data.end());
  const size_t start = N - F;
  std::vector<uint16_t> parse;
  for (size_t r = start; r < text.size();) {
    size_t limit = std::min<size_t>(F, text.size() - r);
    size_t first = std::max<size_t>(start - F, r > static_cast<size_t>(N - F) ? r - (N - F) : 0);
    size_t best = 0;
    for (size_t p = first; p < r && best < limit; ++p) {
      size_t k = 0;
      while (k < limit && text[p + k] == text[r + k]) ++k;
      best = std::max(best, k);
    }
    size_t len = best > static_cast<size_t>(THRESHOLD) ? best : 1;
    parse.push_back(static_cast<uint16_t>(len));
    r += len;
  }
  return parse;
}

}  // namespace qn::test
