// Colours, fonts, brushes, pens, canvases, bitmaps and pictures. Each owns its GDI object
// and releases it; a canvas selects what it draws with and puts the old objects back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/win/GdiObjects.h"

namespace qn {

// Red in the low byte, then green, then blue; negative values name a system colour by the
// index in their low byte.
using TColor = int32_t;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr TColor SysColor(int index) { return clSystemColor | index; }
constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR), clBackground = SysColor(COLOR_BACKGROUND),
                 clActiveCaption = SysColor(COLOR_ACTIVECAPTION), clMenu = SysColor(COLOR_MENU),
                 clWindow = SysColor(COLOR_WINDOW), clWindowFrame = SysColor(COLOR_WINDOWFRAME),
                 clMenuText = SysColor(COLOR_MENUTEXT), clWindowText = SysColor(COLOR_WINDOWTEXT),
                 clCaptionText = SysColor(COLOR_CAPTIONTEXT), clHighlight = SysColor(COLOR_HIGHLIGHT),
                 clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SysColor(COLOR_BTNFACE),
                 clBtnShadow = SysColor(COLOR_BTNSHADOW), clGrayText = SysColor(COLOR_GRAYTEXT),
                 clBtnText = SysColor(COLOR_BTNTEXT), clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT),
                 cl3DDkShadow = SysColor(COLOR_3DDKSHADOW), cl3DLight = SysColor(COLOR_3DLIGHT),
                 clInfoText = SysColor(COLOR_INFOTEXT), clInfoBk = SysColor(COLOR_INFOBK);

COLORREF ColorToRGB(TColor color);
extern const TIdentMap kColorIdents;
extern const TIdentMap kCharsetIdents;

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = unsigned;  // bit (1 << TFontStyle)
extern const TEnumInfo kFontStyleInfo;

class TFont : public TPersistent {
  QN_CLASS(TFont)
 public:
  TFont();
  std::wstring Name() const { return name_; }
  void SetName(const std::wstring& name);
  int Height() const { return height_; }  // negative: character height in pixels
  void SetHeight(int height);
  int Size() const;  // points at 96 pixels per inch
  void SetSize(int size);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  int Charset() const { return charset_; }
  void SetCharset(int charset);

  void Assign(TPersistent* source) override;
  bool SameAs(const TFont& other) const;
  HFONT Handle();  // made on first use, kept until the font changes

  std::function<void()> OnChange;

 private:
  void Changed();
  std::wstring name_ = L"宋体";
  int height_ = -12;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  int charset_ = DEFAULT_CHARSET;
  TFontHandle handle_;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
  QN_CLASS(TBrush)
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  HBRUSH Handle();  // null brush for bsClear
  std::function<void()> OnChange;

 private:
  void Changed();
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  TBrushHandle handle_;
};

class TPen : public TPersistent {
  QN_CLASS(TPen)
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  HPEN Handle();
  std::function<void()> OnChange;

 private:
  void Changed();
  TColor color_ = clBlack;
  int width_ = 1;
  TPenHandle handle_;
};

// Drawing on a DC with a font, a brush and a pen, selected when first needed.
class TCanvas : public TPersistent {
  QN_CLASS(TCanvas)
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  void SetHandle(HDC dc);  // not owned; the previous DC gets its objects back
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TBrush& Brush() { return brush_; }
  TPen& Pen() { return pen_; }

  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void Rectangle(int l, int t, int r, int b);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void TextOut(int x, int y, const std::wstring& text);
  void TextRect(const RECT& r, int x, int y, const std::wstring& text);
  SIZE TextExtent(const std::wstring& text);
  int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
  int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }
  int DrawText(const std::wstring& text, RECT& r, UINT format);
  void CopyRect(const RECT& dest, HDC source, const RECT& src);

 protected:
  // Subclasses that own their DC make it here.
  virtual void CreateHandle() {}
  void Deselect();
  void Require();  // selects font, brush and pen and sets the text colour

 private:
  HDC dc_ = nullptr;
  TFont font_;
  TBrush brush_;
  TPen pen_;
  HGDIOBJ old_font_ = nullptr, old_brush_ = nullptr, old_pen_ = nullptr;
  bool selected_ = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf24bit, pf32bit };

// A bitmap with its own memory DC. 24- and 32-bit ones are DIB sections with row access;
// device ones are compatible bitmaps, the fastest to blit to the screen.
class TBitmap : public TPersistent {
  QN_CLASS(TBitmap)
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);
  ~TBitmap() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat format);  // keeps the picture

  // Row y from the top: 3 or 4 bytes a pixel in blue, green, red (, unused) order.
  // Null for device bitmaps.
  uint8_t* ScanLine(int y);
  int RowBytes() const;

  TCanvas& Canvas();
  HBITMAP Handle() const {
    Materialize();
    return bmp_.Get();
  }
  HDC DC();  // the bitmap selected into its own memory DC

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on) { transparent_ = on; }
  TColor TransparentColor() const { return transparent_color_; }
  void SetTransparentColor(TColor c) { transparent_color_ = c; }

  // A monochrome mask: white where the pixel has the colour, black elsewhere.
  TBitmapHandle MakeMask(TColor color);
  void Assign(TPersistent* source) override;
  void Draw(HDC dc, int x, int y);
  void StretchDraw(HDC dc, const RECT& r);

  // Bitmap files (BMP) of 1 to 32 bits; throws EStreamError on a damaged file.
  void LoadFromStream(TStream& stream);
  // Decodes a bitmap file into a 24-bit picture; false (and the bitmap left as it was) for a
  // file the safe decoder refuses. The rows are kept in memory until the bitmap is first
  // drawn or its handle asked for: a skin holds dozens of images and paints a few of them.
  [[nodiscard]] bool LoadFromBmp(const uint8_t* data, size_t size);
  // Takes 24-bit rows (bottom-up or top-down) from another source, e.g. a decoder; kept in
  // memory like a decoded file's until first drawn.
  void LoadPixels24(int width, int height, const uint8_t* rows, int stride, bool top_down);

  // The stored form, "Data": a bitmap file (also read with the 4-byte length some writers put
  // in front of it).
  void DefineProperties(TFiler& filer) override;
  // Called when the picture is replaced, loaded, resized or reformatted; drawing on the
  // canvas does not call it.
  std::function<void()> OnChange;

 private:
  class TBitmapCanvas;
  void Allocate(int width, int height, TPixelFormat format);
  // Gives pending rows to the system as a DIB section.
  void Materialize() const;
  void Changed() {
    if (OnChange) OnChange();
  }
  int width_ = 0, height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf24bit;
  mutable TBitmapHandle bmp_;
  mutable uint8_t* bits_ = nullptr;         // DIB rows, bottom-up
  mutable std::vector<uint8_t> pending_;    // rows not yet in a DIB section, same layout
  TMemDCHandle dc_;
  HGDIOBJ old_bmp_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
  bool transparent_ = false;
  TColor transparent_color_ = clDefault;
};

// A picture holding a bitmap decoded from bitmap or JPEG data (stored property "Data").
class TPicture : public TPersistent {
  QN_CLASS(TPicture)
 public:
  TBitmap* Bitmap() { return bitmap_.get(); }
  bool Empty() const { return !bitmap_ || bitmap_->Empty(); }
  // JPEG (FF D8) or BMP ("BM") bytes; throws on data it cannot decode.
  void LoadFromBytes(const std::vector<uint8_t>& bytes);
  void DefineProperties(TFiler& filer) override;
  std::function<void()> OnChange;

 private:
  std::unique_ptr<TBitmap> bitmap_;
  std::vector<uint8_t> data_;
};

// Decodes a JPEG into a 24-bit bitmap; throws EStreamError on bad data.
void DecodeJpeg(const std::vector<uint8_t>& bytes, TBitmap& out);

// Fills r with one colour, through the DC's own brush (no brush object is made).
void FillSolidRect(HDC dc, const RECT& r, COLORREF colour);
// A three-dimensional frame `width` pixels wide just inside r: the top and left edges in
// top_left, the bottom and right ones in bottom_right. r shrinks to the area inside it.
void Frame3D(HDC dc, RECT& r, COLORREF top_left, COLORREF bottom_right, int width);

}  // namespace qn
