#include "platform/win/WinApiLookup.h"

#include <cstring>

namespace qn {

#ifndef _WIN64
// The records the callers fill have these sizes on 32-bit Windows.
static_assert(sizeof(SCROLLBARINFO) == 60);
static_assert(sizeof(COMBOBOXINFO) == 52);
#endif

namespace {

using TGetScrollBarInfo = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
using TTrackMouseEvent = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
using TGetComboBoxInfo = BOOL(WINAPI*)(HWND, PCOMBOBOXINFO);

template <class F>
F Entry(HMODULE module, const char* name) {
  // Through the generic function pointer type, which any function pointer converts to.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The library stays loaded for the life of the process and is let go at its end.
class TUser32 {
 public:
  TUser32() : module_(LoadLibraryW(L"user32.dll")) {
    if (!module_) return;
    scroll_bar_info_ = Entry<TGetScrollBarInfo>(module_, "GetScrollBarInfo");
    track_mouse_event_ = Entry<TTrackMouseEvent>(module_, "TrackMouseEvent");
    combo_box_info_ = Entry<TGetComboBoxInfo>(module_, "GetComboBoxInfo");
  }
  TUser32(const TUser32&) = delete;
  TUser32& operator=(const TUser32&) = delete;
  ~TUser32() {
    if (module_) FreeLibrary(module_);
  }

  TGetScrollBarInfo ScrollBarInfo() const { return hidden_[0] ? nullptr : scroll_bar_info_; }
  TTrackMouseEvent TrackMouse() const { return hidden_[1] ? nullptr : track_mouse_event_; }
  TGetComboBoxInfo ComboBoxInfo() const { return hidden_[2] ? nullptr : combo_box_info_; }
  void Hide(TUser32Entry e, bool hidden) { hidden_[static_cast<int>(e)] = hidden; }

 private:
  HMODULE module_;
  TGetScrollBarInfo scroll_bar_info_ = nullptr;
  TTrackMouseEvent track_mouse_event_ = nullptr;
  TGetComboBoxInfo combo_box_info_ = nullptr;
  bool hidden_[3] = {};
};

TUser32& User32() {
  static TUser32 user32;
  return user32;
}

}  // namespace

bool User32HasEntry(TUser32Entry entry) {
  switch (entry) {
    case TUser32Entry::GetScrollBarInfo: return User32().ScrollBarInfo() != nullptr;
    case TUser32Entry::TrackMouseEvent: return User32().TrackMouse() != nullptr;
    case TUser32Entry::GetComboBoxInfo: return User32().ComboBoxInfo() != nullptr;
  }
  return false;
}

bool User32GetScrollBarInfo(HWND wnd, LONG object_id, SCROLLBARINFO& info) {
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  auto call = User32().ScrollBarInfo();
  return call && call(wnd, object_id, &info);
}

bool User32GetComboBoxInfo(HWND wnd, COMBOBOXINFO& info) {
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  auto call = User32().ComboBoxInfo();
  return call && call(wnd, &info);
}

bool User32TrackMouseEvent(TRACKMOUSEEVENT& tme) {
  tme.cbSize = sizeof tme;
  auto call = User32().TrackMouse();
  return call && call(&tme);
}

void User32SimulateMissing(TUser32Entry entry, bool missing) { User32().Hide(entry, missing); }

}  // namespace qn
