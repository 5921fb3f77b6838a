#include "skin/controls/WinSubClass.h"

#include "skin/controls/SkinBoxes.h"
#include "skin/controls/SkinButtons.h"
#include "skin/controls/SkinChecks.h"
#include "skin/controls/SkinScrollbars.h"
#include "skin/controls/SkinEdits.h"
#include "skin/controls/SkinRanges.h"
#include "skin/controls/SkinHeader.h"
#include "skin/controls/SkinMediaPlayer.h"
#include "skin/controls/SkinObjImage.h"
#include "skin/controls/SkinSpeedButton.h"
#include "skin/controls/SkinTabs.h"

namespace qn {

const char* SkinnerClassName(TSkinnerKind kind) {
  switch (kind) {
    case TSkinnerKind::None: return "";
    case TSkinnerKind::Button: return "TSkinButton";
    case TSkinnerKind::BitButton: return "TSkinBitButton";
    case TSkinnerKind::MenuButton: return "TSkinMenuButton";
    case TSkinnerKind::SpeedButton: return "TSkinSpeedButton";
    case TSkinnerKind::CheckBox: return "TSkinCheckBox";
    case TSkinnerKind::RadioButton: return "TSkinRadioButton";
    case TSkinnerKind::GroupBox: return "TSkinGroupBox";
    case TSkinnerKind::Box: return "TSkinBox";
    case TSkinnerKind::BoxH: return "TSkinBoxH";
    case TSkinnerKind::Sizer: return "TSkinSizer";
    case TSkinnerKind::StatusBar: return "TSkinStatusBar";
    case TSkinnerKind::Tab: return "TSkinTab";
    case TSkinnerKind::TabBtn: return "TSkinTabBtn";
    case TSkinnerKind::TabSheet: return "TSkinTabSheet";
    case TSkinnerKind::Tab31: return "TSkinTab31";
    case TSkinnerKind::AdvPage: return "TSkinAdvPage";
    case TSkinnerKind::ComBox: return "TSkinComBox";
    case TSkinnerKind::Edit: return "TSkinEdit";
    case TSkinnerKind::DateTime: return "TSkinDateTime";
    case TSkinnerKind::Scrollbar: return "TSkinScrollbar";
    case TSkinnerKind::ListView: return "TSkinListView";
    case TSkinnerKind::ScControl: return "TSkinScControl";
    case TSkinnerKind::Progress: return "TSkinProgress";
    case TSkinnerKind::TrackBar: return "TSkinTrackBar";
    case TSkinnerKind::UpDown: return "TSkinUpDown";
    case TSkinnerKind::Header: return "TSkinHeader";
    case TSkinnerKind::MediaPlayer: return "TSkinMP";
    case TSkinnerKind::ObjImage: return "TSkinObjImage";
  }
  return "";
}

TSkinControl* MakeControlSkinner(TSkinnerKind kind, TComponent* owner) {
  switch (kind) {
    case TSkinnerKind::Button: return new TSkinButton(owner);
    case TSkinnerKind::BitButton: return new TSkinBitButton(owner);
    case TSkinnerKind::MenuButton: return new TSkinMenuButton(owner);
    case TSkinnerKind::SpeedButton: return new TSkinSpeedButton(owner);
    case TSkinnerKind::CheckBox: return new TSkinCheckBox(owner);
    case TSkinnerKind::RadioButton: return new TSkinRadioButton(owner);
    case TSkinnerKind::GroupBox: return new TSkinGroupBox(owner);
    case TSkinnerKind::Box: return new TSkinBox(owner);
    case TSkinnerKind::BoxH: return new TSkinBoxH(owner);
    case TSkinnerKind::Sizer: return new TSkinSizer(owner);
    case TSkinnerKind::StatusBar: return new TSkinStatusBar(owner);
    case TSkinnerKind::Tab: return new TSkinTab(owner);
    case TSkinnerKind::TabBtn: return new TSkinTabBtn(owner);
    case TSkinnerKind::TabSheet: return new TSkinTabSheet(owner);
    case TSkinnerKind::Tab31: return new TSkinTab31(owner);
    case TSkinnerKind::AdvPage: return new TSkinAdvPage(owner);
    case TSkinnerKind::Scrollbar: return new TSkinScrollbar(owner);
    case TSkinnerKind::ListView: return new TSkinListView(owner);
    case TSkinnerKind::ScControl: return new TSkinScControl(owner);
    case TSkinnerKind::ComBox: return new TSkinComBox(owner);
    case TSkinnerKind::Edit: return new TSkinEdit(owner);
    case TSkinnerKind::DateTime: return new TSkinDateTime(owner);
    case TSkinnerKind::Progress: return new TSkinProgress(owner);
    case TSkinnerKind::TrackBar: return new TSkinTrackBar(owner);
    case TSkinnerKind::UpDown: return new TSkinUpDown(owner);
    case TSkinnerKind::Header: return new TSkinHeaderCtrl(owner);
    case TSkinnerKind::MediaPlayer: return new TSkinMP(owner);
    case TSkinnerKind::ObjImage: return new TSkinObjImage(owner);
    default:
      return nullptr;  // a kind whose skinner is not built yet: the control stays plain
  }
}

}  // namespace qn
