// Reading a skin definition into skin objects: every section and key with its default (read by
// SkinDef.h), the images named by it loaded from the archive, and the objects derived from
// them after loading (caption and MDI buttons, frame counts, tool-bar image, caption colour;
// the combo images and arrow on first use).
#pragma once

#include <string>

#include "skin/data/SkinObjects.h"

namespace qn {

// Loads the archive entry that a definition value names into bitmap; the bitmap is emptied
// when the value names no ".bmp" entry, the entry is missing or its bytes are not a readable
// bitmap.
void Readbmp(TSkinReader& reader, TBitmap& bitmap, const std::wstring& name);

// Fills skin from the definition ini, reading images from reader; both must hold the same
// loaded skin while it runs. Damaged or missing images leave their objects empty. When it
// returns, the skin is complete (the skin-data component then marks itself not empty).
void ReadSkin(TSkinReader& reader, const TQuickIni& ini, TSkinObjects& skin);

// The program's default track-bar images, used when a skin has none.
inline constexpr wchar_t kTrackResource[] = L"TRACK";
inline constexpr wchar_t kTrackVertResource[] = L"TRACKVERT";
// The four glyphs of the skinned system menu (restore, maximise, minimise, close).
inline constexpr wchar_t kGlazeMenuResource[] = L"GLAZEMENU";

// Decodes a bitmap resource of the running program into bitmap (24-bit); false, and the
// bitmap emptied, when the program has no such resource or it cannot be read.
bool LoadBitmapResource(const wchar_t* name, TBitmap& bitmap);

}  // namespace qn
