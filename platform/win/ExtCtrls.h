// Pictures, panels and timers.
#pragma once

#include "platform/win/StdCtrls.h"

namespace qn {

class TImage : public TGraphicControl {
  QN_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  TPicture* Picture() const { return picture_.get(); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
};

enum class TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
extern const TEnumInfo kPanelBevelInfo;

// A panel: an outer bevel, a border of BorderWidth in its colour, an inner bevel, and the
// caption in what is left. Aligned children are placed inside all three.
class TCustomPanel : public TCustomControl {
  QN_CLASS(TCustomPanel)
 public:
  explicit TCustomPanel(TComponent* owner);
  TPanelBevel BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TPanelBevel b);
  TPanelBevel BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TPanelBevel b);
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int w);  // at least 1
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int w);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  // How far the bevels and the border reach in from each edge.
  int FrameWidth() const;

 protected:
  void Paint() override;
  void AlignControls(RECT& rect) override;

 private:
  void FrameChanged();
  TPanelBevel bevel_inner_ = TPanelBevel::bvNone;
  TPanelBevel bevel_outer_ = TPanelBevel::bvRaised;
  int bevel_width_ = 1;
  int border_width_ = 0;
  TAlignment alignment_ = TAlignment::taCenter;
};

class TPanel : public TCustomPanel {
  QN_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// A group box of radio buttons, one for each of Items, filled down Columns columns; ItemIndex is
// the checked one (-1 for none). Choosing an item, by the user or in code, fires OnClick once
// (not while the form is read). The buttons belong to the group.
class TCustomRadioGroup : public TCustomGroupBox {
  QN_CLASS(TCustomRadioGroup)
 public:
  explicit TCustomRadioGroup(TComponent* owner);
  std::vector<std::wstring> Items() const { return items_; }
  void SetItems(const std::vector<std::wstring>& items);
  int Columns() const { return columns_; }
  void SetColumns(int n);  // at least 1
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int index);  // an index past the items chooses none
  // The button of item i, or null.
  TRadioButton* Buttons(int i) const;
  void Loaded() override;

 protected:
  void BoundsChanged() override;
  void FontChanged() override;

 private:
  void ButtonClicked(TObject* sender);
  void Arrange();
  std::vector<std::wstring> items_;
  std::vector<TRadioButton*> buttons_;
  int columns_ = 1;
  int item_index_ = -1;
  bool updating_ = false;  // the buttons are being made or checked by the group itself
};

class TRadioGroup : public TCustomRadioGroup {
  QN_CLASS(TRadioGroup)
 public:
  explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};

// Calls OnTimer every Interval milliseconds while enabled, through its thread's message-only
// window.
class TTimer : public TComponent {
  QN_CLASS(TTimer)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int Interval() const { return interval_; }
  void SetInterval(int v);
  // A quiet timer belongs to library or engine code: an exception from its OnTimer is dropped
  // (RunQuietly) instead of reaching the application's error box.
  bool Quiet() const { return quiet_; }
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  void Loaded() override;
  TNotifyEvent OnTimer;

 private:
  static LRESULT CALLBACK TimerWndProc(HWND, UINT, WPARAM, LPARAM);
  void Update();
  HWND wnd_ = nullptr;  // the thread's timer window, shared
  UINT_PTR id_ = 0;
  bool enabled_ = true;
  bool quiet_ = false;
  int interval_ = 1000;
};

}  // namespace qn
