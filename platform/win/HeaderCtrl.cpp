#include "platform/win/HeaderCtrl.h"

#include "platform/win/ComCtrls.h"
#include "platform/win/ImgList.h"

namespace qn {

// ---- sections ----

QN_CLASS_IMPL(THeaderSection, TCollectionItem,
              {prop::Str("Text", &THeaderSection::Text, &THeaderSection::SetText),
               prop::Int("Width", &THeaderSection::Width, &THeaderSection::SetWidth),
               prop::Enum("Alignment", kAlignmentInfo, &THeaderSection::Alignment, &THeaderSection::SetAlignment),
               prop::Int("ImageIndex", &THeaderSection::ImageIndex, &THeaderSection::SetImageIndex)})

void THeaderSection::SetText(const std::wstring& t) {
  text_ = t;
  Changed();
}

void THeaderSection::SetWidth(int w) {
  width_ = w < 0 ? 0 : w;
  Changed();
}

void THeaderSection::SetAlignment(TAlignment a) {
  alignment_ = a;
  Changed();
}

void THeaderSection::SetImageIndex(int i) {
  image_index_ = i;
  Changed();
}

int THeaderSection::Left() const {
  int left = 0;
  TCollection* c = Collection();
  for (int i = 0; i < Index(); ++i) left += static_cast<THeaderSection*>(c->Items(i))->width_;
  return left;
}

void THeaderSection::Assign(TPersistent* source) {
  auto* s = dynamic_cast<THeaderSection*>(source);
  if (!s) return TCollectionItem::Assign(source);
  text_ = s->text_;
  width_ = s->width_;
  alignment_ = s->alignment_;
  image_index_ = s->image_index_;
  Changed();
}

// ---- the control ----

QN_CLASS_IMPL(THeaderControl, TWinControl,
              {prop::Obj("Sections", &THeaderControl::Sections),
               prop::Obj("Images", &THeaderControl::Images, &THeaderControl::SetImages),
               prop::Event("OnSectionClick", &THeaderControl::OnSectionClick),
               prop::Event("OnSectionResize", &THeaderControl::OnSectionResize)})

THeaderControl::THeaderControl(TComponent* owner)
    : TWinControl(owner),
      sections_(std::make_unique<TCollection>(this, [](TCollection* c) { return new THeaderSection(c); })) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 170, 17);
  SetColor(clBtnFace);
  sections_->OnUpdate = [this](TCollectionItem*) { UpdateSections(); };
}

THeaderControl::~THeaderControl() {
  if (images_) images_->RemoveFreeNotification(this);
}

THeaderSection* THeaderControl::AddSection(const std::wstring& text, int width) {
  auto* s = static_cast<THeaderSection*>(sections_->Add());
  s->text_ = text;
  s->width_ = width < 0 ? 0 : width;
  UpdateSections();
  return s;
}

void THeaderControl::SetImages(TCustomImageList* images) {
  if (images == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images_) images_->FreeNotification(this);
  UpdateImages();
  UpdateSections();
}

void THeaderControl::Notification(TComponent* component, TOperation op) {
  TWinControl::Notification(component, op);
  if (op == TOperation::opRemove && component == images_) {
    images_ = nullptr;
    UpdateImages();
  }
}

void THeaderControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = WC_HEADERW;
  p.style |= HDS_BUTTONS | HDS_HORZ | HDS_FULLDRAG | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}

void THeaderControl::CreateWindowHandleDone() {
  UpdateImages();
  UpdateSections();
}

void THeaderControl::UpdateImages() {
  if (!handle_) return;
  HIMAGELIST list = images_ ? images_->Handle() : nullptr;
  SendMessageW(handle_, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
}

// The window's items again from the sections.
void THeaderControl::UpdateSections() {
  if (!handle_) return;
  while (SendMessageW(handle_, HDM_DELETEITEM, 0, 0)) {
  }
  for (int i = 0; i < sections_->Count(); ++i) {
    const THeaderSection& s = *Section(i);
    std::wstring text = s.text_;
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    item.cxy = s.width_;
    item.fmt = HDF_STRING;
    if (s.alignment_ == TAlignment::taRightJustify) item.fmt |= HDF_RIGHT;
    else if (s.alignment_ == TAlignment::taCenter) item.fmt |= HDF_CENTER;
    if (s.image_index_ >= 0 && images_) {
      item.mask |= HDI_IMAGE;
      item.fmt |= HDF_IMAGE;
      item.iImage = s.image_index_;
    }
    SendMessageW(handle_, HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  InvalidateRect(handle_, nullptr, TRUE);
}

bool THeaderControl::HandleMessage(TMessage& m) {
  if (m.Msg != CN_NOTIFY) return TWinControl::HandleMessage(m);
  const auto& hdr = *reinterpret_cast<const NMHEADERW*>(m.LParam);
  m.Result = 0;
  const int i = hdr.iItem;
  const bool known = i >= 0 && i < sections_->Count();
  switch (hdr.hdr.code) {
    case HDN_ITEMCLICKW:
    case HDN_ITEMCLICKA:
      if (known && OnSectionClick) OnSectionClick(this, Section(i));
      break;
    case HDN_ITEMCHANGEDW:
    case HDN_ITEMCHANGEDA:
      // A dragged divider: the section takes the width the window now shows.
      if (known && hdr.pitem && (hdr.pitem->mask & HDI_WIDTH) && hdr.pitem->cxy != Section(i)->width_) {
        Section(i)->width_ = hdr.pitem->cxy;
        if (OnSectionResize) OnSectionResize(this, Section(i));
      }
      break;
    default:
      break;
  }
  return true;
}

}  // namespace qn
