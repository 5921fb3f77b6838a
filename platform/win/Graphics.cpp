#include "platform/win/Graphics.h"

#include <cstring>
#include <stdexcept>

#include "platform/core/BmpFile.h"

namespace qn {

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

const TIdentMap kColorIdents{{
    {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
    {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
    {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
    {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
    {"clNone", clNone}, {"clDefault", clDefault}, {"clScrollBar", clScrollBar},
    {"clBackground", clBackground}, {"clActiveCaption", clActiveCaption}, {"clMenu", clMenu},
    {"clWindow", clWindow}, {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText},
    {"clWindowText", clWindowText}, {"clCaptionText", clCaptionText}, {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText}, {"clBtnText", clBtnText}, {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
}};

const TIdentMap kCharsetIdents{{
    {"ANSI_CHARSET", ANSI_CHARSET}, {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET}, {"GB2312_CHARSET", GB2312_CHARSET},
    {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET}, {"OEM_CHARSET", OEM_CHARSET},
}};

const TEnumInfo kFontStyleInfo{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};

// ---- TFont ----

QN_CLASS_IMPL(TFont, TPersistent,
              {prop::Int("Charset", &TFont::Charset, &TFont::SetCharset, &kCharsetIdents),
               prop::Int("Color", &TFont::Color, &TFont::SetColor, &kColorIdents),
               prop::Int("Height", &TFont::Height, &TFont::SetHeight),
               prop::Str("Name", &TFont::Name, &TFont::SetName),
               prop::Set("Style", kFontStyleInfo, &TFont::Style, &TFont::SetStyle),
               prop::Int("Size", &TFont::Size, &TFont::SetSize)})

TFont::TFont() = default;

void TFont::Changed() {
  // The old font goes only after the listeners: a canvas deselects it first (Windows refuses to
  // delete a selected object), and a window asking for the handle gets a new one.
  TFontHandle old = std::move(handle_);
  if (OnChange) OnChange();
}

void TFont::SetName(const std::wstring& name) {
  if (name != name_) { name_ = name; Changed(); }
}
void TFont::SetHeight(int height) {
  if (height != height_) { height_ = height; Changed(); }
}
int TFont::Size() const { return -MulDiv(height_, 72, 96); }
void TFont::SetSize(int size) { SetHeight(-MulDiv(size, 96, 72)); }
void TFont::SetColor(TColor color) {
  if (color != color_) { color_ = color; if (OnChange) OnChange(); }
}
void TFont::SetStyle(TFontStyles style) {
  if (style != style_) { style_ = style; Changed(); }
}
void TFont::SetCharset(int charset) {
  if (charset != charset_) { charset_ = charset; Changed(); }
}

bool TFont::SameAs(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
         charset_ == o.charset_;
}

void TFont::Assign(TPersistent* source) {
  auto* f = dynamic_cast<TFont*>(source);
  if (!f) return TPersistent::Assign(source);
  if (SameAs(*f)) return;
  name_ = f->name_;
  height_ = f->height_;
  color_ = f->color_;
  style_ = f->style_;
  charset_ = f->charset_;
  Changed();
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & (1u << fsItalic)) != 0;
    lf.lfUnderline = (style_ & (1u << fsUnderline)) != 0;
    lf.lfStrikeOut = (style_ & (1u << fsStrikeOut)) != 0;
    lf.lfCharSet = static_cast<BYTE>(charset_);
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_.Reset(CreateFontIndirectW(&lf));
  }
  return handle_.Get();
}

// ---- TBrush, TPen ----

const TEnumInfo kBrushStyleInfo{{"bsSolid", "bsClear"}};
QN_CLASS_IMPL(TBrush, TPersistent,
              {prop::Int("Color", &TBrush::Color, &TBrush::SetColor, &kColorIdents),
               prop::Enum("Style", kBrushStyleInfo, &TBrush::Style, &TBrush::SetStyle)})

void TBrush::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TBrush::SetStyle(TBrushStyle s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TBrush::Changed() {
  TBrushHandle old = std::move(handle_);  // deleted once a canvas has let go of it
  if (OnChange) OnChange();
}
HBRUSH TBrush::Handle() {
  if (style_ == TBrushStyle::bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (!handle_) handle_ = MakeSolidBrush(ColorToRGB(color_));
  return handle_.Get();
}

QN_CLASS_IMPL(TPen, TPersistent,
              {prop::Int("Color", &TPen::Color, &TPen::SetColor, &kColorIdents),
               prop::Int("Width", &TPen::Width, &TPen::SetWidth)})

void TPen::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TPen::SetWidth(int w) {
  if (w == width_) return;
  width_ = w;
  Changed();
}
void TPen::Changed() {
  TPenHandle old = std::move(handle_);  // deleted once a canvas has let go of it
  if (OnChange) OnChange();
}
HPEN TPen::Handle() {
  if (!handle_) handle_ = MakePen(PS_SOLID, width_, ColorToRGB(color_));
  return handle_.Get();
}

// ---- TCanvas ----

QN_CLASS_IMPL(TCanvas, TPersistent)

TCanvas::TCanvas() {
  auto invalidate = [this] {
    // A changed tool is selected again before the next drawing call.
    if (selected_) Deselect();
  };
  font_.OnChange = invalidate;
  brush_.OnChange = invalidate;
  pen_.OnChange = invalidate;
}

TCanvas::~TCanvas() { Deselect(); }

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  Deselect();
  dc_ = dc;
}

void TCanvas::Deselect() {
  if (!selected_ || !dc_) {
    selected_ = false;
    return;
  }
  SelectObject(dc_, old_font_);
  SelectObject(dc_, old_brush_);
  SelectObject(dc_, old_pen_);
  selected_ = false;
}

void TCanvas::Require() {
  HDC dc = Handle();
  if (!dc) throw std::runtime_error("Canvas does not allow drawing");
  if (!selected_) {
    old_font_ = SelectObject(dc, font_.Handle());
    old_brush_ = SelectObject(dc, brush_.Handle());
    old_pen_ = SelectObject(dc, pen_.Handle());
    selected_ = true;
  }
  SetTextColor(dc, ColorToRGB(font_.Color()));
  if (brush_.Style() == TBrushStyle::bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(brush_.Color()));
  }
}

void TCanvas::FillRect(const RECT& r) {
  Require();
  ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  Require();
  ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
  Require();
  ::Rectangle(dc_, l, t, r, b);
}

void TCanvas::MoveTo(int x, int y) {
  Require();
  MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Require();
  ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
  Require();
  ::TextOutW(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::wstring& text) {
  Require();
  UINT opts = ETO_CLIPPED | (brush_.Style() == TBrushStyle::bsClear ? 0 : ETO_OPAQUE);
  ExtTextOutW(dc_, x, y, opts, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
  Require();
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &s);
  return s;
}

int TCanvas::DrawText(const std::wstring& text, RECT& r, UINT format) {
  Require();
  return ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
}

void TCanvas::CopyRect(const RECT& dest, HDC source, const RECT& src) {
  Require();
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = src.right - src.left, sh = src.bottom - src.top;
  if (dw == sw && dh == sh) {
    BitBlt(dc_, dest.left, dest.top, dw, dh, source, src.left, src.top, SRCCOPY);
  } else {
    int old = SetStretchBltMode(dc_, COLORONCOLOR);
    StretchBlt(dc_, dest.left, dest.top, dw, dh, source, src.left, src.top, sw, sh, SRCCOPY);
    SetStretchBltMode(dc_, old);
  }
}

// ---- TBitmap ----

namespace {

// A memory DC holding a 1 x 1 screen-compatible bitmap: device bitmaps made compatible with it
// have the screen's format, without asking the display each time (under Wine a screen DC and
// a bitmap compatible with it cost over 100 us, one compatible with this DC about 1 us). It
// lives as long as the process and is not counted among the live handles.
HDC ScreenFormatDC() {
  struct TReference {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    TReference() {
      HDC screen = GetDC(nullptr);
      dc = CreateCompatibleDC(screen);
      bmp = CreateCompatibleBitmap(screen, 1, 1);
      if (dc && bmp) old = SelectObject(dc, bmp);
      ReleaseDC(nullptr, screen);
    }
    ~TReference() {
      if (old) SelectObject(dc, old);
      if (bmp) DeleteObject(bmp);
      if (dc) DeleteDC(dc);
    }
  };
  static TReference reference;
  return reference.old ? reference.dc : nullptr;
}

}  // namespace

class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* owner) : owner_(owner) {}

 protected:
  void CreateHandle() override { SetHandle(owner_->DC()); }

 private:
  TBitmap* owner_;
};

QN_CLASS_IMPL(TBitmap, TPersistent)

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) { Allocate(width, height, format); }

TBitmap::~TBitmap() {
  canvas_.reset();
  if (dc_ && old_bmp_) SelectObject(dc_.Get(), old_bmp_);
}

int TBitmap::RowBytes() const {
  int bpp = format_ == TPixelFormat::pf32bit ? 32 : format_ == TPixelFormat::pf1bit ? 1 : 24;
  return ((width_ * bpp + 31) / 32) * 4;
}

void TBitmap::Allocate(int width, int height, TPixelFormat format) {
  if (canvas_) canvas_->SetHandle(nullptr);
  if (dc_ && old_bmp_) {
    SelectObject(dc_.Get(), old_bmp_);
    old_bmp_ = nullptr;
  }
  bmp_.Reset();
  bits_ = nullptr;
  pending_.clear();
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
  format_ = format;
  if (width_ == 0 || height_ == 0) return;
  if (format == TPixelFormat::pfDevice) {
    if (HDC reference = ScreenFormatDC()) {
      bmp_ = MakeCompatibleBitmap(reference, width_, height_);
    } else {
      TWindowDC screen(nullptr);
      bmp_ = MakeCompatibleBitmap(screen.Get(), width_, height_);
    }
  } else {
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD colors[2];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = width_;
    bi.h.biHeight = height_;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = format == TPixelFormat::pf32bit ? 32 : format == TPixelFormat::pf1bit ? 1 : 24;
    bi.colors[1] = {255, 255, 255, 0};
    void* bits = nullptr;
    bmp_ = TBitmapHandle(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint8_t*>(bits);
  }
  if (!bmp_) {
    width_ = height_ = 0;
    throw std::runtime_error("Out of system resources");
  }
  // New DIB sections are zeroed; compatible bitmaps are not, so clear them to black too.
  if (format == TPixelFormat::pfDevice) PatBlt(DC(), 0, 0, width_, height_, BLACKNESS);
}

void TBitmap::Materialize() const {
  if (pending_.empty()) return;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } bi{};
  bi.h.biSize = sizeof(BITMAPINFOHEADER);
  bi.h.biWidth = width_;
  bi.h.biHeight = height_;
  bi.h.biPlanes = 1;
  bi.h.biBitCount = 24;
  void* bits = nullptr;
  bmp_ = TBitmapHandle(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp_) throw std::runtime_error("Out of system resources");
  bits_ = static_cast<uint8_t*>(bits);
  std::memcpy(bits_, pending_.data(), pending_.size());
  std::vector<uint8_t>().swap(pending_);
}

void TBitmap::SetSize(int width, int height) {
  Materialize();
  if (width == width_ && height == height_ && bmp_) return;
  TBitmap old;
  bool keep = bmp_ && width > 0 && height > 0;
  if (keep) old.Assign(this);
  Allocate(width, height, format_);
  if (keep && bmp_) BitBlt(DC(), 0, 0, old.width_, old.height_, old.DC(), 0, 0, SRCCOPY);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == format_) return;
  Materialize();
  if (!bmp_) {
    format_ = format;
    Changed();
    return;
  }
  TBitmap old;
  old.Assign(this);
  Allocate(old.width_, old.height_, format);
  BitBlt(DC(), 0, 0, width_, height_, old.DC(), 0, 0, SRCCOPY);
  Changed();
}

uint8_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= height_) return nullptr;
  if (!pending_.empty()) return pending_.data() + static_cast<size_t>(height_ - 1 - y) * static_cast<size_t>(RowBytes());
  if (!bits_) return nullptr;
  GdiFlush();
  return bits_ + static_cast<size_t>(height_ - 1 - y) * static_cast<size_t>(RowBytes());
}

HDC TBitmap::DC() {
  Materialize();
  if (!dc_) dc_ = MakeMemDC();
  if (bmp_ && !old_bmp_) old_bmp_ = SelectObject(dc_.Get(), bmp_.Get());
  return dc_.Get();
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(this);
  return *canvas_;
}

TBitmapHandle TBitmap::MakeMask(TColor color) {
  TBitmapHandle mask(CreateBitmap(width_, height_, 1, 1, nullptr));
  if (!mask || Empty()) return mask;
  TMemDCHandle mdc = MakeMemDC();
  TScopedSelect sel(mdc.Get(), mask.Get());
  HDC src = DC();
  COLORREF old = SetBkColor(src, ColorToRGB(color));
  // A colour-to-monochrome blit makes pixels of the background colour white.
  BitBlt(mdc.Get(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
  SetBkColor(src, old);
  return mask;
}

void TBitmap::Assign(TPersistent* source) {
  auto* b = dynamic_cast<TBitmap*>(source);
  if (!b) return TPersistent::Assign(source);
  if (b == this) return;
  if (!b->pending_.empty()) {  // rows still in memory: copied there, made when drawn
    Allocate(0, 0, b->format_);
    width_ = b->width_;
    height_ = b->height_;
    pending_ = b->pending_;
    transparent_ = b->transparent_;
    transparent_color_ = b->transparent_color_;
    Changed();
    return;
  }
  Allocate(b->width_, b->height_, b->format_);
  if (bmp_ && bits_ && b->bits_) {
    // Two DIB sections of one format: the rows copied in memory, without making either DC.
    GdiFlush();
    std::memcpy(bits_, b->bits_, static_cast<size_t>(RowBytes()) * static_cast<size_t>(height_));
  } else if (bmp_) {
    BitBlt(DC(), 0, 0, width_, height_, b->DC(), 0, 0, SRCCOPY);
  }
  transparent_ = b->transparent_;
  transparent_color_ = b->transparent_color_;
  Changed();
}

void TBitmap::Draw(HDC dc, int x, int y) {
  if (Empty()) return;
  BitBlt(dc, x, y, width_, height_, DC(), 0, 0, SRCCOPY);
}

void TBitmap::StretchDraw(HDC dc, const RECT& r) {
  if (Empty()) return;
  int old = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, DC(), 0, 0, width_, height_, SRCCOPY);
  SetStretchBltMode(dc, old);
}

void TBitmap::LoadFromStream(TStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
  stream.ReadBuffer(bytes.data(), bytes.size());
  TBmpImage img;
  std::string error;
  if (!DecodeBmp(bytes.data(), bytes.size(), img, &error)) throw EStreamError("Bitmap image is not valid: " + error);
  LoadPixels24(img.width, img.height, img.bgr.data(), img.width * 3, true);
}

bool TBitmap::LoadFromBmp(const uint8_t* data, size_t size) {
  TBmpDecoder decoder;
  if (!decoder.Check(data, size)) return false;
  Allocate(0, 0, TPixelFormat::pf24bit);
  width_ = decoder.Width();
  height_ = decoder.Height();
  pending_.resize(static_cast<size_t>(RowBytes()) * static_cast<size_t>(height_));
  // Bottom-up, as the DIB section made from them will keep them.
  decoder.Rows(ScanLine(0), -static_cast<ptrdiff_t>(RowBytes()));
  Changed();
  return true;
}

void TBitmap::LoadPixels24(int width, int height, const uint8_t* rows, int stride, bool top_down) {
  Allocate(0, 0, TPixelFormat::pf24bit);
  if (width > 0 && height > 0) {
    width_ = width;
    height_ = height;
    pending_.resize(static_cast<size_t>(RowBytes()) * static_cast<size_t>(height_));
  }
  for (int y = 0; y < height_; ++y) {
    const uint8_t* src = rows + static_cast<ptrdiff_t>(top_down ? y : height - 1 - y) * stride;
    std::memcpy(ScanLine(y), src, static_cast<size_t>(width) * 3);
  }
  Changed();
}

void TBitmap::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data",
      [this](TStream& s) {
        std::vector<uint8_t> bytes(static_cast<size_t>(s.Size()));
        s.ReadBuffer(bytes.data(), bytes.size());
        if (bytes.empty()) {
          Allocate(0, 0, TPixelFormat::pf24bit);
          Changed();
          return;
        }
        size_t skip = 0;
        const bool file_first = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
        if (!file_first && bytes.size() >= 6 && bytes[4] == 'B' && bytes[5] == 'M') {
          const uint32_t length = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                                  uint32_t(bytes[3]) << 24;
          if (length == bytes.size() - 4) skip = 4;
        }
        if (!LoadFromBmp(bytes.data() + skip, bytes.size() - skip)) throw EStreamError("Bitmap image is not valid");
      },
      [this](TStream& s) {
        TBitmap rows;
        rows.Assign(this);
        rows.SetPixelFormat(TPixelFormat::pf24bit);
        TBmpImage image;
        image.width = rows.Width();
        image.height = rows.Height();
        image.bits = 24;
        image.bgr.reserve(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
        for (int y = 0; y < image.height; ++y) {
          const uint8_t* row = rows.ScanLine(y);
          image.bgr.insert(image.bgr.end(), row, row + static_cast<ptrdiff_t>(image.width) * 3);
        }
        const std::vector<uint8_t> file = EncodeBmp24(image);
        s.WriteBuffer(file.data(), file.size());
      },
      !Empty());
}

// ---- drawing helpers ----

void FillSolidRect(HDC dc, const RECT& r, COLORREF colour) {
  const COLORREF old = SetDCBrushColor(dc, colour);
  ::FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc, old);
}

void Frame3D(HDC dc, RECT& r, COLORREF top_left, COLORREF bottom_right, int width) {
  for (int i = 0; i < width && r.right - r.left >= 2 && r.bottom - r.top >= 2; ++i) {
    FillSolidRect(dc, {r.left, r.top, r.right - 1, r.top + 1}, top_left);
    FillSolidRect(dc, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, top_left);
    FillSolidRect(dc, {r.right - 1, r.top, r.right, r.bottom}, bottom_right);
    FillSolidRect(dc, {r.left, r.bottom - 1, r.right - 1, r.bottom}, bottom_right);
    InflateRect(&r, -1, -1);
  }
}

// ---- TPicture ----

QN_CLASS_IMPL(TPicture, TPersistent)

void TPicture::LoadFromBytes(const std::vector<uint8_t>& bytes) {
  auto bmp = std::make_unique<TBitmap>();
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    DecodeJpeg(bytes, *bmp);
  } else {
    TMemoryStream s(bytes);
    bmp->LoadFromStream(s);
  }
  bitmap_ = std::move(bmp);
  data_ = bytes;
  if (OnChange) OnChange();
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data",
      [this](TStream& s) {
        std::vector<uint8_t> bytes(static_cast<size_t>(s.Size()));
        s.ReadBuffer(bytes.data(), bytes.size());
        LoadFromBytes(bytes);
      },
      [this](TStream& s) { s.WriteBuffer(data_.data(), data_.size()); }, !data_.empty());
}

}  // namespace qn
