// The deposit dialog's procedure: translates the messages of the CARDPIN dialog into the
// events of the deposit logic (deposit_dialog.h). Colours are the system's.
#include "dialogs/card_picture_win32.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_state_win32.h"
#include "dialogs/dialog_window_win32.h"

INT_PTR CALLBACK DepositDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32DialogWindow window(dialog);
  if (message == WM_INITDIALOG) {
    auto* state = static_cast<DepositDialogState*>(AttachDialogState(dialog));
    if (state == nullptr) return EndDialog(dialog, kDepositNotMade);
    return DepositDialogStart(window, *state, static_cast<int32_t>(lParam));
  }
  auto* state = static_cast<DepositDialogState*>(DialogStateOf(dialog));
  if (state == nullptr) return 0;  // the messages before WM_INITDIALOG
  if (message == JobFinishedMessage()) {
    return TransactionJobFinished(window, *state, reinterpret_cast<const ExchangeJob*>(lParam));
  }
  switch (message) {
    case WM_COMMAND:
      return DepositDialogCommand(window, *state, LOWORD(wParam));
    case WM_TIMER:
      return TransactionTick(window, *state);
    case WM_CLOSE:
      return CloseTransactionDialog(window, *state);
    case WM_DESTROY:
      return EndTransactionDialog(window, *state);
    case WM_DRAWITEM:
      DrawCardPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                      static_cast<int32_t>(PictureFor(state->Step)));
      return 0;
    default:
      return 0;
  }
}
