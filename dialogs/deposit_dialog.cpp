#include "dialogs/deposit_dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialogs/card_text.h"
#include "dialogs/station_deposit.h"
#include "records/journal.h"
#include "settings/secure_erase.h"

namespace {

int32_t CardStep(DialogWindow& window, DepositDialogState& state) {
  if (!ReadEntry(window, state)) return 0;
  StoreCardNumber(ExtractCardText(state.ScratchText), state.Record);
  SecureErase(state.ScratchText, sizeof state.ScratchText);
  state.Step = DialogStep::AmountEntry;
  std::snprintf(state.ScratchText, kScratchTextSize, kBalanceFormat, CentsToUnits(state.Balance));
  window.SetItemText(IDC_CARD_MESSAGE, state.ScratchText);
  // The amount is typed into the same control: nothing of the card may stay in it.
  window.EraseItemText(IDC_CARD_ENTRY);
  window.UnmaskEdit(IDC_CARD_ENTRY);
  window.FocusItem(IDC_CARD_ENTRY);
  window.Redraw();
  return 0;
}

int32_t AmountStep(DialogWindow& window, DepositDialogState& state) {
  if (!ReadEntry(window, state)) return 0;
  int32_t cents = 0;
  if (!ParseDepositAmount(state.ScratchText, &cents)) {
    std::snprintf(state.ScratchText, kScratchTextSize, kAmountRefusedFormat, kMinDepositUnits,
                  kMaxDepositUnits);
    window.SetItemText(IDC_CARD_MESSAGE, state.ScratchText);
    window.SetItemText(IDC_CARD_ENTRY, "");
    window.FocusItem(IDC_CARD_ENTRY);
    return 0;
  }
  state.Record.AmountCents = cents;
  LaunchTransaction(window, state, TransactionKind::Deposit);
  window.ShowItem(IDC_CARD_ENTRY, false);
  window.Redraw();
  return 0;
}

int32_t CompletionStep(DialogWindow& window, DepositDialogState& state) {
  // The end code waits for the booking, which the journal records on a line of its own.
  if (CompleteTransaction(window, state, std::nullopt) != Completion::Approved) return 0;
  const int32_t result =
      BookStationDeposit(state.User, state.Record.AmountCents, &state.Balance);
  if (result == 0) {
    state.EndCode = state.Record.AmountCents;
    JournalBooking(state.Job->Entry, result, "", state.EndCode);
  } else {
    // Not booked: the station must not be told that money arrived.
    std::snprintf(state.ScratchText, kScratchTextSize, kDepositFailedFormat, static_cast<int>(result));
    // Journaled before the box, which waits for the user.
    JournalBooking(state.Job->Entry, result, state.ScratchText, state.EndCode);
    window.Redraw();  // the finished picture behind the box
    window.StationMessageBox(state.ScratchText, kDepositFailedCaption, kMessageBoxIconError);
  }
  window.PostClose();
  return 1;
}

// OK runs the action of the step; an OK while the button is disabled does nothing.
int32_t Ok(DialogWindow& window, DepositDialogState& state) {
  switch (state.Step) {
    case DialogStep::CardEntry:
      return CardStep(window, state);
    case DialogStep::AmountEntry:
      return AmountStep(window, state);
    case DialogStep::ResultReady:
      return CompletionStep(window, state);
    case DialogStep::Confirming:
    case DialogStep::Running:
    case DialogStep::Finished:
      break;
  }
  return 0;
}

// Nothing can be credited without the station's deposit function, so nothing is taken
// from the card either.
void OfferOnlyCancel(DialogWindow& window, DepositDialogState& state) {
  state.Step = DialogStep::Finished;
  window.SetItemText(IDC_CARD_MESSAGE, kNoDepositText);
  window.EnableItem(IDC_OK, false);
  window.ShowItem(IDC_CARD_ENTRY, false);
  window.FocusItem(IDC_CANCEL);
}

}  // namespace

bool ParseDepositAmount(const char* text, int32_t* cents) {
  // A text that does not begin with a number reads as 0 and fails the range like any
  // other; the test is written so that NaN fails it too.
  const double units = std::trunc(std::strtod(text, nullptr));
  if (!(units >= kMinDepositUnits && units <= kMaxDepositUnits)) return false;
  *cents = static_cast<int32_t>(units) * kCentsPerUnit;
  return true;
}

void KeepDepositUser(DepositDialogState& state, const char* user) {
  state.User = user == nullptr ? "" : user;
}

int32_t DepositDialogStart(DialogWindow& window, DepositDialogState& state, int32_t balanceCents) {
  BeginTransactionDialog(window, state, kDepositNotMade);
  state.Balance = balanceCents;
  state.Record.AmountCents = balanceCents;
  if (HasStationDeposit()) return 1;
  OfferOnlyCancel(window, state);
  return 0;  // the focus is on Cancel already; 1 would move it to the hidden edit control
}

int32_t DepositDialogCommand(DialogWindow& window, DepositDialogState& state, int command) {
  switch (command) {
    case IDC_OK:
      return Ok(window, state);
    case IDC_CANCEL:
      return CancelTransactionDialog(window, state);
    default:
      return 0;
  }
}
