#pragma once
#include <cstddef>
#include <cstdint>

#include "dialogs/dialog_window.h"
#include "dialogs/transaction_dialog.h"

// The deposit dialog's logic, driven by its dialog procedure (deposit_dialog_win32.cpp)
// or by tests, with the dialog's own state. The creation parameter is the user's print balance in cents. Steps: card
// entry, amount entry, running, result ready, finished (see transaction_dialog.h). End
// code: the deposited amount in cents once the gateway approved it and the station's
// deposit function booked it; 0 in every other case (cancelled, refused, failed, not
// booked).
//
// A station without a deposit function gets no deposit at all: the dialog says so as
// it opens and offers only Cancel. Typed amounts are whole currency units from
// kMinDepositUnits to kMaxDepositUnits (the fraction is dropped); anything else is
// refused before a sequence number is used or anything is sent.

inline constexpr int32_t kDepositNotMade = 0;
inline constexpr int32_t kMinDepositUnits = 1;
inline constexpr int32_t kMaxDepositUnits = 21474836;  // the most whose cents fit 32 bits
inline constexpr int32_t kCentsPerUnit = 100;

inline constexpr const char* kBalanceFormat =
    "Current print balance is %.02f.\nEnter amount to deposit:";
inline constexpr const char* kAmountRefusedFormat =
    "Amounts of %d to %d can be deposited.\nEnter amount to deposit:";
inline constexpr const char* kNoDepositText =
    "Deposits are not available at this station.\nPress Cancel to close.";
inline constexpr const char* kDepositFailedFormat = "Error %d making deposit.";
inline constexpr const char* kDepositFailedCaption = "Error";

// One deposit dialog's own state: the transaction's, and what SPMDeposit was given.
struct DepositDialogState : TransactionDialogState {
  int32_t Balance;  // as passed in; the station may update it
  // The station's own user text, as given to SPMDeposit and handed back unchanged to its
  // deposit function: never copied, so never cut, whatever its length. Valid only while
  // SPMDeposit runs, as is the state.
  const char* User;
};

// SPMDeposit keeps the station's pointer in state.User; a null text counts as empty.
void KeepDepositUser(DepositDialogState& state, const char* user);

// Reads a typed amount as strtod does (leading white space skipped), drops the fraction
// and gives the cents. False when the text does not begin with a number or the whole
// units lie outside kMinDepositUnits..kMaxDepositUnits.
bool ParseDepositAmount(const char* text, int32_t* cents);

// WM_INITDIALOG, after KeepDepositUser. Returns 1 (the system focuses the edit
// control), or 0 when the station has no deposit function and the dialog has put the
// focus on Cancel.
int32_t DepositDialogStart(DialogWindow& window, DepositDialogState& state, int32_t balanceCents);

// WM_COMMAND with the low word of wParam. Returns 1 after an approval and for Cancel;
// otherwise 0.
int32_t DepositDialogCommand(DialogWindow& window, DepositDialogState& state, int command);
