#include "skin/data/WinSkinData.h"

#include <algorithm>

#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/WinApiLookup.h"
#include "skin/data/SkinHost.h"
#include "skin/data/SkinSchema.h"
#include "skin/package/SkinRead.h"
#include "skin/package/WinSkinIni.h"
#include "skin/package/WinSkinStore.h"

namespace qn {

const TEnumInfo kSkinControlTypeInfo{{"xcMainMenu", "xcPopupMenu", "xcMenuItem", "xcToolbar", "xcControlbar",
                                      "xcCombo", "xcCheckBox", "xcRadioButton", "xcProgress", "xcScrollbar",
                                      "xcEdit", "xcButton", "xcBitBtn", "xcSpeedButton", "xcSpin", "xcPanel",
                                      "xcGroupBox", "xcStatusBar", "xcTab", "xcTrackBar", "xcSystemMenu",
                                      "xcFastReport"}};
const TEnumInfo kSkinOptionInfo{{"xoMDIScrollbar", "xoMenuMerge", "xoTransparent", "xoPreview",
                                 "xoParentBackGround", "xoNoFocusRect", "xoToolbarBK", "xoToolbarButton",
                                 "xoMDIChildBorder", "xoMenuBG", "xoCaptionButtonHint", "xoFormScrollbar"}};
const TEnumInfo kSkinFormTypeInfo{{"sfMainform", "sfOnlyThisForm", "sfDialog", "sfDLL"}};

QN_CLASS_IMPL(TSkinData, TComponent,
              {prop::Bool("Active", &TSkinData::Active, &TSkinData::SetActive),
               prop::Int("DisableTag", &TSkinData::DisableTag, &TSkinData::SetDisableTag),
               prop::Set("SkinControls", kSkinControlTypeInfo, &TSkinData::SkinControls, &TSkinData::SetSkinControls),
               prop::Set("Options", kSkinOptionInfo, &TSkinData::Options, &TSkinData::SetOptions),
               prop::Strings("Skin3rd", &TSkinData::Skin3rd, &TSkinData::SetSkin3rd),
               prop::Str("SkinFile", &TSkinData::SkinFile, &TSkinData::SetSkinFile),
               prop::Str("SkinStore", &TSkinData::SkinStore, &TSkinData::SetSkinStore),
               prop::Enum("SkinFormtype", kSkinFormTypeInfo, &TSkinData::SkinFormtype, &TSkinData::SetSkinFormtype),
               prop::Str("Version", &TSkinData::Version, &TSkinData::SetVersion),
               prop::Bool("MenuUpdate", &TSkinData::MenuUpdate, &TSkinData::SetMenuUpdate),
               prop::Bool("MenuMerge", &TSkinData::MenuMerge, &TSkinData::SetMenuMerge),
               prop::Event("OnFormSkin", &TSkinData::OnFormSkin),
               prop::Event("OnSkinChanged", &TSkinData::OnSkinChanged),
               prop::Event("OnSkinControl", &TSkinData::OnSkinControl),
               prop::Event("OnBeforeSkinForm", &TSkinData::OnBeforeSkinForm),
               prop::Event("OnAfterSkinForm", &TSkinData::OnAfterSkinForm)})

namespace {

// Kinds of foreign controls, in the order the list is made.
struct TKindGroup {
  const wchar_t* kind;
  std::vector<const wchar_t*> classes;
};

const std::vector<TKindGroup>& KindGroups() {
  static const std::vector<TKindGroup> groups = {
      {L"scrollbar", {L"TCategoryButtons", L"TVirtualStringTree", L"TVirtualDrawTree", L"TAdvPanelGroup",
                      L"THTMLViewer", L"TDBCtrlGrid", L"TImageEnMView", L"TImageEnView", L"TAdvMemo", L"TDBAdvMemo"}},
      {L"pngspeedbutton", {L"TPngSpeedbutton"}},
      {L"pngbitbtn", {L"TPngBitBtn"}},
      {L"Panel", {L"TTBXDockablePanel", L"TControlBar", L"TTBDock", L"TTBToolbar", L"TRzGroup", L"TLMDCalculator",
                  L"TLMDGROUPBOX", L"TLMDSIMPLEPANEL", L"TLMDDBCalendar", L"TLMDButtonPanel", L"TLMDLMDCalculator",
                  L"TLMDHeaderPanel", L"TLMDTechnicalLine", L"TLMDLMDClock", L"TLMDTrackbar"}},
      {L"combobox",
       {L"TComboboxex", L"TcxDBLookupComboBox", L"TcxDBComboBox", L"TcxDBDateEdit", L"TcxDBImageComboBox",
        L"TcxDBCalcEdit", L"TcxDBBlobEdit", L"TcxDBPopupEdit", L"TcxDBFontNameComboBox", L"TcxDBShellComboBox",
        L"TRxLookupEdit", L"TRxDBLookupCombo", L"TRzDateTimeEdit", L"TRzColorEdit", L"TRzDateTimePicker",
        L"TRzDBDateTimeEdit", L"TRzDbColorEdit", L"TRzDBDateTimePicker", L"TLMDListCombobox",
        L"TLMDCheckListCombobox", L"TLMDHeaderListCombobox", L"TLMDImageCombobox", L"TLMDColorCombobox",
        L"TLMDFontCombobox", L"TLMDFontSizeCombobox", L"TLMDPrinterCombobox", L"TLMDDriveCombobox",
        L"TLMDCalculatorComboBox", L"TLMDTrackBarComboBox", L"TLMDCalendarComboBox", L"TLMDTreeComboBox",
        L"TDBLookupCombobox", L"TWWDBCombobox", L"TWWDBLookupCombo", L"TWWKeyCombo", L"TWWTempKeyCombo",
        L"TWWDBDateTimePicker", L"TLMDFontSizeCombobox", L"TWWDBCombobox"}},
      {L"speedbutton", {L"TRxSpeedButton", L"TfrSpeedButton", L"TfrTBButton"}},
      {L"button", {L"TRzButton"}},
      {L"bitbtn", {L"TRzBitbtn", L"TLMDButton", L"TcxButton"}},
      {L"menubtn", {L"TRzMenuButton"}},
      {L"checkgroup", {L"TRzCheckGroup", L"TLMDCheckGroup", L"TLMDDBCheckGroup"}},
      {L"radiogroup", {L"TRzRadioGroup", L"TRzDBRadioGroup", L"TLMDRADIOGROUP", L"TLMDDBRADIOGROUP",
                       L"TWWRADIOGROUP", L"TcxDBRadioGroup", L"TcxRadioGroup"}},
      {L"edit", {L"TRzButtonEdit", L"TLMDCalculatorEdit", L"TLMDEDIT", L"TLMDMASKEDIT", L"TLMDBROWSEEDIT",
                 L"TLMDEXTSPINEDIT", L"TLMDCALENDAREDIT", L"TLMDFILEOPENEDIT", L"TLMDFILESAVEEDIT", L"TLMDCOLOREDIT",
                 L"TLMDDBEDIT", L"TLMDDBMASKEDIT", L"TLMDDBEXTSPINEDIT", L"TLMDDBSPINEDIT", L"TLMDDBEDITDBLookup",
                 L"TLMDEDITDBLookup", L"TWWDBEDIT", L"TOVCPICTUREFIELD", L"TOVCDBPICTUREFIELD", L"TOVCSLIDEREDIT",
                 L"TOVCDBSLIDEREDIT", L"TOVCSIMPLEFIELD", L"TOVCDBSIMPLEFIELD", L"TO32DBFLEXEDIT",
                 L"TOVCNUMERICFIELD", L"TOVCDBNUMERICFIELD"}},
      {L"radiobutton", {L"TRzDBRadioButton", L"TLMDRadiobutton"}},
      {L"groupbox", {L"TLMDGroupBox", L"TcxGroupbox"}},
      {L"checkbox", {L"TDBCheckboxEh", L"TLMDCHECKBOX", L"TLMDDBCHECKBOX", L"TDBCheckboxEh"}},
  };
  return groups;
}

bool InDesigner(const TComponent* c) { return (c->ComponentState() & csDesigning) != 0; }

}  // namespace

const std::vector<std::wstring>& DefaultSkin3rd() {
  static const std::vector<std::wstring> lines = [] {
    std::vector<std::wstring> out;
    for (const TKindGroup& g : KindGroups())
      for (const wchar_t* cls : g.classes) out.push_back(std::wstring(cls) + L"=" + g.kind);
    return out;
  }();
  return lines;
}

TSkinData::TSkinData(TComponent* owner)
    : TComponent(owner),
      FContainers((1u << (xccPageScroller + 1)) - 1),
      skin_controls_(((1u << (xcFastReport + 1)) - 1) & ~Bit(xcMenuItem) & ~Bit(xcFastReport)),
      options_(Bit(xoPreview) | Bit(xoToolbarBK) | Bit(xoCaptionButtonHint)),
      skin3rd_(DefaultSkin3rd()),
      skin_(std::make_shared<TSkinObjects>()),
      thread_(GetCurrentThreadId()),
      fhintwindow_(std::make_unique<THintWindow>()) {
  if (!LoadBitmapResource(kGlazeMenuResource, bmpmenu)) bmpmenu.SetSize(0, 0);
  bmpmenu.SetTransparent(true);
  bmpmenu.SetTransparentColor(clWhite);
  cxMax = GetSystemMetrics(SM_CXMAXIMIZED);
  cyMax = GetSystemMetrics(SM_CYMAXIMIZED);
}

TSkinData::~TSkinData() {
  // Every skinner that uses this component lets go of it first (the manager sees to that).
  if (TSkinHost* h = SkinHost(); h && !manager_gone_) h->RemoveSkinData(this);
}

std::shared_ptr<TSkinObjects> TSkinData::Skin() const {
  std::lock_guard<std::mutex> lock(skin_mutex_);
  return skin_;
}

void TSkinData::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "SkinStream",
      [this](TStream& s) {
        data_.Clear();
        uint32_t count = 0;
        if (s.Read(&count, 4) != 4 || count == 0) return;
        // A stored count past the stored bytes is a damaged package: no skin, and the
        // form that holds it still opens.
        if (count > static_cast<uint64_t>(s.Remaining())) return;
        data_.SetSize(count);
        s.ReadBuffer(data_.Memory(), count);
        if (InDesigner(this)) return;
        try {
          LoadSkin();
        } catch (const std::exception&) {
          empty_ = true;  // the engine never reports: a broken stored skin is no skin
        }
      },
      [this](TStream& s) {
        s.WriteU32(static_cast<uint32_t>(data_.Size()));
        if (data_.Size() > 0) s.WriteBuffer(data_.Memory(), static_cast<size_t>(data_.Size()));
      },
      true);
}

bool TSkinData::LoadSkin() {
  empty_ = true;
  if (InDesigner(this)) return false;
  TSkinReader reader;
  data_.SetPosition(0);
  if (!reader.Loadfromstream(data_)) return false;
  TQuickIni ini;
  TMemoryStream ms;
  std::wstring fname;
  reader.readIni(L".ini", ms, fname);
  ms.SetPosition(0);
  ini.LoadFromStream(&ms);
  // Into a new set: a definition that fails half-way leaves the previous skin whole, and
  // painters still drawing from it keep it until they are done.
  auto fresh = std::make_shared<TSkinObjects>();
  ReadSkin(reader, ini, *fresh);
  {
    std::lock_guard<std::mutex> lock(skin_mutex_);
    skin_.swap(fresh);
  }
  empty_ = false;
  return true;
}

void TSkinData::Loaded() {
  TComponent::Loaded();
  if (InDesigner(this)) return;
  if (!User32HasEntry(TUser32Entry::GetScrollBarInfo)) skin_controls_ &= ~Bit(xcScrollbar);
  TSkinHost* m = MakeSkinHost();
  if (!m) return;  // no engine registered: the component only holds its skin
  m->AddSkinData(this);
  NONCLIENTMETRICSW ncm{};
  // The structure of the systems with a padded border first, then the older one.
  for (UINT size : {static_cast<UINT>(sizeof ncm), static_cast<UINT>(sizeof ncm - sizeof(int))}) {
    ncm.cbSize = size;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &ncm, 0)) {
      CaptionFont.SetName(ncm.lfCaptionFont.lfFaceName);
      CaptionFont.SetHeight(ncm.lfCaptionFont.lfHeight);
      CaptionFont.SetCharset(ncm.lfCaptionFont.lfCharSet);
      CaptionFont.SetStyle(ncm.lfCaptionFont.lfWeight >= FW_BOLD ? Bit(fsBold) : 0u);
      break;
    }
  }
  if (form_type_ != TSkinFormType::sfMainform) {
    m->SetActive(true);
    m->SetState(m->State() + 1);
    if (auto* form = dynamic_cast<TWinControl*>(Owner()); form && active_) m->AddForm(form->Handle(), false);
    return;
  }
  m->InstallHook();
  if (active_) {
    if (empty_) active_ = false;
    else m->Request(this, kActionSkinAll, 250);
  }
  if (Has(skin_controls_, xcMainMenu)) skin_controls_ &= ~Bit(xcMenuItem);
  else skin_controls_ &= ~Bit(xcSystemMenu);
  GetAppIcon();
}

void TSkinData::GetAppIcon() {
  int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  HWND app = Application ? Application->Handle() : nullptr;
  HICON icon = app ? reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_SMALL, 0)) : nullptr;
  if (!icon && app) icon = reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_BIG, 0));
  if (!icon && app) icon = reinterpret_cast<HICON>(GetClassLongPtrW(app, GCLP_HICONSM));
  if (!icon && app) icon = reinterpret_cast<HICON>(GetClassLongPtrW(app, GCLP_HICON));
  if (!icon) return;
  TBitmap bmp(cx, cy, TPixelFormat::pf24bit);
  TBrushHandle magenta = MakeSolidBrush(RGB(255, 0, 255));
  RECT r{0, 0, cx, cy};
  FillRect(bmp.DC(), &r, magenta.Get());
  TIconHandle copy(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, 0)));
  DrawIconEx(bmp.DC(), 0, 0, copy ? copy.Get() : icon, cx, cy, 0, nullptr, DI_NORMAL);
  SysIcon.Assign(&bmp);
  SysIcon.SetTransparent(true);
  SysIcon.SetTransparentColor(static_cast<TColor>(0xFF00FF));
}

void TSkinData::LoadFromStream(TStream& stream) {
  empty_ = true;
  data_.Clear();
  data_.CopyFrom(stream, stream.Remaining());
  LoadSkin();
  if (form_type_ == TSkinFormType::sfMainform) ApplySkin();
}

void TSkinData::LoadFromFile(const std::wstring& name) {
  empty_ = true;
  fskinfile_ = name;
  if (InDesigner(this)) {
    if (!name.empty()) data_.Clear();
    return;
  }
  DWORD attrs = GetFileAttributesW(name.c_str());
  if (name.empty() || attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return;
  data_.LoadFromFile(WideToUtf8(name));
  LoadSkin();
  ApplySkin();
}

void TSkinData::LoadFromCollection(TSkinStore* store, int index) {
  if (!store || index < 0 || index >= store->Store()->Count()) return;
  empty_ = true;
  data_.Clear();
  store->Store()->Items(index)->CopyData(data_);
  LoadSkin();
  ApplySkin();
}

void TSkinData::ApplySkin() {
  if (InDesigner(this) || Loading()) return;
  TSkinHost* m = SkinHost();
  if (!m) {
    Loaded();  // makes the manager and registers this component
    m = SkinHost();
    if (!m) return;
  }
  m->DeleteSysbtn(this);
  if (m->State() == 1) m->Request(this, kActionSkinChanged, 250);
}

void TSkinData::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (InDesigner(this) || Loading()) return;
  TSkinHost* m = SkinHost();
  if (!m) return;
  if (form_type_ == TSkinFormType::sfMainform) {
    if (active) {
      if (empty_) return;
      m->Request(this, kActionSkinAll, 250);
      m->SetState(1);
    } else {
      m->Request(this, kActionUnskinAll, 250);
    }
  } else if (form_type_ == TSkinFormType::sfOnlyThisForm) {
    // Switching on an empty component still names it as the one the next action concerns.
    if (active && empty_) m->Request(this, kActionNone, 250);
    else m->Request(this, active ? kActionSkinAll : kActionUnskinAll, 250);
  }
}

// The manager's timer does nothing without the component a request concerns: Install and
// Uninstall name themselves as switching Active does, or they would never take effect.
void TSkinData::Install() {
  if (TSkinHost* m = SkinHost()) m->Request(this, kActionSkinAll, 250);
}

void TSkinData::Uninstall() {
  if (TSkinHost* m = SkinHost()) m->Request(this, kActionUnskinAll, 250);
}

void TSkinData::EnableSkin(bool on) {
  if (TSkinHost* m = SkinHost()) m->SetActive(on);
}

void TSkinData::InstallThread(DWORD thread_id) {
  if (TSkinHost* m = SkinHost()) m->InstallThread(thread_id);
}

void TSkinData::UnInstallThread(DWORD thread_id) {
  if (TSkinHost* m = SkinHost()) m->UnInstallThread(thread_id);
}

void TSkinData::SkinForm(HWND wnd) {
  if (TSkinHost* m = SkinHost()) m->AddForm(wnd, true);
}

void TSkinData::ChangeForm(TWinControl* form) {
  TSkinHost* m = SkinHost();
  if (!m || !form) return;
  m->Request(this, kActionReskinForm, 250, form->Handle());
}

void TSkinData::DoFormSkin(HWND wnd, const std::wstring& class_name, bool& do_skin) {
  formhwnd = wnd;
  if (OnFormSkin) {
    OnFormSkin(this, class_name, do_skin);
    return;
  }
  if (class_name == L"SysMonthCal32") do_skin = false;
  else if (class_name.rfind(L"Tfr", 0) == 0 && Has(skin_controls_, xcFastReport)) do_skin = false;
}

void TSkinData::DoSkinChanged() {
  if (OnSkinChanged) OnSkinChanged(this);
}

void TSkinData::ActivateHint(const RECT& rect, const std::wstring& text) {
  if (!Has(options_, xoCaptionButtonHint) || hashint_ || GetCurrentThreadId() != thread_) return;
  RECT r = fhintwindow_->CalcHintRect(500, text);
  OffsetRect(&r, rect.left, rect.top);
  fhintwindow_->ActivateHint(r, text);
  hashint_ = true;
}

void TSkinData::HideHint() {
  if (!hashint_ || GetCurrentThreadId() != thread_) return;
  fhintwindow_->ReleaseHandle();
  hashint_ = false;
}

void TSkinData::OfferAppIcon(TBitmap& icon) {
  if (SysIcon.Empty() && !icon.Empty() && GetCurrentThreadId() == thread_) SysIcon.Assign(&icon);
}

void TSkinData::ChangeProperty(TObject* object, const std::string& property, const std::string& value) {
  const TPropInfo* p = GetPropInfo(object, property);
  if (p && p->kind == TTypeKind::tkEnumeration) SetEnumProp(object, property, value);
}

bool TSkinData::GetScrollBarInfo(HWND wnd, LONG object_id, SCROLLBARINFO& info) {
  return User32GetScrollBarInfo(wnd, object_id, info);
}

void TSkinData::DoDebug(const std::wstring& text) {
  if (DebugList) DebugList->push_back(text);
}

std::wstring TSkinData::GetFileName(const std::wstring& text) {
  size_t dot = text.find(L'.');
  return dot == std::wstring::npos ? std::wstring() : text.substr(0, dot);
}

int SkinDrawText(HDC dc, const std::wstring& text, RECT& rect, UINT format) {
  // Every system this runs on has the wide-character call.
  return ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

std::wstring AnsiToWideText(const std::string& text) { return AnsiToWide(text); }

std::wstring WideLeft(const wchar_t* chars, int count) {
  if (!chars) return {};
  if (count < 0) return std::wstring(chars);
  return std::wstring(chars, static_cast<size_t>(count));
}

TWinControl* ControlOfWindow(HWND wnd) { return wnd ? FindControl(wnd) : nullptr; }

void TrackMouseLeave(HWND wnd) {
  TRACKMOUSEEVENT tme{};
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = wnd;
  (void)User32TrackMouseEvent(tme);
}

}  // namespace qn
