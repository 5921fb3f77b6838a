// Control discovery: the walks over a form's controls and a plain window's child windows that
// give each control the skinner ControlChoice.h chooses for it, made by the control skinners'
// factory. A control is never skinned twice: one that answers WM_SKINQUERY, or that a listed
// skinner already skins, is passed by.
#include <algorithm>
#include <cwctype>

#include "platform/core/TextConv.h"

#include "platform/win/PropAccess.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinButtons.h"
#include "skin/controls/SkinScrollbars.h"
#include "skin/controls/WinSubClass.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"
#include "skin/form/ControlChoice.h"
#include "skin/form/WinSkinForm.h"

namespace qn {

namespace {

bool ContainsText(const std::string& text, const char* part) { return LowerAscii(text).find(part) != std::string::npos; }

std::vector<TControl*> ChildControls(TWinControl* container) {
  std::vector<TControl*> children;
  for (int i = 0; i < container->ControlCount(); ++i) children.push_back(container->Controls(i));
  return children;
}

}  // namespace

void TWinSkinForm::PurgeControls() {
  for (TObject* listed : std::vector<TObject*>(Controllist)) {
    auto* skinner = dynamic_cast<TSkinControl*>(listed);
    if (!skinner || skinner->skinstate != kSkinWindowGone) continue;
    DeleteControl(skinner);
    delete skinner;
  }
}

bool TWinSkinForm::IsControlSkinned(TControl* control) {
  auto* w = dynamic_cast<TWinControl*>(control);
  if (w && w->HandleAllocated() && SendMessageW(w->Handle(), WM_SKINQUERY, 0, 0) == 1) return true;
  return std::any_of(Controllist.begin(), Controllist.end(), [&](TObject* listed) {
    auto* skinner = dynamic_cast<TSkinControl*>(listed);
    return skinner && skinner->skinstate != kSkinWindowGone && skinner->Target() == control;
  });
}

void TWinSkinForm::InitControls(TWinControl* form) {
  if (!form || !fsd) return;
  PurgeControls();
  WalkOwnedControls(form);
  // Popup menus of the form come with the skinned menus.
  // Controls the form does not own (made by other components, or at run time) are found in its
  // tab order.
  std::vector<TWinControl*> tab_list;
  form->GetTabOrderList(tab_list);
  for (TWinControl* c : tab_list) {
    if (!c->HandleAllocated() || c->Tag() == fsd->DisableTag()) continue;
    if (SendMessageW(c->Handle(), WM_SKINQUERY, 0, 0) == 1) continue;
    AddComp(c, form);
  }
  AddBareChildren(form);
}

// Windows the program made itself (CreateWindowEx) inside the form or one of the library's own
// containers have no control object: they are chosen by their window class, as in a dialog.
// A wrapped system control's inner windows are left to that control's skinner.
void TWinSkinForm::AddBareChildren(TWinControl* container) {
  if (!container->HandleAllocated()) return;
  std::vector<HWND> children;  // taken first: skinning a child may add overlay windows
  for (HWND c = GetWindow(container->Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  for (HWND c : children) {
    if (!IsWindow(c)) continue;
    TWinControl* control = ControlOfWindow(c);
    if (!control) {
      AddControlh(c);
    } else if (control->Tag() != fsd->DisableTag() &&
               (control->InheritsFrom("TCustomControl") || control->InheritsFrom("TCustomForm"))) {
      AddBareChildren(control);
    }
  }
}

void TWinSkinForm::WalkOwnedControls(TWinControl* container) {
  for (int i = 0; i < container->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(container->Components(i))) AddComp(c, container);
}

void TWinSkinForm::SkinChildren(TWinControl* container) {
  if (!container) return;
  for (TControl* child : ChildControls(container)) AddComp(child, container);
}

void TWinSkinForm::AddComp(TControl* control, TWinControl* wform) {
  if (!control || !fsd) return;
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (control->Tag() == fsd->DisableTag()) {
    // A group of radio or check buttons shields its buttons too.
    if (windowed && (ContainsText(control->ClassName(), "radiogroup") || ContainsText(control->ClassName(), "checkgroup")))
      for (TControl* child : ChildControls(windowed)) child->SetTag(fsd->DisableTag());
    return;
  }
  if (!control->Parent() || IsControlSkinned(control)) return;
  if (windowed && !windowed->HandleAllocated()) {
    try {
      windowed->HandleNeeded();
    } catch (...) {
      DropCurrentException();
      return;
    }
  }
  if (fsd->OnSkinControl) {
    TObject* chosen = nullptr;
    std::wstring name = Utf8ToWide(control->ClassName());
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    try {
      fsd->OnSkinControl(this, fsd, wform, control, name, chosen);
    } catch (...) {
      DropCurrentException();
      chosen = nullptr;
    }
    if (chosen) {
      // The program's own skinner for the control: listed and attached like ours.
      auto* skinner = dynamic_cast<TSkinControl*>(chosen);
      if (skinner && std::find(Controllist.begin(), Controllist.end(), chosen) == Controllist.end()) {
        try {
          skinner->Init(this, fsd, &fcanvas2, skinner->newColor);
        } catch (...) {
          DropCurrentException();
        }
        if (control->InheritsFrom("TCustomPanel")) SkinChildren(windowed);
      }
      return;
    }
  }
  TChoiceContext context;
  context.controls = fsd->SkinControls();
  const std::vector<std::wstring> lines = fsd->Skin3rd();
  context.skin3rd = &lines;
  context.has_tab_object = skin_ && skin_->tab;
  context.main_menu = sMainMenu;
  ApplyChoice(ChooseForControl(control, context), control, wform);
}

namespace {

// Makes and attaches a skinner of that kind; false when none exists of that kind or it could
// not be attached (it is then freed again).
bool AttachSkinner(TWinSkinForm* form, TSkinnerKind kind, TSkinnerInit init, int variant, TControl* control,
                   HWND wnd, TSkinData* data, TCanvas* canvas, const char* pic_field = nullptr) {
  TComponent* owner = init == TSkinnerInit::Hwnd && !control ? static_cast<TComponent*>(form) : control;
  TSkinControl* skinner = MakeControlSkinner(kind, owner);
  if (!skinner) return false;
  skinner->kind = variant;
  // A picture button of another family draws its own picture property instead of a glyph strip.
  if (auto* button = dynamic_cast<TSkinBitButton*>(skinner); button && pic_field) button->PicField = Utf8ToWide(pic_field);
  try {
    switch (init) {
      case TSkinnerInit::Init0:
      case TSkinnerInit::Init1:
        skinner->Init(form, data, canvas, init == TSkinnerInit::Init1);
        break;
      case TSkinnerInit::Graphic:
        skinner->InitGraphicControl(form, data, canvas);
        break;
      case TSkinnerInit::Hwnd:
        skinner->Inithwnd(wnd, data, canvas, form);
        break;
      case TSkinnerInit::Scrollbar: {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (auto* bars = dynamic_cast<TSkinScrollbar*>(skinner)) bars->InitScrollbar(windowed, data, canvas, form);
        else if (auto* bar = dynamic_cast<TSkinScControl*>(skinner)) bar->InitScrollbar(windowed, data, canvas, form);
        break;
      }
    }
  } catch (...) {
    DropCurrentException();
    form->DeleteControl(skinner);
    delete skinner;
    return false;
  }
  // Refused (a window of another thread, one already gone), it is not listed: kept, it would
  // sit on the control, and every later walk would add another.
  if (std::find(form->Controllist.begin(), form->Controllist.end(), skinner) == form->Controllist.end()) {
    form->DeleteControl(skinner);
    delete skinner;
    return false;
  }
  return true;
}

}  // namespace

void TWinSkinForm::ApplyChoice(const TSkinnerChoice& choice, TControl* control, TWinControl* wform) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  for (const auto& [name, value] : choice.properties) {
    try {
      (void)SetPropText(control, name, value);
    } catch (...) {
      DropCurrentException();
    }
  }
  // A banded tool bar's bands and a control's own menu are drawn by the skinners of tool
  // bars and menus, which come later.
  if (windowed && choice.walk == TChildWalk::ChildrenFirst) SkinChildren(windowed);
  if (windowed && choice.child_kind != TSkinnerKind::None) {
    for (TControl* child : ChildControls(windowed)) {
      if (IsControlSkinned(child)) continue;
      auto* child_window = dynamic_cast<TWinControl*>(child);
      AttachSkinner(this, choice.child_kind, choice.child_init, choice.child_variant, child,
                    child_window ? child_window->Handle() : nullptr, fsd, &fcanvas2);
    }
  }
  if (choice.kind != TSkinnerKind::None) {
    AttachSkinner(this, choice.kind, choice.init, choice.variant, control, windowed ? windowed->Handle() : nullptr,
                  fsd, &fcanvas2, choice.pic_field);
  }
  if (!windowed) return;
  switch (choice.walk) {
    case TChildWalk::ChildrenAfter:
      SkinChildren(windowed);
      break;
    case TChildWalk::EachChild:
      for (TControl* child : ChildControls(windowed)) AddComp(child, nullptr);
      break;
    case TChildWalk::OwnedControls:
      WalkOwnedControls(windowed);
      break;
    case TChildWalk::EmbeddedScrollbars:
      for (TControl* child : ChildControls(windowed)) {
        if (IsControlSkinned(child)) continue;
        const bool box = child->InheritsFrom("TScrollBar");
        if (!box && !HasScrollBars(child)) continue;
        auto* child_window = dynamic_cast<TWinControl*>(child);
        AttachSkinner(this, box ? TSkinnerKind::ScControl : TSkinnerKind::Scrollbar, TSkinnerInit::Scrollbar, 0, child,
                      child_window ? child_window->Handle() : nullptr, fsd, &fcanvas2);
      }
      break;
    default:
      break;
  }
  (void)wform;
}

void TWinSkinForm::ReskinRecreated() {
  if (!fsd) return;
  // A skinner outlives its control's window only until the next purge; a control that has a
  // window again gets a skinner for it.
  std::vector<TControl*> again;
  for (TObject* listed : Controllist) {
    auto* skinner = dynamic_cast<TSkinControl*>(listed);
    if (!skinner || skinner->skinstate != kSkinWindowGone || !skinner->control) continue;
    if (skinner->control->HandleAllocated()) again.push_back(skinner->control);
  }
  if (again.empty()) return;
  PurgeControls();
  for (TControl* control : again) AddComp(control, FForm);
}

bool TWinSkinForm::ReplaceScrollSkinner(HWND wnd) {
  if (!wnd || !fsd) return false;
  for (auto it = Controllist.rbegin(); it != Controllist.rend(); ++it) {
    auto* old = dynamic_cast<TSkinScrollbar*>(*it);
    if (!old || (old->hwnd != wnd && old->AttachedWindow() != wnd)) continue;
    TWinControl* control = old->control;
    const TSkinnerKind kind = dynamic_cast<TSkinListView*>(old) ? TSkinnerKind::ListView : TSkinnerKind::Scrollbar;
    const int variant = old->kind;
    DeleteControl(old);
    delete old;
    if (control && control->HandleAllocated())
      AttachSkinner(this, kind, TSkinnerInit::Scrollbar, variant, control, control->Handle(), fsd, &fcanvas2);
    return true;
  }
  return false;
}

void TWinSkinForm::InitHwndControls(HWND parent) {
  if (!parent || !fsd) return;
  PurgeControls();
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetWindowLongPtrW(c, GWL_STYLE) & WS_CHILD) children.push_back(c);
  for (HWND c : children) AddControlh(c);
}

void TWinSkinForm::AddControlh(HWND wnd) {
  if (!wnd || !fsd) return;
  const bool listed = std::any_of(Controllist.begin(), Controllist.end(), [&](TObject* o) {
    auto* skinner = dynamic_cast<TSkinControl*>(o);
    return skinner && skinner->hwnd == wnd && skinner->skinstate != kSkinWindowGone;
  });
  if (listed || SendMessageW(wnd, WM_SKINQUERY, 0, 0) == 1) return;
  TChoiceContext context;
  context.controls = fsd->SkinControls();
  context.has_tab_object = skin_ && skin_->tab;
  context.main_menu = sMainMenu;
  const TSkinnerChoice choice = ChooseForWindow(wnd, context);
  if (choice.walk == TChildWalk::Windows) InitHwndControls(wnd);
  if (choice.recolor && skin_) {
    if (TWinControl* control = ControlOfWindow(wnd)) control->SetColor(skin_->Colors[skin::kcButtonFace]);
  }
  if (choice.kind == TSkinnerKind::None) return;
  HWND target = choice.attach_to_child ? GetWindow(wnd, GW_CHILD) : wnd;
  if (!target) return;
  AttachSkinner(this, choice.kind, TSkinnerInit::Hwnd, choice.variant, nullptr, target, fsd, &fcanvas2);
}

}  // namespace qn
