#include "tools/skindraw/Skins.h"

#include <sstream>

#include "tools/skindraw/Parts.h"

namespace qn::skindraw {

namespace {

std::string RgbText(TRgb c) {
  return std::to_string(c >> 16 & 0xFF) + " " + std::to_string(c >> 8 & 0xFF) + " " + std::to_string(c & 0xFF);
}

// The definition text, section by section.
class TIni {
 public:
  void Section(const std::string& name) { out_ << (out_.tellp() > 0 ? "\r\n" : "") << "[" << name << "]\r\n"; }
  void Key(const std::string& key, const std::string& value) { out_ << key << "=" << value << "\r\n"; }
  void Key(const std::string& key, int value) { Key(key, std::to_string(value)); }
  void Comment(const std::string& text) { out_ << "; " << text << "\r\n"; }
  std::string Text() const { return out_.str(); }

 private:
  std::ostringstream out_;
};

struct TMarginsKeys {
  int l, t, r, b;
};

void Margins(TIni& ini, TMarginsKeys m) {
  ini.Key("LeftWidth", m.l);
  ini.Key("TopHeight", m.t);
  ini.Key("RightWidth", m.r);
  ini.Key("BottomHeight", m.b);
}

struct TCaptionButton {
  std::string image;  // empty: no image (the window's icon)
  TCaptionGlyph glyph;
  int action, align, slot, visibility, visibility1;
};

}  // namespace

TSkinFiles BuildSkin(const TTheme& t) {
  TSkinFiles f;
  f.folder = t.folder;
  f.iniName = t.folder + ".ini";
  auto image = [&](const std::string& name, TPic pic) { f.images.emplace_back(name, std::move(pic)); };
  TIni ini;

  ini.Comment(t.skinName + " - drawn by tools/skindraw; edit the theme there and run it again.");
  ini.Section("TitlebarSkin");
  ini.Key("SkinName", t.skinName);
  ini.Key("Author", "Qingnang team");

  TFrameImages frame = FrameImages(t);
  image("left.bmp", frame.left);
  image("right.bmp", frame.right);
  image("top.bmp", frame.top);
  image("bottom.bmp", frame.bottom);
  image("menubar.bmp", MenuBar(t));
  image("menubarbtn.bmp", MenuBarButton(t));
  ini.Section("Personality");
  for (const char* side : {"Left", "Right"}) {
    ini.Key(side, std::string(side == std::string("Left") ? "left" : "right") + ".bmp");
    ini.Key(std::string(side) + "TopHeight", t.titleH);
    ini.Key(std::string(side) + "BotHeight", t.bottomH);
    ini.Key(std::string(side) + "Frame", 2);
    ini.Key(std::string(side) + "Stretch", 1);
  }
  ini.Key("Top", "top.bmp");
  ini.Key("TopTopHeight", t.topLeftEnd);
  ini.Key("TopBotHeight", t.topRightEnd);
  ini.Key("TopFrame", 2);
  ini.Key("TopStretch", 1);
  ini.Key("Bottom", "bottom.bmp");
  ini.Key("BottomTopHeight", 8);
  ini.Key("BottomBotHeight", 8);
  ini.Key("BottomFrame", 2);
  ini.Key("BottomStretch", 1);
  ini.Key("MenuBar", "menubar.bmp");
  ini.Key("TileMenu", 1);
  ini.Key("TileLeftMenu", 2);
  ini.Key("TileRightMenu", 2);
  ini.Key("MenuBarButton", "menubarbtn.bmp");
  if (t.textBack) {
    image("textback.bmp", TextBack(t));
    ini.Key("TextBack", "textback.bmp");
    ini.Key("TXTBackleft", 12);
    ini.Key("TXTBackRight", 12);
    ini.Key("TextAlignment", 1);
    ini.Key("TextShift", 30);
  } else {
    ini.Key("TextAlignment", 0);
    ini.Key("TextShift", t.sideW + 22);
  }
  ini.Key("TextShiftVert", 0);
  ini.Key("TextRightClip", 4 * (t.capW + 4) + t.sideW);

  ini.Section("Fonts");
  ini.Key("FontHeight", 13);

  ini.Section("Colours");
  const std::pair<const char*, TRgb> colours[] = {
      {"WindowText", t.windowText}, {"ButtonFace", t.face}, {"Scrollbar", t.scrollbar},
      {"HilightText", t.hilightText}, {"Hilight", t.hilight}, {"Menubar", t.menubar},
      {"Menu", t.menu}, {"MenuText", t.menuText}, {"ButtonText", t.buttonText},
      {"ButtonHilight", t.btnHilight}, {"Buttonlight", t.btnLight}, {"ButtonShadow", t.btnShadow},
      {"ButtonDkShadow", t.btnDkShadow}, {"MenuBarText", t.menuBarText}, {"TitleTextActive", t.titleText},
      {"TitleTextNoActive", t.titleTextInactive}};
  for (const auto& [key, c] : colours) ini.Key(key, RgbText(c));
  // Presets a program may offer for recolouring.
  int n = 1;
  for (TRgb c : {t.titleTop, t.accent, t.face}) {
    ini.Section("Colour" + std::to_string(n++));
    ini.Key("color", RgbText(c));
  }

  // Caption buttons, placed from the right edge; `slot` counts positions from the right.
  const int y = (t.titleH - t.capH) / 2;
  auto xcoord = [&](int slot) { return t.sideW + 4 + t.capW + slot * (t.capW + 4); };
  std::vector<TCaptionButton> buttons;
  buttons.push_back({"close.bmp", TCaptionGlyph::Close, 0, 1, 0, 0, 0});
  if (t.folder == "ink") {
    // Restore while maximised, maximise otherwise; help takes the maximise button's place.
    buttons.push_back({"restore.bmp", TCaptionGlyph::Restore, 1, 1, 1, 1, 6});
    buttons.push_back({"max.bmp", TCaptionGlyph::Maximize, 1, 1, 1, 2, 6});
    buttons.push_back({"min.bmp", TCaptionGlyph::Minimize, 2, 1, 2, 0, 6});
    buttons.push_back({"help.bmp", TCaptionGlyph::Help, 4, 1, 5, 0, 10});
  } else {
    buttons.push_back({"max.bmp", TCaptionGlyph::Maximize, 1, 1, 1, 0, 6});
    buttons.push_back({"min.bmp", TCaptionGlyph::Minimize, 2, 1, 2, 0, 6});
    if (t.folder == "builtin") buttons.push_back({"help.bmp", TCaptionGlyph::Help, -1, 1, 1, 0, 10});
  }
  buttons.push_back({"", TCaptionGlyph::Close, 3, 0, 0, 0, 0});
  for (size_t i = 0; i < buttons.size(); ++i) {
    const TCaptionButton& b = buttons[i];
    ini.Section("BUTTON" + std::to_string(i));
    ini.Key("Action", b.action);
    ini.Key("Align", b.align);
    if (b.image.empty()) {
      ini.Key("Xcoord", t.sideW + 3);
      ini.Key("Ycoord", (t.titleH - 16) / 2);
    } else {
      ini.Key("Xcoord", xcoord(b.slot));
      ini.Key("Ycoord", y);
      ini.Key("ButtonImage", b.image);
      image(b.image, CaptionButton(t, b.glyph));
    }
    ini.Key("Visibility", b.visibility);
    ini.Key("Visibility1", b.visibility1);
  }
  image("mdibuttons.bmp", MdiButtons(t));
  ini.Section("MDICONTROLS");
  ini.Key("Image", "mdibuttons.bmp");

  image("button.bmp", PushButton(t, 30, 22));
  image("check.bmp", CheckBox(t));
  image("radio.bmp", RadioButton(t));
  ini.Section("Buttons");
  ini.Key("Bitmap", "button.bmp");
  Margins(ini, {4, 4, 4, 4});
  ini.Key("Trans", t.radius > 0 ? 1 : 0);
  ini.Key("Tile", 0);
  ini.Key("CheckButton", "check.bmp");
  ini.Key("RadioButton", "radio.bmp");
  if (t.ctlText != kMagenta) {
    ini.Key("NormalColour2", RgbText(t.ctlText));
    ini.Key("MouseOverColour2", RgbText(t.ctlText));
    ini.Key("PressedColour2", RgbText(t.ctlText));
  }

  ini.Section("Progress");
  if (t.chunkProgress) {
    image("progress.bmp", ProgressTrough(t));
    image("chunk.bmp", ProgressChunk(t));
    ini.Key("Bitmap", "progress.bmp");
    ini.Key("Style", 1);
  } else {
    image("progress.bmp", ProgressBar(t));
    ini.Key("Bitmap", "progress.bmp");
    ini.Key("Style", 0);
  }
  Margins(ini, {3, 3, 3, 3});
  ini.Key("Trans", 1);
  if (t.chunkProgress) {
    ini.Section("Progress.Chunk");
    ini.Key("Image", "chunk.bmp");
    ini.Key("Frame", 1);
    ini.Key("Trans", 1);
  }

  // Generic objects: section, image file, picture, margins, transparent.
  struct TObject {
    const char* section;
    const char* file;
    TPic pic;
    TMarginsKeys margins;
    int trans;
  };
  const TObject objects[] = {
      {"GroupBoxEdge", "groupedge.bmp", GroupEdge(t), {4, 4, 4, 4}, 1},
      {"GroupBox", "grouptop.bmp", GroupTop(t), {6, 0, 6, 0}, 1},
      {"Tabs", "tab.bmp", Tabs(t), {4, 4, 4, 2}, 1},
      {"Tab.Pane", "dialog.bmp", Dialog(t), {4, 4, 4, 4}, 0},
      {"StatusBarEdges", "status.bmp", StatusEdges(t), {2, 2, 2, 2}, 0},
      {"ComboButton", "combobtn.bmp", ComboButton(t), {3, 3, 3, 3}, 1},
      {"SunkEdge", "combobox.bmp", ComboBox(t), {3, 3, 3, 3}, 1},
      {"ExtraImages", "comboglyph.bmp", ComboGlyph(t), {0, 0, 0, 0}, 1},
      {"Headerbar", "header.bmp", HeaderBar(t), {3, 3, 3, 3}, 0},
      {"MenuItem", "menuitem.bmp", MenuItem(t), {3, 3, 3, 3}, 1},
      {"MenuBackground", "menuframe.bmp", MenuFrame(t), {4, 4, 4, 4}, 0},
      {"Scrollbar", "scrollarrows.bmp", ScrollArrows(t), {0, 0, 0, 0}, 1},
      {"HorzScroll", "hshaft.bmp", Shaft(t, false), {0, 0, 0, 0}, 0},
      {"VertScroll", "vshaft.bmp", Shaft(t, true), {0, 0, 0, 0}, 0},
      {"HorzScrollThumb", "hthumb.bmp", Thumb(t, false), {4, 4, 4, 4}, 1},
      {"VertScrollThumb", "vthumb.bmp", Thumb(t, true), {4, 4, 4, 4}, 1},
      {"ToolBars", "toolbtn.bmp", ToolButton(t), {3, 3, 3, 3}, 1},
  };
  for (const TObject& o : objects) {
    image(o.file, o.pic);
    ini.Section(o.section);
    ini.Key("Image", o.file);
    Margins(ini, o.margins);
    ini.Key("Trans", o.trans);
    ini.Key("Tile", 0);
    if (std::string(o.section) == "Tabs") {
      image("tabpanel.bmp", TabPanel(t));
      ini.Key("Border", "tabpanel.bmp");
      ini.Key("Style", 0);
      ini.Key("NormalColour2", RgbText(t.tabText));
      ini.Key("MouseOverColour2", RgbText(t.buttonText));
    } else if (std::string(o.section) == "StatusBarEdges") {
      ini.Key("NormalColour2", RgbText(t.barText));
    } else if (std::string(o.section).find("ScrollThumb") != std::string::npos) {
      ini.Key("FrameCount", 3);
    }
  }

  if (t.trackImages) {
    image("track.bmp", TrackChannel(t, false));
    image("trackvert.bmp", TrackChannel(t, true));
    image("thumbh.bmp", TrackThumb(t, false));
    image("thumbv.bmp", TrackThumb(t, true));
    image("spinv.bmp", UpDown(t, true, false));
    image("spinvglyph.bmp", UpDown(t, true, true));
    image("spinh.bmp", UpDown(t, false, false));
    image("spinhglyph.bmp", UpDown(t, false, true));
    ini.Section("Track");
    ini.Key("Image", "track.bmp");
    Margins(ini, {3, 0, 3, 0});
    ini.Section("TRACKVERT");
    ini.Key("Image", "trackvert.bmp");
    Margins(ini, {0, 3, 0, 3});
    ini.Section("Trackbar.ThumbHorz");
    ini.Key("Image", "thumbh.bmp");
    ini.Key("Trans", 1);
    ini.Section("Trackbar.ThumbVert");
    ini.Key("Image", "thumbv.bmp");
    ini.Key("Trans", 1);
    ini.Section("UpDown.Vert");
    ini.Key("Image", "spinv.bmp");
    ini.Key("GlyphImage", "spinvglyph.bmp");
    ini.Key("Trans", 1);
    ini.Section("UpDown.Horz");
    ini.Key("Image", "spinh.bmp");
    ini.Key("GlyphImage", "spinhglyph.bmp");
    ini.Key("Trans", 1);
  }
  f.ini = ini.Text();
  return f;
}

std::vector<TTheme> OurThemes() {
  std::vector<TTheme> themes;

  // The built-in skin: light grey, a slate title bar, flat controls.
  TTheme b;
  b.folder = "builtin";
  b.skinName = "Qingnang Silver";
  b.windowText = Rgb(0, 0, 0);
  b.face = Rgb(229, 229, 229);
  b.scrollbar = Rgb(229, 229, 229);
  b.hilightText = Rgb(255, 255, 255);
  b.hilight = Rgb(102, 102, 102);
  b.menubar = Rgb(229, 229, 229);
  b.menu = Rgb(247, 247, 247);
  b.menuText = Rgb(0, 0, 0);
  b.buttonText = Rgb(0, 0, 0);
  b.btnHilight = Rgb(255, 255, 255);
  b.btnLight = Rgb(240, 240, 240);
  b.btnShadow = Rgb(160, 160, 160);
  b.btnDkShadow = Rgb(105, 105, 105);
  b.menuBarText = Rgb(0, 0, 0);
  b.titleText = Rgb(255, 255, 255);
  b.titleTextInactive = Rgb(96, 96, 96);
  b.titleH = 25, b.sideW = 4, b.bottomH = 4, b.topRadius = 4, b.bottomRadius = 0;
  b.topW = 205, b.topLeftEnd = 40, b.topRightEnd = 70;
  b.edge = Rgb(52, 58, 66), b.edgeIn = Rgb(150, 152, 156);
  b.titleTop = Rgb(104, 116, 132), b.titleBottom = Rgb(72, 82, 96);
  b.titleTopIn = Rgb(216, 218, 221), b.titleBottomIn = Rgb(198, 201, 205);
  b.body = Rgb(120, 130, 144), b.bodyIn = Rgb(206, 208, 211);
  b.inner = Rgb(88, 96, 108), b.innerIn = Rgb(172, 174, 178);
  b.shine = Rgb(150, 162, 178), b.accentLine = kMagenta;
  b.capW = 11, b.capH = 11, b.capGems = false;
  b.capGlyph = Rgb(255, 255, 255), b.capGlyphIn = Rgb(130, 130, 130);
  b.capHot = Rgb(132, 144, 160), b.capPressed = Rgb(60, 68, 80), b.capCloseHot = Rgb(196, 58, 48), b.capGem = 0;
  b.radius = 2;
  b.ctlEdge = Rgb(150, 150, 150), b.ctlTop = Rgb(252, 252, 252), b.ctlBottom = Rgb(234, 234, 234);
  b.hotEdge = Rgb(96, 108, 124), b.hotTop = Rgb(255, 255, 255), b.hotBottom = Rgb(242, 244, 246);
  b.pressTop = Rgb(208, 210, 212), b.pressBottom = Rgb(222, 224, 226);
  b.disEdge = Rgb(200, 200, 200), b.disFill = Rgb(238, 238, 238), b.focusEdge = Rgb(96, 108, 124);
  b.ctlText = kMagenta;
  b.accent = Rgb(84, 96, 112), b.accentTop = Rgb(136, 148, 164);
  b.glyph = Rgb(60, 60, 60), b.glyphDis = Rgb(170, 170, 170);
  b.field = Rgb(255, 255, 255), b.fieldEdge = Rgb(140, 140, 140);
  b.menuSel = Rgb(102, 102, 102), b.menuSelEdge = Rgb(80, 80, 80);
  b.shaft = Rgb(238, 238, 238), b.shaftEdge = Rgb(214, 214, 214);
  b.tabTop = Rgb(240, 240, 240), b.tabBottom = Rgb(220, 220, 220), b.tabText = Rgb(0, 0, 0);
  b.barTop = Rgb(236, 236, 236), b.barBottom = Rgb(222, 222, 222), b.barText = Rgb(0, 0, 0);
  themes.push_back(b);

  // Ink: black lacquer chrome with a vermilion seal line, on rice-paper faces.
  TTheme k = b;
  k.folder = "ink";
  k.skinName = "Ink Stone";
  k.windowText = Rgb(20, 20, 20);
  k.face = Rgb(236, 232, 222);
  k.scrollbar = Rgb(50, 50, 54);
  k.hilight = Rgb(176, 40, 36);
  k.menubar = Rgb(34, 34, 37);
  k.menu = Rgb(40, 40, 44);
  k.menuText = Rgb(230, 226, 216);
  k.buttonText = Rgb(20, 20, 20);
  k.btnHilight = Rgb(255, 252, 244);
  k.btnLight = Rgb(246, 243, 236);
  k.btnShadow = Rgb(120, 116, 108);
  k.btnDkShadow = Rgb(40, 40, 40);
  k.menuBarText = Rgb(230, 226, 216);
  k.titleText = Rgb(240, 236, 226);
  k.titleTextInactive = Rgb(150, 146, 138);
  k.titleH = 28, k.sideW = 3, k.bottomH = 3, k.topRadius = 0, k.bottomRadius = 0;
  k.topW = 160, k.topLeftEnd = 36, k.topRightEnd = 90;
  k.edge = Rgb(0, 0, 0), k.edgeIn = Rgb(40, 40, 40);
  k.titleTop = Rgb(34, 34, 37), k.titleBottom = Rgb(18, 18, 20);
  k.titleTopIn = Rgb(74, 74, 78), k.titleBottomIn = Rgb(60, 60, 64);
  k.body = Rgb(28, 28, 31), k.bodyIn = Rgb(64, 64, 68);
  k.inner = Rgb(10, 10, 10), k.innerIn = Rgb(50, 50, 50);
  k.shine = Rgb(70, 70, 74), k.accentLine = Rgb(176, 40, 36);
  k.capW = 14, k.capH = 14;
  k.capGlyph = Rgb(220, 216, 206), k.capGlyphIn = Rgb(118, 118, 118);
  k.capHot = Rgb(72, 72, 78), k.capPressed = Rgb(20, 20, 22), k.capCloseHot = Rgb(176, 40, 36);
  k.radius = 0;
  k.ctlEdge = Rgb(20, 20, 22), k.ctlTop = Rgb(66, 66, 70), k.ctlBottom = Rgb(40, 40, 44);
  k.hotEdge = Rgb(176, 40, 36), k.hotTop = Rgb(80, 80, 86), k.hotBottom = Rgb(52, 52, 56);
  k.pressTop = Rgb(28, 28, 30), k.pressBottom = Rgb(40, 40, 44);
  k.disEdge = Rgb(150, 146, 138), k.disFill = Rgb(214, 210, 200), k.focusEdge = Rgb(176, 40, 36);
  k.ctlText = Rgb(240, 236, 226);
  k.accent = Rgb(176, 40, 36), k.accentTop = Rgb(216, 84, 72);
  k.glyph = Rgb(230, 226, 216), k.glyphDis = Rgb(150, 146, 138);
  k.field = Rgb(250, 248, 242), k.fieldEdge = Rgb(60, 60, 60);
  k.menuSel = Rgb(176, 40, 36), k.menuSelEdge = Rgb(120, 22, 20);
  k.shaft = Rgb(58, 58, 62), k.shaftEdge = Rgb(40, 40, 44);
  k.tabTop = Rgb(66, 66, 70), k.tabBottom = Rgb(40, 40, 44), k.tabText = Rgb(230, 226, 216);
  k.barTop = Rgb(40, 40, 44), k.barBottom = Rgb(28, 28, 31), k.barText = Rgb(230, 226, 216);
  k.trackImages = true;
  themes.push_back(k);

  // Jade: green and gold, round gem buttons, corners rounded with magenta.
  TTheme j = b;
  j.folder = "jade";
  j.skinName = "Jade Hall";
  j.windowText = Rgb(16, 40, 28);
  j.face = Rgb(222, 236, 226);
  j.scrollbar = Rgb(200, 222, 208);
  j.hilight = Rgb(30, 130, 90);
  j.menubar = Rgb(196, 226, 206);
  j.menu = Rgb(240, 248, 242);
  j.menuText = Rgb(16, 40, 28);
  j.buttonText = Rgb(16, 40, 28);
  j.btnHilight = Rgb(255, 255, 255);
  j.btnLight = Rgb(236, 246, 238);
  j.btnShadow = Rgb(120, 160, 136);
  j.btnDkShadow = Rgb(40, 80, 60);
  j.menuBarText = Rgb(16, 40, 28);
  j.titleText = Rgb(255, 255, 255);
  j.titleTextInactive = Rgb(70, 100, 82);
  j.titleH = 30, j.sideW = 5, j.bottomH = 5, j.topRadius = 10, j.bottomRadius = 5;
  j.topW = 180, j.topLeftEnd = 40, j.topRightEnd = 80;
  j.edge = Rgb(10, 70, 44), j.edgeIn = Rgb(110, 150, 126);
  j.titleTop = Rgb(56, 168, 118), j.titleBottom = Rgb(18, 104, 70);
  j.titleTopIn = Rgb(182, 210, 192), j.titleBottomIn = Rgb(156, 190, 170);
  j.body = Rgb(30, 124, 84), j.bodyIn = Rgb(166, 198, 180);
  j.inner = Rgb(12, 84, 54), j.innerIn = Rgb(130, 170, 146);
  j.shine = Rgb(150, 220, 186), j.accentLine = Rgb(214, 172, 64);
  j.capW = 18, j.capH = 18, j.capGems = true;
  j.capGlyph = Rgb(255, 255, 255), j.capGem = Rgb(40, 150, 100), j.capCloseHot = Rgb(200, 72, 50);
  j.radius = 4;
  j.ctlEdge = Rgb(60, 140, 100), j.ctlTop = Rgb(250, 255, 252), j.ctlBottom = Rgb(210, 236, 220);
  j.hotEdge = Rgb(30, 130, 90), j.hotTop = Rgb(255, 255, 255), j.hotBottom = Rgb(224, 246, 232);
  j.pressTop = Rgb(176, 218, 194), j.pressBottom = Rgb(200, 232, 212);
  j.disEdge = Rgb(176, 200, 186), j.disFill = Rgb(232, 240, 234), j.focusEdge = Rgb(214, 150, 40);
  j.ctlText = kMagenta;
  j.accent = Rgb(30, 140, 90), j.accentTop = Rgb(120, 206, 158);
  j.glyph = Rgb(20, 90, 60), j.glyphDis = Rgb(150, 180, 160);
  j.field = Rgb(255, 255, 255), j.fieldEdge = Rgb(80, 150, 110);
  j.menuSel = Rgb(40, 150, 100), j.menuSelEdge = Rgb(20, 110, 70);
  j.shaft = Rgb(210, 232, 218), j.shaftEdge = Rgb(180, 212, 192);
  j.tabTop = Rgb(204, 232, 214), j.tabBottom = Rgb(176, 214, 190), j.tabText = Rgb(16, 40, 28);
  j.barTop = Rgb(204, 230, 212), j.barBottom = Rgb(176, 214, 190), j.barText = Rgb(16, 40, 28);
  j.textBack = true, j.trackImages = true, j.chunkProgress = true;
  themes.push_back(j);
  return themes;
}

}  // namespace qn::skindraw
