#include "platform/core/XpCompat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qn::compat {
namespace {

TEST(XpCompat, ExtendTickCountFollowsTheWrappingCount) {
  constexpr uint64_t k4G = uint64_t{1} << 32;
  struct Case {
    const char* what;
    uint64_t last;
    uint32_t now;
    uint64_t expected;
  } cases[] = {
      {"first read", 0, 1234, 1234},
      {"first read on a machine up for 40 days", 0, 0xCE000000u, 0xCE000000u},
      {"time goes on", 1000, 5000, 5000},
      {"same count", 5000, 5000, 5000},
      {"the count wraps", 0xFFFFFF00u, 0x10, k4G + 0x10},
      {"wraps again later", k4G + 0xFFFFFFF0u, 5, 2 * k4G + 5},
      {"another thread stored a newer count", k4G + 5000, 4990, k4G + 5000},
      {"stale read just before a wrap was stored", k4G + 3, 0xFFFFFFF0u, k4G + 3},
      {"wrapped after more than half a wrap unread", 0x90000000u, 0x0FFFFFFFu, k4G + 0x0FFFFFFFu},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtendTickCount(c.last, c.now), c.expected) << c.what;
}

#ifdef _WIN32
TEST(XpCompat, FallbacksWorkOnTheirOwn) {
  const uint64_t a = TickCount64Fallback();
  const uint64_t b = TickCount64Fallback();
  EXPECT_LE(a, b);
  EXPECT_LT(b - static_cast<uint32_t>(GetTickCount()), uint64_t{1} << 32);

  ASSERT_EQ(PutEnvFallback("QN_XP_COMPAT_TEST", "jade"), 0);
  const char* v = std::getenv("QN_XP_COMPAT_TEST");
  ASSERT_NE(v, nullptr);
  EXPECT_STREQ(v, "jade");
  EXPECT_EQ(PutEnvFallback("QN_XP_COMPAT_TEST", ""), 0);
  EXPECT_EQ(std::getenv("QN_XP_COMPAT_TEST"), nullptr);
  EXPECT_NE(PutEnvFallback("", "x"), 0);
  EXPECT_NE(PutEnvFallback(nullptr, "x"), 0);
}
#endif

}  // namespace
}  // namespace qn::compat
