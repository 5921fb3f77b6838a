// Tab sets: a row of tabs along one edge of a control, painted by the library (the platform
// has no such window class), with arrows that scroll the row when it is too long.
#pragma once

#include <string>
#include <vector>

#include "platform/win/ComCtrls.h"

namespace qn {

class TTabSet;

// The arrows of a tab set whose tabs do not all fit: a horizontal up-down control, the tab
// set's first owned component.
class TTabScroller : public TWinControl {
  QN_CLASS(TTabScroller)
 public:
  explicit TTabScroller(TTabSet* tab_set);
  // Positions 0 .. count - 1, at position.
  void SetRange(int count, int position);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  TTabSet* tab_set_;
  int count_ = 0;
  int position_ = 0;
};

// The sides a tab set puts its tabs on: tpBottom hangs them from its top edge, under a page;
// tpTop stands them on its bottom edge, over one.
extern const TEnumInfo kTabSetPositionInfo;

// Asked before the selection moves to new_tab; clearing allow_change keeps the old one.
using TTabChangeEvent = TEvent<void(TObject* sender, int new_tab, bool& allow_change)>;

class TTabSet : public TCustomControl {
  QN_CLASS(TTabSet)
 public:
  explicit TTabSet(TComponent* owner);

  std::vector<std::wstring> Tabs() const { return tabs_; }
  void SetTabs(const std::vector<std::wstring>& tabs);
  // The selected tab, -1 for none. Setting it asks OnChange and scrolls the tab into view.
  int TabIndex() const { return tab_index_; }
  void SetTabIndex(int index);
  // The first tab shown.
  int FirstIndex() const { return first_index_; }
  void SetFirstIndex(int index);
  // Room left free before the first tab and after the last.
  int StartMargin() const { return start_margin_; }
  void SetStartMargin(int margin);
  int EndMargin() const { return end_margin_; }
  void SetEndMargin(int margin);
  TTabPosition TabPosition() const { return tab_position_; }
  void SetTabPosition(TTabPosition position);  // tpTop or tpBottom

  // Where tab i is now, in client coordinates; empty when it is not shown.
  RECT TabRect(int i);
  // The tab under a client point, or -1.
  int TabAt(int x, int y);
  TTabScroller* Scroller() const { return scroller_; }

  TTabChangeEvent OnChange;
  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void MouseDown(TMouseButton button, unsigned shift, int x, int y) override;
  void AlignControls(RECT& rect) override;
  void FontChanged() override;

 private:
  void Measure();
  void Arrange();  // lays the tabs out and shows or hides the arrows
  void LayOut(int limit);
  void DrawTab(HDC dc, const RECT& r, int index);
  std::vector<std::wstring> tabs_;
  std::vector<int> widths_;  // of each caption, in the control's font
  bool measured_ = false;
  std::vector<RECT> rects_;  // of each tab, empty when not shown
  int tab_index_ = -1;
  int first_index_ = 0;
  int start_margin_ = 5;
  int end_margin_ = 5;
  TTabPosition tab_position_ = TTabPosition::tpBottom;
  TTabScroller* scroller_ = nullptr;
};

}  // namespace qn
