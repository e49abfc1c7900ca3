#include "dialogs/card_picture_win32.h"

#include "resources/resource_ids.h"

// Loaded at attach and never changed: it lives as long as the process, like the module
// it came from.
HIMAGELIST CardImageList;

void LoadCardPictures(HINSTANCE module) {
  CardImageList = ImageList_LoadImageA(module, CARD_PICTURES_RESOURCE, kCardImageWidth, 0,
                                       kCardImageMask, IMAGE_BITMAP, LR_DEFAULTCOLOR);
}

void DrawCardPicture(const DRAWITEMSTRUCT& item, int image) {
  // Offsets from the control's own origin: the device context of WM_DRAWITEM is the
  // control's, so rcItem starts at 0, 0.
  const int x = (item.rcItem.right - item.rcItem.left - kCardImageWidth) / 2;
  const int y = (item.rcItem.bottom - item.rcItem.top - kCardImageHeight) / 2;
  ImageList_Draw(CardImageList, image, item.hDC, x, y, ILD_TRANSPARENT);
}
