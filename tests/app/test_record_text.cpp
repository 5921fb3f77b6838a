#include <gtest/gtest.h>

#include "app/RecordText.h"

namespace qn {
namespace {

TEST(RecordTextTest, StoredMarkupBecomesDisplayText) {
  struct Case {
    const wchar_t* stored;
    const wchar_t* shown;
  } cases[] = {
      // line-break marks vanish without a replacement
      {L"枸杞酒<br><br>（民间验方）<br>【配方】枸杞子", L"枸杞酒（民间验方）\r\n【配方】枸杞子"},
      // a text that begins with a heading gains a leading line break
      {L"【配方】当归30克<br>【制法】浸泡", L"\r\n【配方】当归30克\r\n【制法】浸泡"},
      // every "#" goes; the brand gets its own indented paragraph
      {L"【用法】每日2次<br>#百草居 http://www.baicaoju.example/",
       L"\r\n【用法】每日2次\r\n\r\n   百草居 http://www.baicaoju.example/"},
      {L"a#b##c", L"abc"},
      // case matters: only the exact lower-case mark is a line break
      {L"x<BR>y<br>z", L"x<BR>yz"},
      // the brand anywhere, not only in the trailer
      {L"百草居百草居", L"\r\n\r\n   百草居\r\n\r\n   百草居"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanRecordText(c.stored), c.shown) << c.stored;
}

TEST(RecordTextTest, LikePatternEscapesItsOwnSpecialCharacters) {
  EXPECT_EQ(LikeContainsPattern(L"风湿"), L"%风湿%");
  EXPECT_EQ(LikeContainsPattern(L"50%"), L"%50\\%%");
  EXPECT_EQ(LikeContainsPattern(L"a_b\\c'd"), L"%a\\_b\\\\c'd%");
}

}  // namespace
}  // namespace qn
