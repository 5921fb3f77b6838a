// A contact sheet of a loaded skin: a small window assembled from its pieces, its colours,
// then every skin object with its frames apart, numbered and named, so that a person can
// check a skin at a glance.
#pragma once

#include <string>

#include "platform/win/Graphics.h"
#include "skin/data/SkinObjects.h"

namespace qn::sheet {

// Draws the sheet of skin into a new bitmap; title is printed at its top.
std::unique_ptr<TBitmap> DrawContactSheet(TSkinObjects& skin, const std::wstring& title);

}  // namespace qn::sheet
