// The control skinners, gathered: what control discovery includes to make them. One header
// per family of controls in this folder; the base all of them derive from comes first.
#pragma once

#include "skin/controls/SkinControl.h"
