#pragma once
// The state picture of the charge and deposit dialogs: image number image of
// CardImageList, centred in the owner-drawn control, transparent where the bitmap is
// magenta. Draws nothing when the image list could not be loaded.
#include <windows.h>

void DrawCardPicture(const DRAWITEMSTRUCT& item, int image);
