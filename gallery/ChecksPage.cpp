// The gallery's page of check boxes and radio buttons: boxes in every state, the picture on
// either side, a caption that wraps, radio buttons in two groups, a radio group in columns, and
// a box and a radio button made as bare button windows, as a program without the class library
// makes them.
#include "gallery/GalleryForm.h"

namespace qn {

namespace {

template <class T>
T* Place(TWinControl* parent, int x, int y, int w, int h, const std::wstring& caption = {}) {
  auto* c = new T(parent->Owner() ? parent->Owner() : parent);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

void Note(TWinControl* parent, int x, int y, int w, const std::wstring& caption) {
  auto* label = Place<TLabel>(parent, x, y, w, 18, caption);
  label->SetTransparent(true);
}

TCheckBox* Box(TWinControl* parent, int x, int y, const std::wstring& caption, TCheckBoxState state, bool enabled) {
  auto* box = Place<TCheckBox>(parent, x, y, 150, 22, caption);
  box->SetAllowGrayed(state == TCheckBoxState::cbGrayed);
  box->SetState(state);
  box->SetEnabled(enabled);
  return box;
}

// A panel holding a bare check box and a bare radio button, made with its window.
class TBareButtonPanel : public TPanel {
 public:
  explicit TBareButtonPanel(TComponent* owner) : TPanel(owner) { SetBevelOuter(TPanelBevel::bvNone); }

 protected:
  void CreateWindowHandleDone() override {
    TPanel::CreateWindowHandleDone();
    const struct {
      const wchar_t* caption;
      DWORD style;
      int y;
    } buttons[] = {{L"Bare check box", BS_AUTOCHECKBOX, 0}, {L"Bare radio button", BS_AUTORADIOBUTTON, 26}};
    for (const auto& b : buttons) {
      HWND wnd = CreateWindowExW(0, L"BUTTON", b.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | b.style, 0, b.y, 160, 22,
                                 handle_, nullptr, GetModuleHandleW(nullptr), nullptr);
      if (wnd) SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    }
  }
};

}  // namespace

void TGalleryForm::BuildChecksPage(TTabSheet* page) {
  Note(page, 16, 10, 480, L"Check boxes: unchecked, checked and grayed, and each disabled.");
  Box(page, 16, 32, L"&Unchecked", TCheckBoxState::cbUnchecked, true);
  Box(page, 176, 32, L"&Checked", TCheckBoxState::cbChecked, true);
  Box(page, 336, 32, L"&Grayed", TCheckBoxState::cbGrayed, true);
  Box(page, 16, 58, L"Unchecked, disabled", TCheckBoxState::cbUnchecked, false);
  Box(page, 176, 58, L"Checked, disabled", TCheckBoxState::cbChecked, false);
  Box(page, 336, 58, L"Grayed, disabled", TCheckBoxState::cbGrayed, false);
  auto* right = Box(page, 16, 86, L"Picture on the &right", TCheckBoxState::cbChecked, true);
  right->SetAlignment(TAlignment::taLeftJustify);
  auto* wrapped = Box(page, 176, 84, L"A longer caption that wraps onto a second line", TCheckBoxState::cbUnchecked, true);
  wrapped->SetBounds(176, 84, 200, 36);

  Note(page, 16, 128, 480, L"Radio buttons in two groups; the arrow keys move within a group.");
  auto* wines = Place<TGroupBox>(page, 16, 150, 160, 110, L"Wine");
  const wchar_t* wine_names[] = {L"Ginseng", L"Wolfberry", L"Jujube (none left)"};
  for (int i = 0; i < 3; ++i) {
    auto* radio = Place<TRadioButton>(wines, 12, 22 + 26 * i, 140, 22, wine_names[i]);
    radio->SetChecked(i == 0);
    radio->SetEnabled(i != 2);
  }
  auto* dose = Place<TGroupBox>(page, 188, 150, 130, 110, L"Dose");
  const wchar_t* doses[] = {L"&Morning", L"&Evening"};
  for (int i = 0; i < 2; ++i) {
    auto* radio = Place<TRadioButton>(dose, 12, 22 + 26 * i, 110, 22, doses[i]);
    radio->SetChecked(i == 1);
  }
  auto* on_left = Place<TRadioButton>(dose, 12, 74, 110, 22, L"Picture right");
  on_left->SetAlignment(TAlignment::taLeftJustify);

  auto* seasons = Place<TRadioGroup>(page, 330, 150, 180, 110, L"Season (radio group)");
  seasons->SetColumns(2);
  seasons->SetItems({L"Spring", L"Summer", L"Autumn", L"Winter"});
  seasons->SetItemIndex(3);

  Note(page, 16, 272, 480, L"Bare button windows made with CreateWindowEx:");
  Place<TBareButtonPanel>(page, 16, 294, 200, 50);
}

}  // namespace qn
