#include "platform/win/MPlayer.h"

#include <mmsystem.h>

#include <utility>
#include <vector>

#include "platform/win/Blit.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Resources.h"

namespace qn {

const TEnumInfo kMPBtnTypeInfo{
    {"btPlay", "btPause", "btStop", "btNext", "btPrev", "btStep", "btBack", "btRecord", "btEject"}};
const TEnumInfo kMPModesInfo{
    {"mpNotReady", "mpStopped", "mpPlaying", "mpRecording", "mpSeeking", "mpPaused", "mpOpen"}};

namespace {

// The glyphs' transparent colour.
constexpr TColor kGlyphTransparent = 0x008080;  // olive

constexpr const wchar_t* kGlyphNames[kMPButtonCount] = {L"MPPLAY", L"MPPAUSE",  L"MPSTOP",
                                                        L"MPNEXT", L"MPPREV",   L"MPSTEP",
                                                        L"MPBACK", L"MPRECORD", L"MPEJECT"};
constexpr const wchar_t* kGlyphStates[3] = {L"EN", L"DI", L"CL"};

// winmm is looked up when a player first needs it, so that a program that never plays
// anything does not load it, and a system without it still runs (every command then fails).
using TMciSend = MCIERROR(WINAPI*)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);
using TMciErrorText = BOOL(WINAPI*)(MCIERROR, LPWSTR, UINT);
struct TWinmm {
  TMciSend send = nullptr;
  TMciErrorText error_text = nullptr;
};
const TWinmm& Winmm() {
  static const TWinmm winmm = [] {
    TWinmm w;
    if (HMODULE module = LoadLibraryW(L"winmm.dll")) {
      w.send = reinterpret_cast<TMciSend>(reinterpret_cast<void*>(GetProcAddress(module, "mciSendCommandW")));
      w.error_text =
          reinterpret_cast<TMciErrorText>(reinterpret_cast<void*>(GetProcAddress(module, "mciGetErrorStringW")));
    }
    return w;
  }();
  return winmm;
}

// What a player may do in each mode, when AutoEnable has it follow the device.
TButtonSet AutoButtons(TMPModes mode) {
  constexpr TButtonSet seek = MPButton(TMPBtnType::btNext) | MPButton(TMPBtnType::btPrev) |
                              MPButton(TMPBtnType::btStep) | MPButton(TMPBtnType::btBack) |
                              MPButton(TMPBtnType::btEject);
  switch (mode) {
    case TMPModes::mpPlaying:
    case TMPModes::mpRecording:
      return seek | MPButton(TMPBtnType::btPause) | MPButton(TMPBtnType::btStop);
    case TMPModes::mpPaused:
      return seek | MPButton(TMPBtnType::btPlay) | MPButton(TMPBtnType::btPause) | MPButton(TMPBtnType::btStop);
    case TMPModes::mpStopped:
    case TMPModes::mpSeeking:
    case TMPModes::mpOpen:
      return seek | MPButton(TMPBtnType::btPlay) | MPButton(TMPBtnType::btRecord);
    case TMPModes::mpNotReady:
      return 0;
  }
  return 0;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

const wchar_t* MPGlyphName(TMPBtnType b) { return kGlyphNames[static_cast<int>(b)]; }

bool LoadMPGlyph(const std::wstring& name, TBitmap& bitmap) {
  bitmap.SetSize(0, 0);
  std::vector<uint8_t> dib;
  if (!LoadRcData(name.c_str(), dib, RT_BITMAP) || dib.size() < 40) return false;
  // A bitmap resource is a bitmap file without its 14-byte head.
  const uint32_t header = U32(dib, 0);
  if (header < 40 || header > dib.size()) return false;
  const uint32_t bits = uint32_t(dib[14]) | uint32_t(dib[15]) << 8;
  uint32_t colours = U32(dib, 32);
  if (bits <= 8 && colours == 0) colours = 1u << bits;
  if (bits > 8) colours = 0;
  const uint32_t masks = (header == 40 && U32(dib, 16) == BI_BITFIELDS) ? 12 : 0;
  const uint64_t offset = 14ull + header + masks + uint64_t(colours) * 4;
  if (offset > 14ull + dib.size()) return false;
  std::vector<uint8_t> file(14 + dib.size());
  const uint64_t size = file.size();
  const uint8_t head[14] = {'B', 'M', uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24),
                            0, 0, 0, 0, uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16),
                            uint8_t(offset >> 24)};
  std::copy(std::begin(head), std::end(head), file.begin());
  std::copy(dib.begin(), dib.end(), file.begin() + 14);
  if (!bitmap.LoadFromBmp(file.data(), file.size())) {
    bitmap.SetSize(0, 0);
    return false;
  }
  return true;
}

QN_CLASS_IMPL(TMediaPlayer, TCustomControl,
              {prop::Set("VisibleButtons", kMPBtnTypeInfo, &TMediaPlayer::VisibleButtons,
                         &TMediaPlayer::SetVisibleButtons),
               prop::Set("EnabledButtons", kMPBtnTypeInfo, &TMediaPlayer::EnabledButtons,
                         &TMediaPlayer::SetEnabledButtons),
               prop::Set("ColoredButtons", kMPBtnTypeInfo, &TMediaPlayer::ColoredButtons,
                         &TMediaPlayer::SetColoredButtons),
               prop::Str("FileName", &TMediaPlayer::FileName, &TMediaPlayer::SetFileName),
               prop::Bool("AutoEnable", &TMediaPlayer::AutoEnable, &TMediaPlayer::SetAutoEnable),
               prop::Event("OnClick", &TMediaPlayer::OnClick),
               prop::Event("OnPostClick", &TMediaPlayer::OnPostClick),
               prop::Event("OnNotify", &TMediaPlayer::OnNotify)})

TMediaPlayer::TMediaPlayer(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 253, 30);
  SetColor(clBtnFace);
  SetClickEvents(false);  // a click is a button's, not the whole control's
  SetTabStop(true);
  // Until a file is open, AutoEnable leaves nothing to press.
  enabled_ = auto_enable_ ? AutoButtons(TMPModes::mpNotReady) : kAllMPButtons;
}

TMediaPlayer::~TMediaPlayer() { Close(); }

void TMediaPlayer::SetVisibleButtons(TButtonSet s) {
  visible_ = s & kAllMPButtons;
  Invalidate();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet s) {
  enabled_ = s & kAllMPButtons;
  Invalidate();
}

void TMediaPlayer::SetColoredButtons(TButtonSet s) {
  colored_ = s & kAllMPButtons;
  Invalidate();
}

void TMediaPlayer::SetAutoEnable(bool v) {
  auto_enable_ = v;
  if (v) ModeChanged();
}

// ---- The device ----

bool TMediaPlayer::Send(unsigned command, uintptr_t flags, void* params) {
  last_command_ = command;
  const TWinmm& winmm = Winmm();
  MCIERROR e = MCIERR_CANNOT_LOAD_DRIVER;
  if (winmm.send) e = winmm.send(device_, command, flags, reinterpret_cast<DWORD_PTR>(params));
  error_ = static_cast<unsigned>(e);
  error_text_.clear();
  if (e) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (winmm.error_text && winmm.error_text(e, text, MAXERRORLENGTH)) error_text_ = text;
    if (error_text_.empty()) error_text_ = L"MCI error " + std::to_wstring(e);
  }
  return e == 0;
}

bool TMediaPlayer::Open() {
  Close();
  MCI_OPEN_PARMSW p{};
  p.lpstrElementName = file_name_.c_str();
  DWORD flags = MCI_OPEN_ELEMENT | MCI_WAIT;
  // A wave file names its device; others are left to the system's table of extensions.
  const size_t dot = file_name_.rfind(L'.');
  if (dot != std::wstring::npos && _wcsicmp(file_name_.c_str() + dot, L".wav") == 0) {
    p.lpstrDeviceType = L"waveaudio";
    flags |= MCI_OPEN_TYPE;
  }
  const unsigned saved = device_;
  device_ = 0;
  const bool ok = Send(MCI_OPEN, flags, &p);
  device_ = ok ? p.wDeviceID : saved;
  ModeChanged();
  return ok;
}

void TMediaPlayer::Close() {
  if (!device_) return;
  MCI_GENERIC_PARMS p{};
  Send(MCI_CLOSE, MCI_WAIT, &p);
  device_ = 0;
  if (handle_) ModeChanged();
}

bool TMediaPlayer::Play() {
  MCI_PLAY_PARMS p{};
  // The end of playing comes back as MM_MCINOTIFY.
  DWORD flags = 0;
  if (handle_) {
    p.dwCallback = reinterpret_cast<DWORD_PTR>(handle_);
    flags |= MCI_NOTIFY;
  }
  const bool ok = Send(MCI_PLAY, flags, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Pause() {
  MCI_GENERIC_PARMS p{};
  const bool ok = Mode() == TMPModes::mpPaused ? Send(MCI_RESUME, MCI_WAIT, &p) : Send(MCI_PAUSE, MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Stop() {
  MCI_GENERIC_PARMS p{};
  const bool ok = Send(MCI_STOP, MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Next() {
  MCI_SEEK_PARMS p{};
  const bool ok = Send(MCI_SEEK, MCI_SEEK_TO_END | MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Previous() {
  MCI_SEEK_PARMS p{};
  const bool ok = Send(MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Step() {
  MCI_ANIM_STEP_PARMS p{};
  p.dwFrames = 1;
  const bool ok = Send(MCI_STEP, MCI_ANIM_STEP_FRAMES | MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Back() {
  MCI_ANIM_STEP_PARMS p{};
  p.dwFrames = 1;
  const bool ok = Send(MCI_STEP, MCI_ANIM_STEP_FRAMES | MCI_ANIM_STEP_REVERSE | MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::StartRecording() {
  MCI_RECORD_PARMS p{};
  DWORD flags = 0;
  if (handle_) {
    p.dwCallback = reinterpret_cast<DWORD_PTR>(handle_);
    flags |= MCI_NOTIFY;
  }
  const bool ok = Send(MCI_RECORD, flags, &p);
  ModeChanged();
  return ok;
}

bool TMediaPlayer::Eject() {
  MCI_SET_PARMS p{};
  const bool ok = Send(MCI_SET, MCI_SET_DOOR_OPEN | MCI_WAIT, &p);
  ModeChanged();
  return ok;
}

TMPModes TMediaPlayer::Mode() {
  if (!device_ || !Winmm().send) return TMPModes::mpNotReady;
  MCI_STATUS_PARMS p{};
  p.dwItem = MCI_STATUS_MODE;
  // Asked quietly: a status query is not a command of the user's, and leaves the last one's
  // answer alone.
  if (Winmm().send(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p)))
    return TMPModes::mpNotReady;
  switch (p.dwReturn) {
    case MCI_MODE_STOP: return TMPModes::mpStopped;
    case MCI_MODE_PLAY: return TMPModes::mpPlaying;
    case MCI_MODE_RECORD: return TMPModes::mpRecording;
    case MCI_MODE_SEEK: return TMPModes::mpSeeking;
    case MCI_MODE_PAUSE: return TMPModes::mpPaused;
    case MCI_MODE_OPEN: return TMPModes::mpOpen;
    default: return TMPModes::mpNotReady;
  }
}

void TMediaPlayer::ModeChanged() {
  if (!auto_enable_) return;
  const TButtonSet now = AutoButtons(Mode());
  if (now == enabled_) return;
  enabled_ = now;
  Invalidate();
}

void TMediaPlayer::ClickButton(TMPBtnType b) {
  bool do_default = true;
  if (OnClick) OnClick(this, b, do_default);
  if (do_default) {
    switch (b) {
      case TMPBtnType::btPlay: Play(); break;
      case TMPBtnType::btPause: Pause(); break;
      case TMPBtnType::btStop: Stop(); break;
      case TMPBtnType::btNext: Next(); break;
      case TMPBtnType::btPrev: Previous(); break;
      case TMPBtnType::btStep: Step(); break;
      case TMPBtnType::btBack: Back(); break;
      case TMPBtnType::btRecord: StartRecording(); break;
      case TMPBtnType::btEject: Eject(); break;
    }
  }
  if (OnPostClick) OnPostClick(this, b);
}

// ---- Buttons on the screen ----

int TMediaPlayer::ButtonAt(int x) const {
  int count = 0;
  for (int i = 0; i < kMPButtonCount; ++i)
    if (visible_ & (TButtonSet(1) << i)) ++count;
  if (count == 0 || x < 0) return -1;
  const int w = Width() / count;
  if (w <= 0) return -1;
  int start = 0;
  for (int i = 0; i < kMPButtonCount; ++i) {
    if (!(visible_ & (TButtonSet(1) << i))) continue;
    if (x < start + w) return i;
    start += w;
  }
  return -1;
}

void TMediaPlayer::Glyphs() {
  if (glyphs_loaded_) return;
  glyphs_loaded_ = true;
  for (int i = 0; i < kMPButtonCount; ++i)
    for (int s = 0; s < 3; ++s)
      LoadMPGlyph(std::wstring(kGlyphStates[s]) + L"_" + kGlyphNames[i], glyphs_[size_t(i)][size_t(s)]);
}

void TMediaPlayer::Paint() {
  Glyphs();
  HDC dc = Canvas().Handle();
  if (!dc) return;
  const RECT all = ClientRect();
  {
    TBrushHandle face = MakeSolidBrush(ColorToRGB(Color()));
    if (face) FillRect(dc, &all, face.Get());
  }
  int count = 0;
  for (int i = 0; i < kMPButtonCount; ++i)
    if (visible_ & (TButtonSet(1) << i)) ++count;
  if (count == 0) return;
  const int w = (all.right - all.left) / count;
  int x = 0;
  for (int i = 0; i < kMPButtonCount; ++i) {
    const TButtonSet bit = TButtonSet(1) << i;
    if (!(visible_ & bit)) continue;
    RECT r{x, 0, x + w, all.bottom};
    x += w;
    const bool on = (enabled_ & bit) && Enabled();
    const bool down = on && pressed_ == i;
    RECT edge = r;
    DrawEdge(dc, &edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT);
    TBitmap& glyph = glyphs_[size_t(i)][on ? ((colored_ & bit) ? 2 : 0) : 1];
    if (glyph.Empty()) continue;
    const int gw = glyph.Width(), gh = glyph.Height();
    const int gx = r.left + (w - gw) / 2 + (down ? 1 : 0), gy = (r.bottom - gh) / 2 + (down ? 1 : 0);
    TBitmapHandle mask = glyph.MakeMask(kGlyphTransparent);
    if (mask) BlitTransparent(dc, gx, gy, gw, gh, glyph.DC(), 0, 0, mask.Get());
  }
}

bool TMediaPlayer::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int b = ButtonAt(static_cast<short>(LOWORD(m.LParam)));
      pressed_ = (b >= 0 && (enabled_ & (TButtonSet(1) << b)) && Enabled()) ? b : -1;
      // The release belongs to this press, wherever it happens.
      if (handle_) SetCapture(handle_);
      Invalidate();
      return TCustomControl::HandleMessage(m);
    }
    case WM_LBUTTONUP: {
      const int was = std::exchange(pressed_, -1);
      if (handle_ && GetCapture() == handle_) ReleaseCapture();
      Invalidate();
      const bool handled = TCustomControl::HandleMessage(m);
      const int b = ButtonAt(static_cast<short>(LOWORD(m.LParam)));
      const int y = static_cast<short>(HIWORD(m.LParam));
      if (was >= 0 && b == was && y >= 0 && y < Height()) ClickButton(static_cast<TMPBtnType>(b));
      return handled;
    }
    case MM_MCINOTIFY:
      // A command sent to report its end (playing, recording) has ended.
      if (static_cast<unsigned>(m.LParam) == device_) {
        ModeChanged();
        if (OnNotify) OnNotify(this);
      }
      m.Result = 0;
      return true;
    default:
      return TCustomControl::HandleMessage(m);
  }
}

}  // namespace qn
