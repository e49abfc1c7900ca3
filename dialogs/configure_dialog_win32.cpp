// The configuration dialog's procedure: translates the dialog's messages into the
// handlers of configure_dialog.h. SPMConfig runs it with the system's DialogBoxParamA;
// the creation parameter is not used.
#include "dialogs/configure_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "dialogs/dialog_window_win32.h"
#include "settings/module_state.h"

HWND OwnerWindow;

namespace {

const ModuleStateReset kResetOwnerWindow{[] { OwnerWindow = nullptr; }};

}  // namespace

INT_PTR CALLBACK ConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  Win32DialogWindow window(dialog);
  switch (message) {
    case WM_INITDIALOG:
      return ConfigureOnInit(window);
    case WM_COMMAND:
      return ConfigureOnCommand(window, LOWORD(wParam));
    case WM_CLOSE:
      return ConfigureOnClose(window);
    case WM_DESTROY:
      return ConfigureOnDestroy(window);
    default:
      return FALSE;
  }
}
