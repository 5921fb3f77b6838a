// Which skinner control discovery gives a control of a form, or a plain child window: the two
// decision tables, kept apart from the walks that visit the controls and from making the
// skinners, so that every row can be checked on its own.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "skin/controls/SkinnerKind.h"
#include "skin/data/SkinTypes.h"

namespace qn {

class TControl;

// How a skinner is attached: to a control object (recolouring it to the skin's face colour or
// not), as a scroll-bar skinner, to a window-less control, or to a bare window.
enum class TSkinnerInit { Init0, Init1, Scrollbar, Graphic, Hwnd };

// What a rule asks done with the control's children besides its own skinner.
enum class TChildWalk {
  None,
  ChildrenFirst,  // every child control is discovered before the control's own skinner
  ChildrenAfter,  // ... after it
  EachChild,      // every child control is discovered as if it had no container
  OwnedControls,  // the control's owned controls are walked as a form's are
  Windows,        // the child windows of a bare window are walked
  // Each child control gets a scroll-bar skinner of its kind: a scroll box's, or the plain one
  // when it has scroll bars.
  EmbeddedScrollbars,
};

struct TSkinnerChoice {
  int rule = 0;  // the row that decided: class rules 1-40, kSkin3rdRule, kWindowRule + row, 0: none
  TSkinnerKind kind = TSkinnerKind::None;
  TSkinnerInit init = TSkinnerInit::Init0;
  int variant = 0;                  // the skinner's own variant field
  bool has_button = false;          // combo boxes of the extended kind
  const char* pic_field = nullptr;  // the property the button's picture comes from
  TChildWalk walk = TChildWalk::None;
  // Skinners of the children themselves (radio and check groups): one per child control.
  TSkinnerKind child_kind = TSkinnerKind::None;
  TSkinnerInit child_init = TSkinnerInit::Init0;
  int child_variant = 0;
  // Named properties set before the skinner is attached ("Transparent" = "True" ...).
  std::vector<std::pair<const char*, const wchar_t*>> properties;
  bool recolor = false;          // the control (or its bands) take the skin's face colour
  bool owner_draw_menu = false;  // its menu's items are drawn by the skin
  bool attach_to_child = false;  // the skinner goes on the window's first child (extended combo)
  bool handled = false;          // the decision is final (a Skin3rd line matched, or a rule)
};

constexpr int kSkin3rdRule = 100;
constexpr int kWindowRule = 200;

// What the rules read besides the control itself.
struct TChoiceContext {
  TSkinControlTypes controls = 0;                   // the skin data's SkinControls
  const std::vector<std::wstring>* skin3rd = nullptr;  // class=kind lines
  bool has_tab_object = false;                      // the skin defines tabs
  bool main_menu = false;                           // the form skinner skins the menu bar
};

// The kind a Skin3rd line gives the class (lower case, at most 50 characters); empty with
// found false when no line names it. A line matches when it begins with the class name and
// "=", compared without case.
std::wstring Skin3rdKind(const std::vector<std::wstring>& lines, const std::string& class_name, bool& found);

// The skinner of a control object: the Skin3rd lines first, then the names left alone, then
// the class rules, first match. (The tag, a missing parent, a control skinned already and the
// program's own choice are the walk's to check first.)
TSkinnerChoice ChooseForControl(TControl* control, const TChoiceContext& context);

// The skinner of a plain child window, by its class and style.
TSkinnerChoice ChooseForWindow(HWND wnd, const TChoiceContext& context);

// A windowed control whose window has scroll-bar styles, or a memo, a list box and their like.
bool HasScrollBars(TControl* control);

}  // namespace qn
