// Internals of the LZH codec shared by its encoder and decoder: the constants of the format,
// the fixed prefix code of match positions and the adaptive Huffman model of literals and
// match lengths. Not part of the package interface; tests include it to drive the model alone.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace qn::lzh {

inline constexpr int N = 4096;          // sliding window; positions are taken modulo N
inline constexpr int F = 60;            // longest match
inline constexpr int THRESHOLD = 2;     // matches this short are sent as literals
inline constexpr int NIL = N;           // no node in the encoder's search trees
inline constexpr int N_CHAR = 256 - THRESHOLD + F;  // 256 literals, then lengths 3..60
inline constexpr int T = 2 * N_CHAR - 1;            // nodes of the Huffman tree
inline constexpr int R = T - 1;                     // its root
inline constexpr unsigned MAX_FREQ = 0x8000;        // root frequency that halves the model

// Each coded bit yields at most this many output bytes: a match of F bytes costs at least one
// bit of length code and nine bits of position code. A framed count beyond this many bytes per
// byte of code cannot come from an encoder.
inline constexpr int kMaxBytesPerCodeByte = 8 * F / 10;

// Fixed prefix code of the upper six bits of a match position: lengths 3..8, canonical codes
// left-aligned in eight bits. kPosLen/kPosCode serve the encoder; kDecCode/kDecLen, indexed by
// the next eight input bits, the decoder.
struct TPositionCode {
  std::array<uint8_t, 64> len{};
  std::array<uint8_t, 64> code{};
  std::array<uint8_t, 256> dcode{};
  std::array<uint8_t, 256> dlen{};
};

constexpr TPositionCode MakePositionCode() {
  TPositionCode pc;
  // Number of codes of each length 3..8.
  constexpr int counts[6] = {1, 3, 8, 12, 24, 16};
  int u = 0;
  unsigned next = 0;
  for (int l = 3; l <= 8; ++l) {
    for (int k = 0; k < counts[l - 3]; ++k, ++u) {
      pc.len[u] = static_cast<uint8_t>(l);
      pc.code[u] = static_cast<uint8_t>(next);
      for (unsigned b = next; b < next + (1u << (8 - l)); ++b) {
        pc.dcode[b] = static_cast<uint8_t>(u);
        pc.dlen[b] = static_cast<uint8_t>(l);
      }
      next += 1u << (8 - l);
    }
  }
  return pc;
}

inline constexpr TPositionCode kPos = MakePositionCode();
static_assert(kPos.code[1] == 0x20 && kPos.code[4] == 0x50 && kPos.code[5] == 0x58);
static_assert(kPos.code[62] == 0xFE && kPos.code[63] == 0xFF && kPos.dlen[0xFF] == 8);

// The adaptive Huffman tree. Nodes are kept in order of frequency (the sibling property), so
// the two children of an inner node sit side by side at son and son + 1; leaves hold
// T + symbol in son. The decoder and the encoder keep identical copies and update them after
// every symbol.
struct THuffModel {
  uint16_t freq[T + 1];       // freq[T] is a sentinel above every real frequency
  uint16_t prnt[T + N_CHAR];  // parent of each node; prnt[T + c] is the leaf of symbol c
  uint16_t son[T];

  void Reset() {
    for (int i = 0; i < N_CHAR; ++i) {
      freq[i] = 1;
      son[i] = static_cast<uint16_t>(i + T);
      prnt[i + T] = static_cast<uint16_t>(i);
    }
    for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
      freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
      son[j] = static_cast<uint16_t>(i);
      prnt[i] = prnt[i + 1] = static_cast<uint16_t>(j);
    }
    freq[T] = 0xFFFF;
    prnt[R] = 0;
  }

  // Halves every leaf frequency (rounding up) and rebuilds the tree over them, so that the
  // frequencies stay within 16 bits and old statistics fade.
  void Rebuild() {
    int j = 0;
    for (int i = 0; i < T; ++i) {
      if (son[i] >= T) {
        freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
        son[j] = son[i];
        ++j;
      }
    }
    for (int i = 0, n = N_CHAR; n < T; i += 2, ++n) {
      unsigned f = freq[i] + freq[i + 1];
      int k = n - 1;
      while (f < freq[k]) --k;
      ++k;
      std::memmove(&freq[k + 1], &freq[k], static_cast<size_t>(n - k) * sizeof freq[0]);
      std::memmove(&son[k + 1], &son[k], static_cast<size_t>(n - k) * sizeof son[0]);
      freq[k] = static_cast<uint16_t>(f);
      son[k] = static_cast<uint16_t>(i);
    }
    for (int k = 0; k < T; ++k) {
      unsigned s = son[k];
      prnt[s] = static_cast<uint16_t>(k);
      if (s < T) prnt[s + 1] = static_cast<uint16_t>(k);
    }
  }

  // Counts one more occurrence of symbol c, keeping the nodes in order of frequency.
  void Update(unsigned c) {
    if (freq[R] == MAX_FREQ) Rebuild();
    unsigned n = prnt[c + T];
    do {
      unsigned k = ++freq[n];
      if (k > freq[n + 1]) {
        // The node passes its neighbours of equal (old) frequency: it trades places with the
        // last of them. Frequencies are sorted, so a run is found by galloping forward.
        unsigned l = LastBelow(n + 1, k);
        freq[n] = freq[l];
        freq[l] = static_cast<uint16_t>(k);
        unsigned i = son[n];
        prnt[i] = static_cast<uint16_t>(l);
        if (i < T) prnt[i + 1] = static_cast<uint16_t>(l);
        unsigned j = son[l];
        son[l] = static_cast<uint16_t>(i);
        prnt[j] = static_cast<uint16_t>(n);
        if (j < T) prnt[j + 1] = static_cast<uint16_t>(n);
        son[n] = static_cast<uint16_t>(j);
        n = l;
      }
      n = prnt[n];
    } while (n != 0);
  }

  // The last node at or after `from` whose frequency is below k; freq[from] < k is known and
  // freq[T] stops every search.
  unsigned LastBelow(unsigned from, unsigned k) const {
    unsigned lo = from;  // freq[lo] < k
    unsigned step = 1;
    unsigned hi = from + 1;
    while (hi < T && freq[hi] < k) {
      lo = hi;
      step <<= 1;
      hi = lo + step;
    }
    if (hi > T) hi = T;  // freq[hi] >= k from here on
    while (hi - lo > 1) {
      unsigned mid = lo + (hi - lo) / 2;
      if (freq[mid] < k) lo = mid;
      else hi = mid;
    }
    return lo;
  }

  // The code of symbol c: its path from the root, first step in the highest of len bits.
  // Paths can be longer than 16 bits after a skewed history (up to about 22 levels while the
  // root stays below MAX_FREQ), so they are kept whole in 64 bits.
  void PathOf(unsigned c, uint64_t& code, unsigned& len) const {
    uint64_t bits = 0;
    unsigned n = 0;
    for (unsigned k = prnt[c + T]; k != R; k = prnt[k]) bits |= uint64_t(k & 1) << n++;
    code = bits;
    len = n;
  }
};

}  // namespace qn::lzh
