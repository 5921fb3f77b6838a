#include <gtest/gtest.h>

#include "skin/data/SkinDef.h"
#include "tests/skin/data/SkinFixture.h"

namespace qn::skin {
namespace {

using test::SolidBmp;
using test::TSkinFixture;

TSkinDef Read(const std::string& definition) {
  TSkinFixture f(definition);
  EXPECT_TRUE(f.loaded);
  return ReadSkinDef(f.ini);
}

TEST(ParseRGB, NumbersCountWhenASeparatorFollowsOrTheyAreTheThird) {
  struct {
    const wchar_t* text;
    TColorValue want;
  } cases[] = {
      {L"255 255 255", 0xFFFFFF},
      {L"10 20", 0x00000A},           // the last number counts only as the third
      {L"255", 0x000000},
      {L"1,2,3", 0x030201},
      {L" 12   34\t56  ", 0x38220C},  // trimmed; any run of non-digits separates
      {L"1 2 3 4", 0x030201},         // later numbers are ignored
      {L"300 256 -1", 0x01002C},      // low 8 bits; "-" only separates
      {L"99999999999 0 0", 0x0000FF},
      {L"red", 0x000000},
      {L"", 0x000000},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseRGB(c.text), c.want) << WideToUtf8(c.text);
}

TEST(BmpEntryName, OnlyTheFileNameOfABmpValueCounts) {
  struct {
    const wchar_t* value;
    const wchar_t* want;
  } cases[] = {
      {L"close.bmp", L"close.bmp"},
      {L"skins\\grey\\close.bmp", L"close.bmp"},
      {L"c:close.bmp", L"close.bmp"},
      {L"CLOSE.BMP", L""},  // the extension must be ".bmp" exactly
      {L"close.png", L""},
      {L"close", L""},
      {L"skins\\", L""},
      {L"a/b.bmp", L"a/b.bmp"},  // "/" is not a separator here
  };
  for (const auto& c : cases) EXPECT_EQ(BmpEntryName(c.value), c.want) << WideToUtf8(c.value);
}

TEST(ReadSkinDef, AnEmptyDefinitionGivesEveryDefault) {
  TSkinDef d = Read("[Nothing]\r\nkey=1\r\n");
  for (const TObjectDef& b : d.border) {
    EXPECT_EQ(b.frame, 1);
    EXPECT_EQ(b.Tile, 1);
    EXPECT_EQ(b.trans, 1);
    EXPECT_EQ(b.r, TMargins{});
    EXPECT_TRUE(b.Image.empty());
  }
  EXPECT_EQ(d.Colors[kcWindowText], SysColorCode(kSysWindowText));
  EXPECT_EQ(d.Colors[kcButtonFace], SysColorCode(kSysBtnFace));
  EXPECT_EQ(d.Colors[kcMenubar], SysColorCode(kSysBtnFace));  // the face just read
  EXPECT_EQ(d.Colors[kcTitleTextNoActive], SysColorCode(kSysInactiveCaptionText));
  for (bool has : d.hasColors) EXPECT_FALSE(has);
  for (TColorValue c : d.PresetColors) EXPECT_EQ(c, 0xFFFFFF);
  EXPECT_TRUE(d.ColorPreset.empty());
  EXPECT_TRUE(d.SysBtn.empty());
  EXPECT_EQ(d.Title.FontHeight, 14);
  EXPECT_EQ(d.Title.activetext, kNoTitleColor);
  EXPECT_EQ(d.Button.Normalcolor2, SysColorCode(kSysBtnText));
  EXPECT_FALSE(d.Button.newnormal);
  EXPECT_FALSE(d.progress || d.Menubar || d.SArrow || d.TrackBar || d.combox || d.boxlabel);
  EXPECT_EQ(d.HSliderFrames, 3);
}

TEST(ReadSkinDef, ColoursPresetsAndTheMenuBarFallBackToTheFace) {
  TSkinDef d = Read(
      "[Colours]\r\nButtonFace=1 2 3\r\nHilight=nothing\r\nButtonText=\r\n"
      "[Colour1]\r\ncolor=10 20 30\r\n[COLOURS]\r\ncolor=1 1 1\r\n[colour2]\r\nother=1\r\n"
      "[Customcolors]\r\nColor3=0 0 255\r\n");
  EXPECT_EQ(d.Colors[kcButtonFace], 0x030201);
  EXPECT_TRUE(d.hasColors[kcButtonFace]);
  EXPECT_EQ(d.Colors[kcMenubar], 0x030201);
  EXPECT_FALSE(d.hasColors[kcMenubar]);
  EXPECT_EQ(d.Colors[kcHilight], 0);  // a text without numbers is black
  EXPECT_TRUE(d.hasColors[kcHilight]);
  EXPECT_EQ(d.Colors[kcButtonText], SysColorCode(kSysBtnText));  // empty: the default
  EXPECT_EQ(d.ColorPreset, (std::vector<TColorValue>{0x1E140A, SysColorCode(kSysWindowText)}));
  EXPECT_EQ(d.PresetColors[3], 0xFF0000);
  EXPECT_EQ(d.PresetColors[2], 0xFFFFFF);
}

TEST(ReadSkinDef, CaptionButtonsAreFilteredNamedAndShareTheMaximisePosition) {
  TSkinDef d = Read(
      "[BUTTON0]\r\nAction=0\r\nButtonImage=close.bmp\r\n"
      "[Buttons]\r\nBitmap=b.bmp\r\n[Button.Radio]\r\nAction=2\r\n[Button.CheckBox]\r\n[BUTTON]\r\n"
      "[BUTTON5]\r\nAction=-1\r\n"
      "[Button6]\r\nAction=-1\r\nVisibility=0\r\n"
      "[BUTTON7]\r\nAction=4\r\nXcoord=5\r\n"
      "[BUTTON8]\r\nAction=1\r\nVisibility=2\r\nXcoord=30\r\nYcoord=4\r\nframe=3\r\n"
      "[BUTTON9]\r\nAction=4\r\nXcoord=5\r\nVisibility1=9\r\nCombineOp=2\r\n"
      "[MDICONTROLS]\r\nImage=mdi.bmp\r\n");
  ASSERT_EQ(d.SysBtn.size(), 5u);
  EXPECT_EQ(d.SysBtn[0].IDName, L"BUTTON0");
  EXPECT_EQ(d.SysBtn[0].Image, L"close.bmp");
  EXPECT_EQ(d.SysBtn[0].CombineOp, -1);
  // Action -1 stays only with Visibility 0; its Visibility1 then defaults to -1.
  EXPECT_EQ(d.SysBtn[1].IDName, L"BUTTON6");
  EXPECT_EQ(d.SysBtn[1].Visibility1, -1);
  // Action 4 before any maximise button keeps its own place, after one it takes that one's.
  EXPECT_EQ(d.SysBtn[2].XCoord, 5);
  EXPECT_EQ(d.SysBtn[3].frame, 3);
  EXPECT_EQ(d.SysBtn[4].XCoord, 30);
  EXPECT_EQ(d.SysBtn[4].YCoord, 4);
  EXPECT_EQ(d.SysBtn[4].Visibility1, 9);
  EXPECT_EQ(d.SysBtn[4].CombineOp, 2);
  EXPECT_EQ(d.MdiImage, L"mdi.bmp");
}

TEST(ReadSkinDef, ObjectKeysFollowTheirReaders) {
  TSkinDef d = Read(
      "[Personality]\r\nTop=top.bmp\r\nTopTopHeight=40\r\nTopBotHeight=70\r\nTopFrame=2\r\nTopStretch=5\r\n"
      "LeftTopHeight=25\r\nLeftBotHeight=4\r\nMenuBar=bar.bmp\r\nTileMenu=3\r\nTileLeftMenu=6\r\n"
      "ActiveTextR=1\r\nActiveTextG=2\r\nActiveTextB=3\r\nInActiveTextR=1\r\nInActiveTextG=2\r\n"
      "TextShift=7\r\nTextRightClip=9\r\n"
      "[Colours]\r\nButtonText=9 9 9\r\n"
      "[Tab.Pane]\r\nImage=pane.bmp\r\nLeftWidth=10\r\nTopHeight=10\r\nRightWidth=3\r\nBottomHeight=10\r\n"
      "[Tabs]\r\nImage=tab.bmp\r\nBorder=pane.bmp\r\nFrame=7\r\nTile=2\r\n"
      "[Progress]\r\nBitmap=p.bmp\r\nTile=2\r\nFrame=7\r\nNormalColour2=1 1 1\r\n"
      "[GroupBox]\r\nImage=g.bmp\r\nBackgroundAlignment=2\r\nBackgroundLeftShift=3\r\n"
      "[Scrollbar]\r\nImage=arrows.bmp\r\nFrame=9\r\nPressedColour2=4 5 6\r\n"
      "[ComboButton]\r\nImage=c.bmp\r\n****=x.bmp\r\n"
      "[HorzScrollThumb]\r\nImage=t.bmp\r\nFrameCount=2\r\n"
      "[Track]\r\nLeftWidth=3\r\n");
  const TObjectDef& top = d.border[kBorderTop];
  EXPECT_EQ(top.r, (TMargins{40, 0, 70, 0}));
  EXPECT_EQ(top.frame, 2);
  EXPECT_EQ(top.Tile, 1);  // above 1 becomes 1
  EXPECT_EQ(d.border[kBorderLeft].r, (TMargins{0, 25, 0, 4}));
  ASSERT_TRUE(d.Menubar);
  EXPECT_EQ(d.Menubar->IDName, L"Personality");
  EXPECT_EQ(d.Menubar->Tile, 1);
  EXPECT_EQ(d.Menubar->r, (TMargins{6, 0, 1, 0}));
  EXPECT_EQ(d.Title.activetext, 0x030201);
  EXPECT_EQ(d.Title.inactivetext, kNoTitleColor);  // only two of the three keys
  EXPECT_EQ(d.Title.r, (TMargins{7, 0, 9, 0}));
  ASSERT_TRUE(d.TabSheet);
  EXPECT_EQ(d.TabSheet->r, (TMargins{4, 4, 3, 4}));  // each margin capped at 4
  ASSERT_TRUE(d.tab);
  EXPECT_EQ(d.tab->frame, 0);  // border objects read no Frame
  EXPECT_EQ(d.tab->Tile, 0);   // above 1 becomes 0
  EXPECT_EQ(d.tab->Mask, L"pane.bmp");
  EXPECT_EQ(d.tab->Normalcolor2, 0x090909);  // the button text colour
  ASSERT_TRUE(d.progress);
  EXPECT_EQ(d.progress->Tile, 1);  // bitmap objects: above 1 becomes 1
  EXPECT_EQ(d.progress->frame, 0);
  EXPECT_EQ(d.progress->Normalcolor2, 0);  // and read no colours
  ASSERT_TRUE(d.boxlabel);
  EXPECT_EQ(d.boxlabel->Alignment, 2);
  EXPECT_EQ(d.boxlabel->LeftShift, 3);
  ASSERT_TRUE(d.SArrow);
  EXPECT_EQ(d.SArrow->frame, 9);
  EXPECT_EQ(d.SArrow->Downcolor2, 0x060504);
  ASSERT_TRUE(d.combox);
  EXPECT_TRUE(d.combox->Mask.empty());
  EXPECT_EQ(d.HSliderFrames, 2);
  EXPECT_FALSE(d.TrackBar);  // a section without Image makes no object
}

TEST(ImageRules, FrameCountsFromImageSizes) {
  // Caption buttons without a frame count: 3 when the image is at most 3.8 times as wide as
  // high, else 6; always 6 for a button that cannot be clicked or has no image.
  EXPECT_EQ(SysButtonFrames(0, 0, 66, 11), 6);
  EXPECT_EQ(SysButtonFrames(0, 0, 38, 10), 3);
  EXPECT_EQ(SysButtonFrames(0, 0, 39, 10), 6);
  EXPECT_EQ(SysButtonFrames(0, -1, 30, 10), 6);
  EXPECT_EQ(SysButtonFrames(0, 0, 0, 0), 6);
  EXPECT_EQ(SysButtonFrames(4, 0, 30, 10), 4);
  EXPECT_TRUE(SysButtonDropsImage(0, 3));
  EXPECT_TRUE(SysButtonDropsImage(0, 11));
  EXPECT_FALSE(SysButtonDropsImage(1, 3));
  // Check and radio strips: cells of 13 below 16 pixels high, else 16; at least 4.
  EXPECT_EQ(CheckCells(65, 13), 5);
  EXPECT_EQ(CheckCells(40, 13), 4);
  EXPECT_EQ(CheckCells(96, 16), 6);
  EXPECT_EQ(CheckCells(0, 0), 4);
  EXPECT_EQ(MdiCellWidth(180), 15);
  int x = -1, y = -1;
  ASSERT_TRUE(CaptionPixel(205, 50, 2, x, y));
  EXPECT_EQ(x, 68);
  EXPECT_EQ(y, 8);
  EXPECT_FALSE(CaptionPixel(205, 50, 0, x, y));
  EXPECT_FALSE(CaptionPixel(205, 50, -2, x, y));
  EXPECT_FALSE(CaptionPixel(0, 0, 1, x, y));
}

TEST(ReadBmpEntry, DamagedOrMissingEntriesReadAsNoImage) {
  std::vector<uint8_t> good = SolidBmp(4, 3, 0x123456);
  std::vector<uint8_t> truncated(good.begin(), good.begin() + 60);
  std::vector<uint8_t> lying = good;
  lying[18] = 0xE8, lying[19] = 0x03;  // 1000 pixels wide, still 4 pixels of data
  std::vector<uint8_t> zero = good;
  zero[18] = zero[19] = zero[20] = zero[21] = 0;
  TSkinFixture f("[x]\r\n", {{"good.bmp", good}, {"truncated.bmp", truncated}, {"lying.bmp", lying},
                            {"zero.bmp", zero}, {"text.bmp", {'h', 'i'}}, {"empty.bmp", {}}});
  ASSERT_TRUE(f.loaded);
  TBmpImage img;
  ASSERT_TRUE(ReadBmpEntry(f.reader, L"dir\\good.bmp", img));
  EXPECT_EQ(img.width, 4);
  EXPECT_EQ(img.height, 3);
  for (const wchar_t* name : {L"truncated.bmp", L"lying.bmp", L"zero.bmp", L"text.bmp", L"empty.bmp", L"none.bmp",
                              L"good.BMP", L""}) {
    EXPECT_FALSE(ReadBmpEntry(f.reader, name, img)) << WideToUtf8(name);
    EXPECT_EQ(img.width, 0);
    EXPECT_TRUE(img.bgr.empty());
  }
}

}  // namespace
}  // namespace qn::skin
