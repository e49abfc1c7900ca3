#include "dialogs/charge_dialog.h"

#include "dialogs/card_text.h"
#include "dialogs/scratch_text.h"
#include "gateway/transaction_record.h"
#include "settings/module_state.h"
#include "settings/prompt_format.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"

TransactionDialogState ChargeState;

namespace {

int32_t CardStep(DialogWindow& window) {
  if (!ReadEntry(window)) return 0;
  const char* card = ExtractCardText(ScratchText);
  const bool accepted = MatchesCardPrefix(card, CurrentSettings.PrefixMatch);
  if (accepted) StoreCardNumber(card, CurrentRecord);
  // What was typed or swiped is needed no more, neither in the control nor here.
  window.EraseItemText(kCardEditId);
  SecureErase(ScratchText, sizeof ScratchText);
  if (!accepted) {
    ChargeState.Step = DialogStep::Finished;
    window.SetItemText(kMessageLineId, kInvalidCardText);
    window.EnableItem(kOkId, false);
  } else {
    ChargeState.Step = DialogStep::Confirming;
    FormatAmountPrompt(CurrentSettings.ValidationPrompt, CentsToUnits(CurrentRecord.AmountCents),
                       ScratchText, kScratchTextSize);
    window.SetItemText(kMessageLineId, ScratchText);
    window.SetItemText(kOkId, kConfirmButtonText);
  }
  window.ShowItem(kCardEditId, false);
  window.Redraw();
  return 0;
}

int32_t ConfirmStep(DialogWindow& window) {
  if (!LaunchTransaction(window, ChargeState, TransactionKind::Charge)) window.Redraw();
  return 0;
}

int32_t CompletionStep(DialogWindow& window) {
  if (CompleteTransaction(window, ChargeState, kChargeApproved) != Completion::Approved) return 0;
  ChargeState.EndCode = kChargeApproved;
  window.PostClose();
  return 1;
}

// OK runs the action of the step; an OK that reaches the dialog while its button is
// disabled (Running, Finished) finds none and does nothing.
int32_t Ok(DialogWindow& window) {
  switch (ChargeState.Step) {
    case DialogStep::CardEntry:
      return CardStep(window);
    case DialogStep::Confirming:
      return ConfirmStep(window);
    case DialogStep::ResultReady:
      return CompletionStep(window);
    case DialogStep::AmountEntry:
    case DialogStep::Running:
    case DialogStep::Finished:
      break;
  }
  return 0;
}

}  // namespace

int32_t ChargeDialogStart(DialogWindow& window, int32_t amountCents) {
  BeginTransactionDialog(window, ChargeState, kChargeNotApproved);
  CurrentRecord.AmountCents = amountCents;
  window.ShowItem(kMiniIconId, false);
  window.ShowItem(kExitIconId, false);
  return 1;
}

int32_t ChargeDialogCommand(DialogWindow& window, int command) {
  switch (command) {
    case kOkId:
      return Ok(window);
    case kCancelId:
      return CancelTransactionDialog(window, ChargeState);
    case kTickCommand:
      return TransactionTick(window, ChargeState);
    default:
      return 0;
  }
}

int32_t ChargeDialogWorkerFinished(DialogWindow& window, uint32_t serial) {
  return TransactionWorkerFinished(window, ChargeState, serial);
}

int32_t ChargeDialogClose(DialogWindow& window) { return CloseTransactionDialog(window, ChargeState); }

int32_t ChargeDialogPicture() { return static_cast<int32_t>(PictureFor(ChargeState.Step)); }

namespace {

const ModuleStateReset kResetChargeDialog{[] { ChargeState = TransactionDialogState{}; }};

}  // namespace
