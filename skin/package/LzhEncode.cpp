// The LZH encoder. Strings at every window position are kept in binary search trees; inserting
// the string at the coding position finds its longest match on the way (the nearest one among
// equally long matches met), and a string equal to one in the tree over all F bytes takes its
// place. The trees are rooted on a hash of a string's first three bytes rather than on its
// first byte: a match worth sending is at least three bytes long, so it always lies in the
// key's own tree, and the smaller trees are faster to search.
//
// Skin bitmaps make the plain descent slow: flat rows repeat the same strings, and the ends of
// runs and gradients bring strings in sorted order, which grows the trees into long chains.
// Two shortcuts, each giving what the descent would, take most insertions: the string equal
// to the key is looked for first at the distance the last such string was found at, and a key
// that falls into the empty gap beside the previous string goes in there. Strings are compared
// eight bytes at a time; the descent is written with branches, which the processor predicts
// and runs ahead on, where conditional moves would wait for every comparison.
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

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
  // the end reads on without wrapping, and spare bytes let comparisons read 64 bytes.
  uint8_t text_buf[N + 64];
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
  bool InsertNextToFinger(unsigned r, unsigned tree);
  void ReplaceNode(unsigned p, unsigned r);
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
  unsigned repeat_ = 0;  // distance of the last string found equal over F bytes
  // The leaf the previous string went in as, the tree it is in, and its neighbours in sorted
  // order when it went in (NIL: none); finger_ is NIL when the previous string took an old
  // one's place instead.
  unsigned finger_ = NIL, finger_tree_ = 0, finger_lo_ = NIL, finger_hi_ = NIL;
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

// Length of the common prefix of two strings in the window, F when they agree over F bytes.
// Reads up to 64 bytes of each.
inline unsigned CommonPrefix(const uint8_t* a, const uint8_t* b) {
  for (unsigned i = 0; i < 64; i += 8) {
    uint64_t diff = Load64(a + i) ^ Load64(b + i);
    if (diff != 0) {
      i += static_cast<unsigned>(std::countr_zero(diff)) >> 3;
      return i < F ? i : F;
    }
  }
  return F;
}

void TEncoder::InsertNode(unsigned r) {
  const uint8_t* tb = t_.text_buf;
  uint16_t(*kid)[2] = t_.kid;
  uint16_t* dad = t_.dad;
  const uint8_t* key = tb + r;
  // Repetitive input meets the same string again at the distance it was last met at: try
  // there first. The tree holds at most one string equal to the key over F bytes, and the
  // descent would stop at it with the same result.
  if (repeat_ != 0) {
    unsigned c = (r - repeat_) & (N - 1);
    if (dad[c] != NIL && CommonPrefix(key, tb + c) == F) {
      match_length_ = F;
      match_position_ = repeat_ - 1;
      ReplaceNode(c, r);
      finger_ = NIL;
      return;
    }
  }
  unsigned root = RootOf(key);
  if (InsertNextToFinger(r, root)) return;
  unsigned p = root;
  kid[r][0] = kid[r][1] = NIL;
  unsigned best_len = 0, best_pos = 0;
  unsigned dir = 1;
  unsigned lo = NIL, hi = NIL;
  for (;;) {
    unsigned next = dir ? kid[p][1] : kid[p][0];
    if (next == NIL) {
      kid[p][dir] = static_cast<uint16_t>(r);
      dad[r] = static_cast<uint16_t>(p);
      match_length_ = best_len;
      match_position_ = best_pos;
      finger_ = r;
      finger_tree_ = root;
      finger_lo_ = lo;
      finger_hi_ = hi;
      return;
    }
    p = next;
    // (A tree may hold strings of other prefixes that hash alike: compare from the start.)
    unsigned i = CommonPrefix(key, tb + p);
    if (i == F) break;
    if (key[i] > tb[p + i]) {
      dir = 1;
      lo = p;
    } else {
      dir = 0;
      hi = p;
    }
    if (i > THRESHOLD && i >= best_len) {
      unsigned pos = ((r - p) & (N - 1)) - 1;
      if (i > best_len || pos < best_pos) best_pos = pos;
      best_len = i;
    }
  }
  repeat_ = (r - p) & (N - 1);
  match_length_ = F;
  match_position_ = repeat_ - 1;
  ReplaceNode(p, r);
  finger_ = NIL;
}

// Strings that come in sorted order (the end of a run, a gradient) go in one beside the other:
// when the key falls in the empty gap beside the previous string, and both of its neighbours
// there are still in the tree, that gap is where a descent would put it. The longest match is
// with one of those two neighbours, as it would be on the descent's path.
bool TEncoder::InsertNextToFinger(unsigned r, unsigned tree) {
  if (finger_ == NIL || tree != finger_tree_) return false;
  const uint8_t* tb = t_.text_buf;
  uint16_t(*kid)[2] = t_.kid;
  uint16_t* dad = t_.dad;
  const uint8_t* key = tb + r;
  unsigned f = finger_;
  if (dad[f] == NIL) return false;
  unsigned lf = CommonPrefix(key, tb + f);
  if (lf == F) return false;
  unsigned dir = key[lf] > tb[f + lf] ? 1 : 0;
  if (kid[f][dir] != NIL) return false;
  // The neighbour on the far side of the gap, which the key must not pass.
  unsigned o = dir ? finger_hi_ : finger_lo_;
  unsigned lo_len = 0;
  if (o != NIL) {
    if (dad[o] == NIL) return false;
    lo_len = CommonPrefix(key, tb + o);
    if (lo_len == F || (key[lo_len] > tb[o + lo_len]) == (dir == 1)) return false;
  }
  kid[f][dir] = static_cast<uint16_t>(r);
  dad[r] = static_cast<uint16_t>(f);
  kid[r][0] = kid[r][1] = NIL;
  unsigned best_len = 0, best_pos = 0;
  for (auto [node, len] : {std::pair{f, lf}, std::pair{o, lo_len}}) {
    if (node == NIL || len <= THRESHOLD || len < best_len) continue;
    unsigned pos = ((r - node) & (N - 1)) - 1;
    if (len > best_len || pos < best_pos) best_pos = pos;
    best_len = len;
  }
  match_length_ = best_len;
  match_position_ = best_pos;
  if (dir) finger_lo_ = f;
  else finger_hi_ = f;
  finger_ = r;
  return true;
}

// The new string r equals node p over all F bytes: it takes p's place, p leaves the tree.
void TEncoder::ReplaceNode(unsigned p, unsigned r) {
  uint16_t(*kid)[2] = t_.kid;
  uint16_t* dad = t_.dad;
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
