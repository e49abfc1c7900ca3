#include "dialogs/configure_dialog.h"

#include <cstdio>
#include <cstring>

#include "dialogs/scratch_text.h"
#include "dialogs/transaction_dialog.h"
#include "gateway/journal.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/settings_file.h"
#include "gateway/transaction_record.h"
#include "gateway/transport.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"

namespace {

constexpr size_t kUrlSchemeLength = sizeof kConfigUrlScheme - 1;

// A check that failed: the administrator hears it and lands on the field; no text.
bool Refuse(DialogWindow& window, int id) {
  window.Beep();
  window.FocusItem(id);
  return false;
}

// The checks common to Save and Test (steps 1 to 5). Each reads its control into the
// value behind it before looking at it, so a refused value is in effect too.
bool CheckSettingsFields(DialogWindow& window) {
  PluginSettings& s = CurrentSettings;
  TransactionRecord& r = CurrentRecord;

  window.GetItemText(kConfigUrlId, s.URL, kConfigUrlReadCount);
  // Byte comparison: a capitalised or plain-HTTP scheme is refused.
  if (std::strncmp(s.URL, kConfigUrlScheme, kUrlSchemeLength) != 0) {
    return Refuse(window, kConfigUrlId);
  }
  window.GetItemText(kConfigTerminalIdId, r.TerminalID, kConfigIdReadCount);
  if (r.TerminalID[0] == '\0') return Refuse(window, kConfigTerminalIdId);

  r.BatchNumber = static_cast<int32_t>(window.GetItemUnsigned(kConfigBatchNumberId));
  if (r.BatchNumber == 0) return Refuse(window, kConfigBatchNumberId);

  // 0 and an empty field are valid here, as is an empty prefix (no card test).
  r.MerchantCode = static_cast<int32_t>(window.GetItemUnsigned(kConfigMerchantCodeId));
  window.GetItemText(kConfigPrefixMatchId, s.PrefixMatch, kConfigPrefixReadCount);
  return true;
}

// The two fields only a test needs (steps 6 and 7).
bool CheckTestFields(DialogWindow& window) {
  TransactionRecord& r = CurrentRecord;
  window.GetItemText(kConfigMerchantIdId, r.MerchantID, kConfigIdReadCount);
  if (r.MerchantID[0] == '\0') return Refuse(window, kConfigMerchantIdId);
  window.GetItemText(kConfigAccountNumberId, r.CardNumber, kConfigAccountReadCount);
  if (r.CardNumber[0] == '\0') return Refuse(window, kConfigAccountNumberId);
  return true;
}

int Save(DialogWindow& window) {
  if (!CheckSettingsFields(window)) return 0;
  // Taken unchecked, so that Save keeps what was typed: an empty merchant id is saved
  // empty, and only a test insists on one.
  window.GetItemText(kConfigMerchantIdId, CurrentRecord.MerchantID, kConfigIdReadCount);
  SaveSettings();
  window.End(kConfigSavedEndCode);
  return 1;
}

// The last line of the Test's box when the journal could not be written, so that the
// administrator learns of it while setting the station up.
void AppendJournalLine(char* text, size_t size, const JournalWrite& journal) {
  if (!journal.Failed) return;
  const size_t used = std::strlen(text);
  const bool endsLine = used > 0 && text[used - 1] == '\n';
  std::snprintf(text + used, size - used, kJournalFailedFormat, endsLine ? "" : "\n", journal.Path,
                journal.Error);
}

void ShowTestOutcome(DialogWindow& window, const JournalWrite& journal) {
  const char* caption = kTestErrorCaption;
  unsigned icon = kMessageBoxIconError;
  if (ClassifyReply(ReplyBuffer, CurrentResponse) == ReplyKind::TransportError) {
    std::snprintf(ScratchText, sizeof ScratchText, "%.*s", static_cast<int>(sizeof ScratchText - 1),
                  ReplyBuffer);
  } else {
    std::snprintf(ScratchText, sizeof ScratchText, kTestResultFormat, CurrentResponse.ResponseCode,
                  CurrentResponse.ResponseMessage);
    if (std::strcmp(CurrentResponse.ResponseCode, kApprovedCode) == 0) {
      caption = kTestApprovedCaption;
      icon = kMessageBoxIconInformation;
    }
  }
  AppendJournalLine(ScratchText, sizeof ScratchText, journal);
  window.SystemMessageBox(ScratchText, caption, icon);
}

int Test(DialogWindow& window) {
  if (!CheckSettingsFields(window) || !CheckTestFields(window)) return 0;
  window.ShowWaitCursor();
  FillTransaction(CurrentRecord, TransactionKind::Test);
  BuildRequest(CurrentRecord, FormBody);
  JournalEntry entry;
  BeginJournalEntry(entry, CurrentRecord, TransactionKind::Test);
  const JournalWrite sending = JournalSending(entry);
  // On this thread on purpose: the administrator waits for the verdict, and the
  // worker's status belongs to the charge and deposit dialogs.
  PostToGateway(CurrentSettings.URL, FormBody, ReplyBuffer);
  SecureErase(FormBody, sizeof FormBody);  // sent; it held the account number
  const JournalWrite outcome = JournalOutcome(entry, ReplyBuffer, std::nullopt);
  window.RestoreCursor();
  ShowTestOutcome(window, sending.Failed ? sending : outcome);
  return 0;
}

}  // namespace

int ConfigureOnInit(DialogWindow& window) {
  const PluginSettings& s = CurrentSettings;
  const TransactionRecord& r = CurrentRecord;
  window.CenterOnOwner();
  window.SetItemText(kConfigUrlId, s.URL);
  window.SetItemText(kConfigMerchantIdId, r.MerchantID);
  window.SetItemText(kConfigTerminalIdId, r.TerminalID);
  window.SetItemUnsigned(kConfigBatchNumberId, static_cast<unsigned>(r.BatchNumber));
  window.SetItemUnsigned(kConfigMerchantCodeId, static_cast<unsigned>(r.MerchantCode));
  window.SetItemText(kConfigPrefixMatchId, s.PrefixMatch);
  return 1;
}

int ConfigureOnCommand(DialogWindow& window, int id) {
  switch (id) {
    case kOkId:
      return Save(window);
    case kConfigTestId:
      return Test(window);
    case kCancelId:
      window.End(kConfigCancelledEndCode);
      return 1;
    default:
      return 0;
  }
}

int ConfigureOnClose(DialogWindow& window) {
  window.End(kConfigClosedEndCode);
  return 1;
}

int ConfigureOnDestroy(DialogWindow& window) {
  EraseCardData(window, kConfigAccountNumberId);
  return 0;
}
