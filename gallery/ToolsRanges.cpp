// Track bars, a spin edit and progress bars.
#include "gallery/GalleryForm.h"

namespace qn {

void TGalleryForm::BuildRanges(TWinControl* page, const RECT& area) {
  (void)page;
  (void)area;
}

}  // namespace qn
