#include <gtest/gtest.h>

#include "platform/win/GdiObjects.h"
#include "skin/data/SkinSchema.h"
#include "skin/draw/SkinDraw.h"
#include "tests/skin/data/SkinFixture.h"

namespace qn {
namespace {

using skin::TMargins;
using test::SolidBmp;
using test::TSkinFixture;

TColor Pixel(TBitmap& bmp, int x, int y) { return static_cast<TColor>(GetPixel(bmp.DC(), x, y)); }

// Loads a skin file the way the skin-data component does.
struct TLoadedFile {
  explicit TLoadedFile(const std::string& path) {
    TMemoryStream package;
    package.LoadFromFile(path);
    loaded = reader.Loadfromstream(package);
    TMemoryStream ini_bytes;
    std::wstring fname;
    reader.readIni(L".ini", ini_bytes, fname);
    ini.LoadFromStream(&ini_bytes);
  }
  bool loaded = false;
  TSkinReader reader;
  TQuickIni ini;
};

const std::string kBuiltin = std::string(QN_SKIN_DIR) + "/builtin.skn";

class SkinSchemaTest : public ::testing::Test {
 protected:
  // The drawing routines keep buffers between calls until DoneSkinDraw; they are not the
  // loader's to count.
  void SetUp() override {
    DoneSkinDraw();
    gdi_ = LiveGdiHandles();
  }
  void TearDown() override {
    skin.reset();
    DoneSkinDraw();
    EXPECT_EQ(LiveGdiHandles(), gdi_) << "GDI objects left behind";
  }
  TSkinObjects& Load(TSkinFixture& f) {
    EXPECT_TRUE(f.loaded);
    ReadSkin(f.reader, f.ini, *skin);
    return *skin;
  }
  int gdi_ = 0;
  std::unique_ptr<TSkinObjects> skin = std::make_unique<TSkinObjects>();
};

TEST_F(SkinSchemaTest, TheBuiltInSkinYieldsItsObjects) {
  TLoadedFile file(kBuiltin);
  ASSERT_TRUE(file.loaded) << kBuiltin;
  EXPECT_EQ(file.reader.header.Version, 70000);
  int bitmaps = 0;
  for (const auto& name : file.reader.Dir) bitmaps += name.ends_with(L".bmp");
  EXPECT_EQ(bitmaps, 33);
  ReadSkin(file.reader, file.ini, *skin);
  TSkinObjects& s = *skin;

  TDataSkinBorder& top = *s.border[skin::kBorderTop];
  EXPECT_EQ(top.Map.Width(), 205);
  EXPECT_EQ(top.Map.Height(), 50);
  EXPECT_EQ(top.frame, 2);
  EXPECT_EQ(top.r, (TMargins{40, 0, 70, 0}));
  EXPECT_EQ(s.border[skin::kBorderLeft]->frame, 2);
  EXPECT_EQ(s.border[skin::kBorderRight]->frame, 2);

  // Five caption buttons, then the three MDI buttons.
  ASSERT_EQ(s.SysBtn.size(), 8u);
  for (int i = 0; i < 3; ++i) {
    const TDataSkinSysButton& b = *s.SysBtn[static_cast<size_t>(i)];
    EXPECT_EQ(b.Action, i);
    EXPECT_EQ(b.Map.Width(), 66);
    EXPECT_EQ(b.Map.Height(), 11);
    EXPECT_EQ(b.frame, 6);
  }
  EXPECT_EQ(s.SysBtn[3]->Action, -1);
  EXPECT_EQ(s.SysBtn[3]->Visibility, 0);
  EXPECT_EQ(s.SysBtn[3]->frame, 6);
  EXPECT_EQ(s.SysBtn[4]->Action, 3);
  EXPECT_TRUE(s.SysBtn[4]->Map.Empty());
  const int mdiX[] = {57, 38, 19};
  for (int i = 0; i < 3; ++i) {
    const TDataSkinSysButton& b = *s.SysBtn[static_cast<size_t>(5 + i)];
    EXPECT_EQ(b.Action, 7 + i);
    EXPECT_EQ(b.Align, 100);
    EXPECT_EQ(b.Visibility, 100);
    EXPECT_EQ(b.Visibility1, 100);
    EXPECT_EQ(b.frame, 4);
    EXPECT_EQ(b.Map.Width(), 60);
    EXPECT_EQ(b.Map.Height(), 14);
    EXPECT_EQ(b.XCoord, mdiX[i]);
  }

  ASSERT_TRUE(s.SArrow);
  EXPECT_EQ(s.SArrow->Map.Width(), 368);
  EXPECT_EQ(s.SArrow->Map.Height(), 16);
  EXPECT_EQ(s.SArrow->frame, 23);
  EXPECT_EQ(s.Button->CheckMap.Width(), 65);
  EXPECT_EQ(s.Button->CheckMap.Height(), 13);
  EXPECT_EQ(s.Button->checkframe, 5);
  EXPECT_EQ(s.Button->radioframe, 5);
  EXPECT_EQ(s.Button->frame, 5);

  EXPECT_EQ(s.Colors[skin::kcButtonFace], 0xE5E5E5);
  EXPECT_EQ(s.Colors[skin::kcMenubar], 0xE5E5E5);
  EXPECT_EQ(s.Colors[skin::kcHilight], 0x666666);
  EXPECT_EQ(s.Colors[skin::kcWindowText], 0);
  EXPECT_EQ(s.Colors[skin::kcButtonText], 0);
  EXPECT_TRUE(s.hasColors[skin::kcButtonFace]);
  EXPECT_EQ(s.Colors[skin::kcCaption], Pixel(top.Map, 68, 8));
  EXPECT_EQ(s.SkinName, L"Qingnang Silver");
  EXPECT_TRUE(s.BGBrush);

  // Without a [Track] section the program's own channel image is used.
  ASSERT_TRUE(s.TrackBar);
  EXPECT_EQ(s.TrackBar->IDName, L"TRACK");
  EXPECT_EQ(s.TrackBar->Map.Width(), 16);
  EXPECT_EQ(s.TrackBar->Map.Height(), 4);
  EXPECT_EQ(s.TrackBar->r, (TMargins{3, 3, 3, 3}));
  EXPECT_EQ(s.TrackBar->frame, 1);
  ASSERT_TRUE(s.TrackBarVert);
  EXPECT_EQ(s.TrackBarVert->Map.Width(), 4);
  EXPECT_EQ(s.TrackBarVert->Map.Height(), 16);

  // Combo pictures, composed when first asked for: four states of 50 x 21, the arrow cut out
  // of them.
  ASSERT_TRUE(s.combox && s.Comboxborder);
  EXPECT_FALSE(s.comboxarrow);
  EXPECT_NE(s.combox->style, 2);
  s.PrepareComboImages();
  ASSERT_TRUE(s.comboxarrow);
  EXPECT_EQ(s.combox->style, 2);
  EXPECT_EQ(s.combox->Map.Width(), 200);
  EXPECT_EQ(s.combox->Map.Height(), 21);
  const int b = GetSystemMetrics(SM_CXHSCROLL) + 2;
  EXPECT_EQ(s.combox->r.Left, 2);
  EXPECT_EQ(s.combox->r.Right, b + 2);
  EXPECT_EQ(s.Comboxborder->r.Left, b + 2);
  EXPECT_EQ(s.Comboxborder->r.Right, 2);
  EXPECT_EQ(Pixel(s.combox->Map, 10, 10), 0xFF00FF);  // the edit area is see-through
  // The right-to-left picture: each state mirrored in its own place.
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Pixel(s.Comboxborder->Map, 50 * k, 10), Pixel(s.combox->Map, 50 * k + 49, 10)) << k;
  EXPECT_EQ(s.comboxarrow->Map.Width(), 68);
  EXPECT_EQ(s.comboxarrow->Map.Height(), 17);
  EXPECT_EQ(s.comboxarrow->frame, 4);

  ASSERT_TRUE(s.Toolbar);
  EXPECT_EQ(s.Toolbar->Map.Width(), 10);
  EXPECT_EQ(s.Toolbar->Map.Height(), 40);
}

TEST_F(SkinSchemaTest, TheProgramsResourceImagesAreAsDrawn) {
  const TColor S = 0xC0C0C0, G = 0x808080, W = 0xFFFFFF;
  TBitmap track;
  ASSERT_TRUE(LoadBitmapResource(kTrackResource, track));
  const TColor rows[4][3] = {{S, G, W}, {S, W, W}, {G, W, W}, {S, W, W}};  // columns 0, 2 and 15
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(Pixel(track, 0, y), rows[y][0]) << y;
    EXPECT_EQ(Pixel(track, 2, y), rows[y][1]) << y;
    EXPECT_EQ(Pixel(track, 15, y), rows[y][2]) << y;
  }
  TBitmap vert;
  ASSERT_TRUE(LoadBitmapResource(kTrackVertResource, vert));
  EXPECT_EQ(Pixel(vert, 2, 0), G);
  EXPECT_EQ(Pixel(vert, 0, 5), G);
  EXPECT_EQ(Pixel(vert, 1, 5), W);
  EXPECT_EQ(Pixel(vert, 0, 15), W);
  TBitmap glyphs;
  ASSERT_TRUE(LoadBitmapResource(kGlazeMenuResource, glyphs));
  EXPECT_EQ(glyphs.Width(), 64);
  EXPECT_EQ(glyphs.Height(), 16);
  EXPECT_EQ(Pixel(glyphs, 16 + 3, 3), 0);   // maximise: outline corner
  EXPECT_EQ(Pixel(glyphs, 16 + 7, 8), W);   // and its inside
  EXPECT_EQ(Pixel(glyphs, 32 + 8, 7), 0);   // minimise bar
  EXPECT_EQ(Pixel(glyphs, 48 + 7, 8), 0);   // close: the crossing
  EXPECT_EQ(Pixel(glyphs, 48 + 7, 4), W);
  TBitmap none;
  EXPECT_FALSE(LoadBitmapResource(L"NOSUCHBITMAP", none));
  EXPECT_TRUE(none.Empty());
}

TEST_F(SkinSchemaTest, LoadingAndClearingReturnEveryGdiObject) {
  {
    TLoadedFile file(kBuiltin);
    ASSERT_TRUE(file.loaded);
    ReadSkin(file.reader, file.ini, *skin);
    const int once = LiveGdiHandles();
    ReadSkin(file.reader, file.ini, *skin);  // a reload frees what the first load made
    EXPECT_EQ(LiveGdiHandles(), once);
  }
  skin->Clear();
  DoneSkinDraw();
  EXPECT_EQ(LiveGdiHandles(), gdi_) << "a cleared holder still holds GDI objects";
}

TEST_F(SkinSchemaTest, OddSectionsGiveDefaults) {
  const auto mdi = SolidBmp(10, 14, 0x00FF00);  // too narrow for twelve cells
  const auto face = SolidBmp(120, 21, 0xFF00FF);
  TSkinFixture sunkOnly(
      "[SunkEdge]\r\nImage=edge.bmp\r\n[Track]\r\nImage=missing.bmp\r\n[Tab.Pane]\r\nImage=edge.bmp\r\n"
      "LeftWidth=10\r\nTopHeight=10\r\nRightWidth=10\r\nBottomHeight=10\r\n"
      "[BUTTON5]\r\nAction=-1\r\nButtonImage=edge.bmp\r\n[MDICONTROLS]\r\nImage=mdi.bmp\r\n",
      {{"edge.bmp", face}, {"mdi.bmp", mdi}});
  TSkinObjects& s = Load(sunkOnly);
  s.PrepareComboImages();
  // [SunkEdge] without [ComboButton]: no combo pictures, an empty arrow.
  ASSERT_TRUE(s.Comboxborder);
  EXPECT_FALSE(s.combox);
  EXPECT_EQ(s.Comboxborder->Map.Width(), 120);
  EXPECT_EQ(s.Comboxborder->frame, 4);
  ASSERT_TRUE(s.comboxarrow);
  EXPECT_TRUE(s.comboxarrow->Map.Empty());
  // A [Track] whose image is missing is kept (empty), not replaced by the program's own.
  ASSERT_TRUE(s.TrackBar);
  EXPECT_EQ(s.TrackBar->IDName, L"Track");
  EXPECT_TRUE(s.TrackBar->Map.Empty());
  ASSERT_TRUE(s.TabSheet);
  EXPECT_EQ(s.TabSheet->r, (TMargins{4, 4, 4, 4}));
  EXPECT_EQ(s.TabSheet->frame, 1);
  // BUTTON5 with Action -1 and no Visibility is no caption button; the MDI buttons stay,
  // without pictures when their strip is too narrow.
  ASSERT_EQ(s.SysBtn.size(), 3u);
  EXPECT_EQ(s.SysBtn[0]->Action, 7);
  EXPECT_TRUE(s.SysBtn[0]->Map.Empty());
  EXPECT_EQ(s.SysBtn[0]->XCoord, 12);
  // Without a top image the caption colour is the face.
  EXPECT_EQ(s.Colors[skin::kcCaption], s.Colors[skin::kcButtonFace]);
}

TEST_F(SkinSchemaTest, AComboButtonAloneGivesTheArrowOnTheFace) {
  // Four states of 2 x 4 pixels: magenta on the left, the state's colour on the right.
  const uint8_t colours[4][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};  // blue, green, red
  TBmpImage img;
  img.width = 8, img.height = 4, img.bits = 24;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint8_t* c = colours[x / 2];
      if (x % 2 == 0) img.bgr.insert(img.bgr.end(), {255, 0, 255});
      else img.bgr.insert(img.bgr.end(), {c[0], c[1], c[2]});
    }
  TSkinFixture f("[Colours]\r\nButtonFace=10 20 30\r\n[ComboButton]\r\nImage=btn.bmp\r\n",
                 {{"btn.bmp", EncodeBmp24(img)}});
  TSkinObjects& s = Load(f);
  s.PrepareComboImages();
  ASSERT_TRUE(s.combox);
  EXPECT_EQ(s.combox->style, 0);
  EXPECT_EQ(s.combox->frame, 4);
  // The right-to-left button: every state mirrored where it stands.
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Pixel(s.combox->MaskMap, 2 * k, 0), Pixel(s.combox->Map, 2 * k + 1, 0)) << k;
    EXPECT_EQ(Pixel(s.combox->MaskMap, 2 * k + 1, 0), 0xFF00FF) << k;
  }
  ASSERT_TRUE(s.comboxarrow);
  EXPECT_EQ(s.comboxarrow->frame, 4);
  EXPECT_EQ(Pixel(s.comboxarrow->Map, 0, 0), 0x1E140A);  // magenta became the face
  EXPECT_EQ(Pixel(s.comboxarrow->Map, 1, 0), 0x010203);
}

TEST_F(SkinSchemaTest, DamagedBitmapsLeaveEmptyImages) {
  const std::vector<uint8_t> good = SolidBmp(66, 11, 0x204080);
  std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
  std::vector<uint8_t> lying = good;
  lying[22] = 0x10, lying[23] = 0x27;  // 10000 rows, the data of 11
  std::vector<uint8_t> zero = good;
  zero[18] = zero[19] = 0;
  std::vector<uint8_t> offset = good;
  offset[10] = 0xFF, offset[11] = 0xFF;  // pixels past the end
  struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {{"truncated", truncated}, {"lying size", lying}, {"zero width", zero},
               {"offset past the end", offset}, {"not a bitmap", {'B', 'M', 1}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TSkinFixture f(
        "[Personality]\r\nTop=bad.bmp\r\nTopFrame=2\r\nLeft=good.bmp\r\n[BUTTON0]\r\nAction=0\r\nButtonImage=bad.bmp\r\n"
        "[Scrollbar]\r\nImage=bad.bmp\r\n[Buttons]\r\nCheckButton=bad.bmp\r\n"
        "[ComboButton]\r\nImage=bad.bmp\r\n[SunkEdge]\r\nImage=bad.bmp\r\n",
        {{"bad.bmp", c.bytes}, {"good.bmp", good}});
    TSkinObjects& s = Load(f);
    EXPECT_TRUE(s.border[skin::kBorderTop]->Map.Empty());
    EXPECT_EQ(s.border[skin::kBorderLeft]->Map.Width(), 66);
    ASSERT_EQ(s.SysBtn.size(), 4u);
    EXPECT_TRUE(s.SysBtn[0]->Map.Empty());
    EXPECT_EQ(s.SysBtn[0]->frame, 6);
    ASSERT_TRUE(s.SArrow);
    EXPECT_TRUE(s.SArrow->Map.Empty());
    EXPECT_EQ(s.SArrow->frame, 23);
    EXPECT_EQ(s.Button->checkframe, 4);
    EXPECT_EQ(s.Colors[skin::kcCaption], s.Colors[skin::kcButtonFace]);
  }
}

TEST_F(SkinSchemaTest, AReloadForgetsWhatTheNewSkinLacks) {
  {
    TLoadedFile file(kBuiltin);
    ASSERT_TRUE(file.loaded);
    ReadSkin(file.reader, file.ini, *skin);
  }
  skin->PrepareComboImages();
  ASSERT_FALSE(skin->comboxarrow->Map.Empty());
  TSkinFixture bare("[Personality]\r\nTopFrame=0\r\n");
  TSkinObjects& s = Load(bare);
  s.PrepareComboImages();
  EXPECT_FALSE(s.SArrow || s.combox || s.Menubar || s.progress);
  EXPECT_TRUE(s.comboxarrow->Map.Empty());
  EXPECT_TRUE(s.border[skin::kBorderTop]->Map.Empty());
  EXPECT_EQ(s.SysBtn.size(), 3u);
  EXPECT_EQ(s.TrackBar->IDName, L"TRACK");
  EXPECT_FALSE(s.hasColors[skin::kcButtonFace]);
}

}  // namespace
}  // namespace qn
