// Entry points of user32 that some systems lack, looked up by name once per process. Each
// call answers false without doing anything when its entry point is missing.
#pragma once

#include <windows.h>

namespace qn {

enum class TUser32Entry { GetScrollBarInfo, TrackMouseEvent, GetComboBoxInfo };

bool User32HasEntry(TUser32Entry entry);

// info is cleared and its size set before the call; object_id is OBJID_HSCROLL,
// OBJID_VSCROLL or OBJID_CLIENT.
[[nodiscard]] bool User32GetScrollBarInfo(HWND wnd, LONG object_id, SCROLLBARINFO& info);
[[nodiscard]] bool User32GetComboBoxInfo(HWND wnd, COMBOBOXINFO& info);
// tme.cbSize is set here.
[[nodiscard]] bool User32TrackMouseEvent(TRACKMOUSEEVENT& tme);

// Tests: makes an entry look missing (or present again, if the system has it).
void User32SimulateMissing(TUser32Entry entry, bool missing);

}  // namespace qn
