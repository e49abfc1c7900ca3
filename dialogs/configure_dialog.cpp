#include "dialogs/configure_dialog.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "dialogs/certificate_lines.h"
#include "dialogs/not_sent_text.h"
#include "dialogs/troubleshooting.h"
#include "gateway/certificate.h"
#include "gateway/exchange_job.h"
#include "gateway/exchange_journal.h"
#include "gateway/exchange_outcome.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/settings_file.h"
#include "gateway/transport.h"
#include "gateway/write_ahead.h"
#include "product_version.h"
#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/journal.h"
#include "records/local_clock.h"
#include "settings/secure_erase.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

namespace {

// What a field's check asks of the value read from it.
enum class Check {
  GatewayUrl,  // "https://", a host, and a '/' after the host
  NotEmpty,
  BatchNumber,   // a number in the range the settings file is held to
  MerchantCode,  // (settings/setting_checks.h)
  None,
};

// One step of the checks: the control, its check, and the value behind it in the
// dialog's copy of the settings, a text read with readCount or (text null) a number.
struct FieldStep {
  int id;
  Check check;
  char* text;
  unsigned readCount;
  int32_t* number;
};

// The checks common to Save and Test, in their order (Save stops after these), on the
// values of settings.
std::array<FieldStep, 5> SettingsSteps(PluginSettings& settings) {
  return {{
      {IDC_CONFIG_URL, Check::GatewayUrl, settings.URL, kConfigUrlReadCount, nullptr},
      {IDC_CONFIG_TERMINAL_ID, Check::NotEmpty, settings.TerminalID, kConfigIdReadCount, nullptr},
      {IDC_CONFIG_BATCH_NUMBER, Check::BatchNumber, nullptr, 0, &settings.BatchNumber},
      {IDC_CONFIG_MERCHANT_CODE, Check::MerchantCode, nullptr, 0, &settings.MerchantCode},
      {IDC_CONFIG_PREFIX_MATCH, Check::None, settings.PrefixMatch, kConfigPrefixReadCount, nullptr},
  }};
}
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

// A number field's name as its label shows it, and the range the settings file holds
// it to: a number the file would refuse at the next load is refused here.
struct NumberField {
  const char* name;
  int32_t low;
  int32_t high;
};

NumberField NumberFieldOf(Check check) {
  if (check == Check::BatchNumber) return {kBatchNumberFieldName, kMinBatchNumber, kMaxBatchNumber};
  return {kMerchantCodeFieldName, kMinMerchantCode, kMaxMerchantCode};
}

// Reads the step's control and checks what it holds. A value that passes goes into the
// dialog's copy; one that fails leaves the copy as it was, and the administrator lands
// on the field: a text field beeps, a number field says what it takes, since an empty
// or unreadable number is never made into one.
bool TakeField(DialogWindow& window, ConfigureDialogState& state, const FieldStep& step) {
  char typed[kTypedSize];  // may hold the test account number: erased below
  window.GetItemText(step.id, typed, step.text != nullptr ? step.readCount : sizeof typed);
  bool passes = true;
  if (step.text != nullptr) {
    passes = TextPasses(step.check, typed);
    if (passes) std::memcpy(step.text, typed, std::strlen(typed) + 1);
    if (!passes) window.Beep();
  } else {
    const NumberField field = NumberFieldOf(step.check);
    int32_t number = 0;
    passes = ParseSettingNumber(typed, field.low, field.high, &number);
    if (passes) *step.number = number;
    if (!passes) {
      std::snprintf(state.ScratchText, sizeof state.ScratchText, kNumberFieldFormat, field.name,
                    static_cast<long>(field.low), static_cast<long>(field.high));
      window.SystemMessageBox(state.ScratchText, kFieldRefusedCaption, kMessageBoxIconError);
    }
  }
  SecureErase(typed, sizeof typed);
  if (!passes) window.FocusItem(step.id);
  return passes;
}

template <size_t Count>
bool TakeFields(DialogWindow& window, ConfigureDialogState& state,
                const std::array<FieldStep, Count>& steps) {
  for (const FieldStep& step : steps) {
    if (!TakeField(window, state, step)) return false;
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
  char number[kErrorNumberTextSize];
  FormatErrorNumber(error, number, sizeof number);
  const int used = std::snprintf(text, kScratchTextSize, "%s", prefix);
  std::snprintf(text + used, kScratchTextSize - static_cast<size_t>(used), kDataFolderFaultFormat, folder, number);
  return true;
}

int Save(DialogWindow& window, ConfigureDialogState& state) {
  PluginSettings& edited = state.Edited;
  if (!TakeFields(window, state, SettingsSteps(edited))) return 0;
  // Taken unchecked, so that Save keeps what was typed: an empty merchant id is saved
  // empty, and only a test insists on one.
  window.GetItemText(IDC_CONFIG_MERCHANT_ID, edited.MerchantID, kConfigIdReadCount);
  uint32_t error = 0;
  if (!SaveSettings(edited, &error)) {
    // The dialog stays open with everything typed, so that Save can be pressed again
    // once the folder or file has been put right; nothing takes effect until then.
    char number[kErrorNumberTextSize];
    FormatErrorNumber(error, number, sizeof number);
    if (SettingsPath[0] == '\0') {
      std::snprintf(state.ScratchText, sizeof state.ScratchText, kSaveNoPathFormat, number);
    } else {
      std::snprintf(state.ScratchText, sizeof state.ScratchText, kSaveFailedFormat, SettingsPath, number);
    }
    window.SystemMessageBox(state.ScratchText, kSaveFailedCaption, kMessageBoxIconError);
    return 0;
  }
  // In effect from now on, in one assignment on this thread: a job still running took
  // its own copy of what it uses when it was claimed.
  CurrentSettings = edited;
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
  char number[kErrorNumberTextSize];
  FormatErrorNumber(journal.Error, number, sizeof number);
  std::snprintf(text + used, size - used, journal.Side ? kJournalSideFormat : kJournalFailedFormat,
                endsLine ? "" : "\n", journal.Path, number);
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
  PluginSettings& edited = state.Edited;
  // After the settings' checks, the two only a Test needs.
  const std::array<FieldStep, 2> testSteps = {{
      {IDC_CONFIG_MERCHANT_ID, Check::NotEmpty, edited.MerchantID, kConfigIdReadCount, nullptr},
      {IDC_CONFIG_ACCOUNT_NUMBER, Check::NotEmpty, state.Record.CardNumber, kConfigAccountReadCount,
       nullptr},
  }};
  char* const text = state.ScratchText;
  // A file that charges refuse to send with stops the Test too, before its empty field
  // could only be refused; so does a data folder that cannot be written.
  if (SettingsRefuseSending(text, kScratchTextSize) || DataFolderFault("", text)) {
    AppendClosingLines(text, kScratchTextSize);
    window.SystemMessageBox(text, kTestErrorCaption, kMessageBoxIconError);
    return 0;
  }
  if (!TakeFields(window, state, SettingsSteps(edited)) || !TakeFields(window, state, testSteps)) {
    return 0;
  }
  TransactionRecord& record = state.Record;
  // The Test's one request goes out with the values typed; the settings in effect stay
  // as they are. Nullptr: held by a charge or deposit whose dialog its owner destroyed,
  // still waiting for the gateway.
  ExchangeJob* job = ClaimExchangeJob(edited);
  if (job == nullptr) {
    window.SystemMessageBox(kEarlierWorkerRunningLine, kTestErrorCaption, kMessageBoxIconError);
    return 0;
  }
  window.ShowWaitCursor();
  FillTransaction(record, TransactionKind::Test, edited);
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
  state.Edited = CurrentSettings;
  const PluginSettings& s = state.Edited;
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
      window.End(kConfigCancelledEndCode);  // the copy is dropped with the dialog
      return 1;
    default:
      return 0;
  }
}

int ConfigureOnClose(DialogWindow& window, ConfigureDialogState&) {
  window.End(kConfigClosedEndCode);
  return 1;
}

int ConfigureOnDestroy(DialogWindow& window, ConfigureDialogState& state) {
  EraseCardData(window, IDC_CONFIG_ACCOUNT_NUMBER, state);
  return 0;
}
