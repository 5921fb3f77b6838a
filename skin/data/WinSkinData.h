// The skin-data component: a form holds one to skin the program. It owns the skin package and
// the skin objects made from it, the options that say which windows and controls are skinned,
// and starts the skin manager and asks it to skin or unskin windows.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/Controls.h"
#include "platform/win/HintWindow.h"
#include "skin/data/SkinObjects.h"
#include "skin/data/SkinTypes.h"

namespace qn {

class TSkinStore;

extern const TEnumInfo kSkinControlTypeInfo;
extern const TEnumInfo kSkinOptionInfo;
extern const TEnumInfo kSkinFormTypeInfo;

using TFormSkinEvent = TEvent<void(TObject* sender, const std::wstring& window_class, bool& do_skin)>;
using TSkinControlEvent = TEvent<void(TObject* sender, TObject* skin_data, TWinControl* form, TControl* control,
                                      const std::wstring& control_class, TObject*& skinner)>;
using TSkinFormEvent = TEvent<void(TObject* sender, HWND wnd, const std::wstring& name)>;
using TSkinErrorEvent = TEvent<void(TObject* sender, const std::wstring& message)>;

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
  // What failed inside the engine's hooks, window procedures and timers (not stored with the
  // form). The engine never tells the user: it drops the failure, leaves the window as its own
  // procedure painted it, and reports it here (on the thread that failed) and to the debugger.
  TSkinErrorEvent OnEngineError;

  void DefineProperties(TFiler& filer) override;
  void Loaded() override;

  // Loading.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::wstring& name);
  void LoadFromCollection(TSkinStore* store, int index);
  // No skin is loaded: true from creation and from the start of every load until a load
  // succeeds. A failed load leaves the previous skin objects in place (Skin()).
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
  // The caption buttons' hint, shown and hidden by windows of the thread that made this
  // component (its hint window belongs to that thread); other threads' windows show none.
  void ActivateHint(const RECT& rect, const std::wstring& text);
  void HideHint();
  // A window's icon for SysIcon when the program gave none (windows of this component's
  // thread only).
  void OfferAppIcon(TBitmap& icon);
  bool IsHint() const { return hashint_; }
  void ChangeProperty(TObject* object, const std::string& property, const std::string& value);
  [[nodiscard]] bool GetScrollBarInfo(HWND wnd, LONG object_id, SCROLLBARINFO& info);
  void DoDebug(const std::wstring& text);
  static std::wstring GetFileName(const std::wstring& text);
  TColor GetCaptionColor() { return Skin()->GetCaptionColor(); }
  [[nodiscard]] bool GetPrecolor(TColor& colour, int n) const { return Skin()->GetPrecolor(colour, n); }

  // The skin objects and scheme colours of the loaded skin (never null; an empty set before
  // the first load). A load replaces the set whole, so whoever paints keeps the pointer for as
  // long as it uses the objects, on any thread, and the old set goes with its last user.
  std::shared_ptr<TSkinObjects> Skin() const;
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
  std::atomic<int> hintcount{0};
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
  std::atomic<bool> empty_{true};
  mutable std::mutex skin_mutex_;  // guards skin_ itself, not the objects
  std::shared_ptr<TSkinObjects> skin_;
  DWORD thread_ = 0;  // the thread that made the component
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

}  // namespace qn
