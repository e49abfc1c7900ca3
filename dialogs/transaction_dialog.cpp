#include "dialogs/transaction_dialog.h"

#include <cstdio>
#include <cstring>

#include "dialogs/not_sent_text.h"
#include "dialogs/scratch_text.h"
#include "gateway/journal.h"
#include "gateway/reply_parser.h"
#include "gateway/transaction_record.h"
#include "gateway/transport.h"
#include "gateway/worker.h"
#include "gateway/write_ahead.h"
#include "settings/module_state.h"
#include "settings/secure_erase.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

namespace {

constexpr float kCentsToUnits = 0.01f;
constexpr int32_t kProgressDotCycle = 10;

// Set when a worker starts, cleared when a poll sees it finished. Shared by both
// dialogs: a worker whose dialog went away without WM_CLOSE (destroyed by its owner)
// still owns FormBody and ReplyBuffer until it ends.
bool WorkerOutstanding = false;

const ModuleStateReset kResetWorkerOutstanding{[] { WorkerOutstanding = false; }};

// True when no worker can still write FormBody or ReplyBuffer.
bool WorkerBuffersFree() {
  return !WorkerOutstanding || WorkerStatus.load(std::memory_order_acquire) == kWorkerFinished;
}

// True when no earlier worker can still write ReplyBuffer; a finished one nobody
// polled has its result thrown away here.
bool ClaimWorkerSlot() {
  if (!WorkerBuffersFree()) return false;
  if (WorkerOutstanding) {
    SecureErase(ReplyBuffer, sizeof ReplyBuffer);
    WorkerStatus.store(kWorkerIdle, std::memory_order_relaxed);
    WorkerOutstanding = false;
  }
  return true;
}

// The finished worker's result is taken: the completion is posted as OK.
void TakeFinishedWorker(DialogWindow& window, TransactionDialogState& dialog) {
  WorkerStatus.store(kWorkerIdle, std::memory_order_relaxed);
  WorkerOutstanding = false;
  dialog.Step = DialogStep::ResultReady;
  window.PostCommand(kOkId);
}

bool TransactionUnderWay(const TransactionDialogState& dialog) {
  return dialog.Step == DialogStep::Running || dialog.Step == DialogStep::ResultReady;
}

void FailToStart(DialogWindow& window, TransactionDialogState& dialog, const char* text) {
  dialog.Step = DialogStep::Finished;
  window.EnableItem(kOkId, false);
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
    window.SetItemText(kMessageLineId, CurrentSettings.SwipePrompt);
  }
  if (CurrentSettings.TitlePrompt[0] != '\0') window.SetCaption(CurrentSettings.TitlePrompt);
  window.FocusItem(kCardEditId);
  window.StartTimer();
}

bool ReadEntry(DialogWindow& window) {
  if (window.GetItemText(kCardEditId, ScratchText, kEntryReadSize) > 0) return true;
  window.FocusItem(kCardEditId);
  return false;
}

bool LaunchTransaction(DialogWindow& window, TransactionDialogState& dialog,
                       TransactionKind kind) {
  if (!ClaimWorkerSlot()) {
    FailToStart(window, dialog, kEarlierWorkerRunningText);
    return false;
  }
  // Before a sequence number is used: a batch or code nobody chose must not go out.
  if (SettingsRefuseSending(ScratchText, kScratchTextSize)) {
    FailToStart(window, dialog, ScratchText);
    return false;
  }
  FillTransaction(CurrentRecord, kind);
  // On disk before the request can leave: even a crash from here on leaves the number
  // used up and the "sending" line written.
  const WriteAhead gate = TakeNumberAndRecordSending(CurrentRecord, kind, WorkerJournalEntry);
  if (!gate.MaySend()) {
    FormatNotSent(gate, CurrentRecord.BatchNumber, ScratchText, kScratchTextSize);
    JournalNotSent(WorkerJournalEntry, ScratchText, dialog.EndCode);
    FailToStart(window, dialog, ScratchText);
    return false;
  }
  BuildRequest(CurrentRecord, FormBody);
  window.EnableItem(kOkId, false);
  window.EnableItem(kCancelId, false);
  window.SetItemText(kMessageLineId, kInProgressText);
  dialog.WorkerSerial = window.WatchWorker();
  if (!StartGatewayWorker()) {
    StopWatchingWorker();
    SecureErase(FormBody, sizeof FormBody);
    JournalNotSent(WorkerJournalEntry, kWorkerNotStartedText, dialog.EndCode);
    FailToStart(window, dialog, kWorkerNotStartedText);
    return false;
  }
  WorkerOutstanding = true;
  dialog.Step = DialogStep::Running;
  return true;
}

int32_t TransactionTick(DialogWindow& window, TransactionDialogState& dialog) {
  if (dialog.Step != DialogStep::Running) return 1;
  const int32_t status = WorkerStatus.load(std::memory_order_acquire);
  if (status == kWorkerFinished) {
    TakeFinishedWorker(window, dialog);
  } else if (status != kWorkerIdle) {
    ++dialog.TickCount;
    const size_t base = std::strlen(kInProgressText);
    const size_t dots = static_cast<size_t>(dialog.TickCount % kProgressDotCycle);
    std::memcpy(ScratchText, kInProgressText, base);
    std::memset(ScratchText + base, '.', dots);
    ScratchText[base + dots] = '\0';
    window.SetItemText(kMessageLineId, ScratchText);
  }
  return 1;
}

int32_t TransactionWorkerFinished(DialogWindow& window, TransactionDialogState& dialog,
                                  uint32_t serial) {
  if (dialog.Step != DialogStep::Running || serial != dialog.WorkerSerial) return 0;
  if (WorkerStatus.load(std::memory_order_acquire) == kWorkerFinished) {
    TakeFinishedWorker(window, dialog);
  }
  return 0;
}

Completion CompleteTransaction(DialogWindow& window, TransactionDialogState& dialog,
                              std::optional<int32_t> approvedEndCode) {
  if (dialog.Step != DialogStep::ResultReady) return Completion::NotDue;
  dialog.Step = DialogStep::Finished;
  window.Redraw();
  const ReplyKind kind = ClassifyReply(ReplyBuffer, CurrentResponse);
  // Anything but an approval leaves the user only Cancel, which ends with the code as it is.
  JournalOutcome(WorkerJournalEntry, ReplyBuffer,
                 kind == ReplyKind::Approved ? approvedEndCode : dialog.EndCode);
  switch (kind) {
    case ReplyKind::Approved:
      return Completion::Approved;
    case ReplyKind::TransportError:
      ShowTransactionError(window, ReplyBuffer);
      return Completion::Shown;
    case ReplyKind::NotApproved:
      break;
  }
  std::snprintf(ScratchText, kScratchTextSize, kDeclinedFormat, CurrentResponse.ResponseCode,
                CurrentResponse.ResponseMessage);
  ShowTransactionError(window, ScratchText);
  return Completion::Shown;
}

void ShowTransactionError(DialogWindow& window, const char* text) {
  window.SetCaption(kTransactionErrorCaption);
  window.SetItemText(kMessageLineId, text);
  window.EnableItem(kCancelId, true);
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

int32_t EndTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog) {
  const bool resultReachedUs = StopWatchingWorker();
  // Destroyed by its owner after its worker had finished but before the completion ran:
  // the worker left the result, and its journal record, to this dialog.
  if (dialog.Step == DialogStep::ResultReady || (dialog.Step == DialogStep::Running && resultReachedUs)) {
    JournalAbandonedOutcome(WorkerJournalEntry, ReplyBuffer);
  }
  EraseCardData(window, kCardEditId);
  return 0;
}

void EraseCardData(DialogWindow& window, int entryId) {
  window.EraseItemText(entryId);
  SecureErase(CurrentRecord.CardNumber, sizeof CurrentRecord.CardNumber);
  SecureErase(ScratchText, sizeof ScratchText);
  // A worker still running owns these; it erases them itself when it ends unwatched.
  if (WorkerBuffersFree()) {
    SecureErase(FormBody, sizeof FormBody);
    SecureErase(ReplyBuffer, sizeof ReplyBuffer);
  }
}

bool GatewayWorkerOutstanding() { return WorkerOutstanding; }
