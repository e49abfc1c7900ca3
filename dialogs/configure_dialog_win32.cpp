// The configuration dialog's procedure: translates the dialog's messages into the
// handlers of configure_dialog.h. SPMConfig runs it with the system's DialogBoxParamA;
// the creation parameter is the dialog's state, kept with the window (DWLP_USER).
#include "dialogs/configure_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_window_win32.h"

INT_PTR CALLBACK ConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32DialogWindow window(dialog);
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<ConfigureDialogState*>(lParam);
    if (state == nullptr) return EndDialog(dialog, kConfigCancelledEndCode);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return ConfigureOnInit(window, *state);
  }
  auto* state = reinterpret_cast<ConfigureDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (state == nullptr) return FALSE;  // the messages before WM_INITDIALOG
  switch (message) {
    case WM_COMMAND:
      return ConfigureOnCommand(window, *state, LOWORD(wParam));
    case WM_CLOSE:
      return ConfigureOnClose(window, *state);
    case WM_DESTROY:
      return ConfigureOnDestroy(window, *state);
    default:
      return FALSE;
  }
}
