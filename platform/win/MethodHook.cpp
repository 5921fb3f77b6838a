#include "platform/win/MethodHook.h"

#include <utility>

namespace qn {

QN_CLASS_IMPL(TMethodHook, TComponent)

namespace {
int g_links = 0;
}  // namespace

TMethodHook::TMethodHook(TControl* control, TWndMethod handler)
    : TComponent(control), control_(control), handler_(handler), old_(control->WindowProc),
      alive_(std::make_shared<bool>(true)) {
  control->WindowProc = Method();
  ++g_links;
}

TMethodHook::~TMethodHook() {
  *alive_ = false;
  --g_links;
  if (!ControlGoing()) Unchain();
  if (handler_) {
    handler_ = {};
    if (auto freed = std::exchange(OnFreed, nullptr)) freed();
  }
}

int TMethodHook::LiveLinks() { return g_links; }

bool TMethodHook::ControlGoing() const {
  // An owner frees its components once it has let go of them, after its own parts are gone.
  return !Owner() || Owner()->Destroying();
}

bool TMethodHook::Unchain() {
  if (unchained_) return true;
  if (!(control_->WindowProc == Method())) return false;
  control_->WindowProc = old_;
  unchained_ = true;
  return true;
}

void TMethodHook::Remove() {
  handler_ = {};
  OnFreed = nullptr;
  // A control on its way out takes the link with it.
  if (ControlGoing()) return;
  if (Unchain() && depth_ == 0) delete this;
}

void TMethodHook::Dispatch(TMessage& msg) {
  // The message may free the control, and the link with it.
  auto alive = alive_;
  struct TDepth {
    TMethodHook* link;
    std::shared_ptr<bool>& alive;
    TDepth(TMethodHook* l, std::shared_ptr<bool>& a) : link(l), alive(a) { ++link->depth_; }
    ~TDepth() {
      if (!*alive) return;
      if (--link->depth_ == 0 && link->unchained_) delete link;
    }
  } depth(this, alive);
  if (handler_) {
    handler_(msg);
    return;
  }
  // Left behind in someone's chain: once they have given the control back to us, we go too.
  Unchain();
  CallPrevious(msg);
}

}  // namespace qn
