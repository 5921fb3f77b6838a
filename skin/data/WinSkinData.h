// The skin-data component: a form holds one to skin the program. It owns the skin package and
// the skin objects made from it, the options that say which windows and controls are skinned,
// and starts the skin manager and asks it to skin or unskin windows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win/Controls.h"
#include "platform/win/HintWindow.h"
#include "skin/data/SkinObjects.h"

namespace qn {

class TSkinStore;

enum TSkinControlType : int {
  xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcControlbar, xcCombo, xcCheckBox, xcRadioButton,
  xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel, xcGroupBox,
  xcStatusBar, xcTab, xcTrackBar, xcSystemMenu, xcFastReport,
};
using TSkinControlTypes = uint32_t;  // bit (1 << TSkinControlType)

enum TSkinOption : int {
  xoMDIScrollbar, xoMenuMerge, xoTransparent, xoPreview, xoParentBackGround, xoNoFocusRect,
  xoToolbarBK, xoToolbarButton, xoMDIChildBorder, xoMenuBG, xoCaptionButtonHint, xoFormScrollbar,
};
using TSkinOptions = uint32_t;

enum class TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

enum TWinContainer : int {
  xccForm, xccFrame, xccToolbar, xccCoolbar, xccControlbar, xccPanel, xccScrollBox, xccGroupBox,
  xccTabSheet, xccPageScroller,
};
using TWinContainers = uint32_t;

extern const TEnumInfo kSkinControlTypeInfo;
extern const TEnumInfo kSkinOptionInfo;
extern const TEnumInfo kSkinFormTypeInfo;

constexpr bool Has(uint32_t set, int member) { return (set >> member) & 1u; }
constexpr uint32_t Bit(int member) { return 1u << member; }

using TFormSkinEvent = TEvent<void(TObject* sender, const std::wstring& window_class, bool& do_skin)>;
using TSkinControlEvent = TEvent<void(TObject* sender, TObject* skin_data, TWinControl* form, TControl* control,
                                      const std::wstring& control_class, TObject*& skinner)>;
using TSkinFormEvent = TEvent<void(TObject* sender, HWND wnd, const std::wstring& name)>;

class TSkinData : public TComponent {
  QN_CLASS(TSkinData)
 public:
  static constexpr wchar_t kVersion[] = L"5.40.07.15";

  explicit TSkinData(TComponent* owner);
  ~TSkinData() override;

  // Published.
  bool Active() const { return active_; }
  void SetActive(bool active);
  int DisableTag() const { return disable_tag_; }
  void SetDisableTag(int tag) { disable_tag_ = tag; }
  TSkinControlTypes SkinControls() const { return skin_controls_; }
  void SetSkinControls(TSkinControlTypes set) { skin_controls_ = set; }
  TSkinOptions Options() const { return options_; }
  void SetOptions(TSkinOptions set) { options_ = set; }
  std::vector<std::wstring> Skin3rd() const { return skin3rd_; }
  void SetSkin3rd(const std::vector<std::wstring>& lines) { skin3rd_ = lines; }
  std::wstring SkinFile() const { return fskinfile_; }
  void SetSkinFile(const std::wstring& name) { LoadFromFile(name); }
  std::wstring SkinStore() const { return L"(none)"; }
  void SetSkinStore(const std::wstring&) {}
  TSkinFormType SkinFormtype() const { return form_type_; }
  void SetSkinFormtype(TSkinFormType t) { form_type_ = t; }
  std::wstring Version() const { return kVersion; }
  void SetVersion(const std::wstring&) {}
  bool MenuUpdate() const { return menu_update_; }
  void SetMenuUpdate(bool v) { menu_update_ = v; }
  bool MenuMerge() const { return menu_merge_; }
  void SetMenuMerge(bool v) { menu_merge_ = v; }

  TFormSkinEvent OnFormSkin;
  TNotifyEvent OnSkinChanged;
  TSkinControlEvent OnSkinControl;
  TSkinFormEvent OnBeforeSkinForm;
  TSkinFormEvent OnAfterSkinForm;

  void DefineProperties(TFiler& filer) override;
  void Loaded() override;

  // Loading.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::wstring& name);
  void LoadFromCollection(TSkinStore* store, int index);
  bool Empty() const { return empty_; }
  const TMemoryStream& Data() const { return data_; }

  // Switching.
  void Install();
  void Uninstall();
  void EnableSkin(bool on);
  void InstallThread(DWORD thread_id);
  void UnInstallThread(DWORD thread_id);
  void SkinForm(HWND wnd);
  void ChangeForm(TWinControl* form);

  // Services to the skinners.
  void DoFormSkin(HWND wnd, const std::wstring& class_name, bool& do_skin);
  void DoSkinChanged();
  void ActivateHint(const RECT& rect, const std::wstring& text);
  void HideHint();
  bool IsHint() const { return hashint_; }
  void ChangeProperty(TObject* object, const std::string& property, const std::string& value);
  [[nodiscard]] bool GetScrollBarInfo(HWND wnd, LONG object_id, SCROLLBARINFO& info);
  void DoDebug(const std::wstring& text);
  static std::wstring GetFileName(const std::wstring& text);
  TColor GetCaptionColor() { return skin.GetCaptionColor(); }
  [[nodiscard]] bool GetPrecolor(TColor& colour, int n) const { return skin.GetPrecolor(colour, n); }

  // The skin objects and scheme colours of the loaded skin.
  TSkinObjects skin;
  // The application's small icon on magenta (transparent colour magenta).
  TBitmap SysIcon;
  // The four glyphs of the skinned system menu, 16 x 16 each (restore, maximise, minimise,
  // close), black on white; white is transparent.
  TBitmap bmpmenu;
  TFont CaptionFont;
  TWinContainers FContainers;
  int cxMax = 0, cyMax = 0;
  bool MenuMsg = true;
  bool FInDLL = false;
  HWND formhwnd = nullptr;
  int hintcount = 0;
  std::vector<std::wstring>* DebugList = nullptr;

  // Called by the manager when it goes first.
  void ManagerGone() { manager_gone_ = true; }

 private:
  bool LoadSkin();
  void ApplySkin();
  void GetAppIcon();

  bool active_ = false;
  int disable_tag_ = 99;
  TSkinControlTypes skin_controls_;
  TSkinOptions options_;
  std::vector<std::wstring> skin3rd_;
  std::wstring fskinfile_;
  TSkinFormType form_type_ = TSkinFormType::sfMainform;
  bool menu_update_ = true;
  bool menu_merge_ = false;
  TMemoryStream data_;
  bool empty_ = true;
  std::unique_ptr<THintWindow> fhintwindow_;
  bool hashint_ = false;
  bool manager_gone_ = false;
};

// The foreign control classes skinned as a known kind unless a form stores its own list.
const std::vector<std::wstring>& DefaultSkin3rd();

// Routines of the unit that every painter uses.
int SkinDrawText(HDC dc, const std::wstring& text, RECT& rect, UINT format);
std::wstring AnsiToWideText(const std::string& text);
std::wstring WideLeft(const wchar_t* chars, int count);
TWinControl* ControlOfWindow(HWND wnd);
void TrackMouseLeave(HWND wnd);

// Registers the skin-data component (and the skin store) with the form reader, and routes
// the package reader's messages to a message box.
void RegisterSkinClasses();

}  // namespace qn
