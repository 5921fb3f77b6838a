// Image lists: equal-sized images in one comctl32 image list, drawn plain or greyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "platform/core/Classes.h"
#include "platform/win/Graphics.h"

namespace qn {

class TCustomImageList : public TComponent {
  QN_CLASS(TCustomImageList)
 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size empties the list.
  void SetWidth(int w);
  void SetHeight(int h);
  void SetSize(int w, int h);
  int Count() const;
  // The image list, made on first use; it stays this object's.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return list_ != nullptr; }

  // Adds the images of a bitmap as wide as a multiple of Width; mask may be null.
  // Returns the index of the first one, -1 when the list refused them.
  int Add(TBitmap* image, TBitmap* mask);
  // The same, the pixels of one colour left out.
  int AddMasked(TBitmap* image, TColor mask_color);
  void Delete(int index);
  void Clear();

  // Draws image index at (x, y); a disabled image is drawn as a grey shape, as the system
  // draws a disabled item.
  void Draw(HDC dc, int x, int y, int index, bool enabled = true);
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);

  // Image lists alive in this program, for tests that count what is left behind.
  static int LiveLists();

  std::function<void()> OnChange;

 private:
  void Change();
  void FreeHandle();
  static TBitmapHandle DetachedCopy(TBitmap& source, bool mono);
  HIMAGELIST list_ = nullptr;
  int width_ = 16, height_ = 16;
};

class TImageList : public TCustomImageList {
  QN_CLASS(TImageList)
 public:
  explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};

}  // namespace qn
