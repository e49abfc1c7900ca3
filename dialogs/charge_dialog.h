#pragma once
#include <cstdint>

#include "dialogs/dialog_window.h"
#include "dialogs/transaction_dialog.h"

// The card charge dialog's logic, driven by its dialog procedure (charge_dialog_win32.cpp)
// or by tests, with the dialog's own state. The creation parameter is the amount to
// charge in cents. Steps: card
// entry, confirming, running, result ready, finished (see transaction_dialog.h). End
// code: 1 when the gateway approved the charge, 2 in every other case.

inline constexpr int32_t kChargeApproved = 1;
inline constexpr int32_t kChargeNotApproved = 2;
inline constexpr const char* kInvalidCardText = "Invalid card number.";
inline constexpr const char* kConfirmButtonText = "&OK";

// WM_INITDIALOG. Returns 1.
int32_t ChargeDialogStart(DialogWindow& window, TransactionDialogState& state, int32_t amountCents);

// WM_COMMAND with the low word of wParam. Returns what the dialog procedure returns:
// 1 after an approval and for Cancel; otherwise 0.
int32_t ChargeDialogCommand(DialogWindow& window, TransactionDialogState& state, int command);

// The image number of the picture control 200 shows at the state's step.
int32_t ChargeDialogPicture(const TransactionDialogState& state);
