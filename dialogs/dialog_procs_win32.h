#pragma once
// The dialog procedures of the plug-in's three dialogs, run by the exports:
// ChargeDialog on the CARDPIN template (creation parameter: amount in cents; end code
// 1 approved, 2 not), DepositDialog on CARDPIN (creation parameter: print balance in
// cents; end code the deposited cents, or 0), ConfigureDialog on CONFIGURE (creation
// parameter: its ConfigureDialogState, owned by the caller; end code 1 after Save or
// the close box, 0 after Cancel).
#include <windows.h>

#include "dialogs/configure_dialog.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/transaction_dialog.h"

// The state the next charge or deposit dialog takes as its own at WM_INITDIALOG and
// keeps with its window (DWLP_USER); the export that runs the dialog owns it, on its
// stack, and hands it over just before (nullptr just after). Passed this way because
// the creation parameter is the amount the station program's dialog function sees.
// ChargeDialog takes a TransactionDialogState, DepositDialog a DepositDialogState.
void HandOverDialogState(TransactionDialogState* state);

INT_PTR CALLBACK ChargeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DepositDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
