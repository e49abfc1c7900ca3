#include "dialogs/transaction_dialog.h"

#include <cstdio>
#include <cstring>

#include "dialogs/not_sent_text.h"
#include "gateway/exchange_journal.h"
#include "gateway/exchange_outcome.h"
#include "gateway/reply_parser.h"
#include "gateway/write_ahead.h"
#include "records/journal.h"
#include "settings/secure_erase.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

namespace {

constexpr float kCentsToUnits = 0.01f;
constexpr int32_t kProgressDotCycle = 10;

// The finished job's result is taken: the completion is posted as OK, so that it runs
// through the same handler as the user's press, after this handler has returned.
void TakeFinishedJob(DialogWindow& window, TransactionDialogState& dialog) {
  dialog.Step = DialogStep::ResultReady;
  window.PostCommand(IDC_OK);
}

bool JobFinished(const TransactionDialogState& dialog) {
  return dialog.Job->Status.load(std::memory_order_acquire) == kJobFinished;
}

bool TransactionUnderWay(const TransactionDialogState& dialog) {
  return dialog.Step == DialogStep::Running || dialog.Step == DialogStep::ResultReady;
}

void FailToStart(DialogWindow& window, TransactionDialogState& dialog, const char* text) {
  dialog.Step = DialogStep::Finished;
  window.EnableItem(IDC_OK, false);
  ShowTransactionError(window, text);
}

}  // namespace

CardPicture PictureFor(DialogStep step) {
  switch (step) {
    case DialogStep::CardEntry:
      return CardPicture::CardIntoReader;
    case DialogStep::Confirming:
    case DialogStep::Running:
      return CardPicture::Keypad;
    case DialogStep::AmountEntry:
      return CardPicture::Banknote;
    case DialogStep::ResultReady:
    case DialogStep::Finished:
      break;
  }
  return CardPicture::RedDisc;
}

double CentsToUnits(int32_t cents) {
  return static_cast<double>(cents) * static_cast<double>(kCentsToUnits);
}

void BeginTransactionDialog(DialogWindow& window, TransactionDialogState& dialog,
                            int32_t initialEndCode) {
  dialog.Step = DialogStep::CardEntry;
  dialog.TickCount = 0;
  dialog.EndCode = initialEndCode;
  if (CurrentSettings.SwipePrompt[0] != '\0') {
    window.SetItemText(IDC_CARD_MESSAGE, CurrentSettings.SwipePrompt);
  }
  if (CurrentSettings.TitlePrompt[0] != '\0') window.SetCaption(CurrentSettings.TitlePrompt);
  window.FocusItem(IDC_CARD_ENTRY);
  window.StartTimer();
}

bool ReadEntry(DialogWindow& window, TransactionDialogState& dialog) {
  if (window.GetItemText(IDC_CARD_ENTRY, dialog.ScratchText, kEntryReadSize) > 0) return true;
  window.FocusItem(IDC_CARD_ENTRY);
  return false;
}

bool LaunchTransaction(DialogWindow& window, TransactionDialogState& dialog,
                       TransactionKind kind) {
  char* const text = dialog.ScratchText;
  TransactionRecord& record = dialog.Record;
  ExchangeJob* job = ClaimExchangeJob();
  if (job == nullptr) {
    FailToStart(window, dialog, kEarlierWorkerRunningText);
    return false;
  }
  // Before a sequence number is used: a batch or code nobody chose must not go out.
  if (SettingsRefuseSending(text, kScratchTextSize)) {
    ReleaseExchangeJob(*job);
    FailToStart(window, dialog, text);
    return false;
  }
  FillTransaction(record, kind);
  // On disk before the request can leave: even a crash from here on leaves the number
  // used up and the "sending" line written.
  const WriteAhead gate = TakeNumberAndRecordSending(record, kind, job->Entry);
  if (!gate.MaySend()) {
    FormatNotSent(gate, record.BatchNumber, text, kScratchTextSize);
    JournalNotSent(job->Entry, text, dialog.EndCode);
    ReleaseExchangeJob(*job);
    FailToStart(window, dialog, text);
    return false;
  }
  BuildRequest(record, job->Body);
  window.EnableItem(IDC_OK, false);
  window.EnableItem(IDC_CANCEL, false);
  window.SetItemText(IDC_CARD_MESSAGE, kInProgressText);
  window.WatchJob(*job);
  if (!StartExchangeJob(*job)) {
    JournalNotSent(job->Entry, kWorkerNotStartedText, dialog.EndCode);
    ReleaseExchangeJob(*job);
    FailToStart(window, dialog, kWorkerNotStartedText);
    return false;
  }
  dialog.Job = job;
  dialog.Step = DialogStep::Running;
  return true;
}

int32_t TransactionTick(DialogWindow& window, TransactionDialogState& dialog) {
  if (dialog.Step != DialogStep::Running) return 0;
  const int32_t status = dialog.Job->Status.load(std::memory_order_acquire);
  if (status == kJobFinished) {
    TakeFinishedJob(window, dialog);
  } else if (status != kJobIdle) {
    ++dialog.TickCount;
    const size_t base = std::strlen(kInProgressText);
    const size_t dots = static_cast<size_t>(dialog.TickCount % kProgressDotCycle);
    std::memcpy(dialog.ScratchText, kInProgressText, base);
    std::memset(dialog.ScratchText + base, '.', dots);
    dialog.ScratchText[base + dots] = '\0';
    window.SetItemText(IDC_CARD_MESSAGE, dialog.ScratchText);
  }
  return 0;
}

int32_t TransactionJobFinished(DialogWindow& window, TransactionDialogState& dialog,
                               const ExchangeJob* job) {
  if (dialog.Step != DialogStep::Running || job != dialog.Job) return 0;
  if (JobFinished(dialog)) TakeFinishedJob(window, dialog);
  return 0;
}

Completion CompleteTransaction(DialogWindow& window, TransactionDialogState& dialog,
                              std::optional<int32_t> approvedEndCode) {
  if (dialog.Step != DialogStep::ResultReady) return Completion::NotDue;
  dialog.Step = DialogStep::Finished;
  const ExchangeJob& job = *dialog.Job;
  GatewayResponse response{};
  const ExchangeOutcome outcome = ClassifyExchange(job.Result, job.Reply, response);
  const bool approved = outcome == ExchangeOutcome::Approved;
  // Anything but an approval leaves the user only Cancel, which ends with the code as it is.
  JournalOutcome(job.Entry, job.Result, job.Reply, approved ? approvedEndCode : dialog.EndCode);
  if (approved) return Completion::Approved;
  if (ReplyShownAsText(job.Result, job.Reply)) {
    ShowTransactionError(window, job.Reply);
  } else {
    std::snprintf(dialog.ScratchText, kScratchTextSize, kDeclinedFormat, response.ResponseCode,
                  response.ResponseMessage);
    ShowTransactionError(window, dialog.ScratchText);
  }
  // Painted only for a dialog that stays open: under Wine a repaint takes about 3 ms,
  // which an approved charge would spend before closing.
  window.Redraw();
  return Completion::Shown;
}

void ShowTransactionError(DialogWindow& window, const char* text) {
  window.SetCaption(kTransactionErrorCaption);
  window.SetItemText(IDC_CARD_MESSAGE, text);
  window.EnableItem(IDC_CANCEL, true);
}

int32_t CancelTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog) {
  if (TransactionUnderWay(dialog)) {
    window.Beep();
  } else {
    window.PostClose();
  }
  return 1;
}

int32_t CloseTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog) {
  if (TransactionUnderWay(dialog)) {
    window.Beep();
    return 1;
  }
  window.StopTimer();
  window.End(dialog.EndCode);
  return 1;
}

int32_t EndTransactionDialog(DialogWindow& window, TransactionDialogState& dialog) {
  ExchangeJob* job = dialog.Job;
  dialog.Job = nullptr;
  if (job != nullptr && LeaveExchangeJob(*job)) {
    // Destroyed by its owner after the job had finished but before the completion ran:
    // the result, and its journal record, were left to this dialog.
    if (dialog.Step == DialogStep::Running || dialog.Step == DialogStep::ResultReady) {
      JournalAbandonedOutcome(job->Entry, job->Result, job->Reply);
    }
    ReleaseExchangeJob(*job);
  }
  EraseCardData(window, IDC_CARD_ENTRY, dialog);
  return 0;
}

void EraseCardData(DialogWindow& window, int entryId, DialogCardData& data) {
  window.EraseItemText(entryId);
  SecureErase(data.Record.CardNumber, sizeof data.Record.CardNumber);
  SecureErase(data.ScratchText, sizeof data.ScratchText);
}
