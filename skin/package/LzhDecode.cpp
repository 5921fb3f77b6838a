// The LZH decoder. The window is kept linear rather than as a ring: new output is appended
// behind the last N bytes of history, so a match is a plain backwards copy, and the history is
// moved down once per output block. Input is fetched ahead a block at a time and read through
// a 64-bit bit buffer; the bits decoded, and the bytes delivered, are exactly those of a
// reader that fetches one byte at a time.
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "skin/package/LzhModel.h"
#include "skin/package/WinConvert.h"

namespace qn {
namespace {

using namespace lzh;

constexpr unsigned kInBlock = 4096;
constexpr unsigned kOutBlock = 32768;

struct TDecodeTables {
  THuffModel model;
  uint8_t in[kInBlock];
  // N bytes of history, a block of new output, room for the last match and its overrun.
  uint8_t out[N + kOutBlock + F + 16];
};

static_assert(std::endian::native == std::endian::little);

uint64_t LoadBigEndian64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}

// Copies a match of len bytes from dist bytes back; the copy may overlap its own output, which
// then repeats. Writes up to 7 bytes past the end.
inline void CopyMatch(uint8_t* dst, unsigned dist, unsigned len) {
  const uint8_t* src = dst - dist;
  if (dist >= 8) {
    for (unsigned k = 0; k < len; k += 8) std::memcpy(dst + k, src + k, 8);
    return;
  }
  // A short period: the output repeats every dist bytes, so one 8-byte pattern stored at every
  // multiple of dist that keeps it within 8 bytes writes it all, with no reads of fresh stores.
  static constexpr uint8_t kStep[8] = {0, 8, 8, 6, 8, 5, 6, 7};  // largest multiple of dist <= 8
  uint8_t pattern[8];
  for (unsigned k = 0; k < dist; ++k) pattern[k] = src[k];
  for (unsigned k = dist; k < 8; ++k) pattern[k] = pattern[k - dist];
  uint64_t v;
  std::memcpy(&v, pattern, 8);
  unsigned step = kStep[dist];
  for (unsigned k = 0; k < len; k += step) std::memcpy(dst + k, &v, 8);
}

class TDecoder {
 public:
  TDecoder(TDecodeTables& t, const TGetBytesProc& get, const TPutBytesProc& put) : t_(t), get_(get), put_(put) {}

  void Run(uint32_t count);

  uint64_t used_bits() const { return used_bits_; }
  uint64_t real_bytes() const { return real_; }

 private:
  struct TBits {
    uint64_t bits;  // valid bits at the top
    int n;
  };
  // Tops the bit buffer up to more than 56 bits. The hot state travels by value so that it
  // stays in registers in the decoding loop.
  TBits Refill(TBits b) {
    if (iend_ - ip_ >= 8) {
      // Whole bytes that fit go in; the top bits of the next byte land below the valid bits
      // and are or-ed in again, unchanged, when that byte is taken.
      unsigned k = static_cast<unsigned>(64 - b.n) >> 3;
      b.bits |= LoadBigEndian64(ip_) >> b.n;
      ip_ += k;
      taken_ += k;
      return {b.bits, b.n + static_cast<int>(k * 8)};
    }
    return RefillSlow(b);
  }
  TBits RefillSlow(TBits b);
  void Fetch();
  void Deliver(const uint8_t* p, size_t n);

  TDecodeTables& t_;
  const TGetBytesProc& get_;
  const TPutBytesProc& put_;
  const uint8_t* ip_ = nullptr;
  const uint8_t* iend_ = nullptr;
  uint64_t taken_ = 0;  // bytes moved into the bit buffer, including zero bytes past the end
  uint64_t real_ = 0;   // bytes the input gave
  uint64_t used_bits_ = 0;
};

void TDecoder::Fetch() {
  uint16_t done = 0;
  get_(t_.in, static_cast<uint16_t>(kInBlock), done);
  if (done > kInBlock) done = kInBlock;
  if (done == 0) {
    // End of input: this fetch yields one zero byte, as a failed one-byte fetch would.
    t_.in[0] = 0;
    done = 1;
  } else {
    real_ += done;
  }
  ip_ = t_.in;
  iend_ = t_.in + done;
}

TDecoder::TBits TDecoder::RefillSlow(TBits b) {
  while (b.n <= 56) {
    if (ip_ == iend_) Fetch();
    b.bits |= uint64_t(*ip_++) << (56 - b.n);
    b.n += 8;
    ++taken_;
  }
  return b;
}

void TDecoder::Deliver(const uint8_t* p, size_t n) {
  while (n > 0) {
    uint16_t chunk = static_cast<uint16_t>(n < 0xFFFF ? n : 0xFFFF);
    uint16_t done = 0;
    put_(p, chunk, done);
    if (done != chunk) throw EStreamError("Stream write error");
    p += chunk;
    n -= chunk;
  }
}

void TDecoder::Run(uint32_t count) {
  THuffModel& m = t_.model;
  m.Reset();
  uint8_t* out = t_.out;
  // History before the first byte: blanks, and zeros where an honest stream never looks.
  std::memset(out, 0, F);
  std::memset(out + F, ' ', N - F);

  TBits b{0, 0};
  size_t op = N;          // next output position
  uint64_t produced = 0;  // bytes decoded, counting those already delivered
  uint64_t delivered = 0;
  while (produced < count) {
    if (op >= N + kOutBlock) {
      Deliver(out + N, op - N);
      delivered += op - N;
      std::memmove(out, out + op - N, N);
      op = N;
    }
    if (b.n < 40) b = Refill(b);
    unsigned c = m.son[R];
    while (c < T) {
      if (b.n == 0) b = Refill(b);
      c = m.son[c + static_cast<unsigned>(b.bits >> 63)];
      b.bits <<= 1;
      --b.n;
    }
    c -= T;
    m.Update(c);
    if (c < 256) {
      out[op++] = static_cast<uint8_t>(c);
      ++produced;
      continue;
    }
    unsigned len = c - (255 - THRESHOLD);
    if (b.n < 14) b = Refill(b);
    unsigned top = static_cast<unsigned>(b.bits >> 56);
    unsigned nb = kPos.dlen[top] + 6u;
    unsigned low = static_cast<unsigned>(b.bits >> (64 - nb)) & 63u;
    b.bits <<= nb;
    b.n -= static_cast<int>(nb);
    unsigned dist = (static_cast<unsigned>(kPos.dcode[top]) << 6 | low) + 1;
    CopyMatch(out + op, dist, len);
    op += len;
    produced += len;
  }
  // A damaged stream's last match may run past the count; only the count is delivered.
  Deliver(out + N, static_cast<size_t>(count - delivered));
  used_bits_ = taken_ * 8 - static_cast<uint64_t>(b.n);
}

}  // namespace

void TLZH::LZHUnpack(int32_t TextSize, const TGetBytesProc& GetBytes, const TPutBytesProc& PutBytes) {
  textsize = 0;
  codesize = 0;
  ranout = false;
  if (TextSize <= 0) return;
  std::unique_ptr<TDecodeTables> tables(new (std::nothrow) TDecodeTables);
  if (!tables) throw ElzhException(kLzhNoMemory);
  TDecoder dec(*tables, GetBytes, PutBytes);
  dec.Run(static_cast<uint32_t>(TextSize));
  textsize = TextSize;
  uint64_t used = dec.used_bits();
  codesize = static_cast<int32_t>((used + 7) / 8);
  ranout = used > dec.real_bytes() * 8;
}

}  // namespace qn
