// What every layer of the skin engine shares and nothing else: the private window messages
// that are the only protocol between the engine's windows, the kinds of controls and options a
// skin-data component names, and the skinning requests it makes. Includes no engine header.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qn {

// ---- Private window messages ----
constexpr UINT WM_SKINCHANGE = 0x3401;         // re-apply a changed skin (form-level hook)
constexpr UINT WM_SKINPAINTFRAME = 0x3502;     // repaint the frame
constexpr UINT WM_SKINSTART = 0x3503;          // first full skinning of a newly admitted window
constexpr UINT WM_SKINENABLE = 0x3506;         // a control skinner off (wParam <= 0) or on again
constexpr UINT WM_SKINTABCLOSE = 0x3507;       // may the page of this close mark go? (0: yes)
constexpr UINT WM_SKINBUTTONACTION = 0x3514;   // a caption button of an unknown action was clicked
constexpr UINT WM_SKINBUTTONVISIBLE = 0x3515;  // is the caption button of this code visible?
constexpr UINT WM_SKINMDIMAXIMIZED = 0x3516;   // redraw the MDI frame (sent to its client)
constexpr UINT WM_SKINRECREATED = 0x3517;      // a control's window was made again (wParam)
constexpr UINT WM_SKINMENUPOPUP = 0x3518;      // open the menu-bar popup at a screen point
constexpr UINT WM_SKINWALK = 0x351A;           // walk the form's controls again (lParam check)
// A request of the skin manager to a skinner of another thread, carried out on the window's
// own thread: wParam a TSkinRequest, lParam kSkinMessageCheck.
constexpr UINT WM_SKINREQUEST = 0x3519;
constexpr UINT WM_SKINQUERY = 0x3523;          // every skinned window answers 1
constexpr UINT WM_SKINPAINTCLIENT = 0xBC4A;    // paint the client area into wParam (with check)
constexpr UINT WM_SKINDRAWBORDER = 0xBC4B;     // paint the skinned border into wParam (with check)
constexpr UINT WM_SKINFORMQUERY = 0xBC4D;      // is this a skinned form? (answers the check)
constexpr UINT WM_SKINFINISHED = 0xBC4E;       // skinning of the window finished (lParam check)
// The second parameter that keeps the messages above apart from the system's of that number.
constexpr LPARAM kSkinMessageCheck = 0x41A2;

// What WM_SKINREQUEST asks.
enum class TSkinRequest : WPARAM {
  srSkinChanged = 1,  // take the skin data's new skin
  srUnskin = 2,       // let go of the window, give it back its own look, and go
};

// ---- Skinning requests of a skin-data component, carried out by the manager's timer ----
enum TSkinAction : int {
  kActionNone = 0, kActionSkinAll = 1, kActionUnskinAll = 2, kActionSkinChanged = 3,
  kActionFreeReleased = 6, kActionReskinForm = 7,
};

// ---- What a skin-data component names ----
enum TSkinControlType : int {
  xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcControlbar, xcCombo, xcCheckBox, xcRadioButton,
  xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel, xcGroupBox,
  xcStatusBar, xcTab, xcTrackBar, xcSystemMenu, xcFastReport,
};
using TSkinControlTypes = uint32_t;  // bit (1 << TSkinControlType)

enum TSkinOption : int {
  xoMDIScrollbar, xoMenuMerge, xoTransparent, xoPreview, xoParentBackGround, xoNoFocusRect,
  xoToolbarBK, xoToolbarButton, xoMDIChildBorder, xoMenuBG, xoCaptionButtonHint, xoFormScrollbar,
};
using TSkinOptions = uint32_t;

enum class TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

enum TWinContainer : int {
  xccForm, xccFrame, xccToolbar, xccCoolbar, xccControlbar, xccPanel, xccScrollBox, xccGroupBox,
  xccTabSheet, xccPageScroller,
};
using TWinContainers = uint32_t;

constexpr bool Has(uint32_t set, int member) { return (set >> member) & 1u; }
constexpr uint32_t Bit(int member) { return 1u << member; }

}  // namespace qn
