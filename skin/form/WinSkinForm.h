// The form skinner: one per skinned top-level window. It takes over the window's frame (the
// non-client area: borders, title bar, caption buttons), keeps the skinners of its controls,
// follows the window's state and gives everything back when it lets go.
//
// The work is split by family: WinSkinForm.cpp attaches, dispatches the window's messages and
// detaches; FormFrame.cpp lays out and paints the frame; FormButtons.cpp places, draws and
// drives the caption buttons; FormSysMenu.cpp holds the skinned system menu; FormShape.cpp
// cuts the window to the frame's outline; FormMenu.cpp drives the skinned menu bar
// (WinSkinMenuBar.h) and draws owner-drawn menu items.
//
// A form skinner lives on its window's thread: it is made, used and freed there only. The skin
// manager asks a skinner of another thread for a skin change or to let go by posting or
// sending WM_SKINREQUEST to its window.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Graphics.h"
#include "platform/win/Hooks.h"
#include "platform/win/Subclass.h"
#include "skin/controls/SkinControlHost.h"
#include "skin/data/SkinTypes.h"
#include "skin/draw/SkinDraw.h"
#include "skin/form/FormHost.h"

namespace qn {

class TSkinData;
class TWinSkinForm;
class TDataSkinSysButton;
struct TSkinObjects;
class TMethodHook;
struct TSkinnerChoice;
class TWinSkinMenu;
class TMenuBtn;
struct TMenuEntry;
struct TMenuItemLook;

enum class TSkinFormStyle { sfsNormal, sfsMDIform, sfsMDIChild, sfsChild };
enum class TSkinFormBorder { sbsSizeable, sbsSingle, sbsNone, sbsDialog };
enum TSkinFormIcon : int { sbiMax, sbiMin, sbiHelp, sbisystem, sbicaption };
using TSkinFormIcons = unsigned;  // bit (1 << TSkinFormIcon)
enum class TSkinWindowState { swsNormal, swsMax, swsMin };

// Everything clickable in the non-client area: caption buttons, and the menu bar's buttons.
class TNCObject {
 public:
  explicit TNCObject(TWinSkinForm* form);
  TNCObject(const TNCObject&) = delete;
  TNCObject& operator=(const TNCObject&) = delete;
  virtual ~TNCObject() = default;

  virtual void MouseDown();
  virtual void MouseUp();
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Draw() {}

  TWinSkinForm* SF;
  TSkinData* fsd;
  RECT bounds{};   // window coordinates
  bool visible = true;
  int state = 1;   // 1 normal, 2 pressed, 3 hot
  bool enabled = true;
};

// A caption button drawn from the skin's definition of it.
class TWinSysButton : public TNCObject {
 public:
  // index: the definition's place in the skin's list of caption buttons.
  TWinSysButton(TWinSkinForm* form, TDataSkinSysButton* definition, size_t index);
  void Draw() override;
  // The definition, while the skinner still paints with the skin it came from.
  TDataSkinSysButton* Definition() const;
  bool IsIcon() const;  // shows the window icon (actions 3 and 11)
  // The picture the button shows and its frame count: an icon button with no image of its own
  // shows the window icon, in one frame.
  TBitmap* Picture() const;
  int Frames() const;

  TDataSkinSysButton* data;
  size_t index;
};

class TWinSkinForm : public TComponent, public TSkinControlHost {
  QN_CLASS(TWinSkinForm)
 public:
  // host: the manager that attaches it (null: the skinner is on its own).
  explicit TWinSkinForm(TComponent* owner, TFormHost* host = nullptr);
  ~TWinSkinForm() override;

  // ---- Attaching and detaching (WinSkinForm.cpp) ----
  // Attaching, by the skin manager once it has set Hwnd, mode and formclass. Nothing happens
  // when the window is subclassed already.
  void InitTform(TSkinData* data, TCustomForm* form);
  void InitDlg(TSkinData* data);
  // Detaching: in full (the manager), when the window is destroyed, and for windows whose
  // frame was not skinned. The window procedure and the form's WindowProc are given back
  // exactly; the window keeps its client area.
  void UnSubclass();
  void UnSubclass2();
  void UnSubclass3();
  bool Subclassed() const { return subclass_.Installed(); }
  // Re-applies the skin after the skin data loaded another one (after InitSkinData).
  void SkinChange();
  // Frame widths and caption buttons from the skin data's skin, which the skinner paints with
  // from then on (FormFrame.cpp, FormButtons.cpp).
  void InitSkinData();
  void DeleteSysbtn();
  // The skin objects the skinner paints with: the skin data's at the last InitSkinData (or
  // attaching), kept until the next one even when the data loads another skin meanwhile.
  std::shared_ptr<TSkinObjects> SkinObjects() const override { return skin_; }
  // The window icon at the small-icon size over magenta, as the title bar shows it.
  TBitmap& FormIconPicture() { return IconBmp; }
  // The window's own system-menu, minimise and maximise styles are left as they are.
  void EnableSysbtn(bool enable) {}
  // The frame recalculated and repainted (SetWindowPos with frame-changed only).
  void Refresh();
  static void RePaint(HWND wnd);
  // ---- Window shape (FormShape.cpp) ----
  void Cropwindow();
  // The outline for a window of W x H; without redraw when a resize that repaints follows.
  void ShapeWindow(int W, int H, bool redraw);
  void Uncropwindow();
  // ---- Control discovery (FormControls.cpp): a skinner for every control it can paint ----
  // Every control of a form object: its owned controls, then its tab-order list.
  void InitControls(TWinControl* form);
  // The skinner of one control, found while walking the container wform.
  void AddComp(TControl* control, TWinControl* wform);
  // AddComp for every child control of a container.
  void SkinChildren(TWinControl* container);
  // The control answers it is skinned, or a listed skinner skins it.
  bool IsControlSkinned(TControl* control);
  // Every child window of a plain window, and one of them.
  void InitHwndControls(HWND parent);
  void AddControlh(HWND wnd);
  // The listed skinners whose controls' windows were destroyed are freed.
  void PurgeControls();
  // The scroll-bar skinner of the window (WM_SKINRECREATED) makes way for a new one of its
  // kind on its control's current window; false when the window had none.
  bool ReplaceScrollSkinner(HWND wnd);
  // Controls whose windows were made anew get skinners for their new windows.
  void ReskinRecreated();
  // What the control skinners reach the form through.
  bool AddControlList(TObject* skinner) override;
  void DeleteControl(TObject* skinner) override;
  TSkinData* SkinData() const override { return fsd; }
  HWND FormWindow() const override { return Hwnd; }
  TCustomForm* FormObject() const override { return FForm; }
  TCanvas& ControlCanvas() override { return fcanvas2; }
  int SkinState() const override { return Skinstate; }

  TFormHost* Host() const { return host_.load(); }
  // The thread the skinner lives on (its window's).
  DWORD ThreadId() const { return thread_; }
  // Calls made on a skinner from another thread than its own since the program started:
  // always 0 unless the threading rule above was broken (tests check it).
  static int ThreadFaults();
  // Carries out a request of the manager on this (the window's) thread; the skinner may be
  // freed inside (srUnskin, srRelease).
  void HandleRequest(TSkinRequest request);
  // The manager is going (or has gone): nothing is asked of it any more.
  void ForgetHost() { host_ = nullptr; }
  // False once the skinner is freed (for callers that may free it by what they call).
  std::shared_ptr<bool> Alive() const { return alive_; }
  // Freed right after its window's WM_NCDESTROY, instead of waiting to be purged: skinners of
  // threads whose windows the manager's purges never see.
  bool free_when_released = false;

  // ---- Caption-button actions (FormButtons.cpp) ----
  void Maximize();
  void Restore();
  void Minimize();
  void RestoreMDI();
  bool MDIChildMax() const;
  void SendToActiveMDIChild(WPARAM command);
  // The caption button under a point in window coordinates that reacts to the mouse.
  TWinSysButton* FindSysButton(POINT p);
  bool RedrawMenuLineButton(HDC wdc, const RECT& r, TBitmap& picture, int frame, int frames);
  // A screen point in window coordinates.
  POINT ScreenToFrame(POINT screen) const;

  // ---- The frame (FormFrame.cpp) ----
  // The frame painted now (into dc, or the window's own DC when dc is null).
  void PaintFrame(HDC dc = nullptr);
  // Resizes the window so that its client area keeps its size inside the skinned frame;
  // remeasure: the client area is measured afresh (a skin change); first_fit: the fit at
  // activation, whose caller repaints the whole window afterwards.
  void FitWindowToFrame(bool remeasure, bool first_fit = false);
  // Removes (or gives back) the window's system-menu style.
  void SetSysMenuStyle(bool remove);

  // ---- The skinned system menu (FormSysMenu.cpp) ----
  void PopupSystemMenu(POINT screen);
  // A popup menu mirroring the window's system menu, its items owner-drawn; null when the
  // window has none.
  HMENU BuildSystemMenu();

  // ---- The skinned menu bar and owner-drawn items (FormMenu.cpp) ----
  // The menu bar that stands for the window's native one, or null.
  TWinSkinMenu* MenuBar() const { return menu.get(); }
  // Opens the button's submenu (and those the user moves on to) and returns once the popup
  // closed; an entry without subitems posts its command instead. False when nothing opened.
  bool CheckMenu(TMenuBtn* button);
  // Opens the button's popup from the window's own message loop (a posted request).
  void ClickButton(TMenuBtn* button);
  // The buttons rebuilt from the native menu bar (changed by the program) and repainted.
  void UpdateMainMenu();
  // A bar popup is open.
  bool InMenu() const { return fInMenu; }
  // The index of the bar button whose popup is open, -1 when none.
  int OpenButton() const { return open_index_; }
  bool BiDiLeft() const { return bidileft; }

  // Fields the manager and the painters read and write.
  HWND Hwnd = nullptr;
  TCustomForm* FForm = nullptr;
  TSkinData* fsd = nullptr;
  uintptr_t mode = 0;
  std::wstring formclass;
  // 0 attached, 1 running, 3 skin change, 4 going, 5 fitting, 6 released. Only the window's
  // thread writes it; the manager reads it from others.
  std::atomic<int> Skinstate{0};
  TSkinFormStyle FormStyle = TSkinFormStyle::sfsNormal;
  TSkinFormBorder FormBorder = TSkinFormBorder::sbsSingle;
  TSkinFormIcons FormIcons = 0;
  TSkinWindowState Windowstate = TSkinWindowState::swsNormal;
  bool crop = false;
  bool sMainMenu = false;
  bool FWindowActive = true;
  bool ismessagebox = false;
  RECT bw{};        // frame widths: Left, Top (title height), Right, Bottom
  RECT oldsize{};   // native frame: Right = width - client width, Bottom = height - client height
  RECT ctr{};       // where the caption text lies (buttons align against it)
  RECT FTitleRect{};// where the caption text was drawn
  int MenuHeight = 0;
  int RightBtn = 0; // space right-aligned caption buttons take
  std::vector<std::unique_ptr<TWinSysButton>> SysBtn;
  TNCObject* ActiveBtn = nullptr;
  std::vector<TObject*> Controllist;
  HWND ClientHwnd = nullptr;  // the MDI client of an MDI frame
  TFont CaptionFont;

 private:
  friend class TNCObject;
  friend class TWinSysButton;
  friend class TWinSkinMenu;

  // Message handling (WinSkinForm.cpp). Each stage handles a message completely or lets it
  // go on to the next stage.
  void OnMessage(TMessage& m);
  // Counts (and reports to the debugger) a call from a thread that is not the skinner's.
  void CheckThread(const char* where) const;
  void WndProc(TMessage& m);
  bool Stage1(TMessage& m);
  bool Stage2(TMessage& m);
  void Stage3(TMessage& m);
  void FormHook(TMessage& m);
  void OnMdiClientMessage(TMessage& m);
  void MdiClientMessage(TMessage& m, const std::function<void()>& pass);
  void Prev(TMessage& m);
  void Activate();
  void ActivateSteps();
  void SkinChangeSteps();
  void AttachCommon();
  void InstallFormHook();
  void RemoveFormHook();
  void FreeControls();
  void ReadWindowState();
  void OnSize(TMessage& m);
  void OnTimer(TObject* sender);
  void HoverTick();
  bool IsPlainWindow() const { return FForm == nullptr; }
  bool Maximised() const { return Windowstate == TSkinWindowState::swsMax; }
  bool Minimised() const { return Windowstate == TSkinWindowState::swsMin; }
  bool IsMdiChild() const { return FormStyle == TSkinFormStyle::sfsMDIChild; }

  // The frame (FormFrame.cpp).
  void OnNcCalcSize(TMessage& m);
  void OnNcPaint(TMessage& m);
  void OnNcActivate(TMessage& m);
  // One border (1 left, 2 right, 3 top, 4 bottom) onto rect of dc, or as a picture of w x h.
  void DrawBorder(int index, const RECT& rect, HDC dc);
  TSkinBitmap BorderPicture(int index, int w, int h);
  // The title bar through CaptionBuf; the side borders' pictures give its two ends.
  void DrawTitleBar(HDC dc, HDC left_picture, HDC right_picture, const std::wstring& text);
  void DrawCaptionText(TBitmap& target, const RECT& r, const std::wstring& text);
  std::wstring WindowText() const;
  // The caption text's width as the title bar measures it, with the backing's ends.
  int CaptionTextWidth(HDC dc, const std::wstring& text);
  // The window width a message box needs to show its title uncut.
  int TitleWidthNeeded();

  // The caption buttons (FormButtons.cpp).
  // Carries out what control discovery chose for a control (FormControls.cpp).
  void ApplyChoice(const TSkinnerChoice& choice, TControl* control, TWinControl* wform);
  void WalkOwnedControls(TWinControl* container);
  void AddBareChildren(TWinControl* container);
  // The caption buttons of a skin's definitions, for this window.
  std::vector<std::unique_ptr<TWinSysButton>> MakeSysButtons(TSkinObjects& objects);
  bool EvalVisibility(int code, int action, bool second) const;
  void UpdateButtonStates();
  void PlaceButtons();
  void DrawButtons(HDC dc);
  void DrawFormIcon(HDC dc, const RECT& bounds);
  void LoadFormIcon();
  void SysButtonClick(TWinSysButton* button, POINT p);
  bool HasCloseCommand() const;
  void OnNcHitTest(TMessage& m);
  void OnNcMouse(TMessage& m);
  // One timer tick with the mouse resting on the button: its hint shown, or hidden again.
  void HintTick(TWinSysButton* button, POINT cursor);
  bool IsLiveButton(const TNCObject* object) const;
  // Redraws one button's place in the title bar (from the kept title picture) to the window.
  void RedrawButton(TWinSysButton& button);

  // The system menu (FormSysMenu.cpp).
  bool OnCommand(TMessage& m);
  void OnSysCommand(TMessage& m);

  // The menu bar and owner-drawn items (FormMenu.cpp).
  void InitMenuBar(HMENU native);
  // Lets go of the menu bar; the native one goes back on the window when give_back.
  void FreeMenuBar(bool give_back);
  void DrawMenuLine(HDC dc, const RECT& line);
  // A mouse message of the non-client area over a menu-bar button: true when handled.
  bool OnMenuBarMouse(TMessage& m, POINT frame_point);
  bool IsMenuButton(const TNCObject* object) const;
  void OnMenuPopupAt(POINT screen);
  // WM_SYSCOMMAND SC_KEYMENU: the bar's button for ch (the first for 0) opens; false when the
  // window has no bar.
  bool KeyMenu(wchar_t ch);
  void OnDialogChar(TMessage& m, const TWndMethod& form);
  void OnMenuChanged();
  void OnMenuSelect(const TMessage& m);
  void OnInitMenuPopup(HMENU popup);
  // A popup menu component of the form (not tagged to stay plain) shows this menu.
  bool IsFormPopupMenu(HMENU popup) const;
  void OnExitMenuLoop();
  bool OnMeasureItem(TMessage& m);
  bool OnDrawItem(TMessage& m);
  // Entries of menu (and its submenus when deep) not owner-drawn yet become ours until
  // GiveBackOwnerDrawn.
  void MakeOwnerDrawn(HMENU menu, bool deep);
  void GiveBackOwnerDrawn();
  TMenuEntry* FindEntry(ULONG_PTR data) const;
  // What an owner-drawn entry of ours shows now (state from `item_state`, ODS_*).
  bool LookOf(const TMenuEntry& entry, UINT item_state, TMenuItemLook& look) const;
  TFont& MenuFont();
  bool MenuTrackHook(int code, LPARAM lparam, LRESULT& result);
  // The next button along the bar from the open one (dir +1 or -1), wrapping round, that has
  // a popup to open; -1 when none.
  int NeighbourButton(int dir) const;
  bool CanSwitchTo(int index) const;

  // The dispatch of one message, innermost last: whether it went to the previous procedure.
  struct TDispatch {
    bool passed;
    TDispatch* outer;
  };

  TWindowSubclass subclass_;
  TWindowSubclass mdi_subclass_;
  TDispatch* dispatch_ = nullptr;
  std::shared_ptr<bool> alive_;
  std::unique_ptr<TTimer> timer;

  std::wstring bstr = L"  ", astr = L" ";
  std::wstring classname;
  bool menuauto = false;
  RECT fClientRect{};
  DWORD poptime = 0;
  UINT DoubleTime = 0;
  int charwidth = 0;
  HWND parenthwnd = nullptr;
  int Iconx = 16;
  std::wstring caption;
  RECT wTr{};
  int BtnCount = 0;
  bool fInMenu = false;
  bool bidileft = false;
  bool fSizeable = false;
  bool isunicode = true;
  bool ischildform = false;
  std::atomic<TFormHost*> host_{nullptr};
  DWORD thread_ = 0;
  std::shared_ptr<TSkinObjects> skin_;
  TCanvas fcanvas2;
  TMethodHook* hook_link_ = nullptr;  // the form's hook into us; belongs to the form
  TMenuHandle sysmenu;
  std::vector<std::unique_ptr<TMenuEntry>> sys_entries_;  // the system menu's items
  std::unique_ptr<TWinSkinMenu> menu;
  std::vector<std::unique_ptr<TMenuEntry>> entries_;  // native entries owner-drawn for now
  std::unique_ptr<TFont> menu_font_;
  // Tracking a bar popup.
  TThreadHook track_hook_;
  int open_index_ = -1;
  int switch_to_ = -1;
  bool switching_ = false;
  bool rebuild_bar_ = false;  // the bar changed while a popup was open
  HMENU current_menu_ = nullptr;  // the menu of the item last selected in the popup
  UINT current_flags_ = 0;        // its WM_MENUSELECT flags
  POINT last_mouse_{};
  HMENU hmenu = nullptr;
  HMENU hsysmenu = nullptr;
  HMENU activemenu = nullptr;
  TColor formcolor = clBtnFace;
  DWORD dwstyle = 0;
  bool had_sysmenu_ = false;  // the window had WS_SYSMENU when attached
  bool fitted_ = false;       // the window was resized to the skinned frame
  int item_width_cap_ = 0;    // the widest a menu item may be, read as a popup opens
  bool frame_due_ = false;    // shown, and the showing's WM_NCPAINT has not painted the frame yet
  bool native_frame_ = false; // the window's size is still the native frame's: so is its client area
  TBitmap IconBmp;
  HICON icon_from_ = nullptr;  // the window icon IconBmp was drawn from
  bool icon_drawn_ = false;
  TBitmap CaptionBuf;         // the title bar, composed off screen
  TBitmap menu_scratch_{0, 0, TPixelFormat::pfDevice};  // menu items measured and composed here
  TBitmap TitleBack;          // the title bar without its caption buttons
  int fwidth = 0, fheight = 0;
  int crwidth = 0, crheight = 0;
};

}  // namespace qn
