// A tool row of speed buttons.
#include "gallery/GalleryForm.h"

namespace qn {

void TGalleryForm::BuildSpeedButtons(TWinControl* page, const RECT& area) {
  (void)page;
  (void)area;
}

}  // namespace qn
