#include "skin/controls/SkinMediaPlayer.h"

#include <windowsx.h>

#include "platform/core/Classes.h"
#include "platform/win/Blit.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/WinUtil.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TWMediaPlayer, TCustomPanel)
QN_CLASS_IMPL(TSkinMP, TSkinControl)

namespace {

constexpr int kNone = kMPButtonCount;
constexpr TColor kGlyphTransparent = 0x008080;  // olive, in every media glyph

// A published set property as its value names in brackets ("[btPlay,btStop]"); empty when the
// control has no such set.
std::string SetPropAsText(TObject* obj, std::string_view name) {
  const TPropInfo* p = obj ? GetPropInfo(obj, name) : nullptr;
  if (!p || p->kind != TTypeKind::tkSet || !p->getOrd || !p->enumType) return {};
  const int64_t bits = p->getOrd(*obj);
  std::string text = "[";
  for (size_t i = 0; i < p->enumType->names.size() && i < 63; ++i) {
    if (!(bits & (int64_t(1) << i))) continue;
    if (text.size() > 1) text += ",";
    text += p->enumType->names[i];
  }
  return text + "]";
}

// Whether a set's text names the value: whole names only, so that one name inside another
// never counts.
bool SetTextHas(const std::string& text, const std::string& value) {
  size_t at = 0;
  while ((at = text.find(value, at)) != std::string::npos) {
    const size_t end = at + value.size();
    const bool starts = at > 0 && (text[at - 1] == '[' || text[at - 1] == ',' || text[at - 1] == ' ');
    const bool ends = end < text.size() && (text[end] == ']' || text[end] == ',' || text[end] == ' ');
    if (starts && ends) return true;
    at = end;
  }
  return false;
}

}  // namespace

// ---- The panel ----

TWMediaPlayer::TWMediaPlayer(TComponent* owner) : TCustomPanel(owner) {
  SetBevelOuter(TPanelBevel::bvNone);
  static constexpr const wchar_t* kStates[3] = {L"EN", L"DI", L"CL"};
  for (int i = 0; i < kMPButtonCount; ++i) {
    TMPButton& b = Buttons[size_t(i)];
    TBitmap* glyphs[3] = {&b.glyph_enabled, &b.glyph_disabled, &b.glyph_colored};
    for (int s = 0; s < 3; ++s)
      LoadMPGlyph(std::wstring(kStates[s]) + L"_" + MPGlyphName(static_cast<TMPBtnType>(i)), *glyphs[s]);
  }
}

void TWMediaPlayer::Attach(TSkinControl* skinner, TWinControl* control) {
  obj = control;
  skincontrol = skinner;
  fsd = skinner->fsd;
  // Control discovery leaves the panel alone.
  if (fsd) SetTag(fsd->DisableTag());
  SetPosition(control);
  SetParent(control->Parent());
  BringToFront();
}

void TWMediaPlayer::SetPosition(TWinControl* control) {
  if (control) SetBounds(control->Left(), control->Top(), control->Width(), control->Height());
}

void TWMediaPlayer::ReadButtons() {
  const std::string visible = SetPropAsText(obj, "VisibleButtons");
  const std::string enabled_set = SetPropAsText(obj, "EnabledButtons");
  const std::string colored = SetPropAsText(obj, "ColoredButtons");
  count = 0;
  for (int i = 0; i < kMPButtonCount; ++i) {
    const std::string& name = kMPBtnTypeInfo.names[size_t(i)];
    TMPButton& b = Buttons[size_t(i)];
    b.visible = SetTextHas(visible, name);
    b.enabled = SetTextHas(enabled_set, name);
    b.colored = SetTextHas(colored, name);
    if (b.visible) ++count;
  }
}

int TWMediaPlayer::ButtonAt(int x) const {
  int start = 0;
  for (int i = 0; i < kMPButtonCount; ++i) {
    if (!Buttons[size_t(i)].visible) continue;
    if (start <= x && x <= start + BtnWidth) return i;
    start += BtnWidth;
  }
  return kNone;
}

void TWMediaPlayer::Paint() {
  // The engine's own window: a failure of its paint is dropped, never reported to the user;
  // the panel then shows what it last showed.
  try {
    PaintButtons();
  } catch (...) {
    DropCurrentException();
  }
}

void TWMediaPlayer::PaintButtons() {
  HDC target = Canvas().Handle();
  if (!target || !skincontrol) return;
  ReadButtons();
  const int w = Width(), h = Height();
  const TColor face = skincontrol->FaceColor();
  if (count == 0) {
    FillColor(target, RECT{0, 0, w, h}, face);
    return;
  }
  BtnWidth = w / count;
  TBitmap picture(w, h, TPixelFormat::pfDevice);
  HDC dc = picture.DC();
  if (!dc) return;
  FillColor(dc, RECT{0, 0, w, h}, face);
  int x = 0;
  for (int i = 0; i < kMPButtonCount; ++i) {
    if (!Buttons[size_t(i)].visible) continue;
    DrawButton(dc, RECT{x, 0, x + BtnWidth, h}, i);
    x += BtnWidth;
  }
  BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

void TWMediaPlayer::DrawButton(HDC dc, const RECT& r, int i) {
  TMPButton& b = Buttons[size_t(i)];
  TBitmap& glyph = !b.enabled ? b.glyph_disabled : b.colored ? b.glyph_colored : b.glyph_enabled;
  const int frame = !b.enabled ? 3 : (IsDown && BtnClick == i) ? 2 : 1;
  auto skin = skincontrol->Skin();
  if (skin && skin->Button) {
    TDataSkinButton& face = *skin->Button;
    auto lock = skin->PaintLock();
    DrawSkinRect(dc, r, face.Map, MarginRect(face.r), frame, face.frame, face.trans == 1, face.Tile != 0, false);
  }
  if (glyph.Empty()) return;
  const int gw = glyph.Width(), gh = glyph.Height();
  const int shift = frame == 2 ? 1 : 0;
  const int x = r.left + (r.right - r.left - gw) / 2 + shift, y = (r.bottom - r.top - gh) / 2 + shift;
  TBitmapHandle mask = glyph.MakeMask(kGlyphTransparent);
  if (mask) BlitTransparent(dc, x, y, gw, gh, glyph.DC(), 0, 0, mask.Get());
}

bool TWMediaPlayer::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      IsDown = true;
      const bool handled = TCustomPanel::HandleMessage(m);
      // The player takes the press as its own (and captures the mouse, which stays with the
      // panel instead).
      if (obj && obj->HandleAllocated()) obj->Perform(WM_LBUTTONDOWN, m.WParam, m.LParam);
      ReleaseCapture();
      BtnFocuse = ButtonAt(GET_X_LPARAM(m.LParam));
      BtnClick = BtnFocuse;
      Invalidate();
      return handled;
    }
    case WM_LBUTTONUP: {
      IsDown = false;
      const bool handled = TCustomPanel::HandleMessage(m);
      BtnFocuse = ButtonAt(GET_X_LPARAM(m.LParam));
      // Released over another button than the pressed one: nothing is clicked.
      if (BtnFocuse == BtnClick && obj && obj->HandleAllocated()) obj->Perform(WM_LBUTTONUP, m.WParam, m.LParam);
      BtnClick = BtnFocuse;
      Invalidate();
      return handled;
    }
    default:
      return TCustomPanel::HandleMessage(m);
  }
}

// ---- The skinner ----

void TSkinMP::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  TSkinControl::Init(sf, sd, acanvas, acolor);
  if (!Inited || !control || mp) return;
  mp = new TWMediaPlayer(this);
  mp->Attach(this, control);
  mp->SetVisible(control->Visible());
}

void TSkinMP::Unsubclass() {
  TSkinControl::Unsubclass();
  TWMediaPlayer* panel = mp;
  if (!panel) return;
  if (skinstate == kSkinWindowGone) {
    // The player's window is going, perhaps with its parent's: the panel is only hidden now
    // and goes with the skinner.
    if (panel->HandleAllocated()) ShowWindow(panel->Handle(), SW_HIDE);
    return;
  }
  mp = nullptr;
  panel->Free();
}

void TSkinMP::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_WINDOWPOSCHANGED:
      if (mp) mp->SetPosition(control);
      return;
    case CM_VISIBLECHANGED:
      if (mp && control) mp->SetVisible(control->Visible());
      return;
    case WM_PAINT:
      // The player repaints when what it shows changed (its buttons' states), and the panel
      // over it shows the same.
      if (mp) mp->Invalidate();
      return;
    default:
      TSkinControl::AfterProc(msg);
  }
}

void TSkinMP::SkinChange() {
  TSkinControl::SkinChange();
  if (mp) mp->Invalidate();
}

}  // namespace qn
