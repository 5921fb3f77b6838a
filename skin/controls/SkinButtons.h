// Push buttons painted from the skin's button object: plain buttons, buttons with a glyph and
// a caption, and buttons with a drop-down arrow. Each paints the whole face off screen and
// shows it in one blit, and tracks the left-button press itself so that the native button never
// shows its own pressed look: the press sets the pressed frame, the release over the button
// makes the one click.
#pragma once

#include <memory>
#include <string>

#include "skin/controls/SkinControl.h"

namespace qn {

// The face frames of a push button, numbered as in the skin's button image.
enum TButtonFrame : int {
  kFrameNormal = 1,
  kFramePressed = 2,
  kFrameDisabled = 3,
  kFrameHot = 4,
  kFrameFocused = 5,  // focused, or the default button
};

// Focused (or default) gives the focused frame; pressed wins over it, hot wins when not
// pressed, and a disabled button shows the disabled frame whatever else holds.
int PushButtonFrame(bool focused_or_default, bool pressed, bool hot, bool disabled);

// The text with the first occurrence of find replaced; unchanged when find does not occur.
std::wstring ReplaceFirst(const std::wstring& text, const std::wstring& find, const std::wstring& replacement);

// The glyph embossed in the system's highlight and shadow colours on the button face, as a
// new bitmap of the glyph's size. The glyph's own transparent colour (its bottom-left pixel)
// and white vanish into the face.
std::unique_ptr<TBitmap> MakeDisabledGlyph(TBitmap& source);

class TSkinButton : public TSkinControl {
  QN_CLASS(TSkinButton)
 public:
  explicit TSkinButton(TComponent* owner);

  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  // With a face to paint, the background (face colour or the parent's picture) fills the
  // whole button.
  bool PaintsWholeControl() const override;
  bool PictureUnchanged(const RECT& rc) override;

  // Lays out `caption` word-wrapped in rect (a "||" in it breaks the line) and draws it in the
  // DC's font and text colour, with the focus rectangle around it while focused.
  void DrawButtonCaption(HDC dc, const RECT& rect, UINT alignment);

  bool MultiLine = false;  // the control's "MultiLine" at the last paint
  bool trans = false;      // see-through: the parent's picture behind the face
  bool redraw = false;     // the next WM_TIMER gives the window its visible style back
  bool isdefault = false;

 protected:
  // The skin's button object when it has a picture to paint with, else null.
  TDataSkinButton* ButtonObject(TSkinObjects& skin) const;
  // The face of frame `frame` over the background (the parent's picture or the face colour).
  void DrawFace(HDC dc, const RECT& rc, TDataSkinButton& button, int frame);
  // The caption colour of frame `frame`: the skin's overrides, grey when disabled.
  TColor CaptionColor(TDataSkinButton& button, int frame, TColor normal) const;
  // Reads focus, enabled and the caption as they are now.
  void ReadState();
  bool Defaulted() const;
  bool ShowsFocusRect() const;
  // `caption` laid out already in rect, in that colour, with the focus rectangle around it
  // while focused; nothing for an empty caption.
  void DrawPlacedCaption(HDC dc, const RECT& rect, UINT format, TColor colour);

 private:
  // Everything a plain push button's picture is drawn from.
  struct TFace {
    const TSkinObjects* skin = nullptr;
    int width = 0, height = 0;
    int frame = 0;
    bool focus_rect = false;
    bool multiline = false;
    HFONT font = nullptr;
    COLORREF colour = 0;
    UINT bidi = 0;
    std::wstring caption;
    bool operator==(const TFace&) const = default;
  };
  // What the button's picture is drawn from as it is now.
  void ReadFace(TSkinObjects& skin, TDataSkinButton& button, const RECT& rc, TFace& face);
  void Click();
  // The control's text as last read: asking for it sends the control two messages, which costs
  // more than painting the face, so it is read again only after the text changed.
  std::wstring text_;
  bool text_known_ = false;
  // What the last complete paint drew from. Only a plain button whose background is the face
  // colour keeps its picture: a see-through one shows its parent, and the glyph and drop-down
  // buttons draw more than this names.
  TFace drawn_;
  bool drawn_known_ = false;
  std::weak_ptr<TSkinObjects> drawn_skin_;
};

class TSkinBitButton : public TSkinButton {
  QN_CLASS(TSkinBitButton)
 public:
  explicit TSkinBitButton(TComponent* owner) : TSkinButton(owner) {}
  void DrawControl(HDC dc, const RECT& rc) override;

  // Cell `index` of `count` cells of bitmap at (x, y), its bottom-left colour left out; the
  // disabled cell of a one-cell glyph is its embossed copy.
  static void DrawGlyph(HDC dc, POINT at, int count, int index, TBitmap& bitmap);

  bool isPicture = false;
  std::wstring PicField;  // a published picture property drawn instead of the glyph strip
};

class TSkinMenuButton : public TSkinButton {
  QN_CLASS(TSkinMenuButton)
 public:
  explicit TSkinMenuButton(TComponent* owner) : TSkinButton(owner) {}
  void DrawControl(HDC dc, const RECT& rc) override;
};

}  // namespace qn
