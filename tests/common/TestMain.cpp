// GoogleTest's main with the class library's GDI checks on: a test during which a font,
// brush, pen or bitmap is deleted while still selected, or the system refuses a release, fails
// and says what happened. On Windows each is a leaked object, which Wine mostly hides.
#include <gtest/gtest.h>

#include <iostream>

#include "platform/win/GdiObjects.h"

namespace {

class TGdiFaultListener : public testing::EmptyTestEventListener {
 public:
  // Whatever was found before a test starts (in a global set-up) is charged to it.
  void OnTestStart(const testing::TestInfo&) override { Report("before the test"); }
  void OnTestEnd(const testing::TestInfo&) override { Report("during the test"); }

 private:
  static void Report(const char* when) {
    for (const std::string& fault : qn::TakeGdiFaults()) ADD_FAILURE() << "GDI fault " << when << ": " << fault;
  }
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  qn::SetGdiChecks(true);
  // End events go to listeners newest first: this one adds its failure before the printer
  // reports the test.
  testing::UnitTest::GetInstance()->listeners().Append(new TGdiFaultListener);
  int result = RUN_ALL_TESTS();
  for (const std::string& fault : qn::TakeGdiFaults()) {
    std::cerr << "GDI fault after the last test: " << fault << "\n";
    result = 1;
  }
  return result;
}
