// The control skinners by the class that paints each kind of control: what control discovery
// chooses, and what the skinner factory makes.
#pragma once

namespace qn {

enum class TSkinnerKind {
  None, Button, BitButton, MenuButton, SpeedButton, CheckBox, RadioButton, GroupBox, Box, BoxH, Sizer,
  StatusBar, Tab, TabBtn, TabSheet, Tab31, AdvPage, ComBox, Edit, DateTime, Scrollbar, ListView, ScControl,
  Progress, TrackBar, UpDown, Header, MediaPlayer, ObjImage,
};
// "TSkinButton" and so on; "" for None.
const char* SkinnerClassName(TSkinnerKind kind);

}  // namespace qn
