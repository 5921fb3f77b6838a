// Common controls: page controls with tab sheets, and status bars with panels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win/Controls.h"

namespace qn {

class TPageControl;

class TTabSheet : public TCustomControl {
  QN_CLASS(TTabSheet)
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return page_control_; }
  void SetPageControl(TPageControl* pc);
  bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool v);
  int PageIndex() const;
  void SetParent(TWinControl* parent) override;
  void SetText(const std::wstring& t) override;

 protected:
  void Paint() override;

 private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
  bool tab_visible_ = true;
};

// Makes the common control classes the library uses (tabs, status bars, up-down arrows) known;
// cheap after the first call.
void InitCommonControlsOnce();

enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
extern const TEnumInfo kTabPositionInfo;
enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };
extern const TEnumInfo kTabStyleInfo;

// A SysTabControl32 window: tabs on one side (left and right tabs always wrap into rows),
// drawn as tabs or as buttons. Changing the side, the style or the wrapping makes the window
// again.
class TCustomTabControl : public TWinControl {
  QN_CLASS(TCustomTabControl)
 public:
  explicit TCustomTabControl(TComponent* owner);
  // The area inside the tabs and border, in client coordinates.
  RECT DisplayRect() const;
  TTabPosition TabPosition() const { return tab_position_; }
  void SetTabPosition(TTabPosition p);
  TTabStyle Style() const { return style_; }
  void SetStyle(TTabStyle s);
  bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool v);
  // Fixed tab sizes in pixels; 0 lets the tabs fit their captions (width) or the font (height).
  int TabWidth() const { return tab_width_; }
  void SetTabWidth(int w);
  int TabHeight() const { return tab_height_; }
  void SetTabHeight(int h);
  // Fired after a click or a key selected another tab.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;

 private:
  void StyleChanged();
  TTabPosition tab_position_ = TTabPosition::tpTop;
  TTabStyle style_ = TTabStyle::tsTabs;
  bool multi_line_ = false;
  int tab_width_ = 0;
  int tab_height_ = 0;
};

// A tab control without pages: a row of captions (Tabs) and the selected one (TabIndex, -1 for
// none). Aligned children are placed in the display area.
class TTabControl : public TCustomTabControl {
  QN_CLASS(TTabControl)
 public:
  explicit TTabControl(TComponent* owner);
  std::vector<std::wstring> Tabs() const { return tabs_; }
  void SetTabs(const std::vector<std::wstring>& tabs);
  int TabIndex() const;
  // Selects a tab without firing OnChange; an index out of range selects none.
  void SetTabIndex(int index);
  void Loaded() override;

 protected:
  void CreateWindowHandleDone() override;
  void AlignControls(RECT& rect) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateTabs();
  std::vector<std::wstring> tabs_;
  int tab_index_ = -1;
};

class TPageControl : public TCustomTabControl {
  QN_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<size_t>(i)); }
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  void Loaded() override;

 protected:
  void CreateWindowHandleDone() override;
  void AlignControls(RECT& rect) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void UpdateTabs();
  void ShowActive();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

class TStatusPanel : public TCollectionItem {
  QN_CLASS(TStatusPanel)
 public:
  explicit TStatusPanel(TCollection* c) : TCollectionItem(c) {}
  int Width() const { return width_; }
  void SetWidth(int w);
  std::wstring Text() const { return text_; }
  void SetText(const std::wstring& t);
  void Assign(TPersistent* source) override;

 private:
  int width_ = 50;
  std::wstring text_;
};

class TCustomStatusBar : public TWinControl {
  QN_CLASS(TCustomStatusBar)
 public:
  explicit TCustomStatusBar(TComponent* owner);
  TCollection* Panels() const { return panels_.get(); }
  TStatusPanel* Panel(int i) const { return static_cast<TStatusPanel*>(panels_->Items(i)); }
  bool SimplePanel() const { return simple_panel_; }
  void SetSimplePanel(bool v);
  bool SizeGrip() const { return size_grip_; }
  void SetSizeGrip(bool v) { size_grip_ = v; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;

 private:
  void UpdatePanels();
  std::unique_ptr<TCollection> panels_;
  bool simple_panel_ = false;
  bool size_grip_ = true;
};

class TStatusBar : public TCustomStatusBar {
  QN_CLASS(TStatusBar)
 public:
  explicit TStatusBar(TComponent* owner) : TCustomStatusBar(owner) {}
};

}  // namespace qn
