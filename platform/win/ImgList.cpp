#include "platform/win/ImgList.h"

#include <atomic>

namespace qn {

namespace {
std::atomic<int> g_live_lists{0};
}  // namespace

QN_CLASS_IMPL(TCustomImageList, TComponent,
              {prop::Int("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth),
               prop::Int("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight)})
QN_CLASS_IMPL(TImageList, TCustomImageList)

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() { FreeHandle(); }

int TCustomImageList::LiveLists() { return g_live_lists.load(); }

void TCustomImageList::FreeHandle() {
  if (!list_) return;
  ImageList_Destroy(list_);
  list_ = nullptr;
  --g_live_lists;
}

void TCustomImageList::SetWidth(int w) { SetSize(w, height_); }
void TCustomImageList::SetHeight(int h) { SetSize(width_, h); }

void TCustomImageList::SetSize(int w, int h) {
  if (w <= 0 || h <= 0 || (w == width_ && h == height_)) return;
  width_ = w;
  height_ = h;
  FreeHandle();
  Change();
}

HIMAGELIST TCustomImageList::Handle() {
  if (!list_) {
    // A 24-bit list with a mask: what XP's comctl32 version 5 draws greyed and blended too.
    list_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (list_) ++g_live_lists;
  }
  return list_;
}

int TCustomImageList::Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty() || !Handle()) return -1;
  TBitmapHandle image_bmp = DetachedCopy(*image, false);
  TBitmapHandle mask_bmp = mask && !mask->Empty() ? DetachedCopy(*mask, true) : TBitmapHandle();
  if (!image_bmp) return -1;
  int at = ImageList_Add(list_, image_bmp.Get(), mask_bmp.Get());
  if (at >= 0) Change();
  return at;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor mask_color) {
  if (!image || image->Empty() || !Handle()) return -1;
  TBitmapHandle image_bmp = DetachedCopy(*image, false);
  if (!image_bmp) return -1;
  int at = ImageList_AddMasked(list_, image_bmp.Get(), ColorToRGB(mask_color));
  if (at >= 0) Change();
  return at;
}

void TCustomImageList::Delete(int index) {
  if (!list_ || index < 0 || index >= Count()) return;
  ImageList_Remove(list_, index);
  Change();
}

void TCustomImageList::Clear() {
  if (!list_) return;
  ImageList_Remove(list_, -1);
  Change();
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
  if (!dc || !list_ || index < 0 || index >= Count()) return;
  if (enabled) {
    ImageList_Draw(list_, index, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  // Greyed as the system greys a disabled item: the image's shape embossed in highlight and
  // shadow colours.
  HICON icon = ImageList_GetIcon(list_, index, ILD_TRANSPARENT);
  if (!icon) return;
  TIconHandle owned(icon);
  DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, width_, height_, DST_ICON | DSS_DISABLED);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (canvas) Draw(canvas->Handle(), x, y, index, enabled);
}

void TCustomImageList::Change() {
  if (OnChange) OnChange();
}

TBitmapHandle TCustomImageList::DetachedCopy(TBitmap& source, bool mono) {
  // A copy selected into no DC, as ImageList_Add wants it; a mask is monochrome, white
  // (the source's background colour) where the image is left out.
  TWindowDC screen(nullptr);
  if (!screen.Get()) return {};
  const int w = source.Width(), h = source.Height();
  TBitmapHandle bmp = mono ? TBitmapHandle(CreateBitmap(w, h, 1, 1, nullptr)) : MakeCompatibleBitmap(screen.Get(), w, h);
  TMemDCHandle dc = MakeMemDC(screen.Get());
  if (!bmp || !dc) return {};
  {
    TScopedSelect select(dc.Get(), bmp.Get());
    BitBlt(dc.Get(), 0, 0, w, h, source.DC(), 0, 0, SRCCOPY);
  }
  return bmp;
}

}  // namespace qn
