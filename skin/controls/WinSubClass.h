// The control skinners, gathered: what control discovery includes to make them. One header
// per family of controls in this folder; the base all of them derive from comes first.
#pragma once

#include "skin/controls/SkinControl.h"
#include "skin/controls/SkinnerKind.h"

namespace qn {

// A new, unattached skinner of that kind owned by owner (the control it will skin, or the
// form skinner for a bare window); null for a kind whose skinner is not built yet.
TSkinControl* MakeControlSkinner(TSkinnerKind kind, TComponent* owner);

}  // namespace qn
