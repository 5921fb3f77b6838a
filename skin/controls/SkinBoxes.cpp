#include "skin/controls/SkinBoxes.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "platform/core/TextConv.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/PropAccess.h"
#include "skin/controls/CanvasText.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinGroupBox, TSkinControl)
QN_CLASS_IMPL(TSkinBox, TSkinControl)
QN_CLASS_IMPL(TSkinBoxH, TSkinControl)
QN_CLASS_IMPL(TSkinSizer, TSkinControl)
QN_CLASS_IMPL(TSkinStatusBar, TSkinControl)

namespace {

// Every status-bar panel image holds lowered, raised and flat panels side by side.
constexpr int kPanelFrames = 3;
constexpr int kPanelLowered = 1, kPanelRaised = 2, kPanelFlat = 3;
// The size grip's cell in the extra images.
constexpr int kGripCell = 5;
// Space between a panel's edges and its text.
constexpr int kPanelTextInset = 2;
// A group box's caption starts (or, right-aligned, ends) this far from its edge.
constexpr int kGroupCaptionInset = 8;

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// An enumeration property whose value says right-to-left reading ("bdRightToLeft" and its kin).
bool ReadsRightToLeft(TObject* obj) {
  const std::string mode = LowerAscii(GetPropEnum(obj, "BiDiMode"));
  return !mode.empty() && mode != "bdlefttoright";
}

// The canvas on dc for one scope; it lets go of dc (and dc gets its objects back) at the end.
class TCanvasOn {
 public:
  TCanvasOn(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
  TCanvasOn(const TCanvasOn&) = delete;
  TCanvasOn& operator=(const TCanvasOn&) = delete;
  ~TCanvasOn() { canvas_.SetHandle(nullptr); }

 private:
  TCanvas& canvas_;
};

// A one-pixel 3-D frame: lowered has its shadow at the top and left, raised at the bottom and
// right; anything else draws nothing.
void DrawBevel(HDC dc, const RECT& r, int kind) {
  if (kind != kPanelLowered && kind != kPanelRaised) return;
  if (r.right <= r.left || r.bottom <= r.top) return;
  const TColor top_left = kind == kPanelLowered ? clBtnShadow : clBtnHighlight;
  const TColor bottom_right = kind == kPanelLowered ? clBtnHighlight : clBtnShadow;
  FillColor(dc, RECT{r.left, r.top, r.right, r.top + 1}, top_left);
  FillColor(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, top_left);
  FillColor(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
  FillColor(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottom_right);
}

// The skin's panel image, when it holds three frames of at least a pixel each.
TDataSkinObject* PanelImage(TSkinObjects* skin) {
  if (!skin || !skin->StatusBar) return nullptr;
  TDataSkinObject& bar = *skin->StatusBar;
  if (bar.Map.Empty() || bar.Map.Width() / kPanelFrames <= 0) return nullptr;
  return &bar;
}

// Where the window's client area lies in its whole-window rectangle.
POINT ClientOrigin(HWND wnd) {
  POINT origin{0, 0};
  RECT window;
  if (!wnd || !ClientToScreen(wnd, &origin) || !GetWindowRect(wnd, &window)) return POINT{0, 0};
  return POINT{origin.x - window.left, origin.y - window.top};
}

// The status-bar panels of the control: its "Panels" collection.
TCollection* PanelsOf(TWinControl* control) {
  return dynamic_cast<TCollection*>(GetPropObject(control, "Panels"));
}

// The panel's rectangle from the common control, in client coordinates; false when the
// control reports none.
bool PanelRect(HWND wnd, int index, RECT& r) {
  r = RECT{};
  return wnd && SendMessageW(wnd, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != 0;
}

}  // namespace

// ---- Group boxes ----

void TSkinGroupBox::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  TSkinControl::Init(sf, sd, acanvas, acolor);
  if (control) kind = 1;
}

bool TSkinGroupBox::BeforeProc(TMessage& msg) {
  const bool pass = TSkinControl::BeforeProc(msg);
  if (kind != 0 && msg.Msg == WM_PAINT) {
    WMPaint(msg);
    msg.Result = 0;
    return false;
  }
  return pass;
}

void TSkinGroupBox::DrawControl(HDC dc, const RECT& rc) { DrawGroupFrame(*this, dc, rc); }

void DrawGroupFrame(TSkinControl& skinner, HDC dc, const RECT& rect) {
  const HWND wnd = skinner.hwnd;
  TWinControl* control = skinner.control;
  std::wstring text = wnd ? GetWndText(wnd) : std::wstring();
  if (text.empty() && control) text = GetPropText(control, "Caption");
  if (control) skinner.FillFace(dc, rect);

  auto skin = skinner.Skin();
  const TColor face = skinner.FaceColor();
  const TColor line = skin ? skin->Colors[skin::kcButtonShadow] : clBtnShadow;

  HFONT font = wnd ? reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0)) : nullptr;
  std::optional<COLORREF> old_text;  // a bare window's text keeps the DC's colour
  if (control && control->Font()) {
    font = control->Font()->Handle();
    old_text = SetTextColor(dc, ColorToRGB(control->Font()->Color()));
  }
  TScopedSelect font_in(dc, font);
  const int y = TSkinControl::TextHeight(dc, L"0") / 2 - 1;

  if (skinner.kind == 0 && skin && skin->BGBrush) {
    // The window has painted its own frame already: covered with the face first.
    RECT native{0, y, rect.right, rect.bottom};
    FrameRect(dc, &native, skin->BGBrush.Get());
    InflateRect(&native, -1, -1);
    FrameRect(dc, &native, skin->BGBrush.Get());
  }
  {
    TPenHandle pen = MakePen(PS_SOLID, 1, ColorToRGB(line));
    TScopedSelect hollow(dc, GetStockObject(NULL_BRUSH));
    TScopedSelect pen_in(dc, pen.Get());
    RoundRect(dc, 1, y, rect.right - 1, rect.bottom - 1, 5, 5);
  }

  // The caption's own background hides the frame line behind it.
  const COLORREF old_back = SetBkColor(dc, ColorToRGB(face));
  const int old_mode = SetBkMode(dc, OPAQUE);
  const LONG_PTR ex_style = wnd ? GetWindowLongPtrW(wnd, GWL_EXSTYLE) : 0;
  if (ex_style & WS_EX_RIGHT) {
    RECT r{rect.left, rect.top, rect.right - kGroupCaptionInset, rect.bottom};
    SkinDrawText(dc, text, r, skinner.CheckBiDi(DT_EXPANDTABS | DT_RIGHT));
  } else {
    RECT r{rect.left + kGroupCaptionInset, rect.top, rect.right, rect.bottom};
    SkinDrawText(dc, text, r, DT_EXPANDTABS);
  }
  SetBkMode(dc, old_mode);
  SetBkColor(dc, old_back);
  if (old_text) SetTextColor(dc, *old_text);

  // The control's own paint was kept from it: its window-less children are painted here.
  if (control && skinner.kind == 1) control->PaintControls(dc);
}

// ---- Panels ----

void TSkinBox::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  // Attached once: a second call would take the lent colour for the control's own.
  if (!owner || control) return;
  newColor = acolor;
  fsd = sd;
  fCanvas = acanvas;
  control = owner;
  hwnd = owner->Handle();
  skinform = sf;
  if (skinform) skinform->AddControlList(this);
  if (newColor) {
    oldcolor = control->Color();
    control->SetColor(FaceColor());
  }
}

void TSkinBox::Unsubclass() {
  if (newColor && control) control->SetColor(oldcolor);
  skinned = false;
  skinstate = kSkinColorBack;
}

void TSkinBox::SkinChange() {
  if (newColor && control && skinned) control->SetColor(FaceColor());
  Redraw();
}

// ---- Bare containers and size grips ----

bool TSkinBoxH::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_ERASEBKGND: {
      RECT r;
      HDC dc = reinterpret_cast<HDC>(msg.WParam);
      if (dc && hwnd && GetWindowRect(hwnd, &r)) {
        OffsetRect(&r, -r.left, -r.top);
        FillFace(dc, r);
      }
      msg.Result = 0;
      return false;
    }
    case WM_CTLCOLORSTATIC: {
      CallOldProc(msg);
      // The skin's brush lives as long as the skin set the form paints with.
      auto skin = Skin();
      if (skin && skin->BGBrush) msg.Result = reinterpret_cast<LRESULT>(skin->BGBrush.Get());
      return false;
    }
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TSkinSizer::DrawControl(HDC dc, const RECT& rc) { FillFace(dc, rc); }

// ---- Status bars ----

bool TSkinStatusBar::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      WMPaint(msg);
      msg.Result = 0;
      CallDrawPanel();
      return false;
    case WM_ERASEBKGND:
      msg.Result = 1;
      return false;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TSkinStatusBar::DrawPanelBack(HDC dc, const RECT& r, int frame) {
  if (r.right < r.left || r.bottom < r.top) return;
  auto skin = Skin();
  TDataSkinObject* image = PanelImage(skin.get());
  if (!image) {
    DrawBevel(dc, r, frame);
    return;
  }
  std::unique_lock<std::recursive_mutex> lock = skin->PaintLock();
  TSkinBitmap panel =
      MakeSkinBitmap(r, image->Map, MarginRect(image->r), frame, kPanelFrames, image->Tile != 0, false);
  if (panel && !panel->Empty()) BitBlt(dc, r.left, r.top, panel->Width(), panel->Height(), panel->DC(), 0, 0, SRCCOPY);
}

void TSkinStatusBar::DrawControl(HDC dc, const RECT& rect) {
  auto skin = Skin();
  TCollection* panels = PanelsOf(control);
  const int n = panels ? panels->Count() : 0;
  enabled = hwnd && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED);
  FillFace(dc, rect);

  TCanvasOn on(canvas_, dc);
  TFont& font = canvas_.Font();
  if (control && control->Font()) {
    // The colour first: a colour alone does not make a new font.
    font.SetColor(control->Font()->Color());
    font.Assign(control->Font());
  }
  font.SetStyle(0);
  if (skin && skin->StatusBar) font.SetColor(skin->StatusBar->Normalcolor2);

  const bool simple = n == 0 || PropEnumIs(control, "SimplePanel", "True");
  const POINT client = ClientOrigin(hwnd);
  if (simple) {
    const bool rtl = control && ReadsRightToLeft(control);
    std::wstring text = GetPropText(control, "SimpleText");
    DrawPanelBack(dc, rect, kPanelLowered);
    if (text.empty()) text = L" ";
    const RECT r{rect.left + kPanelTextInset, rect.top, rect.right - kPanelTextInset, rect.bottom};
    DrawCaption(canvas_, r, text, enabled, false, rtl ? DT_RIGHT : DT_LEFT);
  } else {
    for (int i = 0; i < n; ++i) {
      TCollectionItem* panel = panels->Items(i);
      const std::string align = LowerAscii(GetPropEnum(panel, "Alignment"));
      UINT flags = Contains(align, "right") ? DT_RIGHT : Contains(align, "center") ? DT_CENTER : DT_LEFT;
      if (ReadsRightToLeft(panel) && flags != DT_CENTER) flags = flags == DT_LEFT ? DT_RIGHT : DT_LEFT;
      const std::string bevel = LowerAscii(GetPropEnum(panel, "Bevel"));
      const int frame = Contains(bevel, "raised") ? kPanelRaised : Contains(bevel, "none") ? kPanelFlat : kPanelLowered;
      RECT r;
      if (!PanelRect(hwnd, i, r)) continue;
      OffsetRect(&r, client.x, client.y);
      // The last panel runs to the control's edge.
      r.right = i == n - 1 ? rect.right : r.right + 2;
      DrawPanelBack(dc, r, frame);
      if (Contains(LowerAscii(GetPropEnum(panel, "Style")), "ownerdraw")) continue;
      std::wstring text = GetPropText(panel, "Text");
      if (text.empty()) text = L" ";
      const RECT t{r.left + kPanelTextInset, r.top, r.right - kPanelTextInset, r.bottom};
      DrawCaption(canvas_, t, text, enabled, false, flags);
    }
  }

  // The grip is cell 5 of the extra images; a skin with fewer cells has none.
  const LONG_PTR style = hwnd ? GetWindowLongPtrW(hwnd, GWL_STYLE) : 0;
  TDataSkinObject* extra = skin ? skin->ExtraImages.get() : nullptr;
  if ((style & SBARS_SIZEGRIP) && extra && !extra->Map.Empty() && extra->frame >= kGripCell) {
    const int w = extra->Map.Width() / extra->frame, h = extra->Map.Height();
    if (w > 0) {
      const RECT grip{rect.right - 1 - w, rect.bottom - 1 - h, rect.right - 1, rect.bottom - 1};
      DrawSkinMap1(dc, grip, extra->Map, kGripCell, extra->frame);
    }
  }

  if (control) control->PaintControls(dc);
}

void TSkinStatusBar::CallDrawPanel() {
  TCollection* panels = PanelsOf(control);
  if (!panels || panels->Count() == 0 || !hwnd) return;
  const TPropInfo* prop = control->ClassType().FindProp("OnDrawPanel");
  if (!prop || prop->kind != TTypeKind::tkMethod || !prop->getMethod) return;
  TDrawPanelEvent handler;
  if (!prop->getMethod(*control).Cast(handler) || !handler) return;
  const HWND wnd = hwnd;
  for (int i = 0; i < panels->Count(); ++i) {
    RECT r;
    if (!PanelRect(wnd, i, r)) continue;
    InflateRect(&r, -2, -2);
    handler(control, panels->Items(i), r);
    // The handler may have changed the panels, or let go of the control.
    if (!IsWindow(wnd) || hwnd != wnd) return;
    panels = PanelsOf(control);
    if (!panels) return;
  }
}

// ---- Shared drawing helpers ----

void DrawCenterText(TCanvas& canvas, const RECT& rect, const std::wstring& text, int alignment, bool enabled) {
  HDC dc = canvas.Handle();
  if (!dc) return;
  const UINT align = alignment == 1 ? DT_RIGHT : alignment == 2 ? DT_CENTER : DT_LEFT;
  const UINT flags = align | DT_SINGLELINE | DT_EXPANDTABS;
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Font().SetStyle(0);
  if (!enabled) canvas.Font().SetColor(clBtnShadow);
  TCanvasText on(canvas);
  RECT r = rect;
  SkinDrawText(dc, text, r, flags | DT_CALCRECT | DT_NOCLIP);
  const int w = r.right - r.left, h = r.bottom - r.top;
  OffsetRect(&r, (rect.right - rect.left - w) / 2, (rect.bottom - rect.top - h) / 2);
  SkinDrawText(dc, text, r, flags);
}

void DrawArrowMark(TCanvas& canvas, int x, int y, int kind) {
  if (!canvas.Handle()) return;
  struct TSegment {
    int x0, y0, x1, y1;
  };
  auto lines = [&](std::initializer_list<TSegment> segments) {
    for (const TSegment& s : segments) {
      canvas.MoveTo(x + s.x0, y + s.y0);
      canvas.LineTo(x + s.x1, y + s.y1);
    }
  };
  auto path = [&](std::initializer_list<POINT> points) {
    auto p = points.begin();
    canvas.MoveTo(x + p->x, y + p->y);
    for (++p; p != points.end(); ++p) canvas.LineTo(x + p->x, y + p->y);
  };
  switch (kind) {
    case 0:
      lines({{0, 0, 0, -1}, {1, 1, 4, 4}, {0, 1, 3, 4}, {0, 2, 2, 4}, {-1, 1, -4, 4}, {0, 2, -3, 4}, {0, 1, -2, 4}});
      return;
    case 1:
      lines({{0, 3, 0, 4}, {1, 2, 4, -1}, {0, 2, 3, -1}, {0, 1, 2, 0}, {-1, 2, -4, -1}, {0, 2, -3, -1}, {0, 1, -2, 0}});
      return;
    case 2:
      path({{0, 0}, {1, 2}, {1, -2}, {-1, 0}, {1, 2}});
      return;
    case 3:
      path({{0, 0}, {-1, 2}, {-1, -2}, {1, 0}, {-1, 2}});
      return;
    default:
      return;
  }
}

}  // namespace qn
