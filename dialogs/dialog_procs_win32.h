#pragma once
// The dialog procedures of the plug-in's three dialogs, run by the exports:
// ChargeDialog on the CARDPIN template (creation parameter: amount in cents; end code
// 1 approved, 2 not), DepositDialog on CARDPIN (creation parameter: print balance in
// cents; end code the deposited cents, or 0), ConfigureDialog on CONFIGURE (end code 1
// after Save or the close box, 0 after Cancel).
#include <windows.h>

// The window last given to SPMConfig: the configuration dialog centres itself over it.
extern HWND OwnerWindow;

INT_PTR CALLBACK ChargeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DepositDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
