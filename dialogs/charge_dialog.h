#pragma once
#include <cstdint>

#include "dialogs/dialog_window.h"
#include "dialogs/transaction_dialog.h"

// The card charge dialog's logic, driven by its dialog procedure (charge_dialog_win32.cpp)
// or by tests. The creation parameter is the amount to charge in cents. States: 0 card
// entry, 1 confirming (and while the transaction runs), 2 finished. End code: 1 when the
// gateway approved the charge, 2 in every other case.

inline constexpr int32_t kChargeApproved = 1;
inline constexpr int32_t kChargeNotApproved = 2;
inline constexpr const char* kInvalidCardText = "Invalid card number.";
inline constexpr const char* kConfirmButtonText = "&OK";

extern TransactionDialogState ChargeState;

// WM_INITDIALOG. Returns 1.
int32_t ChargeDialogStart(DialogWindow& window, int32_t amountCents);

// WM_COMMAND with the low word of wParam. Returns what the dialog procedure returns:
// 1 after an approval, for Cancel and for the tick; otherwise 0.
int32_t ChargeDialogCommand(DialogWindow& window, int command);

// WM_CLOSE. Returns 1.
int32_t ChargeDialogClose(DialogWindow& window);

// The picture control 200 shows: the image number of the current state.
int32_t ChargeDialogPicture();
