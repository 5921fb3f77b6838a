#include <gtest/gtest.h>

#include <cstdio>

#include "platform/core/Streams.h"
#include "platform/core/TextConv.h"

namespace qn {
namespace {

TEST(StreamsTest, MemoryStreamReadsWritesAndSeeksPastTheEnd) {
  TMemoryStream m;
  m.WriteU32(0x11223344);
  EXPECT_EQ(m.Size(), 4);
  m.SetPosition(10);
  uint8_t b = 7;
  m.WriteBuffer(&b, 1);  // writing past the end fills the gap with zeros
  EXPECT_EQ(m.Size(), 11);
  EXPECT_EQ(m.Bytes()[5], 0);
  m.SetPosition(0);
  EXPECT_EQ(m.ReadU32(), 0x11223344u);
  m.SetPosition(9);
  uint8_t two[2];
  EXPECT_EQ(m.Read(two, 2), 2u);
  EXPECT_EQ(m.Read(two, 2), 0u);
  m.SetPosition(9);
  EXPECT_THROW(m.ReadU32(), EStreamError);
}

TEST(StreamsTest, FileStreamRoundTripAndMissingFile) {
  std::string path = ::testing::TempDir() + "qn_stream_test.bin";
  {
    TMemoryStream m(std::vector<uint8_t>{1, 2, 3, 4, 5});
    m.SaveToFile(path);
  }
  TMemoryStream back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Bytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  std::remove(path.c_str());
  EXPECT_THROW(back.LoadFromFile(path), EStreamError);
}

TEST(TextConvTest, Utf8AndWideRoundTripAndBadBytes) {
  std::string s = "青囊 V1.0 \xF0\x9F\x8D\xB6";
  EXPECT_EQ(WideToUtf8(Utf8ToWide(s)), s);
  EXPECT_EQ(Utf8ToWide("a\xE9z"), L"a\xFFFDz");
  EXPECT_EQ(Utf8ToWide("ab\xE4\xB8"), L"ab\xFFFD");
  EXPECT_EQ(LowerAscii(std::string("AbC_Ä")), "abc_Ä");
}

}  // namespace
}  // namespace qn
