// A media player: a row of up to nine buttons (play, pause, stop, next, previous, step, back,
// record, eject) that drive the platform's media control interface (MCI) for one file. Which
// buttons show, which are enabled and which are drawn in colour are published sets; with
// AutoEnable the enabled ones follow what the device is doing.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/win/Controls.h"
#include "platform/win/Graphics.h"

namespace qn {

enum class TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
extern const TEnumInfo kMPBtnTypeInfo;
constexpr int kMPButtonCount = 9;

// A set of buttons: bit i is TMPBtnType i.
using TButtonSet = uint32_t;
constexpr TButtonSet MPButton(TMPBtnType b) { return TButtonSet(1) << static_cast<int>(b); }
constexpr TButtonSet kAllMPButtons = (TButtonSet(1) << kMPButtonCount) - 1;

enum class TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
extern const TEnumInfo kMPModesInfo;

// Before a button's command: do_default false keeps the command from being sent.
using TMPBtnClickEvent = TEvent<void(TObject* sender, TMPBtnType button, bool& do_default)>;
using TMPPostClickEvent = TEvent<void(TObject* sender, TMPBtnType button)>;

// The glyph resource "EN_MPPLAY" and the like (state "EN", "DI" or "CL", then the button) of
// the program's own module into bitmap; false, and bitmap emptied, when there is none.
bool LoadMPGlyph(const std::wstring& name, TBitmap& bitmap);
// "MPPLAY" … "MPEJECT".
const wchar_t* MPGlyphName(TMPBtnType b);

class TMediaPlayer : public TCustomControl {
  QN_CLASS(TMediaPlayer)
 public:
  explicit TMediaPlayer(TComponent* owner);
  ~TMediaPlayer() override;

  TButtonSet VisibleButtons() const { return visible_; }
  void SetVisibleButtons(TButtonSet s);
  TButtonSet EnabledButtons() const { return enabled_; }
  void SetEnabledButtons(TButtonSet s);
  TButtonSet ColoredButtons() const { return colored_; }
  void SetColoredButtons(TButtonSet s);
  std::wstring FileName() const { return file_name_; }
  void SetFileName(const std::wstring& name) { file_name_ = name; }
  bool AutoEnable() const { return auto_enable_; }
  void SetAutoEnable(bool v);

  // ---- The device (each false, with Error and ErrorMessage set, when MCI refuses) ----
  // Opens FileName (closing what was open).
  bool Open();
  void Close();
  bool Play();
  bool Pause();   // pauses, or resumes a paused device
  bool Stop();
  bool Next();    // to the end
  bool Previous();  // to the start
  bool Step();
  bool Back();
  bool StartRecording();
  bool Eject();
  TMPModes Mode();
  unsigned DeviceID() const { return device_; }
  // The last MCI error (0 for none) and its text.
  unsigned Error() const { return error_; }
  std::wstring ErrorMessage() const { return error_text_; }
  // The last MCI command sent (MCI_PLAY and so on), 0 before the first.
  unsigned LastCommand() const { return last_command_; }

  // What a press and release on a visible, enabled button does: OnClick, the button's
  // command unless OnClick said no, then OnPostClick.
  void ClickButton(TMPBtnType b);
  // The visible button under a client x, or -1.
  int ButtonAt(int x) const;

  TMPBtnClickEvent OnClick;  // replaces the plain click of other controls
  TMPPostClickEvent OnPostClick;
  TNotifyEvent OnNotify;  // a command sent to wait for its end has ended

 protected:
  void Paint() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  bool Send(unsigned command, uintptr_t flags, void* params);
  void ModeChanged();
  void Glyphs();
  TButtonSet visible_ = kAllMPButtons;
  TButtonSet enabled_ = kAllMPButtons;
  TButtonSet colored_ = kAllMPButtons;
  std::wstring file_name_;
  bool auto_enable_ = true;
  unsigned device_ = 0;
  unsigned error_ = 0;
  std::wstring error_text_;
  unsigned last_command_ = 0;
  int pressed_ = -1;  // the button the left button went down on
  bool glyphs_loaded_ = false;
  // Enabled, disabled and coloured glyph of each button.
  std::array<std::array<TBitmap, 3>, kMPButtonCount> glyphs_;
};

}  // namespace qn
