// The card charge dialog's procedure: translates the messages of the CARDPIN dialog into
// the events of the charge logic (charge_dialog.h) and paints the dialog's background.
#include "dialogs/card_picture_win32.h"
#include "dialogs/charge_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_state_win32.h"
#include "dialogs/dialog_window_win32.h"
#include "dialogs/painting_win32.h"

INT_PTR CALLBACK ChargeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32DialogWindow window(dialog);
  if (message == WM_INITDIALOG) {
    TransactionDialogState* state = AttachDialogState(dialog);
    if (state == nullptr) return EndDialog(dialog, kChargeNotApproved);
    return ChargeDialogStart(window, *state, static_cast<int32_t>(lParam));
  }
  TransactionDialogState* state = DialogStateOf(dialog);
  if (state == nullptr) return 0;  // the messages before WM_INITDIALOG
  if (message == JobFinishedMessage()) {
    return TransactionJobFinished(window, *state, reinterpret_cast<const ExchangeJob*>(lParam));
  }
  switch (message) {
    case WM_COMMAND:
      return ChargeDialogCommand(window, *state, LOWORD(wParam));
    case WM_TIMER:
      return TransactionTick(window, *state);
    case WM_CLOSE:
      return CloseTransactionDialog(window, *state);
    case WM_DESTROY:
      return EndTransactionDialog(window, *state);
    case WM_DRAWITEM:
      DrawCardPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), ChargeDialogPicture(*state));
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
