// Header controls: a SysHeader32 window whose sections (text, width, alignment, picture) are
// kept by the object and shown by the window, made again with them when the window is.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "platform/win/Controls.h"
#include "platform/win/StdCtrls.h"

namespace qn {

class TCustomImageList;
class THeaderControl;

class THeaderSection : public TCollectionItem {
  QN_CLASS(THeaderSection)
 public:
  explicit THeaderSection(TCollection* c) : TCollectionItem(c) {}
  std::wstring Text() const { return text_; }
  void SetText(const std::wstring& t);
  int Width() const { return width_; }
  void SetWidth(int w);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  // A picture of the header's Images; -1 for none.
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int i);
  // The section's left and right edges in the header, from the widths before it.
  int Left() const;
  int Right() const { return Left() + width_; }
  void Assign(TPersistent* source) override;

 private:
  friend class THeaderControl;
  std::wstring text_;
  int width_ = 50;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  int image_index_ = -1;
};

using TSectionNotifyEvent = TEvent<void(TObject* sender, THeaderSection* section)>;

class THeaderControl : public TWinControl {
  QN_CLASS(THeaderControl)
 public:
  explicit THeaderControl(TComponent* owner);
  ~THeaderControl() override;

  TCollection* Sections() const { return sections_.get(); }
  THeaderSection* Section(int i) const { return static_cast<THeaderSection*>(sections_->Items(i)); }
  THeaderSection* AddSection(const std::wstring& text, int width);
  // The pictures sections show by ImageIndex; not owned, forgotten when it is freed.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images);
  void Notification(TComponent* component, TOperation op) override;

  // A section was clicked (the header's buttons style).
  TSectionNotifyEvent OnSectionClick;
  // The user dragged a divider: the section has its new width.
  TSectionNotifyEvent OnSectionResize;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateSections();
  void UpdateImages();
  std::unique_ptr<TCollection> sections_;
  TCustomImageList* images_ = nullptr;
};

}  // namespace qn
