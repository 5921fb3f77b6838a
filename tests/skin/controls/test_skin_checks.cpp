// Check boxes, radio buttons and radio groups skinned on a skinned form: the state picture of
// each state against the skin's check and radio images, where it sits and where the caption
// goes, the focus rectangle, see-through boxes; one click per press of the mouse, the space bar
// or an accelerator, as on boxes that are not skinned; radio groups keeping one checked; bare
// button windows; damaged skins; and nothing left behind whichever side goes first.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "platform/core/FormText.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/PropAccess.h"
#include "platform/win/StdCtrls.h"
#include "skin/controls/SkinBoxes.h"
#include "skin/controls/SkinChecks.h"
#include "skin/draw/SkinDraw.h"
#include "tests/skin/controls/ControlFixture.h"

namespace qn::test {
namespace {

template <class T>
T* SkinnerOf(TControl* control) {
  for (int i = 0; i < control->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<T*>(control->Components(i))) return s;
  return nullptr;
}

Rows Pixels(HWND wnd) {
  RECT r{};
  GetClientRect(wnd, &r);
  TWindowDC dc(wnd);
  return Read(dc.Get(), 0, 0, r.right, r.bottom);
}

// The cells of the skin's images as the skin format numbers them (4-cell layout).
enum : int { kUnchecked = 1, kChecked = 2, kUncheckedDisabled = 3, kCheckedDisabled = 4 };

// Where the picture of an image of `cells` cells sits on a control of w x h: at the left edge,
// or at the right one (a radio button one pixel in), centred vertically.
RECT PictureRect(TBitmap& image, int cells, int w, int h, bool right, bool radio) {
  const int cw = image.Width() / cells, ch = image.Height();
  const int top = (h - ch) / 2;
  const int left = right ? w - cw - (radio ? 1 : 0) : 0;
  return RECT{left, top, left + cw, top + ch};
}

// The painted control shows cell `cell` of the image at `box`, its magenta as `behind` (not
// compared when behind is unknown, as over a window's own drawing). With `whole`, every other
// pixel is `behind` or the caption's, and the caption's lie beside the picture, two pixels
// off; their bounds go to `ink`.
::testing::AssertionResult Shows(const Rows& px, TBitmap& image, int cells, int cell, const RECT& box,
                                 std::optional<TColor> behind, bool whole, RECT* ink = nullptr) {
  const int H = int(px.size()), W = H ? int(px[0].size()) : 0;
  const int cw = image.Width() / cells;
  int bad = 0;
  std::string report;
  auto fail = [&](int x, int y, TColor got, TColor want) {
    if (bad++ >= 6) return;
    char line[96];
    std::snprintf(line, sizeof line, "\n  (%d,%d): %06X, not %06X", x, y, unsigned(got), unsigned(want));
    report += line;
  };
  RECT found{W, H, -1, -1};
  const bool right = box.left > W / 2;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const TColor got = px[size_t(y)][size_t(x)];
      if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
        const TColor want = ImagePixel(image, (cell - 1) * cw + x - box.left, y - box.top);
        if (want == kMagenta) {
          if (behind && got != *behind) fail(x, y, got, *behind);
        } else if (got != want) {
          fail(x, y, got, want);
        }
        continue;
      }
      if (!whole || got == *behind) continue;
      const bool beside = right ? x < box.left - 2 : x >= box.right + 2;
      if (!beside) {
        fail(x, y, got, *behind);
        continue;
      }
      found = RECT{std::min<LONG>(found.left, x), std::min<LONG>(found.top, y), std::max<LONG>(found.right, x + 1),
                   std::max<LONG>(found.bottom, y + 1)};
    }
  }
  if (ink) *ink = found;
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels differ from cell " << cell << report;
}

// A copy of a skin image, put back when the test is done with it.
class TKeptImage {
 public:
  TKeptImage(TBitmap& image, int32_t& cells) : image_(image), cells_(cells), count_(cells) { kept_.Assign(&image); }
  ~TKeptImage() {
    image_.Assign(&kept_);
    cells_ = count_;
  }

 private:
  TBitmap& image_;
  int32_t& cells_;
  int32_t count_;
  TBitmap kept_;
};

// n cells of 13 x 13, cell i a colour of its own.
TColor CellColour(int i) { return static_cast<TColor>(0x102030 + 0x0B0905 * i); }
void MakeCells(TBitmap& image, int n) {
  image.SetPixelFormat(TPixelFormat::pf24bit);
  image.SetSize(13 * n, 13);
  for (int i = 1; i <= n; ++i) FillColor(image.DC(), RECT{13 * (i - 1), 0, 13 * i, 13}, CellColour(i));
}

struct TClicks {
  int n = 0;
  void Click(TObject*) { ++n; }
};

class ChecksTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetCursorPos(1, 1);  // away from every control
  }
  void Discover() {
    sf->InitControls(form);
    Settle(form->Handle());
  }
  void Hover(TWinControl* c) {
    const POINT p = c->ClientToScreen(POINT{c->Width() / 2, c->Height() / 2});
    SetCursorPos(p.x, p.y);
    SendMessageW(c->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c->Width() / 2, c->Height() / 2));
    Settle(c->Handle());
  }
  TColor Face() { return data->Skin()->Colors[skin::kcButtonFace]; }
  TDataSkinButton& Button() { return *data->Skin()->Button; }
};

// ---- Discovery ----

TEST_F(ChecksTest, DiscoveryGivesBoxesButtonsAndGroupsTheirSkinners) {
  auto* check = Place<TCheckBox>(10, 10, 120, 22);
  auto* radio = Place<TRadioButton>(10, 40, 120, 22);
  auto* group = Place<TRadioGroup>(150, 10, 200, 100);
  group->SetItems({L"One", L"Two"});
  Discover();
  EXPECT_NE(SkinnerOf<TSkinCheckBox>(check), nullptr);
  EXPECT_NE(SkinnerOf<TSkinRadioButton>(radio), nullptr);
  EXPECT_NE(SkinnerOf<TSkinGroupBox>(group), nullptr);
  for (int i = 0; i < 2; ++i) EXPECT_NE(SkinnerOf<TSkinRadioButton>(group->Buttons(i)), nullptr) << i;
  EXPECT_EQ(SendMessageW(check->Handle(), WM_SKINQUERY, 0, 0), 1);
  EXPECT_EQ(SkinnerOf<TSkinCheckBox>(check)->kind, 1) << "painted whole";
  Discover();  // nothing twice
  int skinners = 0;
  for (int i = 0; i < radio->ComponentCount(); ++i) skinners += dynamic_cast<TSkinControl*>(radio->Components(i)) != nullptr;
  EXPECT_EQ(skinners, 1);
}

// ---- Pictures ----

// Every state a user can reach shows its cell of the skin's image at the left, the rest of the
// box the face colour and the caption beside the picture; hovering and pressing change nothing
// (the skin has no cells for them) and never let the box's own pressed look through.
TEST_F(ChecksTest, EachStateShowsItsCell) {
  enum class Check { Unchecked, Checked, Grayed };
  enum class Mode { Normal, Hot, Pressed, SpaceHeld, Disabled };
  struct Row {
    bool radio;
    Check check;
    Mode mode;
    int cell;
  };
  std::vector<Row> rows;
  for (Mode mode : {Mode::Normal, Mode::Hot, Mode::Pressed, Mode::SpaceHeld, Mode::Disabled}) {
    const bool off = mode == Mode::Disabled;
    rows.push_back({false, Check::Unchecked, mode, off ? kUncheckedDisabled : kUnchecked});
    rows.push_back({false, Check::Checked, mode, off ? kCheckedDisabled : kChecked});
    rows.push_back({false, Check::Grayed, mode, kCheckedDisabled});  // grayed shares the cell
    if (mode == Mode::SpaceHeld) continue;  // focusing an unchecked radio button checks it
    rows.push_back({true, Check::Unchecked, mode, off ? kUncheckedDisabled : kUnchecked});
    rows.push_back({true, Check::Checked, mode, off ? kCheckedDisabled : kChecked});
  }
  const char* checks[] = {"unchecked", "checked", "grayed"};
  const char* modes[] = {"normal", "hot", "pressed", "space bar held", "disabled"};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.radio ? "radio " : "box ") + checks[int(r.check)] + ", " + modes[int(r.mode)]);
    auto* edit = Place<TEdit>(10, 200, 80, 24);  // holds the focus
    TButtonControl* c = nullptr;
    if (r.radio) {
      auto* radio = Place<TRadioButton>(20, 20, 140, 24);
      radio->SetChecked(r.check == Check::Checked);
      c = radio;
    } else {
      auto* box = Place<TCheckBox>(20, 20, 140, 24);
      box->SetAllowGrayed(true);
      box->SetState(r.check == Check::Checked  ? TCheckBoxState::cbChecked
                    : r.check == Check::Grayed ? TCheckBoxState::cbGrayed
                                               : TCheckBoxState::cbUnchecked);
      c = box;
    }
    c->SetCaption(L"Wine");
    Discover();
    edit->SetFocus();
    if (r.mode == Mode::Hot) Hover(c);
    if (r.mode == Mode::Pressed) SendMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    if (r.mode == Mode::SpaceHeld) {
      c->SetFocus();
      SendMessageW(c->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
    }
    if (r.mode == Mode::Disabled) c->SetEnabled(false);
    Settle(c->Handle());
    TBitmap& image = r.radio ? Button().RadioMap : Button().CheckMap;
    const int cells = r.radio ? Button().radioframe : Button().checkframe;
    const RECT box = PictureRect(image, cells, 140, 24, false, r.radio);
    RECT ink{};
    EXPECT_TRUE(Shows(Pixels(c->Handle()), image, cells, r.cell, box, Face(), true, &ink));
    EXPECT_LT(ink.left, ink.right) << "a caption is drawn";
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 12, 3) << "centred";
    if (r.mode == Mode::Pressed) {
      SendMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-200, -200));  // released away: no click
      ReleaseCapture();
    }
    delete c;
    delete edit;
  }
}

// Alignment on the left puts the picture at the right edge (a radio button one pixel in) and the
// caption before it.
TEST_F(ChecksTest, APictureOnTheRightHasTheCaptionBeforeIt) {
  for (bool radio : {false, true}) {
    SCOPED_TRACE(radio ? "radio button" : "check box");
    TButtonControl* c = nullptr;
    if (radio) {
      auto* b = Place<TRadioButton>(20, 20, 140, 24);
      b->SetAlignment(TAlignment::taLeftJustify);
      b->SetChecked(true);
      c = b;
    } else {
      auto* b = Place<TCheckBox>(20, 20, 140, 24);
      b->SetAlignment(TAlignment::taLeftJustify);
      b->SetChecked(true);
      c = b;
    }
    c->SetCaption(L"Wine");
    Discover();
    TBitmap& image = radio ? Button().RadioMap : Button().CheckMap;
    const int cells = radio ? Button().radioframe : Button().checkframe;
    const RECT box = PictureRect(image, cells, 140, 24, true, radio);
    RECT ink{};
    EXPECT_TRUE(Shows(Pixels(c->Handle()), image, cells, kChecked, box, Face(), true, &ink));
    ASSERT_LT(ink.left, ink.right);
    EXPECT_LT(ink.left, 6) << "left-aligned before the picture";
    delete c;
  }
}

// A long caption wraps in the room beside the picture and is centred as a block; with the focus
// on the box, a focus rectangle goes round the caption where the system draws one.
TEST_F(ChecksTest, CaptionsWrapAndTheFocusedOneHasItsRectangle) {
  auto* edit = Place<TEdit>(10, 200, 80, 24);
  auto* box = Place<TCheckBox>(20, 20, 110, 60);
  box->SetCaption(L"Steeped a hundred days in a jar");
  Discover();
  edit->SetFocus();
  Settle(box->Handle());
  TBitmap& image = Button().CheckMap;
  const int cells = Button().checkframe;
  const RECT picture = PictureRect(image, cells, 110, 60, false, false);
  RECT ink{};
  ASSERT_TRUE(Shows(Pixels(box->Handle()), image, cells, kUnchecked, picture, Face(), true, &ink));
  int line = 0;
  {
    TWindowDC dc(box->Handle());
    TScopedSelect font_in(dc.Get(), box->Font()->Handle());
    line = TSkinControl::TextHeight(dc.Get(), L"Wg");
  }
  EXPECT_GT(ink.bottom - ink.top, line * 3 / 2) << "more than one line";
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 30, 4);

  // The focus rectangle inverts the face colour in dots around the caption.
  const TColor inverted = (~ColorToRGB(Face())) & 0xFFFFFF;
  auto dots = [&] {
    int n = 0;
    for (const auto& row : Pixels(box->Handle()))
      for (TColor c : row) n += c == inverted;
    return n;
  };
  EXPECT_EQ(dots(), 0);
  box->SetFocus();
  Settle(box->Handle());
  if (NotVersion6()) {
    EXPECT_GT(dots(), 20);
  } else {
    EXPECT_EQ(dots(), 0);
  }
}

// Tagged 5555, the box shows the panel it sits on behind its picture and caption.
TEST_F(ChecksTest, ASeeThroughBoxShowsItsParent) {
  auto* panel = Place<TPanel>(10, 10, 220, 60);
  panel->SetBevelOuter(TPanelBevel::bvNone);
  const TColor teal = 0x808000;
  panel->SetColor(teal);
  for (bool see_through : {true, false}) {
    SCOPED_TRACE(see_through ? "see-through" : "opaque");
    auto* box = new TCheckBox(form);
    box->SetParent(panel);
    box->SetBounds(10, 10, 140, 24);
    box->SetCaption(L"Wine");
    if (see_through) box->SetTag(5555);
    auto* skinner = new TSkinCheckBox(box);  // the panel stays unskinned, in its own colour
    skinner->Init(sf, data, &sf->ControlCanvas(), false);
    Settle(box->Handle());
    TBitmap& image = Button().CheckMap;
    const int cells = Button().checkframe;
    EXPECT_TRUE(Shows(Pixels(box->Handle()), image, cells, kUnchecked, PictureRect(image, cells, 140, 24, false, false),
                      see_through ? teal : Face(), true));
    delete box;
  }
}

// Twelve check cells and eight radio cells: unchecked, checked and indeterminate rows of four,
// the disabled cell last in each.
TEST_F(ChecksTest, LongImagesHaveTheirOwnCells) {
  struct Row {
    const char* what;
    bool radio;
    TCheckBoxState state;
    bool disabled;
    int cell;
  } rows[] = {
      {"box unchecked", false, TCheckBoxState::cbUnchecked, false, 1},
      {"box unchecked, disabled", false, TCheckBoxState::cbUnchecked, true, 4},
      {"box checked", false, TCheckBoxState::cbChecked, false, 5},
      {"box checked, disabled", false, TCheckBoxState::cbChecked, true, 8},
      {"box grayed", false, TCheckBoxState::cbGrayed, false, 9},
      {"box grayed, disabled", false, TCheckBoxState::cbGrayed, true, 12},
      {"radio unchecked", true, TCheckBoxState::cbUnchecked, false, 1},
      {"radio unchecked, disabled", true, TCheckBoxState::cbUnchecked, true, 4},
      {"radio checked", true, TCheckBoxState::cbChecked, false, 5},
      {"radio checked, disabled", true, TCheckBoxState::cbChecked, true, 8},
  };
  TKeptImage check(Button().CheckMap, Button().checkframe);
  TKeptImage radio(Button().RadioMap, Button().radioframe);
  MakeCells(Button().CheckMap, 12);
  Button().checkframe = 12;
  MakeCells(Button().RadioMap, 8);
  Button().radioframe = 8;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TButtonControl* c = nullptr;
    if (r.radio) {
      auto* b = Place<TRadioButton>(20, 20, 140, 24);
      b->SetChecked(r.state == TCheckBoxState::cbChecked);
      c = b;
    } else {
      auto* b = Place<TCheckBox>(20, 20, 140, 24);
      b->SetState(r.state);
      c = b;
    }
    c->SetEnabled(!r.disabled);
    Discover();
    EXPECT_EQ(PixelAt(c->Handle(), 6, 12), CellColour(r.cell));
    delete c;
  }
}

// ---- Clicks ----

// One click per press, whatever makes it: the state moves on once and OnClick fires once, the
// same as on a box that is not skinned.
TEST_F(ChecksTest, EveryWayOfClickingMovesTheStateOnce) {
  enum class How { Mouse, Space, Accelerator };
  const struct {
    const char* what;
    How how;
  } ways[] = {{"mouse", How::Mouse}, {"space bar", How::Space}, {"Alt and the underlined letter", How::Accelerator}};
  for (bool skinned : {true, false}) {
    for (bool radio : {false, true}) {
      for (const auto& way : ways) {
        SCOPED_TRACE(std::string(way.what) + (radio ? ", radio button" : ", check box") + (skinned ? ", skinned" : ", plain"));
        auto* edit = Place<TEdit>(10, 200, 80, 24);
        TButtonControl* c = radio ? static_cast<TButtonControl*>(Place<TRadioButton>(20, 20, 140, 24))
                                  : static_cast<TButtonControl*>(Place<TCheckBox>(20, 20, 140, 24));
        c->SetCaption(L"&Wine");
        TClicks clicks;
        c->OnClick = TNotifyEvent::Bind<&TClicks::Click>(&clicks);
        if (skinned) {
          Discover();
          ASSERT_NE(SkinnerOf<TSkinControl>(c), nullptr);
        }
        edit->SetFocus();
        Settle(c->Handle());
        const HWND wnd = c->Handle();
        switch (way.how) {
          case How::Mouse:
            Hover(c);
            PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            break;
          case How::Space:
            c->SetFocus();  // focusing a radio button checks it already
            PostMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
            PostMessageW(wnd, WM_KEYUP, VK_SPACE, 0xC0390001);
            break;
          case How::Accelerator:
            PostMessageW(edit->Handle(), WM_SYSCHAR, L'w', 0x20110001);
            break;
        }
        Pump([] { return false; }, 150);
        EXPECT_EQ(clicks.n, 1);
        EXPECT_EQ(GetPropEnum(c, "Checked"), "True");
        EXPECT_EQ(SendMessageW(wnd, BM_GETCHECK, 0, 0), BST_CHECKED);
        c->OnClick = {};
        delete c;
        delete edit;
        SetCursorPos(1, 1);
      }
    }
  }
}

// A radio group keeps one item chosen, by the mouse or the arrow keys (round at either end),
// and reports each choice once; radio buttons in two boxes are two groups. Skinned, the chosen
// button shows the checked cell and the others the unchecked one.
TEST_F(ChecksTest, RadioGroupsKeepOneChecked) {
  for (bool skinned : {true, false}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    auto* group = Place<TRadioGroup>(10, 10, 260, 100);
    group->SetCaption(L"Wines");
    group->SetColumns(2);
    group->SetItems({L"Ginseng", L"Wolfberry", L"Jujube"});
    TClicks clicks;
    group->OnClick = TNotifyEvent::Bind<&TClicks::Click>(&clicks);
    auto* other = Place<TGroupBox>(280, 10, 120, 100);
    auto* kept = new TRadioButton(form);
    kept->SetParent(other);
    kept->SetBounds(10, 30, 100, 22);
    kept->SetChecked(true);
    if (skinned) Discover();
    auto chosen = [&] {
      std::vector<int> on;
      for (int i = 0; i < 3; ++i)
        if (SendMessageW(group->Buttons(i)->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED) on.push_back(i);
      return on;
    };
    const HWND second = group->Buttons(1)->Handle();
    PostMessageW(second, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(second, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump([] { return false; }, 150);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(chosen(), std::vector<int>{1});
    EXPECT_EQ(clicks.n, 1);
    EXPECT_TRUE(kept->Checked()) << "another group";
    if (skinned) {
      TBitmap& image = Button().RadioMap;
      const int cells = Button().radioframe;
      for (int i = 0; i < 3; ++i) {
        TRadioButton* b = group->Buttons(i);
        const RECT box = PictureRect(image, cells, b->Width(), b->Height(), false, true);
        EXPECT_TRUE(Shows(Pixels(b->Handle()), image, cells, i == 1 ? kChecked : kUnchecked, box, Face(), true)) << i;
      }
    }
    const struct {
      WPARAM key;
      int index;
    } keys[] = {{VK_DOWN, 2}, {VK_RIGHT, 0}, {VK_UP, 2}, {VK_LEFT, 1}};
    int n = 1;
    for (const auto& k : keys) {
      const HWND focus = GetFocus();
      PostMessageW(focus, WM_KEYDOWN, k.key, 0x00500001);
      PostMessageW(focus, WM_KEYUP, k.key, 0xC0500001);
      Pump([] { return false; }, 100);
      EXPECT_EQ(group->ItemIndex(), k.index) << "key " << k.key;
      EXPECT_EQ(chosen(), std::vector<int>{k.index});
      EXPECT_EQ(GetFocus(), group->Buttons(k.index)->Handle());
      EXPECT_EQ(clicks.n, ++n);
    }
    group->SetItemIndex(0);  // in code: one more report
    EXPECT_EQ(chosen(), std::vector<int>{0});
    EXPECT_EQ(clicks.n, ++n);
    EXPECT_TRUE(kept->Checked());
    group->OnClick = {};
    delete group;
    delete other;
  }
}

// Read from a form description with its index stored before its items, a radio group checks
// that item once the form is read, and reports nothing while it is read; written again, it
// reads the same.
TEST_F(ChecksTest, ARadioGroupReadFromAFormDescriptionChecksItsItem) {
  const std::string text = R"(object Read: TForm
  object Seasons: TRadioGroup
    Left = 8
    Top = 8
    Width = 220
    Height = 100
    Caption = 'Season'
    Columns = 2
    ItemIndex = 2
    Items.Strings = (
      'Spring'
      'Summer'
      'Autumn')
  end
end
)";
  auto* read = new TForm(nullptr);
  read->ReadFormText(text);
  auto* group = dynamic_cast<TRadioGroup*>(read->FindComponent("Seasons"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(group->Columns(), 2);
  ASSERT_NE(group->Buttons(2), nullptr);
  EXPECT_EQ(group->Buttons(3), nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(group->Buttons(i)->Checked(), i == 2) << i;
  EXPECT_EQ(group->Buttons(1)->Caption(), L"Summer");
  EXPECT_GT(group->Buttons(2)->Left(), group->Buttons(0)->Left()) << "second column";
  const std::string written = WriteComponentText(read);
  EXPECT_NE(written.find("ItemIndex = 2"), std::string::npos);
  EXPECT_EQ(written.find("TRadioButton"), std::string::npos) << "the buttons are the group's own";
  read->Free();
}

// ---- Bare button windows ----

int g_bn_clicked = 0;

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) ++g_bn_clicked;
  return DefWindowProcW(wnd, msg, w, l);
}

// A plain window that counts its buttons' clicks.
HWND MakeHost(HWND parent) {
  WNDCLASSW wc{};
  if (!GetClassInfoW(GetModuleHandleW(nullptr), L"QnCheckHost", &wc)) {
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QnCheckHost";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
  }
  return CreateWindowExW(0, L"QnCheckHost", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 200, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

HWND MakeBare(HWND parent, DWORD style, DWORD ex_style = 0) {
  return CreateWindowExW(ex_style, L"BUTTON", L"Bare", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 20, 20, 140, 24,
                         parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TSkinControl* SkinnerOfWindow(TWinSkinForm* sf, HWND wnd) {
  for (TObject* o : sf->Controllist)
    if (auto* s = dynamic_cast<TSkinControl*>(o); s && s->hwnd == wnd) return s;
  return nullptr;
}

// A bare button window keeps its own drawing, with the skin's picture over its box: the cell of
// its state, at the right for either style that puts the box there.
TEST_F(ChecksTest, BareButtonsShowTheCellOverTheirOwnBox) {
  struct Row {
    const char* what;
    DWORD style, ex_style;
    WPARAM check;
    bool disabled;
    int cell;
  } rows[] = {
      {"box", BS_AUTOCHECKBOX, 0, BST_UNCHECKED, false, kUnchecked},
      {"box, checked", BS_CHECKBOX, 0, BST_CHECKED, false, kChecked},
      {"box, checked, disabled", BS_AUTOCHECKBOX, 0, BST_CHECKED, true, kCheckedDisabled},
      {"three-state box, indeterminate", BS_AUTO3STATE, 0, BST_INDETERMINATE, false, kCheckedDisabled},
      {"box, unchecked, disabled", BS_3STATE, 0, BST_UNCHECKED, true, kUncheckedDisabled},
      {"box on the right", BS_AUTOCHECKBOX | BS_LEFTTEXT, 0, BST_CHECKED, false, kChecked},
      {"box right-aligned", BS_AUTOCHECKBOX, WS_EX_RIGHT, BST_CHECKED, false, kChecked},
      {"radio", BS_AUTORADIOBUTTON, 0, BST_UNCHECKED, false, kUnchecked},
      {"radio, checked", BS_RADIOBUTTON, 0, BST_CHECKED, false, kChecked},
      {"radio, checked, disabled", BS_AUTORADIOBUTTON, 0, BST_CHECKED, true, kCheckedDisabled},
      {"radio on the right", BS_AUTORADIOBUTTON | BS_LEFTTEXT, 0, BST_CHECKED, false, kChecked},
  };
  const HWND host = MakeHost(form->Handle());
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const HWND wnd = MakeBare(host, r.style | (r.disabled ? WS_DISABLED : 0), r.ex_style);
    SendMessageW(wnd, BM_SETCHECK, r.check, 0);
    sf->AddControlh(wnd);
    TSkinControl* skinner = SkinnerOfWindow(sf, wnd);
    ASSERT_NE(skinner, nullptr);
    const bool radio = (r.style & BS_TYPEMASK) == BS_RADIOBUTTON || (r.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    EXPECT_EQ(skinner->ClassName(), radio ? "TSkinRadioButton" : "TSkinCheckBox");
    EXPECT_EQ(skinner->kind, 0) << "over its own drawing";
    Settle(wnd);
    TBitmap& image = radio ? Button().RadioMap : Button().CheckMap;
    const int cells = radio ? Button().radioframe : Button().checkframe;
    const bool right = (r.style & BS_LEFTTEXT) || (r.ex_style & WS_EX_RIGHT);
    EXPECT_TRUE(Shows(Pixels(wnd), image, cells, r.cell, PictureRect(image, cells, 140, 24, right, radio), std::nullopt,
                      false));
    DestroyWindow(wnd);
  }
  DestroyWindow(host);
}

// Discovery finds the bare button windows a program made inside the form and inside the
// library's own containers, once each; a wrapped system control's own inner windows (the edit
// of a combo box) are not taken for the program's.
TEST_F(ChecksTest, DiscoveryFindsBareButtonsInsideTheFormAndItsPanels) {
  auto* panel = Place<TPanel>(10, 10, 300, 120);
  auto* combo = Place<TComboBox>(10, 150, 160, 24);
  combo->SetStyle(TComboBoxStyle::csDropDown);
  const HWND in_form = MakeBare(form->Handle(), BS_AUTOCHECKBOX);
  SetWindowPos(in_form, nullptr, 320, 20, 140, 24, SWP_NOZORDER);
  const HWND in_panel = MakeBare(panel->Handle(), BS_AUTORADIOBUTTON);
  const HWND combo_edit = FindWindowExW(combo->Handle(), nullptr, L"Edit", nullptr);
  ASSERT_NE(combo_edit, nullptr);
  Discover();
  Discover();  // nothing twice
  auto count = [&](HWND wnd) {
    return std::count_if(sf->Controllist.begin(), sf->Controllist.end(), [&](TObject* o) {
      auto* skinner = dynamic_cast<TSkinControl*>(o);
      return skinner && skinner->hwnd == wnd;
    });
  };
  EXPECT_NE(dynamic_cast<TSkinCheckBox*>(SkinnerOfWindow(sf, in_form)), nullptr);
  EXPECT_NE(dynamic_cast<TSkinRadioButton*>(SkinnerOfWindow(sf, in_panel)), nullptr);
  EXPECT_EQ(count(in_form), 1);
  EXPECT_EQ(count(in_panel), 1);
  EXPECT_EQ(count(combo_edit), 0);
}

// A bare box or radio button clicks as often per press of the mouse or the space bar skinned as
// it does plain (a radio button also clicks when it takes the focus), and the press checks it.
TEST_F(ChecksTest, BareButtonsClickAsTheyDoPlain) {
  const HWND host = MakeHost(form->Handle());
  for (DWORD style : {DWORD(BS_AUTOCHECKBOX), DWORD(BS_AUTORADIOBUTTON)}) {
    for (bool mouse : {true, false}) {
      SCOPED_TRACE(std::string(style == BS_AUTOCHECKBOX ? "box" : "radio") + (mouse ? ", mouse" : ", space bar"));
      int counts[2] = {};
      for (bool skinned : {true, false}) {
        const HWND wnd = MakeBare(host, style);
        if (skinned) sf->AddControlh(wnd);
        ASSERT_EQ(SendMessageW(wnd, WM_SKINQUERY, 0, 0), skinned ? 1 : 0);
        if (!mouse) {
          SetFocus(wnd);
          SendMessageW(wnd, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        g_bn_clicked = 0;
        if (mouse) {
          PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
          PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        } else {
          PostMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
          PostMessageW(wnd, WM_KEYUP, VK_SPACE, 0xC0390001);
        }
        Pump([] { return false; }, 150);
        EXPECT_EQ(SendMessageW(wnd, BM_GETCHECK, 0, 0), BST_CHECKED) << (skinned ? "skinned" : "plain");
        counts[skinned] = g_bn_clicked;
        DestroyWindow(wnd);
      }
      EXPECT_GE(counts[0], 1);
      EXPECT_EQ(counts[1], counts[0]);
      if (style == BS_AUTOCHECKBOX) {
        EXPECT_EQ(counts[1], 1);
      }
    }
  }
  DestroyWindow(host);
}

// ---- Damaged skins ----

// Without a picture to paint (no image, a cell of no width) the box paints itself as if it were
// not skinned; with fewer cells than a state asks for it shows the enabled cell of its state.
TEST_F(ChecksTest, ADamagedSkinLeavesThePlainLookOrDrawsWhatExists) {
  for (bool radio : {false, true}) {
    SCOPED_TRACE(radio ? "radio button" : "check box");
    TBitmap& image = radio ? Button().RadioMap : Button().CheckMap;
    int32_t& cells = radio ? Button().radioframe : Button().checkframe;
    TKeptImage kept(image, cells);
    TButtonControl* skinned = radio ? static_cast<TButtonControl*>(Place<TRadioButton>(20, 20, 140, 24))
                                    : static_cast<TButtonControl*>(Place<TCheckBox>(20, 20, 140, 24));
    skinned->SetCaption(L"Wine");
    skinned->SetEnabled(false);
    SetPropText(skinned, "Checked", L"True");
    Settle(skinned->Handle());
    const Rows own = Pixels(skinned->Handle());
    TSkinControl* s = radio ? static_cast<TSkinControl*>(new TSkinRadioButton(skinned)) : new TSkinCheckBox(skinned);
    s->Init(sf, data, &sf->ControlCanvas(), false);
    Settle(skinned->Handle());
    ASSERT_FALSE(SamePicture(Pixels(skinned->Handle()), own)) << "the skin was drawn";

    // Two cells only: the checked disabled state shows the checked cell.
    TBitmap two;
    two.SetPixelFormat(TPixelFormat::pf24bit);
    two.SetSize(image.Width() * 2 / cells, image.Height());
    BitBlt(two.DC(), 0, 0, two.Width(), two.Height(), image.DC(), 0, 0, SRCCOPY);
    image.Assign(&two);
    cells = 2;
    s->Redraw();
    Settle(skinned->Handle());
    EXPECT_TRUE(Shows(Pixels(skinned->Handle()), image, 2, kChecked, PictureRect(image, 2, 140, 24, false, radio), Face(),
                      true));

    const struct {
      const char* what;
      std::function<void()> damage;
    } damages[] = {
        {"more cells than pixels", [&] { cells = image.Width() + 1; }},
        {"no image", [&] { image.SetSize(0, 0); }},
    };
    for (const auto& d : damages) {
      SCOPED_TRACE(d.what);
      d.damage();
      s->Redraw();
      Settle(skinned->Handle());
      EXPECT_TRUE(SamePicture(Pixels(skinned->Handle()), own)) << "its own look";
      EXPECT_EQ(s->kind, 0);
      // A skin with the picture again paints the whole box once more.
      image.Assign(&two);
      cells = 2;
      s->SkinChange();
      Settle(skinned->Handle());
      EXPECT_EQ(s->kind, 1);
      EXPECT_FALSE(SamePicture(Pixels(skinned->Handle()), own));
    }
    delete s;
    delete skinned;
  }
  EXPECT_TRUE(dropped.empty()) << dropped.front();
}

// ---- Letting go ----

// Boxes, radio buttons, a radio group and bare buttons skinned and let go in every order:
// nothing is left behind.
TEST_F(ChecksTest, LettingGoInAnyOrderLeavesNothing) {
  const HWND host = MakeHost(form->Handle());
  // The skin's images make their pictures and DCs at their first paint; they stay with them.
  {
    auto* first = Place<TCheckBox>(20, 20, 140, 24);
    auto* second = Place<TRadioButton>(20, 50, 140, 24);
    Discover();
    delete first;
    delete second;
  }
  const TCounts before = TCounts::Now();
  enum class Order { ControlFirst, SkinnerFirst, SwitchedOffFirst, WindowFirst };
  for (Order order : {Order::ControlFirst, Order::SkinnerFirst, Order::SwitchedOffFirst, Order::WindowFirst}) {
    SCOPED_TRACE(int(order));
    auto* box = Place<TCheckBox>(20, 20, 140, 24);
    auto* radio = Place<TRadioButton>(20, 50, 140, 24);
    auto* group = Place<TRadioGroup>(180, 10, 200, 90);
    group->SetItems({L"One", L"Two", L"Three"});
    const HWND bare_box = MakeBare(host, BS_AUTOCHECKBOX);
    const HWND bare_radio = MakeBare(host, BS_AUTORADIOBUTTON);
    Discover();
    sf->AddControlh(bare_box);
    sf->AddControlh(bare_radio);
    SendMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // held down while it goes
    Settle(form->Handle());
    std::vector<TSkinControl*> skinners{SkinnerOf<TSkinControl>(box), SkinnerOf<TSkinControl>(radio),
                                        SkinnerOfWindow(sf, bare_box), SkinnerOfWindow(sf, bare_radio)};
    for (int i = 0; i < 3; ++i) skinners.push_back(SkinnerOf<TSkinControl>(group->Buttons(i)));
    for (TSkinControl* s : skinners) ASSERT_NE(s, nullptr);
    switch (order) {
      case Order::ControlFirst:
      case Order::WindowFirst:
        break;
      case Order::SwitchedOffFirst:
        for (TSkinControl* s : skinners) s->Unsubclass();
        Settle(form->Handle());
        [[fallthrough]];
      case Order::SkinnerFirst:
        for (TSkinControl* s : skinners) delete s;
        break;
    }
    if (order == Order::WindowFirst) {
      box->DestroyHandle();
      group->DestroyHandle();
    }
    ReleaseCapture();
    delete box;
    delete radio;
    delete group;
    DestroyWindow(bare_box);
    DestroyWindow(bare_radio);
    sf->InitControls(form);  // frees the skinners whose windows went
    Settle(form->Handle());
    EXPECT_EQ(TCounts::Now(), before);
  }
  DestroyWindow(host);
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
}  // namespace qn::test
