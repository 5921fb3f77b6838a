#include "tests/skin/form/FormFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/core/BmpFile.h"
#include "platform/core/TextConv.h"
#include "platform/win/WinUtil.h"
#include "skin/draw/SkinDraw.h"
#include "skin/manager/WinSkinDlg.h"

namespace qn::test {

std::wstring SkinFile(const char* name) { return Utf8ToWide(std::string(QN_SKIN_DIR) + "/" + name + ".skn"); }

TTestForm::TTestForm(TComponent* owner) : TForm(owner) { OnClose = TCloseEvent::Bind<&TTestForm::FormClose>(this); }

void TTestForm::FormClose(TObject*, TCloseAction& action) {
  ++closes;
  action = TCloseAction::caNone;
}

void FormTest::SetUp() {
  InitApplication();
  RegisterControlClasses();
  RegisterSkinClasses();
  data = new TSkinData(nullptr);
  data->LoadFromFile(SkinFile("builtin"));
  ASSERT_FALSE(data->Empty());
}

void FormTest::TearDown() {
  // Forms own their skinners, which use the skin data: forms first.
  DoneApplication();
  delete data;
  FreeSkinManager();
}

bool FormTest::Pump(const std::function<bool()>& done, unsigned ms) { return Application->PumpUntil(done, ms); }

TTestForm* FormTest::MakeForm(int client_w, int client_h, TFormBorderStyle style, TBorderIcons icons,
                              const std::wstring& caption, int x, int y) {
  auto* f = new TTestForm(Application);
  f->SetBorderStyle(style);
  f->SetBorderIcons(icons);
  f->SetCaption(caption);
  f->SetLeft(x);
  f->SetTop(y);
  f->SetClientWidth(client_w);
  f->SetClientHeight(client_h);
  f->Show();
  Activate(f->Handle());
  return f;
}

void FormTest::Activate(HWND wnd, TWinSkinForm* skinner) {
  SetForegroundWindow(wnd);
  EXPECT_TRUE(Pump([&] {
    return GetForegroundWindow() == wnd && (!skinner || skinner->FWindowActive) && !GetUpdateRect(wnd, nullptr, FALSE);
  }));
}

TWinSkinForm* FormTest::Attach(TCustomForm* form) {
  auto* sf = new TWinSkinForm(form, SkinManager());
  sf->Hwnd = form->Handle();
  sf->mode = 0;
  sf->formclass = GetWndClassName(sf->Hwnd);
  sf->InitTform(data, form);
  PostMessageW(sf->Hwnd, WM_SKINSTART, 0, 1000);
  EXPECT_TRUE(Pump([&] { return sf->Skinstate == 1 && !GetUpdateRect(sf->Hwnd, nullptr, FALSE); }));
  return sf;
}

TWinSkinForm* FormTest::AttachWindow(HWND wnd) {
  auto* sf = new TWinSkinForm(nullptr, SkinManager());
  sf->Hwnd = wnd;
  sf->formclass = GetWndClassName(wnd);
  sf->InitDlg(data);
  PostMessageW(wnd, WM_SKINSTART, 0, 1000);
  EXPECT_TRUE(Pump([&] { return sf->Skinstate == 1 && !GetUpdateRect(wnd, nullptr, FALSE); }));
  return sf;
}

TColor ImagePixel(TBitmap& image, int x, int y) {
  const uint8_t* row = image.ScanLine(y);
  if (!row || x < 0 || x >= image.Width()) return -1;
  const int bytes = image.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
  const uint8_t* p = row + x * bytes;
  return p[2] | (p[1] << 8) | (p[0] << 16);
}

RECT WindowRect0(HWND wnd) {
  RECT r = HwndWindowRect(wnd);
  OffsetRect(&r, -r.left, -r.top);
  return r;
}

Rows WindowPixels(HWND wnd) {
  TWindowDC dc(wnd, true);
  const RECT r = WindowRect0(wnd);
  return Read(dc.Get(), 0, 0, r.right, r.bottom);
}

std::vector<RECT> ButtonsAndTitle(TWinSkinForm* f) {
  std::vector<RECT> places{f->FTitleRect};
  for (const auto& b : f->SysBtn) places.push_back(b->bounds);
  return places;
}

void RepaintFrameFromBlack(HWND wnd) {
  {
    TWindowDC dc(wnd, true);
    const RECT r = WindowRect0(wnd);
    PatBlt(dc.Get(), 0, 0, r.right, r.bottom, BLACKNESS);
  }
  RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

void SaveShot(HWND wnd, const char* name) {
  const char* folder = std::getenv("QN_FORM_SHOTS");
  if (!folder) return;
  const Rows px = WindowPixels(wnd);
  TBmpImage img;
  img.height = int(px.size());
  img.width = img.height ? int(px[0].size()) : 0;
  img.bits = 24;
  for (const auto& row : px)
    for (TColor c : row) {
      img.bgr.push_back(uint8_t(c >> 16));
      img.bgr.push_back(uint8_t(c >> 8));
      img.bgr.push_back(uint8_t(c));
    }
  const std::vector<uint8_t> bytes = EncodeBmp24(img);
  if (FILE* f = std::fopen((std::string(folder) + "/" + name + ".bmp").c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

namespace {

// Red 255, green 0 or 1, blue 255: what the window shape cuts away.
bool Cut(TColor c) { return (c & 0xFF) == 0xFF && ((c >> 8) & 0xFF) <= 1 && ((c >> 16) & 0xFF) == 0xFF; }

struct TChecker {
  const Rows& painted;
  const std::vector<RECT>& skip;
  std::string report;
  int bad = 0;

  bool Skipped(int x, int y) const {
    POINT p{x, y};
    return std::any_of(skip.begin(), skip.end(), [&](const RECT& r) { return PtInRect(&r, p); });
  }
  void Fail(const char* side, int x, int y, TColor got, const char* what, TColor want) {
    if (bad++ < 8) {
      char line[160];
      std::snprintf(line, sizeof line, "\n  %s at (%d,%d): %06X, %s %06X", side, x, y, unsigned(got), what, unsigned(want));
      report += line;
    }
  }
  // One window pixel against one image pixel, or against a run of them (a stretched middle).
  void Exact(const char* side, int x, int y, TColor want) {
    if (Skipped(x, y) || Cut(want)) return;
    const TColor got = painted[size_t(y)][size_t(x)];
    if (got != want) Fail(side, x, y, got, "expected", want);
  }
  void OneOf(const char* side, int x, int y, const std::vector<TColor>& choices) {
    if (Skipped(x, y) || choices.empty()) return;
    if (std::any_of(choices.begin(), choices.end(), Cut)) return;
    const TColor got = painted[size_t(y)][size_t(x)];
    if (std::find(choices.begin(), choices.end(), got) == choices.end()) Fail(side, x, y, got, "not among the", choices[0]);
  }
};

// A side border (frames side by side) over the full window height at column x0.
void CheckSide(TChecker& c, const char* side, TDataSkinBorder& b, int frame, int x0, int width, int height) {
  TBitmap& img = b.Map;
  const int frames = std::max(1, b.frame), fw = img.Width() / frames, fh = img.Height();
  const int ox = (frame - 1) * fw, t = b.r.Top, bo = b.r.Bottom;
  const bool tiled = b.Tile != 1;
  for (int x = 0; x < width && x < fw; ++x) {
    std::vector<TColor> middle;
    for (int sy = t; sy < fh - bo; ++sy) middle.push_back(ImagePixel(img, ox + x, sy));
    for (int y = 0; y < height; ++y) {
      if (y < t) c.Exact(side, x0 + x, y, ImagePixel(img, ox + x, y));
      else if (y >= height - bo) c.Exact(side, x0 + x, y, ImagePixel(img, ox + x, fh - (height - y)));
      else if (tiled) c.Exact(side, x0 + x, y, middle[size_t((y - t) % int(middle.size()))]);
      else c.OneOf(side, x0 + x, y, middle);
    }
  }
}

// The top or bottom border (frames stacked) between the side borders at row y0.
void CheckEdge(TChecker& c, const char* side, TDataSkinBorder& b, int frame, int x0, int width, int y0, int height) {
  TBitmap& img = b.Map;
  const int frames = std::max(1, b.frame), fw = img.Width(), fh = img.Height() / frames;
  const int oy = (frame - 1) * fh, l = b.r.Left, rr = b.r.Right;
  const bool tiled = b.Tile != 1;
  for (int y = 0; y < height && y < fh; ++y) {
    std::vector<TColor> middle;
    for (int sx = l; sx < fw - rr; ++sx) middle.push_back(ImagePixel(img, sx, oy + y));
    for (int x = 0; x < width; ++x) {
      if (x < l) c.Exact(side, x0 + x, y0 + y, ImagePixel(img, x, oy + y));
      else if (x >= width - rr) c.Exact(side, x0 + x, y0 + y, ImagePixel(img, fw - (width - x), oy + y));
      else if (tiled) c.Exact(side, x0 + x, y0 + y, middle[size_t((x - l) % int(middle.size()))]);
      else c.OneOf(side, x0 + x, y0 + y, middle);
    }
  }
}

}  // namespace

::testing::AssertionResult FrameMatchesSkin(const Rows& painted, TSkinObjects& skin, bool active, const RECT& bw,
                                            const std::vector<RECT>& skip) {
  const int H = int(painted.size()), W = H ? int(painted[0].size()) : 0;
  TChecker c{painted, skip, {}, 0};
  auto frame = [&](TDataSkinBorder& b) { return active || b.frame <= 1 ? 1 : 2; };
  TDataSkinBorder& left = *skin.border[skin::kBorderLeft];
  TDataSkinBorder& right = *skin.border[skin::kBorderRight];
  TDataSkinBorder& top = *skin.border[skin::kBorderTop];
  TDataSkinBorder& bottom = *skin.border[skin::kBorderBottom];
  CheckSide(c, "left", left, frame(left), 0, bw.left, H);
  CheckSide(c, "right", right, frame(right), W - bw.right, bw.right, H);
  CheckEdge(c, "top", top, frame(top), bw.left, W - bw.left - bw.right, 0, bw.top);
  CheckEdge(c, "bottom", bottom, frame(bottom), bw.left, W - bw.left - bw.right, H - bw.bottom, bw.bottom);
  if (c.bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << c.bad << " frame pixels differ" << c.report;
}

::testing::AssertionResult ButtonShows(const Rows& painted, const RECT& bounds, TDataSkinSysButton& button, int frame) {
  TBitmap& img = button.Map;
  const int frames = std::max(1, button.frame), w = img.Width() / frames;
  int bad = 0;
  std::string report;
  for (int y = 0; y < bounds.bottom - bounds.top; ++y) {
    for (int x = 0; x < bounds.right - bounds.left; ++x) {
      const TColor want = ImagePixel(img, (frame - 1) * w + x, y);
      if (Cut(want)) continue;
      const TColor got = painted[size_t(bounds.top + y)][size_t(bounds.left + x)];
      if (got != want && bad++ < 6) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  (%d,%d): %06X, expected %06X", x, y, unsigned(got), unsigned(want));
        report += line;
      }
    }
  }
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels of frame " << frame << " differ" << report;
}

}  // namespace qn::test
