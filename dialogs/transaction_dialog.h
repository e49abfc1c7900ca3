#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "dialogs/dialog_window.h"
#include "gateway/exchange_job.h"
#include "gateway/request_message.h"
#include "gateway/transaction_record.h"

// What the charge and the deposit dialog share on the CARDPIN template: the state each
// keeps (reached from its window), reading the edit control, starting and watching the
// exchange job, the once-a-second poll with its progress dots, taking the finished reply
// apart and showing an error, the way out through WM_CLOSE, and erasing the card data
// at WM_DESTROY. The dialogs run on the user-interface thread, one at a time.
//
// A transaction, once started, is followed to its result: while the worker runs, or
// while its finished reply waits for the posted completion, neither Cancel (Escape) nor
// WM_CLOSE (the close box) ends the dialog, so the outcome of a charge that may have
// gone through is always shown, and no worker outlives its dialog to hand its result
// to the next one. The poll, and the worker's notice which brings the same news at
// once, read the status of this dialog's own job only, and its reply only after it has
// been seen finished.

// Where a charge or deposit dialog stands. OK runs the step's action:
//
//   step          charge                    deposit                   picture
//   CardEntry     card step                 card step                 card into reader
//   Confirming    confirm: start the sale   -                         keypad
//   AmountEntry   -                         amount step: start it     banknote
//   Running       nothing (buttons off)     nothing (buttons off)     keypad
//   ResultReady   completion                completion                red disc
//   Finished      nothing                   nothing                   red disc
//
// Running and ResultReady are "under way": Cancel and the close box only beep.
enum class DialogStep : int32_t {
  CardEntry,
  Confirming,
  AmountEntry,
  Running,      // job started; the poll watches its status
  ResultReady,  // the poll saw the worker finished and posted the completion
  Finished,     // result shown, card refused, or the transaction could not be started
};

// The pictures of the CARDIDLIST image list, by their image numbers.
enum class CardPicture : int32_t { CardIntoReader = 0, Keypad = 1, RedDisc = 2, Banknote = 3 };

// The picture control 200 shows at step.
CardPicture PictureFor(DialogStep step);

// GetDlgItemTextA buffer size for the edit control (255 characters at most).
inline constexpr unsigned kEntryReadSize = 256;

inline constexpr const char* kInProgressText = "Transaction in progress.";
inline constexpr const char* kTransactionErrorCaption = "Transaction error";
inline constexpr const char* kDeclinedFormat = "Transaction error:\n[%s] %s";
inline constexpr const char* kWorkerNotStartedText =
    "Error: The transaction could not be started.\nNothing was sent to the gateway.";
// The first line alone is what the configuration dialog's Test shows in its box.
inline constexpr char kEarlierWorkerRunningLine[] = "Error: An earlier transaction is still running.";
inline constexpr char kNothingSentLine[] = "Nothing was sent to the gateway.";

// first, a line feed, then second, as one constant text.
template <size_t FirstSize, size_t SecondSize>
constexpr std::array<char, FirstSize + SecondSize> JoinLines(const char (&first)[FirstSize],
                                                             const char (&second)[SecondSize]) {
  std::array<char, FirstSize + SecondSize> joined{};
  for (size_t i = 0; i + 1 < FirstSize; ++i) joined[i] = first[i];
  joined[FirstSize - 1] = '\n';
  for (size_t i = 0; i < SecondSize; ++i) joined[FirstSize + i] = second[i];
  return joined;
}
inline constexpr auto kEarlierWorkerRunningLines = JoinLines(kEarlierWorkerRunningLine, kNothingSentLine);
inline constexpr const char* kEarlierWorkerRunningText = kEarlierWorkerRunningLines.data();

// A dialog's text buffer: it reads the edit control into it and formats every text it
// shows there. Each use overwrites the last.
inline constexpr size_t kScratchTextSize = 1024;

// What a dialog holds that may carry the card number: the record its request is built
// from and its text buffer. Lives with the dialog's state; EraseCardData erases it.
struct DialogCardData {
  TransactionRecord Record;
  char ScratchText[kScratchTextSize];
};

// One charge or deposit dialog's own state, from WM_INITDIALOG to WM_DESTROY.
struct TransactionDialogState : DialogCardData {
  DialogStep Step;
  int32_t TickCount;  // polls that found the job busy
  int32_t EndCode;    // what WM_CLOSE passes to EndDialog
  ExchangeJob* Job;   // the exchange this dialog started, until it leaves it at its end
};

// Amount in cents as shown to the user: cents times the single-precision 0.01f, the
// product formed in double precision (exact below 22369622 cents in magnitude).
double CentsToUnits(int32_t cents);

// Start of either dialog (WM_INITDIALOG): card entry, no ticks, the given end code; SwipePrompt into the message line and TitlePrompt as the caption when
// they are not empty; focus on the edit control; the dialog timer started.
void BeginTransactionDialog(DialogWindow& window, TransactionDialogState& dialog,
                            int32_t initialEndCode);

// Reads the edit control into the dialog's ScratchText (at most 255 characters). When
// it is empty, gives the control the focus back and returns false.
bool ReadEntry(DialogWindow& window, TransactionDialogState& dialog);

// Claims the exchange job, fills the dialog's Record (CardNumber and
// AmountCents already set), builds the job's body, journals "sending", disables OK and
// Cancel, shows "Transaction in progress.", watches the job and starts it: the dialog
// is Running. When it cannot start, or the job of an earlier dialog has not finished
// yet (then nothing is filled and no sequence number is used), shows an "Error:" text
// with Cancel enabled and the dialog is Finished. Returns whether the job runs.
bool LaunchTransaction(DialogWindow& window, TransactionDialogState& dialog,
                       TransactionKind kind);

// Every WM_TIMER. With this dialog's job running: finished moves to ResultReady and
// posts OK for the completion; busy advances the progress dots; idle (the worker not
// yet begun) does nothing. Returns 0.
int32_t TransactionTick(DialogWindow& window, TransactionDialogState& dialog);

// The worker's notice that job has finished: the same as the poll that sees it
// finished, at once. Ignored unless job is this dialog's running job. Returns 0.
int32_t TransactionJobFinished(DialogWindow& window, TransactionDialogState& dialog,
                               const ExchangeJob* job);

enum class Completion {
  NotDue,    // no finished reply is waiting: nothing was done
  Shown,     // transport error or refusal shown, Cancel enabled
  Approved,  // the gateway answered "00"; the caller books it and closes
};

// OK while a finished reply waits (ResultReady): the dialog is Finished; classifies the
// job's result and journals the outcome, with approvedEndCode for an approval (none when
// a booking is still to come) and the dialog's end code otherwise. A transport error is
// shown unchanged, a refusal as "Transaction error:\n[code] message", both with the
// caption "Transaction error" and Cancel enabled again, then redrawn. An approval is not
// redrawn: the caller closes the dialog, or redraws before it shows anything more.
Completion CompleteTransaction(DialogWindow& window, TransactionDialogState& dialog,
                               std::optional<int32_t> approvedEndCode);

// Caption "Transaction error", text in the message line, Cancel enabled.
void ShowTransactionError(DialogWindow& window, const char* text);

// Cancel (also Escape): posts WM_CLOSE, or beeps while the transaction is under way.
// Returns 1.
int32_t CancelTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog);

// WM_CLOSE: kills the timer and ends the dialog with its end code, or beeps and stays
// open while the transaction is under way. Returns 1.
int32_t CloseTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog);

// WM_DESTROY of either dialog, however it ended (WM_CLOSE, or destroyed by its owner
// while it ran): the dialog leaves its job and the card data is erased. A result that
// had reached the dialog but was not completed is journaled as abandoned first, and the
// job released; a job still running is its own from now on. Returns 0.
int32_t EndTransactionDialog(DialogWindow& window, TransactionDialogState& dialog);

// Erases a dialog's copies of the card number and track data: the entry control
// entryId, the Record's CardNumber and the ScratchText. (A job erases its own.)
void EraseCardData(DialogWindow& window, int entryId, DialogCardData& data);
