#include "dialogs/deposit_dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialogs/card_text.h"
#include "dialogs/scratch_text.h"
#include "dialogs/station_deposit.h"
#include "gateway/journal.h"
#include "gateway/transaction_record.h"
#include "gateway/worker.h"
#include "settings/module_state.h"
#include "settings/secure_erase.h"

TransactionDialogState DepositState;
int32_t DepositBalance;
const char* DepositUser;

namespace {

int32_t CardStep(DialogWindow& window) {
  if (!ReadEntry(window)) return 0;
  StoreCardNumber(ExtractCardText(ScratchText), CurrentRecord);
  SecureErase(ScratchText, sizeof ScratchText);
  DepositState.Step = DialogStep::AmountEntry;
  std::snprintf(ScratchText, kScratchTextSize, kBalanceFormat, CentsToUnits(DepositBalance));
  window.SetItemText(kMessageLineId, ScratchText);
  // The amount is typed into the same control: nothing of the card may stay in it.
  window.EraseItemText(kCardEditId);
  window.UnmaskEdit(kCardEditId);
  window.FocusItem(kCardEditId);
  window.Redraw();
  return 0;
}

int32_t AmountStep(DialogWindow& window) {
  if (!ReadEntry(window)) return 0;
  int32_t cents = 0;
  if (!ParseDepositAmount(ScratchText, &cents)) {
    std::snprintf(ScratchText, kScratchTextSize, kAmountRefusedFormat, kMinDepositUnits,
                  kMaxDepositUnits);
    window.SetItemText(kMessageLineId, ScratchText);
    window.SetItemText(kCardEditId, "");
    window.FocusItem(kCardEditId);
    return 0;
  }
  CurrentRecord.AmountCents = cents;
  LaunchTransaction(window, DepositState, TransactionKind::Deposit);
  window.ShowItem(kCardEditId, false);
  window.Redraw();
  return 0;
}

int32_t CompletionStep(DialogWindow& window) {
  // The end code waits for the booking, which the journal records on a line of its own.
  if (CompleteTransaction(window, DepositState, std::nullopt) != Completion::Approved) return 0;
  const int32_t result =
      BookStationDeposit(DepositUser, CurrentRecord.AmountCents, &DepositBalance);
  if (result == 0) {
    DepositState.EndCode = CurrentRecord.AmountCents;
    JournalBooking(WorkerJournalEntry, result, "", DepositState.EndCode);
  } else {
    // Not booked: the station must not be told that money arrived.
    std::snprintf(ScratchText, kScratchTextSize, kDepositFailedFormat, static_cast<int>(result));
    // Journaled before the box, which waits for the user.
    JournalBooking(WorkerJournalEntry, result, ScratchText, DepositState.EndCode);
    window.StationMessageBox(ScratchText, kDepositFailedCaption, kMessageBoxIconError);
  }
  window.PostClose();
  return 1;
}

// OK runs the action of the step; an OK while the button is disabled does nothing.
int32_t Ok(DialogWindow& window) {
  switch (DepositState.Step) {
    case DialogStep::CardEntry:
      return CardStep(window);
    case DialogStep::AmountEntry:
      return AmountStep(window);
    case DialogStep::ResultReady:
      return CompletionStep(window);
    case DialogStep::Confirming:
    case DialogStep::Running:
    case DialogStep::Finished:
      break;
  }
  return 0;
}

// Nothing can be credited without the station's deposit function, so nothing is taken
// from the card either.
void OfferOnlyCancel(DialogWindow& window) {
  DepositState.Step = DialogStep::Finished;
  window.SetItemText(kMessageLineId, kNoDepositText);
  window.EnableItem(kOkId, false);
  window.ShowItem(kCardEditId, false);
  window.FocusItem(kCancelId);
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

void KeepDepositUser(const char* user) {
  DepositUser = user == nullptr ? "" : user;
}

int32_t DepositDialogStart(DialogWindow& window, int32_t balanceCents) {
  BeginTransactionDialog(window, DepositState, kDepositNotMade);
  DepositBalance = balanceCents;
  CurrentRecord.AmountCents = balanceCents;
  if (HasStationDeposit()) return 1;
  OfferOnlyCancel(window);
  return 0;  // the focus is on Cancel already; 1 would move it to the hidden edit control
}

int32_t DepositDialogCommand(DialogWindow& window, int command) {
  switch (command) {
    case kOkId:
      return Ok(window);
    case kCancelId:
      return CancelTransactionDialog(window, DepositState);
    case kTickCommand:
      return TransactionTick(window, DepositState);
    default:
      return 0;
  }
}

int32_t DepositDialogWorkerFinished(DialogWindow& window, uint32_t serial) {
  return TransactionWorkerFinished(window, DepositState, serial);
}

int32_t DepositDialogClose(DialogWindow& window) {
  return CloseTransactionDialog(window, DepositState);
}

int32_t DepositDialogPicture() { return static_cast<int32_t>(PictureFor(DepositState.Step)); }

namespace {

const ModuleStateReset kResetDepositDialog{[] {
  DepositState = TransactionDialogState{};
  DepositBalance = 0;
  DepositUser = nullptr;
}};

}  // namespace
