// Makes the class library's classes known to the form reader.
#include "platform/win/Buttons.h"
#include "platform/win/ComCtrls.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/GlyphChecks.h"
#include "platform/win/HeaderCtrl.h"
#include "platform/win/MPlayer.h"
#include "platform/win/RangeCtrls.h"
#include "platform/win/ScrollBars.h"
#include "platform/win/Spin.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Tabs.h"

namespace qn {

void RegisterControlClasses() {
  for (const TClassInfo* c :
       {&TLabel::StaticClass(), &TEdit::StaticClass(), &TMemo::StaticClass(), &TButton::StaticClass(),
        &TBitBtn::StaticClass(), &TCheckBox::StaticClass(), &TRadioButton::StaticClass(),
        &TGroupBox::StaticClass(), &TImage::StaticClass(), &TPanel::StaticClass(), &TTimer::StaticClass(),
        &TPageControl::StaticClass(), &TTabSheet::StaticClass(), &TTabControl::StaticClass(),
        &TTabSet::StaticClass(), &TStatusBar::StaticClass(), &TForm::StaticClass(),
        &TScrollBar::StaticClass(), &TScrollBox::StaticClass(),
        &TListBox::StaticClass(), &TComboBox::StaticClass(), &TDateTimePicker::StaticClass(),
        &TRadioGroup::StaticClass(),
        &TListView::StaticClass(), &TRichEdit::StaticClass(),
        &TTrackBar::StaticClass(),
        &THeaderControl::StaticClass(), &TMediaPlayer::StaticClass(),
        &TUpDown::StaticClass(),
        &TProgressBar::StaticClass(),
        &TSpinEdit::StaticClass(),
        &TSpeedButton::StaticClass(),
        &TRzCheckBox::StaticClass(), &TRzRadioButton::StaticClass(), &TcxCheckBox::StaticClass()})
    RegisterComponentClass(*c);
}

}  // namespace qn
