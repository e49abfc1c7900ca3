#pragma once
// A charge or deposit dialog's state, reached from its window.
#include <windows.h>

#include "dialogs/transaction_dialog.h"

// WM_INITDIALOG: the state handed over (HandOverDialogState) becomes the window's.
// nullptr when none was.
TransactionDialogState* AttachDialogState(HWND dialog);

// The window's state; nullptr before WM_INITDIALOG and for a window without one.
TransactionDialogState* DialogStateOf(HWND dialog);
