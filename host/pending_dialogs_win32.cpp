// Minimal dialog procedure that lets SPMConfig run until the real configuration dialog
// is built: it shows the template and ends with 0 on Cancel or close.
#include "dialogs/dialog_procs_win32.h"

INT_PTR CALLBACK ConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}
