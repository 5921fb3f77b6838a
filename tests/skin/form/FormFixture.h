// Skinned windows for the form-skinner tests: the built-in skin loaded from the packed skins,
// class-library forms and dialogs with a form skinner attached the way the skin manager
// attaches one, and the skin images' pixels read straight from their rows.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/Forms.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "tests/skin/draw/Pictures.h"

namespace qn::test {

std::wstring SkinFile(const char* name);  // a packed skin of ours

// A form that records its close requests and stays open.
class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* owner);
  void FormClose(TObject* sender, TCloseAction& action);
  int closes = 0;
};

constexpr TBorderIcons kSysOnly = 1u << biSystemMenu;
constexpr TBorderIcons kAllBoxes = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A shown, active form of that client size at (x, y) of the screen.
  TTestForm* MakeForm(int client_w, int client_h, TFormBorderStyle style, TBorderIcons icons,
                      const std::wstring& caption, int x = 40, int y = 40);
  // A skinner attached to the window and activated, as the manager does it.
  TWinSkinForm* Attach(TCustomForm* form);
  TWinSkinForm* AttachWindow(HWND wnd);  // no form object: a dialog
  // Pumps until the window is the active one and its skinner paints it active.
  void Activate(HWND wnd, TWinSkinForm* skinner = nullptr);
  bool Pump(const std::function<bool()>& done, unsigned ms = 5000);

  TSkinData* data = nullptr;
};

// Pixel (x, y) of a skin image, 0xBBGGRR.
TColor ImagePixel(TBitmap& image, int x, int y);
// The window's pixels as painted, in window coordinates.
Rows WindowPixels(HWND wnd);
RECT WindowRect0(HWND wnd);  // the window rectangle moved to (0, 0)
// The parts of a skinned title bar that are not the border images: caption buttons and text.
std::vector<RECT> ButtonsAndTitle(TWinSkinForm* f);
// Paints the window's frame black, then asks for it again: what the skinner paints shows.
void RepaintFrameFromBlack(HWND wnd);
// With QN_FORM_SHOTS naming a folder, the window as painted goes there as <name>.bmp, for
// looking at what the tests paint.
void SaveShot(HWND wnd, const char* name);

// Checks the painted frame against the border images: every fixed (unstretched) piece pixel
// for pixel, every stretched middle pixel against the colours its source column (or row)
// offers. Pixels the skin cuts away (magenta) and those inside `skip` are not compared.
::testing::AssertionResult FrameMatchesSkin(const Rows& painted, TSkinObjects& skin, bool active, const RECT& bw,
                                            const std::vector<RECT>& skip);

// The button's frame `frame` as it must appear over `background`: the image's pixels where
// they are not magenta.
::testing::AssertionResult ButtonShows(const Rows& painted, const RECT& bounds, TDataSkinSysButton& button, int frame);

}  // namespace qn::test
