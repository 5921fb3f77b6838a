// A list view with its column header, and a media player.
#include "gallery/GalleryForm.h"

namespace qn {

void TGalleryForm::BuildHeaderAndPlayer(TWinControl* page, const RECT& area) {
  (void)page;
  (void)area;
}

}  // namespace qn
