#include "skin/data/SkinObjects.h"

namespace qn {

TSkinObjects::TSkinObjects() { Clear(); }

void TSkinObjects::Clear() {
  for (int i = 0; i < 4; ++i) border[static_cast<size_t>(i)] = std::make_unique<TDataSkinBorder>(skin::kBorderNames[i]);
  Title = std::make_unique<TDataSkinTitle>(L"Title");
  Button = std::make_unique<TDataSkinButton>(L"Buttons");
  SysBtn.clear();
  for (auto& h : {&progress, &combox, &tab, &HSpin, &VSpin}) h->reset();
  for (auto* h : {&progresschunk, &Menubar, &Box, &StatusBar, &TabSheet, &Toolbarbtn, &Comboxborder, &comboxarrow,
                  &ExtraImages, &Header, &MenuItem, &MenuitemBG, &SArrow, &HBar, &VBar, &HSlider, &VSlider,
                  &TrackHorz, &TrackVert, &TrackLeft, &Trackright, &Tracktop, &Trackbottom, &TrackBar,
                  &TrackBarVert, &Toolbar, &MinCaption})
    h->reset();
  boxlabel.reset();
  Colors.fill(0);
  hasColors.fill(false);
  ColorPreset.clear();
  PresetColors.fill(0);
  SkinName.clear();
  BGBrush.Reset();
  Loaded = false;
  combo_ready_ = false;
}

TColor TSkinObjects::GetCaptionColor() {
  TDataSkinBorder& top = *border[skin::kBorderTop];
  int x = 0, y = 0;
  if (!skin::CaptionPixel(top.Map.Width(), top.Map.Height(), top.frame, x, y)) return Colors[skin::kcButtonFace];
  const uint8_t* row = top.Map.ScanLine(y);
  if (!row) return Colors[skin::kcButtonFace];
  const uint8_t* p = row + static_cast<size_t>(x) * (top.Map.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3);
  return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

bool TSkinObjects::GetPrecolor(TColor& colour, int n) const {
  if (n < 0 || static_cast<size_t>(n) >= ColorPreset.size()) return false;
  colour = ColorPreset[static_cast<size_t>(n)];
  return true;
}

std::vector<THolderRef> Holders(TSkinObjects& s) {
  s.PrepareComboImages();
  return {
      {L"border.Left", s.border[skin::kBorderLeft].get()},
      {L"border.Right", s.border[skin::kBorderRight].get()},
      {L"border.Top", s.border[skin::kBorderTop].get()},
      {L"border.Bottom", s.border[skin::kBorderBottom].get()},
      {L"Title", s.Title.get()},
      {L"Button", s.Button.get()},
      {L"progress", s.progress.get()},
      {L"progresschunk", s.progresschunk.get()},
      {L"Menubar", s.Menubar.get()},
      {L"Box", s.Box.get()},
      {L"boxlabel", s.boxlabel.get()},
      {L"tab", s.tab.get()},
      {L"StatusBar", s.StatusBar.get()},
      {L"TabSheet", s.TabSheet.get()},
      {L"Toolbarbtn", s.Toolbarbtn.get()},
      {L"combox", s.combox.get()},
      {L"Comboxborder", s.Comboxborder.get()},
      {L"comboxarrow", s.comboxarrow.get()},
      {L"ExtraImages", s.ExtraImages.get()},
      {L"Header", s.Header.get()},
      {L"MenuItem", s.MenuItem.get()},
      {L"MenuitemBG", s.MenuitemBG.get()},
      {L"SArrow", s.SArrow.get()},
      {L"HBar", s.HBar.get()},
      {L"VBar", s.VBar.get()},
      {L"HSlider", s.HSlider.get()},
      {L"VSlider", s.VSlider.get()},
      {L"TrackHorz", s.TrackHorz.get()},
      {L"TrackVert", s.TrackVert.get()},
      {L"TrackLeft", s.TrackLeft.get()},
      {L"Trackright", s.Trackright.get()},
      {L"Tracktop", s.Tracktop.get()},
      {L"Trackbottom", s.Trackbottom.get()},
      {L"HSpin", s.HSpin.get()},
      {L"VSpin", s.VSpin.get()},
      {L"TrackBar", s.TrackBar.get()},
      {L"TrackBarVert", s.TrackBarVert.get()},
      {L"Toolbar", s.Toolbar.get()},
      {L"MinCaption", s.MinCaption.get()},
  };
}

}  // namespace qn
