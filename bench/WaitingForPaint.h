// Benchmarks' report of which windows a step left to paint.
#pragma once

#include <windows.h>

#include <string>

#include "platform/core/TextConv.h"
#include "skin/draw/SkinDraw.h"

namespace qn::bench {

inline BOOL CALLBACK AddIfWaiting(HWND w, LPARAM names_ptr) {
  if (!GetUpdateRect(w, nullptr, FALSE)) return TRUE;
  std::string& names = *reinterpret_cast<std::string*>(names_ptr);
  if (!names.empty()) names += ", ";
  names += WideToUtf8(GetWndClassName(w));
  return TRUE;
}

// The windows of the form (itself included) that wait for a paint, by class name; "none".
inline std::string WaitingForPaint(HWND form) {
  std::string names;
  AddIfWaiting(form, reinterpret_cast<LPARAM>(&names));
  EnumChildWindows(form, AddIfWaiting, reinterpret_cast<LPARAM>(&names));
  return names.empty() ? "none" : names;
}

}  // namespace qn::bench
