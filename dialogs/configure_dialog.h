#pragma once
// The configuration dialog (CONFIGURE template), in which an administrator edits the
// gateway settings, saves them, or runs one live test transaction. It keeps no state
// of its own: every control value that passes its check goes into the module-wide
// value behind it (CurrentSettings.URL and .PrefixMatch; MerchantID, TerminalID,
// BatchNumber, MerchantCode and, for a test, CardNumber of CurrentRecord), where it
// stays in effect for later charges and deposits whether or not the dialog is then
// saved; a value that fails its check leaves the value in effect as it was. Only Save
// writes the settings file. Runs on the user-interface thread; a Test blocks it until
// the gateway has answered.
//
// End codes: 1 after Save and after the close box (which writes nothing), 0 after
// Cancel. Each handler returns what the dialog procedure returns to the system.
#include "dialogs/dialog_window.h"

// Controls of the CONFIGURE template. Save is the template's OK (kOkId), Cancel kCancelId.
inline constexpr int kConfigUrlId = IDC_CONFIG_URL;
inline constexpr int kConfigMerchantIdId = IDC_CONFIG_MERCHANT_ID;
inline constexpr int kConfigTerminalIdId = IDC_CONFIG_TERMINAL_ID;
inline constexpr int kConfigBatchNumberId = IDC_CONFIG_BATCH_NUMBER;
inline constexpr int kConfigMerchantCodeId = IDC_CONFIG_MERCHANT_CODE;
inline constexpr int kConfigPrefixMatchId = IDC_CONFIG_PREFIX_MATCH;
inline constexpr int kConfigAccountNumberId = IDC_CONFIG_ACCOUNT_NUMBER;
inline constexpr int kConfigTestId = IDC_CONFIG_TEST;

// Read counts (GetDlgItemTextA buffer sizes): a longer text is cut to count - 1.
inline constexpr unsigned kConfigUrlReadCount = 255;
inline constexpr unsigned kConfigIdReadCount = 29;  // merchant id and terminal id
inline constexpr unsigned kConfigPrefixReadCount = 64;
inline constexpr unsigned kConfigAccountReadCount = 79;

inline constexpr int kConfigSavedEndCode = 1;
inline constexpr int kConfigClosedEndCode = 1;
inline constexpr int kConfigCancelledEndCode = 0;

inline constexpr const char* kTestResultFormat = "Response Code: %s\nMessage: %s";
inline constexpr const char* kTestApprovedCaption = "Success!";
inline constexpr const char* kTestErrorCaption = "Error";
// A Save whose write failed: the settings file's path and the system's error number,
// or, without a settings path, only the number (gateway/settings_file.h).
inline constexpr const char* kSaveFailedCaption = "Error";
inline constexpr const char* kSaveFailedFormat = "The settings could not be saved to %s (error %lu).";
inline constexpr const char* kSaveNoPathFormat =
    "The settings could not be saved: the plug-in's path is too long to name a settings file "
    "beside it (error %lu).";
// Added to the Test's box, on a line of its own, when a journal record could not be
// written: the line break when needed, the file's path, the system's error number.
inline constexpr const char* kJournalFailedFormat = "%sJournal: cannot write %s (error %lu)";
// The same place, when the month's journal file was held by another program and the
// records went to the side file named.
inline constexpr const char* kJournalSideFormat =
    "%sJournal: written to %s; the month's file is held by another program (error %lu)";

// WM_INITDIALOG: centres the dialog over the owner (or the screen) and shows the
// values in effect in controls 100 to 105, in that order; 110 stays empty. Returns 1
// so that the system focuses the first tab stop.
int ConfigureOnInit(DialogWindow& window);

// WM_COMMAND with the control id (the low word of wParam):
// - Save (1): the checks, then MerchantID is taken from 101 unchecked, the settings are
//   written and the dialog ends with 1; returns 1. Returns 0 when a check failed, or
//   when a write failed: then the system's box "Error" names the file and the error
//   number, and the dialog stays open with everything typed.
// - Test (111): the checks, then one test transaction posted on this thread and
//   journaled; its outcome is shown in the system's message box, with the gateway's
//   certificate (dialogs/certificate_lines.h) when the exchange met one and a last line
//   when the journal could not be written, and the dialog stays open; returns 0. While
//   a charge or deposit worker whose dialog was destroyed still runs, nothing is sent
//   and the box says "Error: An earlier transaction is still running."
// - Cancel (2): ends with 0; returns 1.
// - any other id: nothing; returns 0.
// The URL check takes the URL apart as the transport does (SplitGatewayUrl) and also
// wants a host. A failed check beeps, moves the focus to its control and shows no
// text; the values read before it are in effect, the failing one is not.
int ConfigureOnCommand(DialogWindow& window, int id);

// WM_CLOSE: ends with 1 without writing anything; returns 1.
int ConfigureOnClose(DialogWindow& window);

// WM_DESTROY, however the dialog ended: the test account number is erased from the
// control and from memory, with the request and reply that carried it (see
// EraseCardData). Returns 0.
int ConfigureOnDestroy(DialogWindow& window);
