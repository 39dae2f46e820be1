// Window measures: twips turned into pixels at the real DPI of the monitor a
// window is on, window frames around a client area, and the fonts at that DPI.
// The DPI functions of recent Windows are looked up at run time so the program
// still starts on older servers (it then uses the system DPI).
#pragma once

#include <windows.h>

#include "support/win32/Handles.h"

namespace maj::win32 {

inline constexpr int kTwipsPerInch = 1440;

// MulDiv rounds to the nearest pixel: 15 twips per pixel at 96 dots per inch.
inline int TwipsToPixels(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

// The DPI the window is drawn at.
UINT WindowDpi(HWND window);

// Where a top-level window goes in the work area of its monitor: in the
// middle, or centred across with its top a third of the way down (where an
// input box opens by default).
enum class Placement { Centre, UpperThird };

// Sizes a top-level window so that its client area is `width` x `height`
// twips, and places it.
void SizeAndPlace(HWND window, int widthTwips, int heightTwips, Placement placement);

// After a move to a monitor of another DPI (WM_DPICHANGED): the same client
// area in twips at the new DPI, at the place the system suggests.
void FollowDpiChange(HWND window, int widthTwips, int heightTwips, UINT dpi, const RECT& suggested);

// A dialog whose controls the program lays out itself at each DPI change:
// the dialog manager must not scale them as well.
void TakeOverDpiChanges(HWND dialog);

// Moves a child to its place given in twips of its parent's client area.
void PlaceChild(HWND child, int left, int top, int width, int height, UINT dpi);

// The classic sans-serif faces of Windows forms, the older first: recent
// systems may lack "MS Sans Serif" but keep its TrueType successor.
inline constexpr const wchar_t* kFormFaces[] = {L"MS Sans Serif", L"Microsoft Sans Serif", nullptr};

// Whether a font family of that name is installed (a name the font mapper
// only substitutes is not).
bool FaceInstalled(const wchar_t* face);

// A regular font of the given size (975 for 9.75 points), ANSI character set,
// in the first of `faces` (a null-ended list) that is installed, else in the
// face of the system's message font.
FontOwner CreateFaceFont(const wchar_t* const* faces, int hundredthsOfPoint, UINT dpi);

// The font of dialogs that have none of their own: the forms' default, 8
// points in the first installed of kFormFaces; the twips layouts of the
// program's dialogs were made for it.
FontOwner CreateDialogFont(UINT dpi);

}  // namespace maj::win32
