// Bitmap buttons: push buttons that show a glyph beside their caption, painted by the library
// over an owner-drawn BUTTON window in the platform's plain look.
#pragma once

#include <functional>
#include <memory>

#include "platform/win/StdCtrls.h"

namespace qn {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
extern const TEnumInfo kButtonLayoutInfo;

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
extern const TEnumInfo kBitBtnKindInfo;

// What a button reports to a modal form when it is clicked.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
              mrAll = 8;

// The cells of a glyph strip, in stored order.
enum class TGlyphState { gsNormal, gsDisabled, gsPressed, gsDown };

// A glyph strip: NumGlyphs cells side by side (normal, disabled, pressed, down), drawn with the
// colour of its bottom-left pixel left out. A new picture whose width is one to four times its
// height is taken for that many square cells. A state without a cell of its own shows the normal
// cell, except the disabled state, which shows the normal cell embossed in the system's
// highlight and shadow colours (its light pixels vanish).
class TButtonGlyph {
 public:
  TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  TBitmap* Bitmap() const { return bitmap_.get(); }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int n);  // kept within 1..4
  SIZE CellSize() const;     // (0, 0) without a picture
  // Draws the cell for state with its top-left corner at (x, y).
  void Draw(HDC dc, int x, int y, TGlyphState state);
  // The picture or the cell count changed.
  std::function<void()> OnChange;

 private:
  void Changed();
  void Prepare();
  std::unique_ptr<TBitmap> bitmap_;
  int num_glyphs_ = 1;
  bool prepared_ = false;
  TBitmapHandle mask_;   // white where the strip is transparent
  TBitmapHandle shape_;  // white where the embossed copy of the normal cell shows
};

// Where a glyph and a caption go on a button of size `client`. margin is the distance from the
// edge the layout names to the glyph, spacing the gap between glyph and caption; -1 for either
// centres what is left. The caption is measured with the DC's font.
struct TGlyphPlacement {
  POINT glyph{0, 0};
  RECT text{0, 0, 0, 0};
  UINT text_format = 0;  // DrawText alignment for the caption's lines
};
TGlyphPlacement PlaceGlyphAndCaption(HDC dc, SIZE client, SIZE glyph, const std::wstring& caption,
                                     TButtonLayout layout, int margin, int spacing);

class TBitBtn : public TButton {
  QN_CLASS(TBitBtn)
 public:
  explicit TBitBtn(TComponent* owner);

  TBitmap* Glyph() const { return glyph_.Bitmap(); }
  void SetGlyph(TBitmap* glyph);  // copied; null empties it
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int n) { glyph_.SetNumGlyphs(n); }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  // A kind other than bkCustom gives the button that kind's caption, modal result and
  // default or cancel role; while the form is read it only fills what was not stored.
  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind kind);

  // A bkClose button closes its form after OnClick.
  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void DrawItem(const DRAWITEMSTRUCT& item);
  TButtonGlyph glyph_;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  TBitBtnKind kind_ = TBitBtnKind::bkCustom;
};

// A tool button without a window, painted by its parent: a glyph strip (normal, disabled,
// pressed, down) beside an optional caption. A press and release over it clicks once. Buttons of
// one parent that share a GroupIndex other than 0 latch: a click puts one Down and lets the
// others of its group up; clicking the Down one again lets it up only when AllowAllUp. A flat
// button shows its raised edge only while the mouse is over it.
class TSpeedButton : public TGraphicControl {
  QN_CLASS(TSpeedButton)
 public:
  explicit TSpeedButton(TComponent* owner);

  TBitmap* Glyph() const { return glyph_.Bitmap(); }
  void SetGlyph(TBitmap* glyph);  // copied; null empties it
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int n) { glyph_.SetNumGlyphs(n); }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  // Only a grouped button can be Down; a Down one is let up only when its group allows all up.
  bool Down() const { return down_; }
  void SetDown(bool down);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int index);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool allow);  // for the whole group

  // The left button is held down on the button with the cursor over it.
  bool Pressed() const { return dragging_ && inside_; }
  // The mouse is over the button.
  bool MouseInControl() const { return mouse_in_; }

 protected:
  void Paint() override;
  void WndProc(TMessage& msg) override;

 private:
  // The other buttons of the group, same parent and GroupIndex.
  template <class F>
  void ForEachInGroup(F&& f);
  void LetUp();  // by the group, whatever AllowAllUp says
  TButtonGlyph glyph_;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  bool flat_ = false;
  bool down_ = false;
  int group_index_ = 0;
  bool allow_all_up_ = false;
  bool dragging_ = false;  // the press started on the button and is not released yet
  bool inside_ = false;    // the cursor is over the button during the press
  bool mouse_in_ = false;
};

}  // namespace qn
