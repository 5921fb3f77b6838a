// A tool row of speed buttons: raised and flat ones, a latched group of three, a latched button
// that lets itself up again, a disabled one, and buttons with captions; beside them a check box,
// a radio button and a second check box of other component families that draw their box from a
// glyph strip (the skin hands them its own).
#include "gallery/GalleryForm.h"

#include <functional>

#include "platform/win/GdiObjects.h"
#include "platform/win/GlyphChecks.h"

namespace qn {

namespace {

constexpr int kGlyph = 16;
constexpr COLORREF kGlyphBack = RGB(0, 128, 128);  // the bottom-left pixel: left out when drawn

// A one-cell 16 x 16 glyph on the left-out background, drawn by draw with a pen and a brush of
// the colours given.
void MakeGlyph(TBitmap& glyph, COLORREF ink, COLORREF fill, const std::function<void(HDC)>& draw) {
  glyph.SetPixelFormat(TPixelFormat::pf24bit);
  glyph.SetSize(kGlyph, kGlyph);
  HDC dc = glyph.DC();
  FillSolidRect(dc, RECT{0, 0, kGlyph, kGlyph}, kGlyphBack);
  TPenHandle pen = MakePen(PS_SOLID, 1, ink);
  TBrushHandle brush = MakeSolidBrush(fill);
  TScopedSelect pen_in(dc, pen.Get());
  TScopedSelect brush_in(dc, brush.Get());
  draw(dc);
}

// Lines of text aligned left, centred or right (0, 1, 2).
void DrawAlignGlyph(HDC dc, int align) {
  const int widths[] = {12, 8, 12, 6};
  for (int i = 0; i < 4; ++i) {
    const int w = widths[i];
    const int x = align == 0 ? 2 : align == 1 ? (kGlyph - w) / 2 : kGlyph - 2 - w;
    FillSolidRect(dc, RECT{x, 3 + 3 * i, x + w, 5 + 3 * i}, RGB(32, 32, 96));
  }
}

TSpeedButton* Tool(TWinControl* page, int x, int y, int w, int h, TBitmap* glyph, const std::wstring& hint) {
  auto* b = new TSpeedButton(page->Owner() ? page->Owner() : page);
  b->SetParent(page);
  b->SetBounds(x, y, w, h);
  if (glyph) b->SetGlyph(glyph);
  b->SetHint(hint);
  b->SetShowHint(true);
  return b;
}

template <class T>
T* Place(TWinControl* page, int x, int y, int w, int h, const std::wstring& caption) {
  auto* c = new T(page->Owner() ? page->Owner() : page);
  c->SetParent(page);
  c->SetBounds(x, y, w, h);
  c->SetCaption(caption);
  return c;
}

}  // namespace

void TGalleryForm::BuildSpeedButtons(TWinControl* page, const RECT& area) {
  const int x0 = area.left, y0 = area.top;
  TBitmap page_glyph, folder_glyph, disk_glyph, cut_glyph, copy_glyph, print_glyph, bold_glyph;
  TBitmap align_glyphs[3];
  MakeGlyph(page_glyph, RGB(64, 64, 64), RGB(255, 255, 255), [](HDC dc) {
    Rectangle(dc, 3, 1, 13, 15);
  });
  MakeGlyph(folder_glyph, RGB(128, 96, 0), RGB(240, 200, 64), [](HDC dc) {
    Rectangle(dc, 1, 5, 15, 14);
    Rectangle(dc, 1, 3, 7, 6);
  });
  MakeGlyph(disk_glyph, RGB(0, 0, 96), RGB(48, 80, 192), [](HDC dc) {
    Rectangle(dc, 1, 1, 15, 15);
    FillSolidRect(dc, RECT{4, 2, 12, 7}, RGB(230, 230, 230));
  });
  MakeGlyph(cut_glyph, RGB(128, 0, 0), RGB(200, 40, 40), [](HDC dc) {
    Ellipse(dc, 1, 9, 7, 15);
    Ellipse(dc, 9, 9, 15, 15);
    MoveToEx(dc, 4, 9, nullptr);
    LineTo(dc, 12, 1);
    MoveToEx(dc, 12, 9, nullptr);
    LineTo(dc, 4, 1);
  });
  MakeGlyph(copy_glyph, RGB(64, 64, 64), RGB(255, 255, 220), [](HDC dc) {
    Rectangle(dc, 1, 1, 10, 12);
    Rectangle(dc, 6, 4, 15, 15);
  });
  MakeGlyph(print_glyph, RGB(48, 48, 48), RGB(160, 160, 160), [](HDC dc) {
    Rectangle(dc, 1, 6, 15, 13);
    FillSolidRect(dc, RECT{4, 1, 12, 6}, RGB(255, 255, 255));
  });
  MakeGlyph(bold_glyph, RGB(0, 0, 0), RGB(0, 0, 0), [](HDC dc) {
    FillSolidRect(dc, RECT{3, 2, 7, 14}, RGB(0, 0, 0));
    Ellipse(dc, 4, 2, 12, 8);
    Ellipse(dc, 4, 7, 13, 14);
  });
  for (int i = 0; i < 3; ++i)
    MakeGlyph(align_glyphs[i], RGB(0, 0, 0), RGB(0, 0, 0), [i](HDC dc) { DrawAlignGlyph(dc, i); });

  // The top row: raised buttons, flat ones, a latched group, one that lets itself up, a disabled one.
  const int y = y0 + 2, s = 26;
  int x = x0;
  Tool(page, x, y, s, s, &page_glyph, L"New");
  Tool(page, x += s + 2, y, s, s, &folder_glyph, L"Open");
  Tool(page, x += s + 2, y, s, s, &disk_glyph, L"Save");
  x += s + 10;
  Tool(page, x, y, s, s, &cut_glyph, L"Cut (flat)")->SetFlat(true);
  Tool(page, x += s + 2, y, s, s, &copy_glyph, L"Copy (flat)")->SetFlat(true);
  x += s + 10;
  for (int i = 0; i < 3; ++i) {
    const wchar_t* hints[] = {L"Align left", L"Centre", L"Align right"};
    auto* b = Tool(page, x, y, s, s, &align_glyphs[i], hints[i]);
    b->SetGroupIndex(1);
    b->SetDown(i == 0);
    x += s + 2;
  }
  x += 8;
  auto* bold = Tool(page, x, y, s, s, &bold_glyph, L"Bold: click again to let it up");
  bold->SetGroupIndex(2);
  bold->SetAllowAllUp(true);
  bold->SetDown(true);
  x += s + 10;
  Tool(page, x, y, s, s, &print_glyph, L"Print (unavailable)")->SetEnabled(false);

  // The second row: buttons with captions, one flat, one latched with AllowAllUp.
  const int y2 = y0 + 38, h2 = 28;
  auto* open = Tool(page, x0, y2, 86, h2, &folder_glyph, L"A glyph and a caption");
  open->SetCaption(L"Open…");
  auto* save = Tool(page, x0 + 90, y2, 86, h2, &disk_glyph, L"Flat, with a caption");
  save->SetCaption(L"Save");
  save->SetFlat(true);
  auto* pin = Tool(page, x0 + 180, y2, 86, h2, nullptr, L"Latched; click again to let it up");
  pin->SetCaption(L"Pinned");
  pin->SetGroupIndex(3);
  pin->SetAllowAllUp(true);
  pin->SetDown(true);
  auto* off = Tool(page, x0 + 270, y2, 60, h2, nullptr, L"Disabled");
  off->SetCaption(L"Off");
  off->SetEnabled(false);

  // Beside them: a check box, a radio button and a check box that take a glyph strip.
  const int cx = x0 + 344;
  auto* rz_box = Place<TRzCheckBox>(page, cx, y0 + 2, area.right - cx, 22, L"Glyph-strip check box");
  rz_box->SetChecked(true);
  auto* rz_radio = Place<TRzRadioButton>(page, cx, y0 + 28, area.right - cx, 22, L"Glyph-strip radio");
  rz_radio->SetChecked(true);
  auto* cx_box = Place<TcxCheckBox>(page, cx, y0 + 54, area.right - cx, 22, L"Its Properties' glyph");
  cx_box->SetState(TCheckBoxState::cbUnchecked);
}

}  // namespace qn
