#include "dialogs/configure_dialog.h"

#include <cstdio>
#include <cstring>

#include "dialogs/certificate_lines.h"
#include "dialogs/not_sent_text.h"
#include "dialogs/troubleshooting.h"
#include "gateway/certificate.h"
#include "gateway/data_folder.h"
#include "gateway/exchange_job.h"
#include "gateway/exchange_outcome.h"
#include "gateway/local_clock.h"
#include "gateway/journal.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/settings_file.h"
#include "gateway/transport.h"
#include "gateway/write_ahead.h"
#include "product_version.h"
#include "settings/secure_erase.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

namespace {

// What a field's check asks of the value read from it.
enum class Check {
  GatewayUrl,  // "https://", a host, and a '/' after the host
  NotEmpty,
  BatchNumber,   // the range the settings file is held to (settings/setting_checks.h)
  MerchantCode,
  None,
};

// One step of the checks: the control, its check, and the value behind it, a text read
// with readCount or (text null) a number read with GetDlgItemInt.
struct FieldStep {
  int id;
  Check check;
  char* text;
  unsigned readCount;
  int32_t* number;
};

// The checks common to Save and Test, in their order (Save stops after these)...
const FieldStep kSettingsSteps[] = {
    {IDC_CONFIG_URL, Check::GatewayUrl, CurrentSettings.URL, kConfigUrlReadCount, nullptr},
    {IDC_CONFIG_TERMINAL_ID, Check::NotEmpty, CurrentSettings.TerminalID, kConfigIdReadCount, nullptr},
    {IDC_CONFIG_BATCH_NUMBER, Check::BatchNumber, nullptr, 0, &CurrentSettings.BatchNumber},
    {IDC_CONFIG_MERCHANT_CODE, Check::MerchantCode, nullptr, 0, &CurrentSettings.MerchantCode},
    {IDC_CONFIG_PREFIX_MATCH, Check::None, CurrentSettings.PrefixMatch, kConfigPrefixReadCount, nullptr},
};
// (The two checks only a Test needs are Test's own: the account number goes into the
// Test's record in the dialog's state.)

// Room for the longest text read (the URL's 254 characters).
constexpr size_t kTypedSize = 256;
static_assert(kConfigUrlReadCount <= kTypedSize && kConfigAccountReadCount <= kTypedSize);

// The same split the transport makes, so that a URL that passes can be posted to.
bool IsGatewayUrl(const char* url) {
  char host[kGatewayNameSize];
  char objectName[kGatewayNameSize];
  unsigned port = 0;
  return SplitGatewayUrl(url, host, objectName, &port);
}

bool TextPasses(Check check, const char* typed) {
  switch (check) {
    case Check::GatewayUrl:
      return IsGatewayUrl(typed);
    case Check::NotEmpty:
      return typed[0] != '\0';
    case Check::BatchNumber:
    case Check::MerchantCode:
    case Check::None:
      break;
  }
  return true;
}

// A number that a later load of the settings file would refuse is refused here.
bool NumberPasses(Check check, unsigned typed) {
  switch (check) {
    case Check::BatchNumber:
      return typed >= static_cast<unsigned>(kMinBatchNumber) && typed <= static_cast<unsigned>(kMaxBatchNumber);
    case Check::MerchantCode:
      return typed <= static_cast<unsigned>(kMaxMerchantCode);
    case Check::GatewayUrl:
    case Check::NotEmpty:
    case Check::None:
      break;
  }
  return true;
}

// Reads the step's control and checks what it holds. A value that passes takes effect;
// one that fails leaves the value in effect as it was, and the administrator hears it
// and lands on the field (no text).
bool TakeField(DialogWindow& window, const FieldStep& step) {
  bool passes = true;
  if (step.text != nullptr) {
    char typed[kTypedSize];  // may hold the test account number: erased below
    window.GetItemText(step.id, typed, step.readCount);
    passes = TextPasses(step.check, typed);
    if (passes) std::memcpy(step.text, typed, std::strlen(typed) + 1);
    SecureErase(typed, sizeof typed);
  } else {
    const unsigned typed = window.GetItemUnsigned(step.id);
    passes = NumberPasses(step.check, typed);
    if (passes) *step.number = static_cast<int32_t>(typed);
  }
  if (!passes) {
    window.Beep();
    window.FocusItem(step.id);
  }
  return passes;
}

template <size_t Count>
bool TakeFields(DialogWindow& window, const FieldStep (&steps)[Count]) {
  for (const FieldStep& step : steps) {
    if (!TakeField(window, step)) return false;
  }
  return true;
}

// The data folder's fault after prefix (text of kScratchTextSize bytes), or false when
// the plug-in can write in it.
bool DataFolderFault(const char* prefix, char* text) {
  char folder[kJournalPathSize];
  if (!DataFolderPath(folder, sizeof folder)) return false;  // refused: SettingsRefuseSending says so
  const unsigned long error = ProbeDataFolder(folder);
  if (error == 0) return false;
  const int used = std::snprintf(text, kScratchTextSize, "%s", prefix);
  std::snprintf(text + used, kScratchTextSize - static_cast<size_t>(used), kDataFolderFaultFormat, folder, error);
  return true;
}

int Save(DialogWindow& window, ConfigureDialogState& state) {
  if (!TakeFields(window, kSettingsSteps)) return 0;
  // Taken unchecked, so that Save keeps what was typed: an empty merchant id is saved
  // empty, and only a test insists on one.
  window.GetItemText(IDC_CONFIG_MERCHANT_ID, CurrentSettings.MerchantID, kConfigIdReadCount);
  uint32_t error = 0;
  if (!SaveSettings(&error)) {
    // The dialog stays open with everything typed, so that Save can be pressed again
    // once the folder or file has been put right.
    if (SettingsPath[0] == '\0') {
      std::snprintf(state.ScratchText, sizeof state.ScratchText, kSaveNoPathFormat,
                    static_cast<unsigned long>(error));
    } else {
      std::snprintf(state.ScratchText, sizeof state.ScratchText, kSaveFailedFormat, SettingsPath,
                    static_cast<unsigned long>(error));
    }
    window.SystemMessageBox(state.ScratchText, kSaveFailedCaption, kMessageBoxIconError);
    return 0;
  }
  ForgetRefusedNumbers();  // the file now holds the numbers that passed the checks
  char saved[kScratchTextSize];
  std::snprintf(saved, sizeof saved, kSavedButFormat, SettingsPath);
  if (DataFolderFault(saved, state.ScratchText)) {
    window.SystemMessageBox(state.ScratchText, kSaveFailedCaption, kMessageBoxIconError);
  }
  window.End(kConfigSavedEndCode);
  return 1;
}

// The reply's text as it stands, then on the next line the plain line that says what
// it means, when there is one, into text (kScratchTextSize bytes).
void WriteErrorText(const ExchangeJob& job, char* text) {
  const char* plainLine = PlainLineFor(job.Result, job.Reply);
  const size_t length = std::strlen(job.Reply);
  const bool endsLine = length > 0 && job.Reply[length - 1] == '\n';
  std::snprintf(text, kScratchTextSize, "%.*s%s%s", static_cast<int>(kScratchTextSize / 2),
                job.Reply, plainLine != nullptr && !endsLine ? "\n" : "",
                plainLine != nullptr ? plainLine : "");
}

// The last line of the Test's box when the journal could not be written, so that the
// administrator learns of it while setting the station up.
void AppendJournalLine(char* text, size_t size, const JournalWrite& journal) {
  if (!journal.Failed && !journal.Side) return;
  const size_t used = std::strlen(text);
  const bool endsLine = used > 0 && text[used - 1] == '\n';
  std::snprintf(text + used, size - used, journal.Side ? kJournalSideFormat : kJournalFailedFormat,
                endsLine ? "" : "\n", journal.Path, journal.Error);
}

// What every Test's box ends with: the on/off values not understood, the data folder,
// then the version.
void AppendClosingLines(char* text, size_t size) {
  AppendOnOffFaultLines(text, size);
  char folder[kJournalPathSize];
  if (!DataFolderPath(folder, sizeof folder)) std::snprintf(folder, sizeof folder, "(none)");
  size_t used = std::strlen(text);
  std::snprintf(text + used, size - used, kDataFolderLineFormat, used > 0 && text[used - 1] != '\n' ? "\n" : "",
                folder);
  used = std::strlen(text);
  std::snprintf(text + used, size - used, kVersionLineFormat, PRODUCT_VERSION_TEXT);
}


void ShowTestOutcome(DialogWindow& window, ConfigureDialogState& state, const ExchangeJob& job,
                     const GatewayCertificate& certificate, const JournalWrite& journal) {
  char* const text = state.ScratchText;
  const char* caption = kTestErrorCaption;
  unsigned icon = kMessageBoxIconError;
  GatewayResponse response{};
  const ExchangeOutcome outcome = ClassifyExchange(job.Result, job.Reply, response);
  if (ReplyShownAsText(job.Result, job.Reply)) {
    WriteErrorText(job, text);
  } else {
    std::snprintf(text, kScratchTextSize, kTestResultFormat, response.ResponseCode,
                  response.ResponseMessage);
    if (outcome == ExchangeOutcome::Approved) {
      caption = kTestApprovedCaption;
      icon = kMessageBoxIconInformation;
    }
  }
  AppendCertificateLines(certificate, CurrentLocalTime(), text, kScratchTextSize);
  AppendOtherHostLine(certificate, CurrentSettings.StrictCertificates, text, kScratchTextSize);
  AppendJournalLine(text, kScratchTextSize, journal);
  AppendClosingLines(text, kScratchTextSize);
  window.SystemMessageBox(text, caption, icon);
}

int Test(DialogWindow& window, ConfigureDialogState& state) {
  // After the settings' checks, the two only a Test needs.
  const FieldStep testSteps[] = {
      {IDC_CONFIG_MERCHANT_ID, Check::NotEmpty, CurrentSettings.MerchantID, kConfigIdReadCount, nullptr},
      {IDC_CONFIG_ACCOUNT_NUMBER, Check::NotEmpty, state.Record.CardNumber, kConfigAccountReadCount,
       nullptr},
  };
  char* const text = state.ScratchText;
  // A file that charges refuse to send with stops the Test too, before its empty field
  // could only beep; so does a data folder that cannot be written.
  if (SettingsRefuseSending(text, kScratchTextSize) || DataFolderFault("", text)) {
    AppendClosingLines(text, kScratchTextSize);
    window.SystemMessageBox(text, kTestErrorCaption, kMessageBoxIconError);
    return 0;
  }
  if (!TakeFields(window, kSettingsSteps) || !TakeFields(window, testSteps)) return 0;
  TransactionRecord& record = state.Record;
  // Held by a charge or deposit whose dialog its owner destroyed, still waiting for
  // the gateway.
  ExchangeJob* job = ClaimExchangeJob();
  if (job == nullptr) {
    window.SystemMessageBox(kEarlierWorkerRunningLine, kTestErrorCaption, kMessageBoxIconError);
    return 0;
  }
  window.ShowWaitCursor();
  FillTransaction(record, TransactionKind::Test);
  const WriteAhead gate = TakeNumberAndRecordSending(record, TransactionKind::Test, job->Entry);
  if (!gate.MaySend()) {
    window.RestoreCursor();
    FormatNotSent(gate, record.BatchNumber, text, kScratchTextSize);
    JournalNotSent(job->Entry, text, std::nullopt);
    ReleaseExchangeJob(*job);
    AppendClosingLines(text, kScratchTextSize);
    window.SystemMessageBox(text, kTestErrorCaption, kMessageBoxIconError);
    return 0;
  }
  BuildRequest(record, job->Body);
  // On this thread on purpose: the administrator waits for the verdict.
  GatewayCertificate certificate{};
  RunExchangeJobHere(*job, &certificate);
  const JournalWrite outcome = JournalOutcome(job->Entry, job->Result, job->Reply, std::nullopt);
  window.RestoreCursor();
  ShowTestOutcome(window, state, *job, certificate, outcome.Failed || outcome.Side ? outcome : gate.Sending);
  ReleaseExchangeJob(*job);
  return 0;
}

}  // namespace

int ConfigureOnInit(DialogWindow& window, ConfigureDialogState& state) {
  const PluginSettings& s = CurrentSettings;
  state.OpenedWith = CurrentSettings;
  window.CenterOnOwner(state.Owner);
  window.SetItemText(IDC_CONFIG_URL, s.URL);
  window.SetItemText(IDC_CONFIG_MERCHANT_ID, s.MerchantID);
  window.SetItemText(IDC_CONFIG_TERMINAL_ID, s.TerminalID);
  // A number the file got wrong is shown empty, not as the default nobody chose.
  window.SetItemUnsigned(IDC_CONFIG_BATCH_NUMBER, static_cast<unsigned>(s.BatchNumber));
  if (SettingRefused(kBatchNumberKey)) window.SetItemText(IDC_CONFIG_BATCH_NUMBER, "");
  window.SetItemUnsigned(IDC_CONFIG_MERCHANT_CODE, static_cast<unsigned>(s.MerchantCode));
  if (SettingRefused(kMerchantCodeKey)) window.SetItemText(IDC_CONFIG_MERCHANT_CODE, "");
  window.SetItemText(IDC_CONFIG_PREFIX_MATCH, s.PrefixMatch);
  return 1;
}

int ConfigureOnCommand(DialogWindow& window, ConfigureDialogState& state, int id) {
  switch (id) {
    case IDC_OK:
      return Save(window, state);
    case IDC_CONFIG_TEST:
      return Test(window, state);
    case IDC_CANCEL:
      CurrentSettings = state.OpenedWith;
      window.End(kConfigCancelledEndCode);
      return 1;
    default:
      return 0;
  }
}

int ConfigureOnClose(DialogWindow& window, ConfigureDialogState& state) {
  CurrentSettings = state.OpenedWith;
  window.End(kConfigClosedEndCode);
  return 1;
}

int ConfigureOnDestroy(DialogWindow& window, ConfigureDialogState& state) {
  EraseCardData(window, IDC_CONFIG_ACCOUNT_NUMBER, state);
  return 0;
}
