// The card charge dialog's procedure: translates the messages of the CARDPIN dialog into
// the events of the charge logic (charge_dialog.h) and paints the dialog's background.
#include "dialogs/card_picture_win32.h"
#include "dialogs/charge_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_window_win32.h"
#include "dialogs/painting_win32.h"

INT_PTR CALLBACK ChargeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32DialogWindow window(dialog);
  if (message == WorkerFinishedMessage()) {
    return ChargeDialogWorkerFinished(window, static_cast<uint32_t>(wParam));
  }
  switch (message) {
    case WM_INITDIALOG:
      return ChargeDialogStart(window, static_cast<int32_t>(lParam));
    case WM_COMMAND:
      return ChargeDialogCommand(window, LOWORD(wParam));
    case WM_TIMER:
      window.PostCommand(kTickCommand);
      return 0;
    case WM_CLOSE:
      return ChargeDialogClose(window);
    case WM_DESTROY:
      return EndTransactionDialog(window, ChargeState);
    case WM_DRAWITEM:
      DrawCardPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), ChargeDialogPicture());
      return 0;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(
          PaintDialogBackground(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case WM_CTLCOLORBTN:
      return reinterpret_cast<INT_PTR>(
          PaintButtonBackground(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    default:
      return 0;
  }
}
