// Controls: the visual components. TControl has bounds, font, colour, caption and a
// replaceable message method; TWinControl adds a window (made on demand), children and the
// tab order; TGraphicControl is painted by its parent on the parent's window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/win/Graphics.h"
#include "platform/win/Messages.h"

namespace qn {

class TWinControl;
class TPopupMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
extern const TEnumInfo kAlignInfo;
enum class TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
extern const TEnumInfo kBevelKindInfo;
enum class TBorderStyle { bsNone, bsSingle };
extern const TEnumInfo kBorderStyleInfo;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TCursor = int;
constexpr TCursor crDefault = 0, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNWSE = -6,
                  crSizeNS = -7, crSizeNESW = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;
extern const TIdentMap kCursorIdents;
HCURSOR CursorHandle(TCursor cursor);

using TMouseEvent = TEvent<void(TObject* sender, TMouseButton button, unsigned shift, int x, int y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, unsigned shift, int x, int y)>;

// The window property under which every window of ours keeps its control object (a global
// atom, made on first use).
ATOM ControlAtom();
// The program is done with the control atom: it is deleted now, or when the last window that
// carries it goes. Runs when the program ends; a later ControlAtom() makes it again.
void ReleaseControlAtom();
// The control object behind a window of ours, or null.
TWinControl* FindControl(HWND wnd);

class TControl : public TComponent {
  QN_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const;
  int ClientWidth() const { RECT r = ClientRect(); return r.right - r.left; }
  int ClientHeight() const { RECT r = ClientRect(); return r.bottom - r.top; }
  virtual void SetClientWidth(int w);
  virtual void SetClientHeight(int h);
  POINT ClientToScreen(POINT p);
  POINT ScreenToClient(POINT p);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool e);
  // Visible, with every parent up to a form visible too.
  bool Showing() const;

  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* f) { if (f) font_->Assign(f); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool v);

  std::wstring Caption() const { return GetText(); }
  void SetCaption(const std::wstring& t) { SetText(t); }
  virtual std::wstring GetText() const { return text_; }
  virtual void SetText(const std::wstring& t);

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c) { cursor_ = c; }
  std::wstring Hint() const { return hint_; }
  void SetHint(const std::wstring& h) { hint_ = h; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v) { show_hint_ = v; }
  // The context menu: WM_CONTEXTMENU over the control (mouse, Shift+F10, the menu key) shows it.
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);
  void Notification(TComponent* component, TOperation op) override;

  // Every message to the control goes through here; a skinner may replace it and call the
  // value it replaced.
  TWndMethod WindowProc;
  LRESULT Perform(UINT msg, WPARAM wparam, LPARAM lparam);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  virtual void Click();
  virtual void Invalidate();
  virtual void Repaint();
  void Update();
  void BringToFront();

  // The message method WindowProc starts with.
  virtual void WndProc(TMessage& msg);

 protected:
  // Messages nobody handled.
  virtual void DefaultHandler(TMessage& msg) {}
  virtual void Changed() {}
  virtual void FontChanged();
  virtual void RequestAlign();
  virtual void BoundsChanged() {}
  virtual void MouseDown(TMouseButton button, unsigned shift, int x, int y);
  virtual void MouseUp(TMouseButton button, unsigned shift, int x, int y);
  virtual void MouseMove(unsigned shift, int x, int y);
  void InvalidateControl();
  // Whether a press and release of the left button inside the control is a Click (push
  // buttons click from their own notification instead).
  void SetClickEvents(bool v) { click_events_ = v; }

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::wstring text_;

 private:
  void ParentFontChanged();
  void ParentColorChanged();
  friend class TWinControl;

  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  TCursor cursor_ = crDefault;
  std::wstring hint_;
  bool show_hint_ = false;
  bool clicked_ = false;
  bool click_events_ = true;
  TPopupMenu* popup_menu_ = nullptr;
};

// What a windowed control asks CreateWindowEx for.
struct TCreateParams {
  std::wstring caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND wndParent = nullptr;
  std::wstring winClassName;   // registered after the C++ class: "TButton"
  std::wstring baseClassName;  // the system class it wraps ("BUTTON"), empty for our own
  UINT classStyle = CS_DBLCLKS;
  HMENU id = nullptr;
};

class TWinControl : public TControl {
  QN_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  void BeforeDestruction() override;
  HWND Handle();  // made now if it does not exist yet
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  void DestroyHandle();
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_.at(static_cast<size_t>(i)); }
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  // The child under a client point: graphic controls first (topmost), then windowed ones.
  TControl* ControlAtPos(POINT p, bool allow_disabled = false, bool allow_windows = false);

  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool v);
  // Every windowed control below this one in tab order, nested ones included.
  void GetTabOrderList(std::vector<TWinControl*>& list);
  bool Focused() const;
  bool CanFocus() const;
  virtual void SetFocus();
  // Moves the focus to the next (or previous) tab stop after current.
  void SelectNext(TWinControl* current, bool forward, bool check_tab_stop);

  TBevelKind BevelKind() const { return bevel_kind_; }
  void SetBevelKind(TBevelKind k);
  HBRUSH BrushHandle();

  // Another window paints over this control's scroll bars (a skin's overlay): the control keeps
  // their ranges and positions as always but has the system draw them no more, which is most
  // of the cost of a scroll. Turned off, the system draws them current again.
  bool ScrollBarsCovered() const { return bars_covered_; }
  void SetScrollBarsCovered(bool covered);

  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void SetText(const std::wstring& t) override;
  std::wstring GetText() const override;
  void SetVisible(bool v) override;
  void SetEnabled(bool e) override;
  void Invalidate() override;
  void Repaint() override;
  void WndProc(TMessage& msg) override;

  // Lays out children by their Align value.
  void Realign();
  // Draws the graphic children that intersect the DC's clip area.
  void PaintControls(HDC dc);

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // After the window exists: sets font, text and the like on it.
  virtual void CreateWindowHandleDone() {}
  void DefaultHandler(TMessage& msg) override;
  void FontChanged() override;
  void RequestAlign() override;
  virtual void AlignControls(RECT& rect);
  // For controls that paint themselves: called with a buffer DC on WM_PAINT.
  virtual void PaintWindow(HDC dc) {}
  bool PaintsItself() const { return paints_itself_; }
  void SetPaintsItself(bool v) { paints_itself_ = v; }
  // Handlers that subclasses extend.
  virtual bool HandleMessage(TMessage& msg);

  HWND handle_ = nullptr;

 private:
  friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class TControl;
  void Attach(HWND wnd);
  void Detach();
  bool RouteMouseToGraphic(TMessage& msg);
  void PaintHandler(TMessage& msg);
  void ReflectToChild(TMessage& msg);
  void NcCalcBevel(TMessage& msg);
  void NcPaintBevel();
  int BevelSize() const;
  bool ContextMenu(TMessage& msg);

  std::vector<TControl*> controls_;  // in insertion (z) order
  std::vector<TWinControl*> tab_list_;
  WNDPROC default_proc_ = DefWindowProcW;
  bool tab_stop_ = false;
  bool paints_itself_ = false;
  TBevelKind bevel_kind_ = TBevelKind::bkNone;
  bool bars_covered_ = false;
  TBrushHandle brush_;
  TControl* mouse_control_ = nullptr;    // graphic child that holds the mouse capture
  TControl* hover_control_ = nullptr;    // graphic child under the mouse
  bool aligning_ = false;
};

// A control without a window, painted by its parent.
class TGraphicControl : public TControl {
  QN_CLASS(TGraphicControl)
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas& Canvas() { return canvas_; }
  // Paints onto dc, whose origin is this control's top-left corner.
  void PaintTo(HDC dc);

 protected:
  virtual void Paint() {}
  void WndProc(TMessage& msg) override;

 private:
  TCanvas canvas_;
};

// A windowed control that paints itself with a canvas (groups, pages, grids, forms).
class TCustomControl : public TWinControl {
  QN_CLASS(TCustomControl)
 public:
  explicit TCustomControl(TComponent* owner);
  TCanvas& Canvas() { return canvas_; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  TCanvas canvas_;
};

// Registers the control classes with the form reader.
void RegisterControlClasses();

}  // namespace qn
