#include "skin/package/WinConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "skin/package/LzhModel.h"
#include "tests/skin/package/PackageTestUtil.h"

namespace qn::test {
namespace {

Bytes CodeOf(const Bytes& framed) { return Bytes(framed.begin() + 4, framed.end()); }

TLzhFrameInfo Decompress(const Bytes& framed, Bytes& out) {
  TMemoryStream in(framed), dest;
  TLzhFrameInfo info;
  LZHDecompress(in, dest, &info);
  out = dest.Bytes();
  return info;
}

struct TRoundTrip {
  const char* name;
  Bytes data;
  size_t min_symbols;  // the fixture must code at least this many symbols...
  size_t min_rebuilds; // ...and halve the model this often
};

// Every input comes back byte for byte through the fast decoder and through the plain one,
// and the decoder uses exactly the code the encoder wrote.
TEST(LzhCodec, RoundTripsEveryKindOfInput) {
  Bytes blanks_then_text = Repeat(" ", 200);
  for (char c : std::string("Title")) blanks_then_text.push_back(static_cast<uint8_t>(c));
  const TRoundTrip cases[] = {
      {"empty", {}, 0, 0},
      {"one byte", {0x41}, 1, 0},
      {"three equal bytes", FromString("aaa"), 1, 0},
      {"blanks then text", blanks_then_text, 1, 0},
      // Periods 1 to 9: matches that overlap their own output at every short distance.
      {"period 1", Repeat("a", 3000), 1, 0},
      {"period 2", Repeat("ab", 3000), 1, 0},
      {"period 3", Repeat("\xff\x00\xff", 3000), 1, 0},
      {"period 5", Repeat("abcde", 3000), 1, 0},
      {"period 7", Repeat("abcdefg", 3000), 1, 0},
      {"period 9", Repeat("abcdefghi", 3000), 1, 0},
      {"window size", Random(4096, 1), 1, 0},
      {"output block and one", Random(32769, 2), 1, 0},
      {"small bitmap", SkinBitmap(40, 30, 3), 1, 0},
      // Large inputs that cross the model's rebuild several times.
      {"random", Random(150000, 4), 100000, 3},
      {"repetitive text", WordSoup(800000, 5), 100000, 3},
      {"skin-like bitmap", SkinBitmap(1024, 768, 6, 4), 100000, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes framed = Pack(c.data);
    ASSERT_GE(framed.size(), 4u);
    EXPECT_EQ(GetU32(framed, 0), c.data.size());
    Bytes out;
    TLzhFrameInfo info = Decompress(framed, out);
    EXPECT_TRUE(out == c.data);
    EXPECT_EQ(info.CodeUsed, info.CodeBytes);
    EXPECT_FALSE(info.RanOut);
    TRefStats stats;
    EXPECT_TRUE(ReferenceUnpack(GetU32(framed, 0), CodeOf(framed), &stats) == c.data);
    EXPECT_GE(stats.symbols, c.min_symbols);
    EXPECT_GE(stats.rebuilds, c.min_rebuilds);
  }
}

// The encoder's search trees and its shortcuts through them must find the longest match at
// every step: a slip still decodes, but codes worse, which only this comparison shows.
TEST(LzhCodec, EncoderAlwaysTakesTheLongestMatch) {
  Bytes rows;  // bitmap rows: flat runs, run ends, gradients, and rows that repeat
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      bool edge = x == 0 || x == 119;
      uint8_t v = edge ? 102 : x < 60 ? static_cast<uint8_t>(100 + y * 3) : static_cast<uint8_t>(x * 2);
      rows.insert(rows.end(), {v, static_cast<uint8_t>(edge ? 102 : 229), static_cast<uint8_t>(y % 9 == 0 ? 1 : 255)});
    }
  }
  Bytes runs;  // runs of one byte whose ends interleave in sorted order
  std::mt19937 rng(20);
  while (runs.size() < 12000) {
    runs.insert(runs.end(), 4 + rng() % 17, 'a');
    runs.push_back(static_cast<uint8_t>("bcd"[rng() % 3]));
  }
  const TRoundTrip cases[] = {
      {"bitmap rows", rows, 0, 0},
      {"runs with varied ends", runs, 0, 0},
      {"noisy skin bitmap", SkinBitmap(200, 150, 21, 3), 0, 0},
      {"words", WordSoup(12000, 22), 0, 0},
      {"random", Random(6000, 23), 0, 0},
      {"blanks then text", Repeat("   a", 900), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes framed = Pack(c.data);
    TRefStats stats;
    ASSERT_TRUE(ReferenceUnpack(GetU32(framed, 0), CodeOf(framed), &stats) == c.data);
    EXPECT_TRUE(stats.parse == LongestMatchParse(c.data));
  }
}

TEST(LzhCodec, EmptyInputHasNoCode) {
  EXPECT_EQ(Pack({}), Bytes(4, 0));
}

// The window starts out as blanks, so leading blanks cost one match instead of many literals.
TEST(LzhCodec, LeadingBlanksAreOneMatch) {
  Bytes data = Repeat(" ", 60);
  for (char c : std::string("end")) data.push_back(static_cast<uint8_t>(c));
  Bytes framed = Pack(data);
  TRefStats stats;
  EXPECT_TRUE(ReferenceUnpack(GetU32(framed, 0), CodeOf(framed), &stats) == data);
  EXPECT_EQ(stats.symbols, 4u);  // the match, then e, n, d
  EXPECT_LT(framed.size() - 4, 10u);
}

TEST(LzhCodec, CountZeroReadsAndWritesNothing) {
  TLZH lzh;
  int gets = 0, puts = 0;
  lzh.LZHUnpack(
      0, [&](void*, uint16_t, uint16_t& done) { ++gets, done = 0; },
      [&](const void*, uint16_t n, uint16_t& done) { ++puts, done = n; });
  EXPECT_EQ(gets, 0);
  EXPECT_EQ(puts, 0);

  Bytes out{1, 2, 3};
  TLzhFrameInfo info = Decompress(Bytes{0, 0, 0, 0, 0xAA, 0xBB}, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(info.CodeUsed, 0);
  EXPECT_EQ(info.CodeBytes, 2);
}

// Code cut short reads as zero bits: the count is still delivered, exactly as the plain
// decoder delivers it, and the shortfall is reported.
TEST(LzhCodec, TruncatedCodeStillDeliversTheCount) {
  Bytes data = SkinBitmap(120, 90, 8);
  Bytes framed = Pack(data);
  Bytes cut(framed.begin(), framed.begin() + 4 + static_cast<long>(CodeOf(framed).size() / 2));
  Bytes out;
  TLzhFrameInfo info = Decompress(cut, out);
  ASSERT_EQ(out.size(), data.size());
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 1000, data.begin()));
  EXPECT_TRUE(out == ReferenceUnpack(GetU32(cut, 0), CodeOf(cut)));
  EXPECT_TRUE(info.RanOut);
  EXPECT_GT(info.CodeUsed, info.CodeBytes);
}

TEST(LzhCodec, ReportsCodeLeftOver) {
  Bytes data = WordSoup(5000, 9);
  Bytes framed = Pack(data);
  size_t code = framed.size() - 4;
  framed.insert(framed.end(), {0x12, 0x34, 0x56});
  Bytes out;
  TLzhFrameInfo info = Decompress(framed, out);
  EXPECT_TRUE(out == data);
  EXPECT_EQ(info.CodeUsed, static_cast<int64_t>(code));
  EXPECT_EQ(info.CodeBytes, static_cast<int64_t>(code + 3));
  EXPECT_FALSE(info.RanOut);
}

// A count is refused when no encoder could have written it with the code that follows:
// every bit of code yields at most 6 bytes (a 60-byte match costs at least 10 bits).
TEST(LzhCodec, RefusesCountsTheCodeCannotHold) {
  enum Outcome { kDecoded, kRefused, kTooShort };
  struct {
    const char* name;
    uint32_t count;
    size_t code_bytes;
    Outcome outcome;
  } const cases[] = {
      {"2^31 - 1 on 2 KB", 0x7FFFFFFFu, 2048, kRefused},
      {"2^32 - 1 on 2 KB", 0xFFFFFFFFu, 2048, kRefused},
      {"2^31 on 100 MB worth", 0x80000000u, 2048, kRefused},
      {"one past the limit", 48 * 2048 + 1, 2048, kRefused},
      {"the limit itself", 48 * 2048, 2048, kDecoded},
      {"one byte, no code", 1, 0, kRefused},
      {"nothing, no code", 0, 0, kDecoded},
      {"no count at all", 0, 0, kTooShort},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes framed;
    if (c.outcome != kTooShort) PutU32(framed, 0, c.count);
    else framed = {1, 2};
    Bytes code = Random(c.code_bytes, 11);
    framed.insert(framed.end(), code.begin(), code.end());
    TMemoryStream in(framed), out;
    switch (c.outcome) {
      case kDecoded:
        LZHDecompress(in, out);
        EXPECT_EQ(out.Size(), c.count);
        break;
      case kRefused:
        try {
          LZHDecompress(in, out);
          ADD_FAILURE() << "accepted";
        } catch (const ElzhException& e) {
          EXPECT_STREQ(e.what(), kLzhBadCount);
        }
        EXPECT_EQ(out.Size(), 0);
        break;
      case kTooShort:
        EXPECT_THROW(LZHDecompress(in, out), EStreamError);
        break;
    }
  }
}

// Fetching and delivering one byte at a time gives the same bytes as whole blocks.
TEST(LzhCodec, ByteAtATimeCallbacksGiveTheSameBytes) {
  Bytes data = SkinBitmap(100, 80, 12);
  data.resize(data.size() + 777, 0x5A);
  auto run_pack = [&](size_t chunk) {
    size_t at = 0;
    Bytes code;
    TLZH lzh;
    int32_t written = 0;
    lzh.LZHPack(
        written,
        [&](void* b, uint16_t n, uint16_t& done) {
          done = static_cast<uint16_t>(std::min({size_t(n), chunk, data.size() - at}));
          std::copy_n(data.begin() + static_cast<long>(at), done, static_cast<uint8_t*>(b));
          at += done;
        },
        [&](const void* b, uint16_t n, uint16_t& done) {
          code.insert(code.end(), static_cast<const uint8_t*>(b), static_cast<const uint8_t*>(b) + n);
          done = n;
        });
    EXPECT_EQ(written, static_cast<int32_t>(data.size()));
    return code;
  };
  Bytes code = run_pack(65535);
  EXPECT_TRUE(run_pack(1) == code);

  size_t at = 0;
  Bytes out;
  TLZH lzh;
  lzh.LZHUnpack(
      static_cast<int32_t>(data.size()),
      [&](void* b, uint16_t n, uint16_t& done) {
        done = at < code.size() && n > 0 ? 1 : 0;
        if (done) *static_cast<uint8_t*>(b) = code[at++];
      },
      [&](const void* b, uint16_t n, uint16_t& done) {
        EXPECT_LE(n, 0xFFFF);
        out.insert(out.end(), static_cast<const uint8_t*>(b), static_cast<const uint8_t*>(b) + n);
        done = n;
      });
  EXPECT_TRUE(out == data);
  EXPECT_EQ(lzh.codesize, static_cast<int32_t>(code.size()));
  EXPECT_FALSE(lzh.ranout);
}

TEST(LzhCodec, OutputThatTakesLessIsAnError) {
  Bytes data = WordSoup(3000, 13);
  Bytes framed = Pack(data);
  auto feed = [&](const Bytes& src) {
    return [&src, at = size_t(0)](void* b, uint16_t n, uint16_t& done) mutable {
      done = static_cast<uint16_t>(std::min(size_t(n), src.size() - at));
      std::copy_n(src.begin() + static_cast<long>(at), done, static_cast<uint8_t*>(b));
      at += done;
    };
  };
  auto short_put = [](const void*, uint16_t n, uint16_t& done) { done = static_cast<uint16_t>(n / 2); };
  TLZH lzh;
  int32_t written = 0;
  EXPECT_THROW(lzh.LZHPack(written, feed(data), short_put), EStreamError);
  Bytes code = CodeOf(framed);
  EXPECT_THROW(lzh.LZHUnpack(static_cast<int32_t>(data.size()), feed(code), short_put), EStreamError);
}

// After a skewed history the rarest symbols sit deeper than 16 levels; their codes must come
// out whole (a 16-bit code register would drop the first bits).
TEST(LzhModel, CodesLongerThanSixteenBitsDecode) {
  using namespace lzh;
  static THuffModel enc, dec;
  enc.Reset();
  dec.Reset();
  std::vector<unsigned> seq;
  double weight = 300;
  for (unsigned s = 0; s < 9; ++s, weight *= 1.618) seq.insert(seq.end(), static_cast<size_t>(weight), s);
  std::shuffle(seq.begin(), seq.end(), std::mt19937(1));
  seq.resize(28000);  // stop short of the rebuild, where the tree is deepest
  for (unsigned s = 100; s < 140; ++s) seq.push_back(s);
  unsigned longest = 0;
  for (unsigned c : seq) {
    uint64_t code;
    unsigned len;
    enc.PathOf(c, code, len);
    longest = std::max(longest, len);
    unsigned node = dec.son[R];
    for (unsigned i = len; i-- > 0;) node = dec.son[node + static_cast<unsigned>((code >> i) & 1)];
    ASSERT_EQ(node, T + c);
    enc.Update(c);
    dec.Update(c);
  }
  EXPECT_GT(longest, 16u);
}

}  // namespace
}  // namespace qn::test
