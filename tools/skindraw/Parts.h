// The images of a skin, drawn from its theme. Each returns the whole strip of frames as the
// loader cuts it (side by side unless said otherwise).
#pragma once

#include "tools/skindraw/Theme.h"

namespace qn::skindraw {

struct TFrameImages {
  TPic left, right, top, bottom;  // top and bottom: 2 stacked frames; sides: 2 side by side
  int sideH = 0;                  // height of a side frame
};
TFrameImages FrameImages(const TTheme& t);

enum class TCaptionGlyph { Close, Maximize, Restore, Minimize, Help };
TPic CaptionButton(const TTheme& t, TCaptionGlyph glyph);
TPic MdiButtons(const TTheme& t);  // 12 cells: minimise, restore, close x 4 states
TPic TextBack(const TTheme& t);    // 2 stacked frames

TPic PushButton(const TTheme& t, int w, int h);  // normal, pressed, disabled, hot, focused
TPic CheckBox(const TTheme& t);                  // 5 cells of 13
TPic RadioButton(const TTheme& t);
TPic ProgressBar(const TTheme& t);   // background, bar
TPic ProgressTrough(const TTheme& t);  // one frame, for a separate chunk
TPic ProgressChunk(const TTheme& t);
TPic GroupEdge(const TTheme& t);
TPic GroupTop(const TTheme& t);
TPic Tabs(const TTheme& t);
TPic TabPanel(const TTheme& t);
TPic Dialog(const TTheme& t);
TPic StatusEdges(const TTheme& t);
TPic ComboButton(const TTheme& t);
TPic ComboBox(const TTheme& t);
TPic ComboGlyph(const TTheme& t);  // 4 arrow states and the size grip
TPic HeaderBar(const TTheme& t);
TPic MenuItem(const TTheme& t);
TPic MenuFrame(const TTheme& t);
TPic MenuBar(const TTheme& t);  // 2 stacked frames
TPic MenuBarButton(const TTheme& t);
TPic ToolButton(const TTheme& t);
TPic ScrollArrows(const TTheme& t);  // 23 frames of 16
TPic Shaft(const TTheme& t, bool vertical);
TPic Thumb(const TTheme& t, bool vertical);
TPic TrackChannel(const TTheme& t, bool vertical);
TPic TrackThumb(const TTheme& t, bool vertical);  // 5 frames
TPic UpDown(const TTheme& t, bool vertical, bool glyphs);  // 8 frames

}  // namespace qn::skindraw
