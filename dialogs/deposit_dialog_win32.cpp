// The deposit dialog's procedure: translates the messages of the CARDPIN dialog into the
// events of the deposit logic (deposit_dialog.h). Colours are the system's.
#include "dialogs/card_picture_win32.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_window_win32.h"

INT_PTR CALLBACK DepositDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32DialogWindow window(dialog);
  if (message == WorkerFinishedMessage()) {
    return DepositDialogWorkerFinished(window, static_cast<uint32_t>(wParam));
  }
  switch (message) {
    case WM_INITDIALOG:
      return DepositDialogStart(window, static_cast<int32_t>(lParam));
    case WM_COMMAND:
      return DepositDialogCommand(window, LOWORD(wParam));
    case WM_TIMER:
      window.PostCommand(kTickCommand);
      return 0;
    case WM_CLOSE:
      return DepositDialogClose(window);
    case WM_DESTROY:
      return EndTransactionDialog(window, DepositState);
    case WM_DRAWITEM:
      DrawCardPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), DepositDialogPicture());
      return 0;
    default:
      return 0;
  }
}
