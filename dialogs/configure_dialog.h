#pragma once
// The configuration dialog (CONFIGURE template), in which an administrator edits the
// gateway settings, saves them, or runs one live test transaction. Every settings value
// that passes its check goes into CurrentSettings (URL, MerchantID, TerminalID,
// BatchNumber, MerchantCode, PrefixMatch), where a Test uses it; the test account number
// goes into the Test's own record in the dialog's state. A value that fails its check
// leaves the value in effect as it was. Save writes the settings file and keeps what it
// wrote; Cancel and the close box put back the values the dialog opened with. Runs on
// the user-interface thread; a Test blocks it until the gateway has answered.
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
  uintptr_t Owner;            // the window handed to SPMConfig (HWND): the dialog centres on it
  PluginSettings OpenedWith;  // in effect when the dialog opened; Cancel puts it back
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
// The last lines of every Test's box: the line break when needed, the data folder, and
// the version.
inline constexpr const char* kDataFolderLineFormat = "%sData folder: %s";
inline constexpr const char* kVersionLineFormat = "\nPlug-in version %s";
// A data folder the plug-in cannot write in: the folder, the error number. The Test
// sends nothing; Save has saved, and says so first.
inline constexpr const char* kDataFolderFaultFormat =
    "The data folder %s does not exist or cannot be written (error %lu): nothing can be "
    "sent until every user of the station may create and change files in it (see ADMIN.md, "
    "\"Installing\").";
inline constexpr const char* kSavedButFormat = "The settings were saved to %s.\n";
// The same place, when the month's journal file was held by another program and the
// records went to the side file named.
inline constexpr const char* kJournalSideFormat =
    "%sJournal: written to %s; the month's file is held by another program (error %lu)";

// WM_INITDIALOG: remembers the values in effect, centres the dialog over the owner (or
// the screen) and shows them in controls 100 to 105, in that order (a refused number
// empty); 110 stays empty. Returns 1
// so that the system focuses the first tab stop.
int ConfigureOnInit(DialogWindow& window, ConfigureDialogState& state);

// WM_COMMAND with the control id (the low word of wParam):
// - Save (1): the checks, then MerchantID is taken from 101 unchecked, the settings are
//   written and the dialog ends with 1; returns 1. Returns 0 when a check failed, or
//   when a write failed: then the system's box "Error" names the file and the error
//   number, and the dialog stays open with everything typed.
// - Test (111): the checks, then one test transaction posted on this thread and
//   journaled; its outcome is shown in the system's message box, with the gateway's
//   certificate (dialogs/certificate_lines.h) when the exchange met one and a last line
//   when the journal could not be written, and the dialog stays open; returns 0. While
//   the job of a charge or deposit whose dialog was destroyed still runs, nothing is
//   sent and the box says "Error: An earlier transaction is still running."
//   A number or data folder of the settings file that was refused
//   (settings/setting_checks.h) stops the Test before any field is checked or anything
//   is sent, with the same text a charge shows; so does a data folder the plug-in cannot
//   write in (ProbeDataFolder). Every box ends with the on/off values not understood,
//   the data folder and the plug-in's version. After Save has written the settings, a
//   data folder that cannot be written is named in a box "Error" before the dialog ends.
// - Cancel (2): puts back the values the dialog opened with, ends with 0; returns 1.
// - any other id: nothing; returns 0.
// The URL check takes the URL apart as the transport does (SplitGatewayUrl) and also
// wants a host. A failed check beeps, moves the focus to its control and shows no
// text; the values read before it are in effect, the failing one is not.
int ConfigureOnCommand(DialogWindow& window, ConfigureDialogState& state, int id);

// WM_CLOSE: puts back the values the dialog opened with, ends with 1 without writing
// anything; returns 1.
int ConfigureOnClose(DialogWindow& window, ConfigureDialogState& state);

// WM_DESTROY, however the dialog ended: the test account number is erased from the
// control, the Test's record and the dialog's text (EraseCardData; the Test's job
// erased its request and reply when it ended). Returns 0.
int ConfigureOnDestroy(DialogWindow& window, ConfigureDialogState& state);
