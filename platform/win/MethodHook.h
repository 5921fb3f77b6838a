// A handler put in front of a control's replaceable message method (WindowProc), the way the
// skin engine hooks forms and controls of the class library. The link belongs to the control:
// when someone hooked the control after us, the method they saved and call is the link's, so
// the link cannot go when we do. It then stays in their chain, passing every message on to
// the method it found, until they give the control back to it or the control goes.
#pragma once

#include <functional>
#include <memory>

#include "platform/win/Controls.h"

namespace qn {

class TMethodHook : public TComponent {
  QN_CLASS(TMethodHook)
 public:
  // Puts handler in front of control's WindowProc; from now on the control owns the link.
  TMethodHook(TControl* control, TWndMethod handler);
  ~TMethodHook() override;

  // What the handler hands messages on to: the message method in place before the link.
  const TWndMethod& Previous() const { return old_; }
  void CallPrevious(TMessage& msg) const {
    if (old_) old_(msg);
  }

  // Detaches the handler. Where nobody hooked the control after the link, the control gets its
  // previous method back at once and the link goes (once its messages in progress return);
  // otherwise it stays, passing messages on. The caller must not use the link afterwards.
  void Remove();

  // Runs when the link goes with its control while its handler is still attached, so that the
  // handler's owner forgets it.
  std::function<void()> OnFreed;

  // Links alive (for tests that look for leaks).
  static int LiveLinks();

 private:
  TWndMethod Method() { return TWndMethod::Bind<&TMethodHook::Dispatch>(this); }
  void Dispatch(TMessage& msg);
  // Back out of the control's chain, if the link is at its head.
  bool Unchain();
  // The control is being destroyed: it is not to be touched, and it frees the link.
  bool ControlGoing() const;

  TControl* control_;
  TWndMethod handler_;
  TWndMethod old_;
  int depth_ = 0;          // messages of the link being handled
  bool unchained_ = false;  // the control has its previous method back; the link is to go
  std::shared_ptr<bool> alive_;
};

}  // namespace qn
