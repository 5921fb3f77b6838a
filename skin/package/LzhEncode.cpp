// The LZH encoder. Strings at every window position are kept in binary search trees; inserting
// the string at the coding position finds its longest match on the way (the nearest one among
// equally long matches). The trees are rooted on a hash of a string's first three bytes rather
// than on its first byte: a match worth sending is at least three bytes long, so it always
// lies in the key's own tree, and the smaller trees are much faster to search. Strings are
// compared eight bytes at a time. The descent is written with branches on purpose: predicted
// branches let the processor run ahead down the tree, where a conditional move would wait for
// every comparison.
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "skin/package/LzhModel.h"
#include "skin/package/WinConvert.h"

namespace qn {
namespace {

using namespace lzh;

static_assert(std::endian::native == std::endian::little);

constexpr unsigned kInBlock = 4096;
constexpr unsigned kOutBlock = 4096;
constexpr unsigned kRootBits = 12;
constexpr unsigned kRoots = 1u << kRootBits;

inline unsigned RootOf(const uint8_t* key) {
  uint32_t v = uint32_t(key[0]) << 16 | uint32_t(key[1]) << 8 | key[2];
  return N + 1 + ((v * 2654435761u) >> (32 - kRootBits));
}

struct TEncodeTables {
  THuffModel model;
  // The window; its first F - 1 bytes are repeated after position N - 1 so that a string near
  // the end reads on without wrapping, and 16 spare bytes let comparisons read whole words.
  uint8_t text_buf[N + F - 1 + 16];
  // Children of each node, left then right; kid[RootOf(key)][1] is the root of the tree that
  // holds the strings whose first three bytes hash like key's.
  uint16_t kid[N + 1 + kRoots][2];
  uint16_t dad[N + 1];
  uint8_t in[kInBlock];
  uint8_t out[kOutBlock + 32];
};

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

class TEncoder {
 public:
  TEncoder(TEncodeTables& t, const TGetBytesProc& get, const TPutBytesProc& put) : t_(t), get_(get), put_(put) {}

  // Returns the number of input bytes coded.
  int64_t Run();
  int64_t code_bytes() const { return code_bytes_; }

 private:
  int GetByte() {
    if (ip_ == iend_ && !Fetch()) return -1;
    return *ip_++;
  }
  bool Fetch();
  void InsertNode(unsigned r);
  void DeleteNode(unsigned p);
  void PutBits(uint64_t code, unsigned len);
  void EncodeChar(unsigned c);
  void EncodePosition(unsigned pos);
  void FlushOut();

  TEncodeTables& t_;
  const TGetBytesProc& get_;
  const TPutBytesProc& put_;
  const uint8_t* ip_ = nullptr;
  const uint8_t* iend_ = nullptr;
  bool eof_ = false;
  uint64_t acc_ = 0;  // pending bits in the low nacc_ bits
  unsigned nacc_ = 0;
  uint8_t* op_ = nullptr;
  int64_t code_bytes_ = 0;
  unsigned match_position_ = 0;  // distance - 1
  unsigned match_length_ = 0;
};

bool TEncoder::Fetch() {
  if (eof_) return false;
  uint16_t done = 0;
  get_(t_.in, static_cast<uint16_t>(kInBlock), done);
  if (done > kInBlock) done = kInBlock;
  if (done == 0) {
    eof_ = true;
    return false;
  }
  ip_ = t_.in;
  iend_ = t_.in + done;
  return true;
}

void TEncoder::InsertNode(unsigned r) {
  const uint8_t* tb = t_.text_buf;
  uint16_t(*kid)[2] = t_.kid;
  uint16_t* dad = t_.dad;
  const uint8_t* key = tb + r;
  unsigned p = RootOf(key);
  kid[r][0] = kid[r][1] = NIL;
  unsigned best_len = 0, best_pos = 0;
  unsigned dir = 1;
  for (;;) {
    unsigned next = dir ? kid[p][1] : kid[p][0];
    if (next == NIL) {
      kid[p][dir] = static_cast<uint16_t>(r);
      dad[r] = static_cast<uint16_t>(p);
      match_length_ = best_len;
      match_position_ = best_pos;
      return;
    }
    p = next;
    // Length of the common prefix (a tree may hold strings of other prefixes that hash alike).
    unsigned i = 0;
    for (;; i += 8) {
      uint64_t diff = Load64(key + i) ^ Load64(tb + p + i);
      if (diff != 0) {
        i += static_cast<unsigned>(std::countr_zero(diff)) >> 3;
        break;
      }
      if (i + 8 >= F) {
        i = F;
        break;
      }
    }
    if (i >= F) {
      best_len = F;
      best_pos = ((r - p) & (N - 1)) - 1;
      break;
    }
    if (key[i] > tb[p + i]) dir = 1; else dir = 0;
    if (i > THRESHOLD && i >= best_len) {
      unsigned pos = ((r - p) & (N - 1)) - 1;
      if (i > best_len || pos < best_pos) best_pos = pos;
      best_len = i;
    }
  }
  match_length_ = best_len;
  match_position_ = best_pos;
  // The new string equals node p over all F bytes: it takes p's place, p leaves the tree.
  unsigned up = dad[p];
  dad[r] = static_cast<uint16_t>(up);
  kid[r][0] = kid[p][0];
  kid[r][1] = kid[p][1];
  dad[kid[p][0]] = static_cast<uint16_t>(r);
  dad[kid[p][1]] = static_cast<uint16_t>(r);
  kid[up][kid[up][1] == p] = static_cast<uint16_t>(r);
  dad[p] = NIL;
}

void TEncoder::DeleteNode(unsigned p) {
  uint16_t(*kid)[2] = t_.kid;
  uint16_t* dad = t_.dad;
  if (dad[p] == NIL) return;
  unsigned q;
  if (kid[p][1] == NIL) {
    q = kid[p][0];
  } else if (kid[p][0] == NIL) {
    q = kid[p][1];
  } else {
    // Replace p by its predecessor, the rightmost node of its left subtree.
    q = kid[p][0];
    if (kid[q][1] != NIL) {
      do q = kid[q][1]; while (kid[q][1] != NIL);
      kid[dad[q]][1] = kid[q][0];
      dad[kid[q][0]] = dad[q];
      kid[q][0] = kid[p][0];
      dad[kid[p][0]] = static_cast<uint16_t>(q);
    }
    kid[q][1] = kid[p][1];
    dad[kid[p][1]] = static_cast<uint16_t>(q);
  }
  unsigned up = dad[p];
  dad[q] = static_cast<uint16_t>(up);
  kid[up][kid[up][1] == p] = static_cast<uint16_t>(q);
  dad[p] = NIL;
}

void TEncoder::PutBits(uint64_t code, unsigned len) {
  if (len > 32) {  // tree paths stay far shorter; kept whole all the same
    PutBits(code >> 32, len - 32);
    code &= 0xFFFFFFFFu;
    len = 32;
  }
  acc_ = acc_ << len | code;
  nacc_ += len;
  while (nacc_ >= 8) {
    nacc_ -= 8;
    *op_++ = static_cast<uint8_t>(acc_ >> nacc_);
  }
}

void TEncoder::EncodeChar(unsigned c) {
  uint64_t code;
  unsigned len;
  t_.model.PathOf(c, code, len);
  PutBits(code, len);
  t_.model.Update(c);
}

void TEncoder::EncodePosition(unsigned pos) {
  unsigned u = pos >> 6;
  unsigned l = kPos.len[u];
  PutBits(kPos.code[u] >> (8 - l), l);
  PutBits(pos & 63u, 6);
}

void TEncoder::FlushOut() {
  size_t n = static_cast<size_t>(op_ - t_.out);
  if (n == 0) return;
  uint16_t done = 0;
  put_(t_.out, static_cast<uint16_t>(n), done);
  if (done != n) throw EStreamError("Stream write error");
  code_bytes_ += static_cast<int64_t>(n);
  op_ = t_.out;
}

int64_t TEncoder::Run() {
  uint8_t* tb = t_.text_buf;
  op_ = t_.out;
  t_.model.Reset();
  for (unsigned i = N + 1; i < N + 1 + kRoots; ++i) t_.kid[i][1] = NIL;
  for (int i = 0; i <= N; ++i) t_.dad[i] = NIL;
  std::memset(tb, ' ', N - F);
  std::memset(tb + (N - F), 0, sizeof t_.text_buf - (N - F));

  unsigned r = N - F;
  unsigned s = 0;
  unsigned len = 0;  // look-ahead bytes
  for (; len < F; ++len) {
    int c = GetByte();
    if (c < 0) break;
    tb[r + len] = static_cast<uint8_t>(c);
  }
  int64_t textsize = len;
  if (len == 0) return 0;
  for (unsigned i = 1; i <= F; ++i) InsertNode(r - i);
  InsertNode(r);
  do {
    if (match_length_ > len) match_length_ = len;
    if (match_length_ <= THRESHOLD) {
      match_length_ = 1;
      EncodeChar(tb[r]);
    } else {
      EncodeChar(255 - THRESHOLD + match_length_);
      EncodePosition(match_position_);
    }
    unsigned last = match_length_;
    unsigned i = 0;
    for (; i < last; ++i) {
      int c = GetByte();
      if (c < 0) break;
      DeleteNode(s);
      tb[s] = static_cast<uint8_t>(c);
      if (s < F - 1) tb[s + N] = static_cast<uint8_t>(c);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    textsize += i;
    for (; i < last; ++i) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len) InsertNode(r);
    }
    if (op_ - t_.out >= static_cast<ptrdiff_t>(kOutBlock)) FlushOut();
  } while (len > 0);
  if (nacc_ > 0) *op_++ = static_cast<uint8_t>(acc_ << (8 - nacc_));
  nacc_ = 0;
  FlushOut();
  return textsize;
}

}  // namespace

void TLZH::LZHPack(int32_t& Bytes_Written, const TGetBytesProc& GetBytes, const TPutBytesProc& PutBytes) {
  textsize = 0;
  codesize = 0;
  ranout = false;
  std::unique_ptr<TEncodeTables> tables(new (std::nothrow) TEncodeTables);
  if (!tables) throw ElzhException(kLzhNoMemory);
  TEncoder enc(*tables, GetBytes, PutBytes);
  textsize = static_cast<int32_t>(enc.Run());
  codesize = static_cast<int32_t>(enc.code_bytes());
  Bytes_Written = textsize;
}

}  // namespace qn
