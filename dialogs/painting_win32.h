#pragma once
#include <windows.h>

// GDI side of the dialogs' painting and placement. All of it runs on the
// user-interface thread that owns the dialogs, inside their message handling.
// The arithmetic lives in dialogs/painting.h.

// Module-wide state: MSImg32.dll and its GradientFill, both null at load. The library
// is loaded from the system directory only, never by its bare name. A load counts only
// when both are found; otherwise both stay null and the next gradient
// tries again. Once found they are kept for the life of the process.
void LoadGradientFill();

// As LoadGradientFill, from the given library (a file name, looked up in the system
// directory) and export; for tests that need a
// load to fail. Returns whether the function is now available.
bool LoadGradientFillFrom(const char* libraryName, const char* functionName);

// Whether GradientFill has been found (tests).
bool GradientFillLoaded();

// Vertical gradient over rect on dc: topColour along the top edge, bottomColour
// along the bottom edge, each row one colour. Loads GradientFill on first use; draws
// nothing when it cannot be had.
void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF topColour, COLORREF bottomColour);

// WM_CTLCOLORDLG of the charge dialog (dialog from lParam, dc from wParam): fills the
// client area with the button face down to the band behind OK (else Cancel, else at
// 85% of the height) and the gradient below it. Returns the stock null brush, so the
// system paints no background of its own.
HBRUSH PaintDialogBackground(HWND dialog, HDC dc);

// WM_CTLCOLORBTN of the charge dialog (button from lParam, dc from wParam): for OK (1)
// and Cancel (2) fills the button's client area with the gradient read from the
// parent's pixels just left of it and returns the stock null brush; for any other
// control paints nothing and returns null.
HBRUSH PaintButtonBackground(HWND button, HDC dc);

// Moves dialog (keeping size, Z order and activation) so that it is centred over
// owner's window rectangle, or over the primary screen when owner is null or no
// longer a window. A negative y becomes 0, so the caption stays on screen; x is not
// limited.
void CenterOnOwner(HWND dialog, HWND owner);
