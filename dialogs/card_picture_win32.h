#pragma once
// The state pictures of the charge and deposit dialogs: the CARDIDLIST bitmap cut into
// an image list of four 36 x 37 pictures at attach, drawn centred in the owner-drawn
// picture control, transparent where the bitmap is magenta.
#include <windows.h>
#include <commctrl.h>

inline constexpr int kCardImageWidth = 36;
inline constexpr int kCardImageHeight = 37;
inline constexpr COLORREF kCardImageMask = RGB(255, 0, 255);

extern HIMAGELIST CardImageList;  // null when the bitmap could not be loaded

// Loads CardImageList from the module's CARDIDLIST bitmap (at attach).
void LoadCardPictures(HINSTANCE module);

// Draws picture image of CardImageList into the control of item. Draws nothing when
// the image list could not be loaded.
void DrawCardPicture(const DRAWITEMSTRUCT& item, int image);
