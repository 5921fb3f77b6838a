// Scrolling controls: a stand-alone scroll bar (the system's SCROLLBAR control, whose position
// the control keeps and moves itself from the notifications its parent hands back), and a
// scroll box, a container that scrolls its children when they reach past it.
#pragma once

#include "platform/win/Controls.h"

namespace qn {

enum class TScrollBarKind { sbHorizontal, sbVertical };
extern const TEnumInfo kScrollBarKindInfo;

// What moved a scroll bar, in the order of the system's scroll codes.
enum class TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };

// Told before the position moves; the handler may change the position the bar takes.
using TScrollEvent = TEvent<void(TObject* sender, TScrollCode code, int& position)>;

class TScrollBar : public TWinControl {
  QN_CLASS(TScrollBar)
 public:
  explicit TScrollBar(TComponent* owner);

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind kind);  // swaps width and height, and makes the window again
  int Min() const { return min_; }
  void SetMin(int v) { SetParams(position_, v, max_); }
  int Max() const { return max_; }
  void SetMax(int v) { SetParams(position_, min_, v); }
  int Position() const { return position_; }
  void SetPosition(int v) { SetParams(v, min_, max_); }
  // The thumb's share of the range; 0 for a thumb of fixed size.
  int PageSize() const { return page_size_; }
  void SetPageSize(int v);
  int SmallChange() const { return small_change_; }
  void SetSmallChange(int v) { small_change_ = v; }
  int LargeChange() const { return large_change_; }
  void SetLargeChange(int v) { large_change_ = v; }
  // Position, Min and Max at once: Max below Min raises std::invalid_argument, the position is
  // kept inside the range. OnChange fires when the position changed.
  void SetParams(int position, int min, int max);

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateBar();
  void Scrolled(int code);
  // The highest position the thumb reaches: a page short of Max.
  int Highest() const;

  TScrollBarKind kind_ = TScrollBarKind::sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, page_size_ = 0;
  int small_change_ = 1, large_change_ = 1;
};

// A container that scrolls: when its children reach past its right or bottom edge it shows a
// bar for that direction, with the range of its content, and moves the children as the bar
// moves. Children's Left and Top are where they show now (scrolled).
class TScrollBox : public TCustomControl {
  QN_CLASS(TScrollBox)
 public:
  explicit TScrollBox(TComponent* owner);

  // The scroll position in pixels along each axis.
  int HorzPosition() const { return hpos_; }
  int VertPosition() const { return vpos_; }
  // Scrolls so that the content point (x, y) shows at the top-left corner, as far as the
  // content allows.
  void ScrollTo(int x, int y);
  // Works the bars out again from the children: called for the box's own changes (size,
  // children added, removed or aligned); call it after moving a child at run time.
  void UpdateScrollBars();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;
  void AlignControls(RECT& rect) override;
  void Paint() override;

 private:
  // Right and bottom of the content, unscrolled.
  SIZE ContentExtent() const;
  void Scroll(int bar, int code);

  int hpos_ = 0, vpos_ = 0;
  bool updating_ = false;
};

}  // namespace qn
