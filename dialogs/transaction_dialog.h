#pragma once
#include <cstdint>

#include "dialogs/dialog_window.h"
#include "gateway/request_message.h"

// What the charge and the deposit dialog share on the CARDPIN template: the module-wide
// variables each keeps, reading the edit control, starting the gateway worker, the
// once-a-second poll with its progress dots, taking the finished reply apart and
// showing an error, and the way out through WM_CLOSE. Each dialog keeps its own
// instance of TransactionDialogState; the dialogs run on the user-interface thread, one
// at a time.
//
// A transaction, once started, is followed to its result: while the worker runs, or
// while its finished reply waits for the posted completion, neither Cancel (Escape) nor
// WM_CLOSE (the close box) ends the dialog, so the outcome of a charge that may have
// gone through is always shown, and no worker outlives its dialog to hand its result
// to the next one. The poll reads WorkerStatus only while this dialog's own worker is
// running, and ReplyBuffer only after the poll has seen it finished.

// Dialog states; the state is also the number of the picture drawn in control 200.
inline constexpr int32_t kCardEntryState = 0;
inline constexpr int32_t kConfirmState = 1;   // charge: confirming, then running; deposit: running
inline constexpr int32_t kFinishedState = 2;
inline constexpr int32_t kAmountEntryState = 3;  // deposit only

// GetDlgItemTextA buffer size for the edit control (255 characters at most).
inline constexpr unsigned kEntryReadSize = 256;

inline constexpr const char* kInProgressText = "Transaction in progress.";
inline constexpr const char* kTransactionErrorCaption = "Transaction error";
inline constexpr const char* kDeclinedFormat = "Transaction error:\n[%s] %s";
inline constexpr const char* kWorkerNotStartedText =
    "Error: The transaction could not be started.\nNothing was sent to the gateway.";
inline constexpr const char* kEarlierWorkerRunningText =
    "Error: An earlier transaction is still running.\nNothing was sent to the gateway.";

enum class TransactionPhase : int32_t {
  Idle,         // nothing started by this dialog
  Running,      // worker started; the poll watches WorkerStatus
  ResultReady,  // the poll saw the worker finished and posted the completion
  Finished,     // result shown, or the transaction could not be started
};

struct TransactionDialogState {
  int32_t State;      // picture number, see above
  int32_t TickCount;  // polls that found the worker busy
  int32_t EndCode;    // what WM_CLOSE passes to EndDialog
  TransactionPhase Phase;
};

// Amount in cents as shown to the user: cents times the single-precision 0.01f, the
// product formed in double precision (exact below 22369622 cents in magnitude).
double CentsToUnits(int32_t cents);

// Start of either dialog (WM_INITDIALOG): state 0, no ticks, the given end code, no
// transaction; SwipePrompt into the message line and TitlePrompt as the caption when
// they are not empty; focus on the edit control; the dialog timer started.
void BeginTransactionDialog(DialogWindow& window, TransactionDialogState& dialog,
                            int32_t initialEndCode);

// Reads the edit control into ScratchText (at most 255 characters). When it is empty,
// gives the control the focus back and returns false.
bool ReadEntry(DialogWindow& window);

// Fills the sale fields of CurrentRecord (CardNumber and AmountCents already set),
// builds FormBody, disables OK and Cancel, shows "Transaction in progress." and starts
// the worker. Returns true when it runs. When it cannot start, or a worker of an
// earlier dialog has not finished yet (then nothing is filled and no sequence number is
// used), shows an "Error:" text with Cancel enabled, marks the transaction finished and
// returns false; the caller moves to kFinishedState.
bool LaunchTransaction(DialogWindow& window, TransactionDialogState& dialog,
                       TransactionKind kind);

// Command 999, posted by every WM_TIMER. With this dialog's worker running: finished
// (-1) resets WorkerStatus to 0, moves to kFinishedState and posts OK for the
// completion; busy advances the progress dots; idle (0, the worker not yet begun) does
// nothing. Returns 1.
int32_t TransactionTick(DialogWindow& window, TransactionDialogState& dialog);

enum class Completion {
  NotDue,    // no finished reply is waiting: nothing was done
  Shown,     // transport error or refusal shown, Cancel enabled
  Approved,  // the gateway answered "00"; the caller books it and closes
};

// OK while a finished reply waits: redraws, then classifies ReplyBuffer. A transport
// error is shown unchanged, a refusal as "Transaction error:\n[code] message", both
// with the caption "Transaction error" and Cancel enabled again.
Completion CompleteTransaction(DialogWindow& window, TransactionDialogState& dialog);

// Caption "Transaction error", text in the message line, Cancel enabled.
void ShowTransactionError(DialogWindow& window, const char* text);

// Cancel (also Escape): posts WM_CLOSE, or beeps while the transaction is under way.
// Returns 1.
int32_t CancelTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog);

// WM_CLOSE: kills the timer and ends the dialog with its end code, or beeps and stays
// open while the transaction is under way. Returns 1.
int32_t CloseTransactionDialog(DialogWindow& window, const TransactionDialogState& dialog);

// True while a started worker has not been seen finished by a poll.
bool GatewayWorkerOutstanding();
