#include "skin/form/ControlChoice.h"

#include <algorithm>
#include <cwctype>

#include "platform/core/TextConv.h"
#include "platform/win/Controls.h"
#include "platform/win/PropAccess.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

namespace {

using K = TSkinnerKind;
using I = TSkinnerInit;

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

std::wstring LowerWide(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return s;
}

bool Is(TControl* c, const char* ancestor) { return c->InheritsFrom(ancestor); }

TSkinnerChoice Choice(int rule, K kind, I init = I::Init0, int variant = 0) {
  TSkinnerChoice c;
  c.rule = rule;
  c.kind = kind;
  c.init = init;
  c.variant = variant;
  c.handled = true;
  return c;
}

// A window whose rectangle is larger than its client area has a border.
bool HasBorder(TControl* control) {
  auto* w = dynamic_cast<TWinControl*>(control);
  if (!w || !w->HandleAllocated()) return false;
  RECT wr{}, cr{};
  if (!GetWindowRect(w->Handle(), &wr) || !GetClientRect(w->Handle(), &cr)) return false;
  return (wr.right - wr.left) != cr.right || (wr.bottom - wr.top) != cr.bottom;
}

TSkinnerChoice FromSkin3rd(TControl* control, const std::wstring& kind, const std::string& key_class,
                           const TChoiceContext& ctx) {
  const TSkinControlTypes set = ctx.controls;
  const std::string name = Upper(control->ClassName());
  TSkinnerChoice none = Choice(kSkin3rdRule, K::None);
  auto gated = [&](int gate, TSkinnerChoice c) { return Has(set, gate) ? c : none; };
  auto with_props = [](TSkinnerChoice c) {
    c.properties.push_back({"Transparent", L"True"});
    return c;
  };
  if (kind == L"combobox") return gated(xcCombo, Choice(kSkin3rdRule, K::ComBox));
  if (kind == L"comboboxex") {
    TSkinnerChoice c = Choice(kSkin3rdRule, K::ComBox);
    c.has_button = true;
    return gated(xcCombo, c);
  }
  if (kind == L"edit") return Has(set, xcEdit) && HasBorder(control) ? Choice(kSkin3rdRule, K::Edit) : none;
  if (kind == L"radiobutton") return gated(xcRadioButton, Choice(kSkin3rdRule, K::RadioButton));
  if (kind == L"panel") return gated(xcPanel, with_props(Choice(kSkin3rdRule, K::Box, I::Init1)));
  if (kind == L"trackbar") return gated(xcButton, with_props(Choice(kSkin3rdRule, K::TrackBar)));
  if (kind == L"button") return gated(xcButton, Choice(kSkin3rdRule, K::Button));
  if (kind == L"datetimepicker") return gated(xcCombo, Choice(kSkin3rdRule, K::DateTime));
  if (kind == L"mediaplayer") return gated(xcButton, Choice(kSkin3rdRule, K::MediaPlayer));
  if (kind == L"bitbtn") {
    const bool drop_down = LowerAscii(Utf8ToWide(key_class)) == L"tcxbutton" && PropEnumIs(control, "Kind", "cxbkDropDownButton");
    return gated(xcButton, Choice(kSkin3rdRule, drop_down ? K::MenuButton : K::BitButton));
  }
  if (kind == L"pngbitbtn") {
    TSkinnerChoice c = Choice(kSkin3rdRule, K::BitButton);
    c.pic_field = "PngImage";
    return gated(xcButton, c);
  }
  if (kind == L"pngspeedbutton") {
    TSkinnerChoice c = Choice(kSkin3rdRule, K::SpeedButton, I::Graphic);
    c.pic_field = "PngImage";
    return gated(xcButton, c);
  }
  if (kind == L"menubtn") return gated(xcButton, Choice(kSkin3rdRule, K::MenuButton));
  if (kind == L"speedbutton") return gated(xcSpeedButton, Choice(kSkin3rdRule, K::SpeedButton, I::Graphic));
  if (kind == L"tab") return Has(set, xcTab) && ctx.has_tab_object ? Choice(kSkin3rdRule, K::Tab) : none;
  if (kind == L"progress") return gated(xcProgress, Choice(kSkin3rdRule, K::Progress));
  if (kind == L"scrollbar") {
    TSkinnerChoice c = Choice(kSkin3rdRule, K::Scrollbar, I::Scrollbar);
    c.walk = TChildWalk::ChildrenAfter;
    return gated(xcScrollbar, c);
  }
  if (kind == L"singlescrollbar") return gated(xcScrollbar, Choice(kSkin3rdRule, K::Scrollbar, I::Scrollbar, 1));
  if (kind == L"embedscrollbar") {
    TSkinnerChoice c = none;
    c.walk = TChildWalk::EmbeddedScrollbars;
    return gated(xcScrollbar, c);
  }
  if (kind == L"container") {
    TSkinnerChoice c = none;
    c.walk = TChildWalk::ChildrenAfter;
    return c;
  }
  if (kind == L"groupbox") return gated(xcGroupBox, Choice(kSkin3rdRule, K::GroupBox, I::Init1));
  if (kind == L"advpagecontrol") return gated(xcTab, Choice(kSkin3rdRule, K::AdvPage, I::Init1, 4));
  if (kind == L"radiogroup" || kind == L"checkgroup") {
    const bool radio = kind == L"radiogroup";
    if (!Has(set, radio ? xcGroupBox : xcPanel)) return none;
    TSkinnerChoice c = none;
    if (Has(set, xcRadioButton)) {
      const bool rz = name.find("TRZ") != std::string::npos;
      c.child_kind = rz ? K::ObjImage : (radio ? K::RadioButton : K::CheckBox);
      c.child_init = rz ? I::Init1 : I::Init0;
      c.child_variant = rz ? (radio ? 2 : 1) : 0;
    }
    if (radio || Has(set, xcGroupBox)) {
      c.kind = K::GroupBox;
      c.init = I::Init1;
    }
    return c;
  }
  if (kind == L"checkbox") return gated(xcCheckBox, Choice(kSkin3rdRule, K::CheckBox));
  return none;  // "nil" and kinds not known: handled, and left alone
}

TSkinnerChoice FromClassRules(TControl* control, const TChoiceContext& ctx) {
  const TSkinControlTypes set = ctx.controls;
  const std::string name = Upper(control->ClassName());
  const bool tabs = Has(set, xcTab) && ctx.has_tab_object;
  auto named = [&](std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
  };

  if (Is(control, "TCustomTabControl") && tabs) {
    if (!Is(control, "TPageControl")) return Choice(1, K::Tab, I::Init0, 2);
    return Choice(1, PropEnumIs(control, "Style", "tsTabs") || GetPropEnum(control, "Style").empty() ? K::Tab : K::TabBtn);
  }
  if (ctx.main_menu && GetPropObject(control, "Menu")) {
    TSkinnerChoice c = Choice(2, K::None);
    c.owner_draw_menu = true;
    return c;
  }
  if (Is(control, "TCoolBar") && Has(set, xcToolbar)) {
    TSkinnerChoice c = Choice(3, K::None);
    c.recolor = true;
    return c;
  }
  if (name == "TTABSET" && tabs) return Choice(4, K::Tab31);
  if (Is(control, "TTabSheet") && tabs) return Choice(5, K::TabSheet);
  if (name == "TTABBEDNOTEBOOK" && tabs) return Choice(6, K::Tab);
  if (name == "TMVCPANEL") {
    TSkinnerChoice c = Choice(7, K::None);
    c.walk = TChildWalk::ChildrenAfter;
    return c;
  }
  if ((Is(control, "THeaderControl") || Is(control, "TCustomHeaderControl")) && Has(set, xcPanel))
    return Choice(8, K::Header);
  if ((Is(control, "TCustomCheckBox") || Is(control, "TCheckBox")) && Has(set, xcCheckBox)) return Choice(9, K::CheckBox);
  if (Is(control, "TTrackBar") && Has(set, xcTrackBar)) return Choice(10, K::TrackBar);
  if (named({"TUPDOWN", "TSPINBUTTON"}) && Has(set, xcSpin)) return Choice(11, K::UpDown);
  if (name == "TMEDIAPLAYER" && Has(set, xcButton)) return Choice(12, K::MediaPlayer);
  if (Is(control, "TCustomRadioGroup") && Has(set, xcRadioButton)) {
    TSkinnerChoice c = Choice(13, K::GroupBox, I::Init1);
    c.child_kind = K::RadioButton;
    return c;
  }
  if (name == "TDBNAVIGATOR" && Has(set, xcPanel)) {
    TSkinnerChoice c = Choice(14, K::Box, I::Init1);
    c.walk = TChildWalk::EachChild;
    return c;
  }
  if (named({"TRZDBCHECKBOX", "TRZCHECKBOX"}) && Has(set, xcCheckBox)) return Choice(15, K::ObjImage, I::Init1, 1);
  if (named({"TRZRADIOBUTTON", "TRZDBRADIOBUTTON"}) && Has(set, xcRadioButton)) return Choice(16, K::ObjImage, I::Init1, 2);
  if (named({"TCXDBCHECKBOX", "TCXCHECKBOX"}) && Has(set, xcCheckBox)) return Choice(17, K::ObjImage, I::Init1, 3);
  if (Is(control, "TCustomGroupBox") && Has(set, xcPanel)) {
    TSkinnerChoice c = Choice(18, K::GroupBox);
    c.walk = TChildWalk::ChildrenFirst;
    return c;
  }
  if (Is(control, "TRadioButton") && Has(set, xcRadioButton)) return Choice(19, K::RadioButton);
  if (Is(control, "TToolBar") && Has(set, xcToolbar)) {
    TSkinnerChoice c = Choice(20, K::Box);
    c.properties.push_back({"Flat", L"True"});
    c.owner_draw_menu = true;
    return c;
  }
  if (Is(control, "TCustomStatusBar") && Has(set, xcStatusBar)) return Choice(21, K::StatusBar);
  if (Is(control, "TProgressBar") && Has(set, xcProgress)) return Choice(22, K::Progress);
  if (Is(control, "TScrollBar") && Has(set, xcScrollbar)) return Choice(23, K::ScControl, I::Scrollbar);
  if (name == "TTNTCOMBOBOX" && Has(set, xcCombo)) return Choice(24, K::ComBox);
  if (Is(control, "TCustomComboBox") && Has(set, xcCombo)) return Choice(25, K::ComBox);
  if (Is(control, "TDateTimePicker") && Has(set, xcEdit)) {
    // A picker of times, or of dates with an up-down, has no drop-down button to paint.
    const bool up_down = PropEnumIs(control, "DateMode", "dmUpDown") || PropEnumIs(control, "Kind", "dtkTime");
    return Choice(26, up_down ? K::Edit : K::DateTime);
  }
  if (Has(set, xcScrollbar) && name == "TRICHEDIT") return Choice(27, K::Scrollbar, I::Scrollbar);
  if (Has(set, xcScrollbar) && named({"TWWDBRICHEDIT", "TDXDBMEMO"})) return Choice(28, K::Scrollbar, I::Scrollbar);
  if (Is(control, "TBitBtn")) return Has(set, xcBitBtn) ? Choice(29, K::BitButton) : Choice(29, K::None);
  if (Is(control, "TSpeedButton") && Has(set, xcSpeedButton)) return Choice(30, K::SpeedButton, I::Graphic);
  if (Is(control, "TCustomPanel") && Has(set, xcPanel)) {
    TSkinnerChoice c = Choice(31, K::Box, I::Init1);
    c.walk = TChildWalk::ChildrenFirst;
    return c;
  }
  if (named({"TDXTREELIST", "TDXDBTREELIST", "TDXDBGRID"}) && Has(set, xcScrollbar))
    return Choice(32, K::Scrollbar, I::Scrollbar);
  if (Is(control, "TCustomListView") && Has(set, xcScrollbar)) return Choice(33, K::ListView, I::Scrollbar);
  if (Has(set, xcScrollbar) && Is(control, "TCustomMemo")) return Choice(34, K::Scrollbar, I::Scrollbar);
  if (Has(set, xcScrollbar) && Is(control, "TCustomGrid")) return Choice(35, K::Scrollbar, I::Scrollbar);
  if (Has(set, xcScrollbar) && HasScrollBars(control)) return Choice(36, K::Scrollbar, I::Scrollbar);
  if (Is(control, "TButton") && Has(set, xcButton)) return Choice(37, K::Button);
  if (Is(control, "TCustomEdit") && Has(set, xcEdit)) return Choice(38, K::Edit);
  if (!named({"TDCEDIT", "TDCDBEDIT"})) {
    if (Is(control, "TCustomForm")) {
      TSkinnerChoice c = Choice(39, K::Box, I::Init1);
      c.walk = TChildWalk::OwnedControls;
      return c;
    }
    if (Is(control, "TCustomFrame")) {
      TSkinnerChoice c = Choice(39, K::None);
      c.walk = TChildWalk::OwnedControls;
      return c;
    }
    return {};  // labels, images and the like stay plain
  }
  const int buttons = GetPropInt(control, "NumButtons");
  if (buttons == 1 && Has(set, xcCombo)) return Choice(40, K::ComBox);
  if (buttons == 0 && Has(set, xcEdit)) return Choice(40, K::Edit, I::Hwnd);
  return Choice(40, K::None);
}

}  // namespace

std::wstring Skin3rdKind(const std::vector<std::wstring>& lines, const std::string& class_name, bool& found) {
  const std::wstring key = LowerWide(Utf8ToWide(class_name)) + L"=";
  for (const std::wstring& line : lines) {
    if (line.size() < key.size() || LowerWide(line.substr(0, key.size())) != key) continue;
    found = true;
    const size_t eq = line.find(L'=');
    return LowerWide(line.substr(eq + 1, 50));
  }
  found = false;
  return {};
}

bool HasScrollBars(TControl* control) {
  if (auto* w = dynamic_cast<TWinControl*>(control); w && w->HandleAllocated()) {
    if (GetWindowLongPtrW(w->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) return true;
  }
  return Is(control, "TMemo") || Is(control, "TCustomListBox") || Is(control, "TCustomTreeView") ||
         Is(control, "TCustomRichEdit") || Is(control, "TCustomListView");
}

TSkinnerChoice ChooseForControl(TControl* control, const TChoiceContext& context) {
  if (!control) return {};
  if (context.skin3rd) {
    bool found = false;
    const std::wstring kind = Skin3rdKind(*context.skin3rd, control->ClassName(), found);
    if (found) return FromSkin3rd(control, kind, control->ClassName(), context);
  }
  const std::string name = Upper(control->ClassName());
  if (name == "TDBCOMBOBOXEH" || name == "TFRDESIGNERPAGE" || name == "TFRPBOX") {
    TSkinnerChoice c;
    c.handled = true;
    return c;
  }
  return FromClassRules(control, context);
}

TSkinnerChoice ChooseForWindow(HWND wnd, const TChoiceContext& ctx) {
  if (!wnd) return {};
  const std::wstring cls = LowerAscii(GetWndClassName(wnd));
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
  const TSkinControlTypes set = ctx.controls;
  auto row = [&](int n, K kind, bool gate = true) {
    TSkinnerChoice c = Choice(kWindowRule + n, gate ? kind : K::None, I::Hwnd);
    return c;
  };
  if (cls == L"button" && (style & 0xB) != 0xB) {
    if ((style & 7) == 7 || (style & BS_BITMAP)) return row(1, K::None);
    if ((style & 3) == 3 || (style & 2) || (style & 5) == 5) return row(2, K::CheckBox, Has(set, xcCheckBox));
    if ((style & 9) == 9 || (style & 4)) return row(3, K::RadioButton, Has(set, xcRadioButton));
    return row(4, K::Button, Has(set, xcButton));
  }
  if (cls == L"combobox" && Has(set, xcCombo)) return row(5, K::ComBox, (style & 3) != CBS_SIMPLE);
  if (cls == L"comboboxex32" && Has(set, xcCombo)) {
    TSkinnerChoice c = row(6, K::ComBox, GetWindow(wnd, GW_CHILD) != nullptr);
    c.attach_to_child = true;
    return c;
  }
  if (cls == L"scrollbar" && !(style & 0x10000)) return row(7, K::Sizer);
  if (cls == L"systreeview32") return row(8, K::None);
  if (cls == L"#32770" && !(style & 0x10000)) {
    TSkinnerChoice c = row(9, K::BoxH);
    c.walk = TChildWalk::Windows;
    return c;
  }
  if (cls == L"tpanel" || cls == L"ttntpanel.unicodeclass" || cls == L"ttntsilentpaintpanel.unicodeclass") {
    TSkinnerChoice c = row(10, K::None);
    c.walk = TChildWalk::Windows;
    c.recolor = true;
    return c;
  }
  if (cls == L"tcheckbox" && Has(set, xcCheckBox)) return row(11, K::CheckBox);
  if (cls == L"tcombobox" && Has(set, xcCombo)) return row(12, K::ComBox);
  if (cls == L"tbutton" && Has(set, xcButton)) return row(13, K::Button);
  if (cls == L"tprogressbar") return row(14, K::Progress);
  if (cls == L"tsilentpaintpanel") {
    TSkinnerChoice c = row(15, K::None);
    c.recolor = true;
    return c;
  }
  if (cls == L"systabcontrol32" && Has(set, xcTab) && !(style & 0x2000)) return row(16, K::Tab);
  if (cls == L"toolbarwindow32") return row(17, K::BoxH);
  if (cls == L"edit" && Has(set, xcEdit)) return row(18, K::Edit);
  return {};
}

}  // namespace qn
