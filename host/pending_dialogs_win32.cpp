// Minimal dialog procedures that let the exports run until the real dialogs are built:
// they show the template and end with 0 on Cancel or close.
#include "dialogs/dialog_procs_win32.h"

namespace {

INT_PTR PendingDialog(HWND dialog, UINT message, WPARAM wParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ChargeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return PendingDialog(dialog, message, wParam);
}
INT_PTR CALLBACK DepositDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return PendingDialog(dialog, message, wParam);
}
INT_PTR CALLBACK ConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return PendingDialog(dialog, message, wParam);
}
