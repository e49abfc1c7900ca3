#pragma once
// What the charge and the deposit dialog tests share. A test loads its own copy of the
// plug-in with settings that point at a gateway stand-in, calls an export on its own
// thread (which thereby is the station's user-interface thread) and works the dialog
// from a driver thread as a keyboard-wedge card reader and a user would; afterwards it
// reads the stand-in's journal and the sequence store beside the copy.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "win32_test_support.h"

namespace cardtest {

// The CARDPIN template's controls besides OK (IDOK) and Cancel (IDCANCEL).
inline constexpr int kMessageLine = IDC_CARD_MESSAGE;
inline constexpr int kEntry = IDC_CARD_ENTRY;
inline constexpr int kMiniIcon = IDC_CARD_MINI_ICON;
inline constexpr int kExitIcon = IDC_CARD_EXIT_ICON;

// Gateway stand-ins, see tests/win32/run_with_gateways.sh.
inline constexpr const char* kDialogGateway = "127.0.0.13";  // cards: dialog_accounts.txt
inline constexpr const char* kNoListener = "127.0.0.50";

// The merchant identity every copy is configured with, as the journal shows it.
inline constexpr const char* kMerchantId = "887700123";
inline constexpr const char* kTerminalId = "T0042";
inline constexpr int32_t kBatchNumber = 7;
inline constexpr const char* kCardPrefix = "603950";
// Every copy's sequence store starts with this last number of the batch, so that the
// next transaction is numbered kSeededSequence + 1.
inline constexpr int32_t kSeededSequence = 41;

// The template's own prompt and caption.
inline constexpr const char* kTemplatePrompt = CARDPIN_PROMPT;
inline constexpr const char* kTemplateCaption = CARDPIN_CAPTION;
inline constexpr const char* kErrorCaption = "Transaction error";

// A copy of the plug-in in a folder of its own, loaded, with a settings file that
// points at the stand-in on gatewayAddress (merchant identity and card prefix as above),
// settingsLines added to its [Settings] section and textLines, when given, as its [Text]
// section; its CSBatchSeq.INI holds kSeededSequence for the batch.
class StationPlugin : public testenv::LoadedPlugin {
 public:
  StationPlugin(const std::string& name, const std::string& gatewayAddress,
                const std::string& textLines = "", const std::string& settingsLines = "");
  // The copy's folder, with a trailing backslash.
  std::string Folder() const;
  // The sequence store beside the copy, as it is on disk now.
  std::string SequenceStore() const;
  // The last sequence number the store holds for the batch.
  int32_t StoredSequence() const;

 private:
  std::string SequenceStorePath() const;
};

// Runs open (an export of the copy) on this thread while drive works the dialog it
// shows from a second thread. drive gets the dialog once it is up; after drive has
// returned the dialog must close by itself within a few seconds, or the test fails and
// the dialog is closed by force so that open returns. Returns what open returned.
int32_t RunDialog(const std::function<int32_t()>& open, const std::function<void(HWND)>& drive);

// Waits until control id's text is exactly text; on time-out the failure shows the text
// the control has.
::testing::AssertionResult WaitForExactText(HWND dialog, int id, const std::string& text);
// Waits until the dialog's caption is exactly text, likewise.
::testing::AssertionResult WaitForCaption(HWND dialog, const std::string& text);

// A batch or sequence number as the journal and the store's section names show it.
std::string SixDigits(int32_t number);

// The Cancel button, clicked.
void PressCancel(HWND dialog);
// The Escape key, delivered to the control that has the focus as the keyboard would.
void PressEscape(HWND dialog);
// The caption's close box.
void PressCloseBox(HWND dialog);

// The style bits of a control.
LONG ItemStyle(HWND dialog, int id);

// A 16-digit card number as the journal shows it: the first six and last four digits.
std::string MaskedCard(const std::string& card);

// Lines in the stand-in's journal so far, and the newest of them.
size_t JournalSize(const std::string& address);
std::string LastJournalLine(const std::string& address);
// The balance of the card (as the journal masks it) after the newest request that shows
// it, or opening when none does yet.
int32_t CardBalance(const std::string& address, const std::string& maskedCard, int32_t opening);

// The zone code the plug-in sends from this machine's time-zone key name.
std::string ZoneCodeHere();

// Saves what the screen shows of the window as artefacts\<name>.bmp in the build folder;
// tests/win32/screenshots_to_png.sh turns them into PNG files.
void SaveShot(HWND window, const std::string& name);

}  // namespace cardtest
