#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "skin/data/PixelOps.h"

namespace qn::pixel {
namespace {

// System colour n of the test's own scheme: 0x10 * n in every channel of red, none elsewhere.
uint32_t FakeSysColor(int index) { return static_cast<uint32_t>(0xFF000000u | ((index * 0x10) & 0xFF)); }
constexpr int32_t Sys(int index) { return static_cast<int32_t>(0xFF000000u | static_cast<uint32_t>(index)); }

TEST(MixColors, WorkedValues) {
  struct Case {
    int32_t c1, c2;
    int weight;
    int32_t expected;
    const char* what;
  } cases[] = {
      {0x808080, 0xFF0000, 150, 0xEC1313, "per mille: 15 % of c1"},
      {0xE5E5E5, 0xFFFFFF, 150, 0xFBFBFB, "light grey towards white"},
      {0x000000, 0xFFFFFF, 50, 0x808080, "percent: half of each, rounded up"},
      {0x123456, 0xABCDEF, 0, 0xABCDEF, "weight 0 is c2"},
      {0x123456, 0xABCDEF, 1000, 0x123456, "weight 1000 is c1"},
      {0x123456, 0xABCDEF, 100, 0x9CBEE0, "100 already counts per mille"},
      {Sys(3), 0x000000, 50, 0x000018, "a system colour is resolved by its low byte"},
      {0x000001, 0x000000, INT_MAX, 0x00009C, "a huge weight wraps in the low byte"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MixColors(c.c1, c.c2, c.weight, FakeSysColor), c.expected) << c.what;
  }
}

TEST(ColorSaturation, WorkedValues) {
  struct Case {
    int32_t color;
    int expected;
    const char* what;
  } cases[] = {
      {0x000000, 200, "black is dark"},
      {0x9F009F, 200, "every channel below 160 is dark, whatever the hue"},
      {0x0000FF, 255, "pure red"},
      {0xFFFFFF, 0, "white"},
      {0x0000A0, 255, "160 is no longer dark"},
      {0x808080 | 0xFF, 127, "127 / 255 of the way"},
      {MakeColor(170, 169, 169), 2, "1.5 rounds to the even 2"},
      {MakeColor(170, 167, 167), 4, "4.5 rounds to the even 4"},
      {MakeColor(200, 100, 100), 128, "127.5 rounds to the even 128"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorSaturation(c.color), c.expected) << c.what;
  }
}

TEST(Gradient, RampsFromTheirFirstColourTowardsTheLast) {
  std::vector<int32_t> down = MakeGradient(40, 0xFFFFFF, 0x808080);
  ASSERT_EQ(down.size(), 40u);
  EXPECT_EQ(down.front(), 0xFFFFFF);
  // A falling channel stops one step short: 255 + (19 - 39 * 127) / 39 = 255 - 126.
  EXPECT_EQ(down.back(), 0x818181);
  for (size_t i = 1; i < down.size(); ++i) EXPECT_LE(Red(down[i]), Red(down[i - 1])) << i;

  EXPECT_EQ(MakeGradient(3, 0x000000, 0x0000FF), (std::vector<int32_t>{0x000000, 0x000080, 0x0000FF}));
  EXPECT_EQ(MakeGradient(2, 0x102030, 0x405060), (std::vector<int32_t>{0x102030, 0x405060}));
  // A single colour lies half way, truncated toward zero both ways.
  EXPECT_EQ(MakeGradient(1, 0x000000, 0x0A0B0C), (std::vector<int32_t>{0x050506}));
  EXPECT_EQ(MakeGradient(1, 0x0B0B0B, 0x000000), (std::vector<int32_t>{0x060606}));
}

TEST(Gradient, CountBelowOneFailsTheAssertion) {
  TGradientCache cache;
  for (int count : {0, -1, INT_MIN}) {
    try {
      (void)cache.Table(count, 0, 0xFFFFFF);
      ADD_FAILURE() << "no assertion for " << count;
    } catch (const EAssertionFailed& e) {
      std::string what = e.what();
      EXPECT_NE(what.find("Assertion failure"), std::string::npos) << what;
      EXPECT_NE(what.find("imgutil"), std::string::npos) << what;
    }
  }
  EXPECT_TRUE(cache.Colors(0).empty());
}

TEST(Gradient, CacheKeepsSixteenRampsInARing) {
  TGradientCache cache;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cache.Table(10 + i, 0, 0xFFFFFF), i);
  // Asked again, each is found where it is, newest match first.
  for (int i = 15; i >= 0; --i) EXPECT_EQ(cache.Table(10 + i, 0, 0xFFFFFF), i);
  EXPECT_EQ(cache.Colors(3), MakeGradient(13, 0, 0xFFFFFF));
  // The seventeenth overwrites the oldest; the oldest, asked again, takes the next slot.
  EXPECT_EQ(cache.Table(99, 0, 0xFFFFFF), 0);
  EXPECT_EQ(cache.Table(10, 0, 0xFFFFFF), 1);
  EXPECT_EQ(cache.Colors(1).size(), 10u);
  EXPECT_TRUE(cache.Colors(16).empty());
  EXPECT_TRUE(cache.Colors(-1).empty());
}

TEST(Gradient, FallingRampIsFoundAgain) {
  TGradientCache cache;
  int first = cache.Table(40, 0xFFFFFF, 0x808080);
  int other = cache.Table(40, 0x808080, 0xFFFFFF);
  EXPECT_NE(first, other);
  EXPECT_EQ(cache.Table(40, 0xFFFFFF, 0x808080), first);
  EXPECT_EQ(cache.Table(1, 0x0B0B0B, 0x000000), cache.Table(1, 0x0B0B0B, 0x000000));
}

// A 24-bit image whose rows carry padding that looks like magenta, stored top-down or
// bottom-up, so that the routines are seen to keep to the pixels and honour the stride.
class TestImage {
 public:
  TestImage(int w, int h, bool bottom_up) : w_(w), h_(h), bottom_up_(bottom_up) {
    stride_ = w * 3 + 5;
    bytes_.resize(static_cast<size_t>(stride_ * h));
    for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = i % 3 == 1 ? 0x00 : 0xFF;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, 0);
  }
  static TestImage From(const std::vector<std::vector<int32_t>>& rows, bool bottom_up = false) {
    TestImage img(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), bottom_up);
    for (int y = 0; y < img.h_; ++y)
      for (int x = 0; x < img.w_; ++x) img.Set(x, y, rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
    return img;
  }
  TPixelView View() {
    TPixelView v{w_, h_, stride_, bytes_.data()};
    if (bottom_up_) {
      v.top = bytes_.data() + static_cast<ptrdiff_t>(h_ - 1) * stride_;
      v.stride = -stride_;
    }
    return v;
  }
  void Set(int x, int y, int32_t c) {
    uint8_t* p = View().Pixel(x, y);
    p[0] = static_cast<uint8_t>(Blue(c));
    p[1] = static_cast<uint8_t>(Green(c));
    p[2] = static_cast<uint8_t>(Red(c));
  }
  std::vector<std::vector<int32_t>> Rows() {
    std::vector<std::vector<int32_t>> rows(static_cast<size_t>(h_));
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        const uint8_t* p = View().Pixel(x, y);
        rows[static_cast<size_t>(y)].push_back(MakeColor(p[2], p[1], p[0]));
      }
    return rows;
  }
  bool PaddingIntact() const {
    for (int y = 0; y < h_; ++y)
      for (int i = w_ * 3; i < stride_; ++i) {
        size_t at = static_cast<size_t>(y * stride_ + i);
        if (bytes_[at] != (at % 3 == 1 ? 0x00 : 0xFF)) return false;
      }
    return true;
  }

 private:
  int w_, h_;
  bool bottom_up_;
  int stride_;
  std::vector<uint8_t> bytes_;
};

using Rows = std::vector<std::vector<int32_t>>;

class PixelBuffer : public ::testing::TestWithParam<bool> {};  // rows bottom-up?

TEST_P(PixelBuffer, MirrorAndFlipReverseRowsAndColumns) {
  auto img = TestImage::From({{1, 2, 3}, {4, 5, 6}}, GetParam());
  Mirror(img.View());
  EXPECT_EQ(img.Rows(), (Rows{{3, 2, 1}, {6, 5, 4}}));
  auto even = TestImage::From({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}}, GetParam());
  Mirror(even.View());
  Flip(even.View());
  EXPECT_EQ(even.Rows(), (Rows{{12, 11, 10, 9}, {8, 7, 6, 5}, {4, 3, 2, 1}}));
  EXPECT_TRUE(img.PaddingIntact());
  EXPECT_TRUE(even.PaddingIntact());
}

TEST_P(PixelBuffer, QuarterTurns) {
  auto src = TestImage::From({{1, 2, 3}, {4, 5, 6}}, GetParam());
  TestImage right(2, 3, GetParam()), left(2, 3, GetParam());
  ASSERT_TRUE(RotateRight(src.View(), right.View()));
  EXPECT_EQ(right.Rows(), (Rows{{4, 1}, {5, 2}, {6, 3}}));
  ASSERT_TRUE(RotateLeft(src.View(), left.View()));
  EXPECT_EQ(left.Rows(), (Rows{{3, 6}, {2, 5}, {1, 4}}));

  TestImage back(3, 2, GetParam());
  ASSERT_TRUE(RotateLeft(right.View(), back.View()));
  EXPECT_EQ(back.Rows(), src.Rows());
  ASSERT_TRUE(RotateRight(left.View(), back.View()));
  EXPECT_EQ(back.Rows(), src.Rows());
  EXPECT_TRUE(right.PaddingIntact());
  EXPECT_TRUE(left.PaddingIntact());
  EXPECT_TRUE(back.PaddingIntact());
}

TEST_P(PixelBuffer, TurnRefusesATargetOfTheWrongSize) {
  auto src = TestImage::From({{1, 2, 3}, {4, 5, 6}}, GetParam());
  TestImage same(3, 2, GetParam());
  EXPECT_FALSE(RotateRight(src.View(), same.View()));
  EXPECT_FALSE(RotateLeft(src.View(), TPixelView{}));
  EXPECT_EQ(same.Rows(), (Rows{{0, 0, 0}, {0, 0, 0}}));
}

TEST_P(PixelBuffer, ReplaceMagentaTakesExactMagentaOnly) {
  auto img = TestImage::From({{0xFF00FF, 0xFE00FF, 0xFF01FF}, {0xFF00FE, 0xFF00FF, 0x000000}}, GetParam());
  ReplaceMagenta(img.View(), 0x336699);
  EXPECT_EQ(img.Rows(), (Rows{{0x336699, 0xFE00FF, 0xFF01FF}, {0xFF00FE, 0x336699, 0x000000}}));
  EXPECT_TRUE(img.PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(TopDownAndBottomUp, PixelBuffer, ::testing::Bool());

TEST(PixelBufferEmpty, RoutinesLeaveAnEmptyViewAlone) {
  TPixelView none;
  ReplaceMagenta(none, 0);
  Mirror(none);
  Flip(none);
  EXPECT_FALSE(RotateRight(none, none));
}

}  // namespace
}  // namespace qn::pixel
