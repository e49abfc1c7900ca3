#pragma once
// The configuration dialog (CONFIGURE template), in which an administrator edits the
// gateway settings, saves them, or runs one live test transaction. The dialog edits a
// copy of the settings in effect (URL, MerchantID, TerminalID, BatchNumber,
// MerchantCode, PrefixMatch): a value that passes its check goes into the copy, one that
// fails leaves the copy as it was. A Test sends its one request with the copy; Save
// writes the copy to the settings file and only then puts it into effect; Cancel and the
// close box drop it. The settings in effect change nowhere else, so a job still running
// never meets a half-changed value. Runs on the user-interface thread; a Test blocks it
// until the gateway has answered.
//
// End codes: 1 after Save and after the close box (which writes nothing), 0 after
// Cancel. Each handler returns what the dialog procedure returns to the system.
#include <cstdint>

#include "dialogs/dialog_window.h"
#include "dialogs/transaction_dialog.h"
#include "settings/settings.h"

// The dialog's own state, from WM_INITDIALOG to WM_DESTROY: SPMConfig keeps it on its
// stack and the dialog reaches it from its window. Record is the Test's.
struct ConfigureDialogState : DialogCardData {
  uintptr_t Owner;         // the window handed to SPMConfig (HWND): the dialog centres on it
  PluginSettings Edited;   // the copy the fields are checked into; Save puts it into effect
};

// Controls: the CONFIGURE template's (resources/resource_ids.h); Save is its IDC_OK.

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
// A Save whose write failed: the settings file's path and the error number as
// FormatErrorNumber gives it (records/file_errors.h), or, without a settings path, only
// the number (gateway/settings_file.h).
inline constexpr const char* kSaveFailedCaption = "Error";
inline constexpr const char* kSaveFailedFormat = "The settings could not be saved to %s (%s).";
inline constexpr const char* kSaveNoPathFormat = "The settings could not be saved (%s).";
// A number field left empty or holding what is not a number in its range: its name,
// the range. The field keeps what was typed, and nothing is saved or sent.
inline constexpr const char* kFieldRefusedCaption = "Error";
inline constexpr const char* kNumberFieldFormat = "%s takes a number from %ld to %ld.";
inline constexpr const char* kBatchNumberFieldName = "Batch number";
inline constexpr const char* kMerchantCodeFieldName = "Merchant category code";
// Added to the Test's box, on a line of its own, when a journal record could not be
// written: the line break when needed, the file's path, the error number.
inline constexpr const char* kJournalFailedFormat = "%sJournal: cannot write %s (%s)";
// The last lines of every Test's box: the line break when needed, the data folder, and
// the version.
inline constexpr const char* kDataFolderLineFormat = "%sData folder: %s";
inline constexpr const char* kVersionLineFormat = "\nPlug-in version %s";
// A data folder the plug-in cannot write in: the folder, the error number as
// FormatErrorNumber gives it. The Test sends nothing; Save has saved, and says so first.
inline constexpr const char* kDataFolderFaultFormat =
    "The data folder %s does not exist or cannot be written (%s): nothing can be "
    "sent until every user of the station may create and change files in it (see ADMIN.md, "
    "\"Installing\").";
inline constexpr const char* kSavedButFormat = "The settings were saved to %s.\n";
// The same place, when the month's journal file was held by another program and the
// records went to the side file named.
inline constexpr const char* kJournalSideFormat =
    "%sJournal: written to %s; the month's file is held by another program (%s)";

// WM_INITDIALOG: copies the settings in effect into the state, centres the dialog over
// the owner (or the screen) and shows the copy in controls 100 to 105, in that order (a
// refused number empty); 110 stays empty. Returns 1 so that the system focuses the
// first tab stop.
int ConfigureOnInit(DialogWindow& window, ConfigureDialogState& state);

// WM_COMMAND with the control id (the low word of wParam):
// - Save (1): the checks, then MerchantID is taken from 101 unchecked, the copy is
//   written to the settings file and put into effect, and the dialog ends with 1;
//   returns 1. Returns 0 when a check failed, or when a write failed: then the
//   system's box "Error" names the file and the error number, nothing takes effect,
//   and the dialog stays open with everything typed.
// - Test (111): the checks, then one test transaction with the copy, posted on this
//   thread and journaled; its outcome is shown in the system's message box, with the
//   gateway's certificate (dialogs/certificate_lines.h) when the exchange met one and a
//   last line when the journal could not be written, and the dialog stays open;
//   returns 0. The settings in effect are left alone. While the job of a charge or
//   deposit whose dialog was destroyed still runs, nothing is sent and the box says
//   "Error: An earlier transaction is still running." A number or data folder of the
//   settings file that was refused (settings/setting_checks.h) stops the Test before
//   any field is checked or anything is sent, with the same text a charge shows; so
//   does a data folder the plug-in cannot write in (ProbeDataFolder). Every box ends
//   with the on/off values not understood, the data folder and the plug-in's version.
//   After Save has written the settings, a data folder that cannot be written is named
//   in a box "Error" before the dialog ends.
// - Cancel (2): drops the copy, ends with 0; returns 1.
// - any other id: nothing; returns 0.
// The URL check takes the URL apart as the transport does (SplitGatewayUrl) and also
// wants a host; the number fields take what the settings file would load back
// (ParseSettingNumber), so an empty field is refused, never read as 0. A failed check
// of a text field beeps, one of a number field shows the system's box "Error" with
// kNumberFieldFormat; either moves the focus to its control. The values read before it
// are in the copy, the failing one is not.
int ConfigureOnCommand(DialogWindow& window, ConfigureDialogState& state, int id);

// WM_CLOSE: drops the copy, ends with 1 without writing anything; returns 1.
int ConfigureOnClose(DialogWindow& window, ConfigureDialogState& state);

// WM_DESTROY, however the dialog ended: the test account number is erased from the
// control, the Test's record and the dialog's text (EraseCardData; the Test's job
// erased its request and reply when it ended). Returns 0.
int ConfigureOnDestroy(DialogWindow& window, ConfigureDialogState& state);
