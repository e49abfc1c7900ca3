#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_state_win32.h"

namespace {

// Between an export's hand-over and the dialog's WM_INITDIALOG only.
TransactionDialogState* HandedOver;

}  // namespace

void HandOverDialogState(TransactionDialogState* state) { HandedOver = state; }

TransactionDialogState* AttachDialogState(HWND dialog) {
  TransactionDialogState* state = HandedOver;
  HandedOver = nullptr;
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  return state;
}

TransactionDialogState* DialogStateOf(HWND dialog) {
  return reinterpret_cast<TransactionDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}
