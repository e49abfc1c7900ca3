#include "dialogs/charge_dialog.h"

#include "dialogs/card_text.h"
#include "settings/prompt_format.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"

namespace {

int32_t CardStep(DialogWindow& window, TransactionDialogState& state) {
  if (!ReadEntry(window, state)) return 0;
  const char* card = ExtractCardText(state.ScratchText);
  const bool accepted = MatchesCardPrefix(card, CurrentSettings.PrefixMatch);
  if (accepted) StoreCardNumber(card, state.Record);
  // What was typed or swiped is needed no more, neither in the control nor here.
  window.EraseItemText(IDC_CARD_ENTRY);
  SecureErase(state.ScratchText, sizeof state.ScratchText);
  if (!accepted) {
    state.Step = DialogStep::Finished;
    window.SetItemText(IDC_CARD_MESSAGE, kInvalidCardText);
    window.EnableItem(IDC_OK, false);
  } else {
    state.Step = DialogStep::Confirming;
    FormatAmountPrompt(CurrentSettings.ValidationPrompt, CentsToUnits(state.Record.AmountCents),
                       state.ScratchText, kScratchTextSize);
    window.SetItemText(IDC_CARD_MESSAGE, state.ScratchText);
    window.SetItemText(IDC_OK, kConfirmButtonText);
  }
  window.ShowItem(IDC_CARD_ENTRY, false);
  window.Redraw();
  return 0;
}

int32_t ConfirmStep(DialogWindow& window, TransactionDialogState& state) {
  if (!LaunchTransaction(window, state, TransactionKind::Charge)) window.Redraw();
  return 0;
}

int32_t CompletionStep(DialogWindow& window, TransactionDialogState& state) {
  if (CompleteTransaction(window, state, kChargeApproved) != Completion::Approved) return 0;
  state.EndCode = kChargeApproved;
  window.PostClose();
  return 1;
}

// OK runs the action of the step; an OK that reaches the dialog while its button is
// disabled (Running, Finished) finds none and does nothing.
int32_t Ok(DialogWindow& window, TransactionDialogState& state) {
  switch (state.Step) {
    case DialogStep::CardEntry:
      return CardStep(window, state);
    case DialogStep::Confirming:
      return ConfirmStep(window, state);
    case DialogStep::ResultReady:
      return CompletionStep(window, state);
    case DialogStep::AmountEntry:
    case DialogStep::Running:
    case DialogStep::Finished:
      break;
  }
  return 0;
}

}  // namespace

int32_t ChargeDialogStart(DialogWindow& window, TransactionDialogState& state, int32_t amountCents) {
  BeginTransactionDialog(window, state, kChargeNotApproved);
  state.Record.AmountCents = amountCents;
  window.ShowItem(IDC_CARD_MINI_ICON, false);
  window.ShowItem(IDC_CARD_EXIT_ICON, false);
  return 1;
}

int32_t ChargeDialogCommand(DialogWindow& window, TransactionDialogState& state, int command) {
  switch (command) {
    case IDC_OK:
      return Ok(window, state);
    case IDC_CANCEL:
      return CancelTransactionDialog(window, state);
    default:
      return 0;
  }
}

int32_t ChargeDialogPicture(const TransactionDialogState& state) {
  return static_cast<int32_t>(PictureFor(state.Step));
}
