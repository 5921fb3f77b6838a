// A handler hooked in front of a control's WindowProc: it is given back exactly when it can be,
// stays in the chain of whoever hooked after it until they let go, and goes with the control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/Controls.h"
#include "platform/win/MethodHook.h"

namespace qn {
namespace {

constexpr UINT kAsk = WM_USER + 1;

std::vector<std::string> g_log;

// A control whose own handling answers kAsk with 100 + wParam.
class TProbe : public TControl {
 public:
  explicit TProbe(TComponent* owner) : TControl(owner) {}
  void WndProc(TMessage& m) override {
    if (m.Msg != kAsk) return TControl::WndProc(m);
    g_log.push_back("own");
    m.Result = 100 + static_cast<LRESULT>(m.WParam);
  }
  LRESULT Ask(WPARAM w) { return Perform(kAsk, w, 0); }
};

// Our handler: notes kAsk, passes it on and adds 1000 to the answer.
struct TOurs {
  TMethodHook* hook = nullptr;
  void Proc(TMessage& m) {
    if (m.Msg == kAsk) g_log.push_back("ours");
    hook->CallPrevious(m);
    if (m.Msg == kAsk) m.Result += 1000;
  }
  TWndMethod Method() { return TWndMethod::Bind<&TOurs::Proc>(this); }
};

// Whoever hooks the control after us, the way a program does.
struct TLater {
  TWndMethod old;
  void Proc(TMessage& m) {
    if (m.Msg == kAsk) g_log.push_back("later");
    old(m);
  }
  TWndMethod Method() { return TWndMethod::Bind<&TLater::Proc>(this); }
};

class MethodHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    links_ = TMethodHook::LiveLinks();
    probe = new TProbe(nullptr);
    own = probe->WindowProc;
  }
  void TearDown() override {
    delete probe;
    EXPECT_EQ(TMethodHook::LiveLinks(), links_) << "links left behind";
  }
  TProbe* probe = nullptr;
  TWndMethod own;

 private:
  int links_ = 0;
};

TEST_F(MethodHookTest, HandlerComesFirstAndRemovalGivesTheMethodBack) {
  TOurs ours;
  ours.hook = new TMethodHook(probe, ours.Method());
  EXPECT_EQ(ours.hook->Owner(), probe);
  EXPECT_EQ(probe->Ask(5), 1105);
  EXPECT_EQ(g_log, (std::vector<std::string>{"ours", "own"}));
  ours.hook->Remove();
  EXPECT_EQ(probe->WindowProc, own);
  EXPECT_EQ(probe->ComponentCount(), 0) << "the link went";
  g_log.clear();
  EXPECT_EQ(probe->Ask(1), 101);
  EXPECT_EQ(g_log, (std::vector<std::string>{"own"}));
}

TEST_F(MethodHookTest, LeftInALaterHooksChainItPassesOnUntilGivenBack) {
  TOurs ours;
  ours.hook = new TMethodHook(probe, ours.Method());
  TLater later{probe->WindowProc};
  probe->WindowProc = later.Method();
  ours.hook->Remove();
  EXPECT_EQ(probe->WindowProc, later.Method()) << "the later hook is not undone";
  EXPECT_EQ(probe->Ask(2), 102);
  EXPECT_EQ(g_log, (std::vector<std::string>{"later", "own"}));

  // They give the control back to what they found: our link, which then leaves as well.
  probe->WindowProc = later.old;
  g_log.clear();
  EXPECT_EQ(probe->Ask(3), 103);
  EXPECT_EQ(g_log, (std::vector<std::string>{"own"}));
  EXPECT_EQ(probe->WindowProc, own);
  EXPECT_EQ(probe->ComponentCount(), 0);
}

TEST_F(MethodHookTest, GoesWithTheControlAndTellsItsHandlersOwner) {
  TOurs ours;
  ours.hook = new TMethodHook(probe, ours.Method());
  bool freed = false;
  ours.hook->OnFreed = [&] { freed = true; };
  delete probe;
  probe = nullptr;
  EXPECT_TRUE(freed);

  // Freed while one of its messages is being handled: nothing touches the link afterwards.
  probe = new TProbe(nullptr);
  struct TFreeing {
    TProbe* probe;
    TMethodHook* hook;
    void Proc(TMessage& m) {
      if (m.Msg == kAsk) {
        delete probe;
        m.Result = 9;
        return;
      }
      hook->CallPrevious(m);
    }
  } freeing{probe, nullptr};
  freeing.hook = new TMethodHook(probe, TWndMethod::Bind<&TFreeing::Proc>(&freeing));
  EXPECT_EQ(probe->Ask(0), 9);
  probe = nullptr;
}

TEST_F(MethodHookTest, RemovedInsideItsOwnHandlerItStillPassesTheMessageOn) {
  struct TSelf {
    TMethodHook* hook;
    void Proc(TMessage& m) {
      TMethodHook* h = hook;
      if (m.Msg == kAsk) h->Remove();
      h->CallPrevious(m);
    }
  } self{nullptr};
  self.hook = new TMethodHook(probe, TWndMethod::Bind<&TSelf::Proc>(&self));
  EXPECT_EQ(probe->Ask(6), 106);
  EXPECT_EQ(probe->WindowProc, own);
  EXPECT_EQ(probe->ComponentCount(), 0) << "the link went once its message returned";
}

}  // namespace
}  // namespace qn
