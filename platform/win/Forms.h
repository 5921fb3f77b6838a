// Forms and the application object: top-level windows read from a form description, the
// message loop, message boxes and the handling of errors that reach the loop.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win/Controls.h"

namespace qn {

class TMainMenu;
class TMenuItem;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = unsigned;
enum class TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
using TCloseEvent = TEvent<void(TObject* sender, TCloseAction& action)>;

class TSizeConstraints : public TPersistent {
  QN_CLASS(TSizeConstraints)
 public:
  int MinWidth() const { return min_w_; }
  void SetMinWidth(int v) { min_w_ = v; }
  int MinHeight() const { return min_h_; }
  void SetMinHeight(int v) { min_h_ = v; }
  int MaxWidth() const { return max_w_; }
  void SetMaxWidth(int v) { max_w_ = v; }
  int MaxHeight() const { return max_h_; }
  void SetMaxHeight(int v) { max_h_ = v; }

 private:
  int min_w_ = 0, min_h_ = 0, max_w_ = 0, max_h_ = 0;
};

class TCustomForm : public TCustomControl {
  QN_CLASS(TCustomForm)
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle s) { border_style_ = s; }
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons i) { border_icons_ = i; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle s) { form_style_ = s; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool v) { scaled_ = v; }
  int PixelsPerInch() const { return 96; }
  void SetPixelsPerInch(int) {}
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetClientWidth(int w) override;
  void SetClientHeight(int h) override;
  int StoredClientWidth() const { return client_w_; }
  int StoredClientHeight() const { return client_h_; }
  // The window frame's size around a client area of w x h, for this form's style.
  SIZE FrameSizeFor(int w, int h);

  void SetVisible(bool v) override;
  void Show();
  void Hide() { SetVisible(false); }
  void Close();
  void Release();  // frees the form once the messages in hand are done
  bool Active() const;
  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* c);

  // The menu bar; kept on the window when the window is made again.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  // Runs the main menu's item with the shortcut of a key message; true when one ran.
  bool IsShortCut(const MSG& msg);

  // MDI frames (fsMDIForm): the MDICLIENT window, the children in it and the menu item whose
  // submenu lists them.
  HWND ClientHandle() const { return client_handle_; }
  TMenuItem* WindowMenu() const { return window_menu_; }
  void SetWindowMenu(TMenuItem* item);
  int MDIChildCount() const;
  TCustomForm* MDIChildren(int i) const;
  TCustomForm* ActiveMDIChild() const;
  void Cascade();
  void Tile();
  void ArrangeIcons();
  void Next();
  void Previous();
  // An MDI child's frame: the MDI form that owns it, else the main form or the first MDI form.
  TCustomForm* MDIFrame() const;
  void Notification(TComponent* component, TOperation op) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnActivate;
  TCloseEvent OnClose;

  // Published methods and fields, for the form reader; called by a form's constructor
  // before ReadForm.
  void PublishMethod(const std::string& name, const TMethodRef& method) { methods_[name] = method; }
  template <class T>
  void PublishField(const std::string& name, T** slot) {
    fields_.push_back([this, name, slot] {
      *slot = Find<T>(name);
      if (!*slot) throw std::runtime_error("Form field " + name + " is missing or of another class");
    });
  }
  // Reads the form description stored as resource `name` (RCDATA), binds the published
  // fields and runs OnCreate.
  void ReadForm(const wchar_t* resource);
  // The same from text, for tests and tools.
  void ReadFormText(const std::string& utf8);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  void DefaultHandler(TMessage& msg) override;
  void AlignControls(RECT& rect) override;
  bool HandleMessage(TMessage& msg) override;
  void Paint() override;

 private:
  void PlaceWindow();
  void CreateMDIClient();
  void MDIChildParams(TCreateParams& p);
  bool IsMDIChildWindow() const;
  bool HasMenuBar() const;
  void MenuDestroying();
  std::vector<TCustomForm*> MDIChildList() const;

  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TBorderIcons border_icons_ = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);
  TPosition position_ = TPosition::poDesigned;
  TFormStyle form_style_ = TFormStyle::fsNormal;
  bool scaled_ = true;
  int client_w_ = 0, client_h_ = 0;
  std::unique_ptr<TSizeConstraints> constraints_;
  TWinControl* active_control_ = nullptr;
  std::map<std::string, TMethodRef> methods_;
  std::vector<std::function<void()>> fields_;
  bool placed_ = false;
  TMainMenu* menu_ = nullptr;
  TMenuItem* window_menu_ = nullptr;
  HWND client_handle_ = nullptr;
  // Commands of the MDI client's window list, above every menu item's.
  static constexpr UINT kFirstMDIChild = 0xFF00;
};

class TForm : public TCustomForm {
  QN_CLASS(TForm)
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// Called when a top-level form is about to appear: its window exists and is placed but is not
// visible yet. A skinning engine sets it to dress the window before its first frame is seen.
// One handler for the program; null removes it. A failure inside is dropped.
using TFormShowingHandler = void (*)(TCustomForm* form);
void SetFormShowingHandler(TFormShowingHandler handler);

// Seam for message boxes: when set, called instead of showing a box; returns the button.
using TMessageBoxHook = std::function<int(const std::wstring& text, const std::wstring& caption, UINT flags)>;

class TApplication : public TComponent {
  QN_CLASS(TApplication)
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize() {}
  std::wstring Title() const { return title_; }
  void SetTitle(const std::wstring& t);
  HWND Handle() const { return handle_; }
  TCustomForm* MainForm() const { return main_form_; }
  void SetMainForm(TCustomForm* f) { main_form_ = f; }
  HICON Icon() const { return icon_; }
  // The program icon drawn at the small-icon size, for captions and task bars.
  HICON SmallIcon() const { return small_icon_ ? small_icon_.Get() : icon_; }

  template <class T>
  T* CreateForm() {
    T* f = new T(this);
    if (!main_form_) main_form_ = f;
    return f;
  }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Pumps messages until done() holds or timeout_ms passes; true when done() held.
  bool PumpUntil(const std::function<bool()>& done, unsigned timeout_ms);
  void Terminate();
  bool Terminated() const { return terminated_; }

  int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
  // The default error box for an exception that reached the message loop.
  void HandleException(const std::exception* e);
  TMessageBoxHook MessageBoxHook;

  const std::vector<TCustomForm*>& Forms() const { return forms_; }

 private:
  friend class TCustomForm;
  bool ProcessMessage(MSG& msg);
  bool IsDialogKey(MSG& msg);
  bool IsMenuKey(MSG& msg);
  bool IsMDIMsg(MSG& msg);
  std::wstring title_;
  HWND handle_ = nullptr;
  HICON icon_ = nullptr;
  TIconHandle small_icon_;  // not shared: a shared load gives back the large one at any size
  TCustomForm* main_form_ = nullptr;
  std::vector<TCustomForm*> forms_;
  bool terminated_ = false;
};

// The one application object, made by InitApplication.
extern TApplication* Application;
TApplication* InitApplication();
void DoneApplication();

// A message box with the application's title and an OK button.
void ShowMessage(const std::wstring& text);

}  // namespace qn
