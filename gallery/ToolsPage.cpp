// The gallery's page of tools and ranges: a tool row of speed buttons across the top, the range
// controls (track bars, a spin edit, progress bars) on the left below it, and a list view with
// its column header and a media player on the right.
#include "gallery/GalleryForm.h"

namespace qn {

void TGalleryForm::BuildToolsPage(TTabSheet* page) {
  BuildSpeedButtons(page, RECT{8, 8, 524, 92});
  BuildRanges(page, RECT{8, 100, 264, 410});
  BuildHeaderAndPlayer(page, RECT{272, 100, 524, 410});
}

}  // namespace qn
