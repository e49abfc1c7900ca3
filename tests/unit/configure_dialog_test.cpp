// The configuration dialog over the recording fake window (controls starting empty:
// this dialog is not built from the CARDPIN template), the in-memory profile store and
// the scripted HTTPS seam; the real transport, request builder, sequence store and
// reply parser run underneath.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "dialogs/charge_dialog.h"
#include "dialogs/configure_dialog.h"
#include "fakes/fake_dialog_window.h"
#include "fakes/fake_https.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_worker.h"
#include "gateway/exchange_job.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/settings_file.h"
#include "gateway/transaction_record.h"
#include "gateway/transport.h"
#include "product_version.h"
#include "records/sequence_store.h"
#include "records/sequence_text.h"
#include "settings/module_state.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

namespace {

constexpr const char* kIni = "C:\\Station\\CSPlugin.INI";
constexpr const char* kSeqIni = "C:\\Station\\CSBatchSeq.INI";
const std::string FS = "\x1C";

// What the settings file holds before the dialog opens.
struct Values {
  std::string url, merchantId, terminalId, batch, merchantCode, prefix;
};
const Values kLoaded = {"https://gateway.test/ipsx/gateway", "887700123", "T0001", "3", "5999",
                        "603950"};
// What the administrator types, and the test account number.
const Values kTyped = {"https://127.0.0.2/ipsx/gateway", "MERCH01", "TERM7", "12", "5411", "6039"};
const std::string kAccount = "6039501234567890";
// Every Test's box ends with the version, on a line of its own.
std::string WithVersion(const std::string& text) {
  return text + (text.empty() || text.back() == '\n' ? "" : "\n") + "Data folder: C:\\Station\\\nPlug-in version " PRODUCT_VERSION_TEXT;
}

// What reached the HTTPS seam: the host, object name and body of each send.
struct Sent {
  std::string host, objectName, body;
};
std::vector<Sent> SentRequests() {
  std::vector<Sent> sent;
  std::string host, objectName;
  for (const std::string& call : fake::httpsCalls) {
    if (call.rfind("connect ", 0) == 0) host = call.substr(8);
    if (call.rfind("request ", 0) == 0) objectName = call.substr(8);
    if (call.rfind("send ", 0) == 0) {
      sent.push_back({host, objectName, call.substr(call.find(' ', 5) + 1)});
    }
  }
  return sent;
}

// A gateway reply carrying code and message where the parser reads them.
std::string Reply(const std::string& code, const std::string& message) {
  return "ABC" + FS + "12" + FS + "X" + FS + "ABCDEFG" + code + "HI" + FS + "K" + FS + FS + "Q" +
         FS + "R" + FS + message + FS + "Z";
}

class ConfigureDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    fake::ResetHttps();
    ResetModuleState();
    Put("URL", kLoaded.url);
    Put("MerchantID", kLoaded.merchantId);
    Put("TerminalID", kLoaded.terminalId);
    Put("BatchNumber", kLoaded.batch);
    Put("MerchantCode", kLoaded.merchantCode);
    Put("PrefixMatch", kLoaded.prefix);
    fake::profiles[kIni]["Text"]["TitlePrompt"] = "Campus card";
    LoadPlugin();
    state = ConfigureDialogState{};
  }

  static void Put(const char* key, const std::string& value) {
    fake::profiles[kIni]["Settings"][key] = value;
  }

  // A fresh load of the plug-in: settings from the file, as at attach.
  static void LoadPlugin() {
    ResetModuleState();
    BuildSettingsPath();
    LoadSettings();
  }

  // Opens the dialog and types every field, the test account number included.
  void OpenAndType(const Values& v = kTyped, const std::string& account = kAccount) {
    ASSERT_EQ(1, ConfigureOnInit(window, state));
    window.texts[IDC_CONFIG_URL] = v.url;
    window.texts[IDC_CONFIG_MERCHANT_ID] = v.merchantId;
    window.texts[IDC_CONFIG_TERMINAL_ID] = v.terminalId;
    window.texts[IDC_CONFIG_BATCH_NUMBER] = v.batch;
    window.texts[IDC_CONFIG_MERCHANT_CODE] = v.merchantCode;
    window.texts[IDC_CONFIG_PREFIX_MATCH] = v.prefix;
    window.texts[IDC_CONFIG_ACCOUNT_NUMBER] = account;
  }

  int Press(int id) { return ConfigureOnCommand(window, state, id); }

  // Writes that reached the settings file, as "key=value", in order.
  static std::vector<std::string> SettingsWrites() {
    std::vector<std::string> writes;
    for (const fake::ProfileWrite& w : fake::profileWriteLog) {
      if (w.file == kIni) writes.push_back(w.section + "/" + w.key + "=" + w.value);
    }
    return writes;
  }

  static std::string SeqNumber(const char* batchSection) {
    const std::string& text = fake::storeFiles[kSeqIni];
    const SequenceLookup stored = LookUpSequence(text.data(), text.size(), batchSection);
    return stored.State == StoredSequence::Valid ? std::to_string(stored.Value) : "(none)";
  }

  fake::RecordingDialogWindow window{fake::Controls::Empty};
  ConfigureDialogState state{};
};

TEST_F(ConfigureDialogTest, OpeningCentresThenShowsTheValuesInEffectInOrder) {
  state.Owner = 0x5150;  // the window SPMConfig was given
  EXPECT_EQ(1, ConfigureOnInit(window, state));
  EXPECT_EQ(0x5150u, window.centredOn);
  const std::vector<std::string> expected = {
      "center",
      "set 100 " + kLoaded.url,
      "set 101 " + kLoaded.merchantId,
      "set 102 " + kLoaded.terminalId,
      "setu 103 " + kLoaded.batch,
      "setu 104 " + kLoaded.merchantCode,
      "set 105 " + kLoaded.prefix,
  };
  EXPECT_EQ(expected, window.log);
  EXPECT_EQ(0u, window.texts.count(IDC_CONFIG_ACCOUNT_NUMBER));
  EXPECT_FALSE(window.ended);
}

TEST_F(ConfigureDialogTest, EachCheckFailsInTurnWithABeepAndTheFocusOnItsField) {
  enum Step { kUrl, kTerminal, kBatch, kMerchantCode, kPrefix, kMerchant, kCard };
  struct Row {
    const char* name;
    int command;
    Step step;
    int field;
    const char* bad;
    std::string box;  // what a number field says it takes
  };
  const std::string batchTakes = "Batch number takes a number from 1 to 999999.";
  const std::string codeTakes = "Merchant category code takes a number from 0 to 9999.";
  const Row rows[] = {
      {"Save: empty URL", IDC_OK, kUrl, IDC_CONFIG_URL, "", ""},
      {"Save: empty terminal id", IDC_OK, kTerminal, IDC_CONFIG_TERMINAL_ID, "", ""},
      {"Save: batch 0", IDC_OK, kBatch, IDC_CONFIG_BATCH_NUMBER, "0", batchTakes},
      {"Save: empty batch", IDC_OK, kBatch, IDC_CONFIG_BATCH_NUMBER, "", batchTakes},
      {"Save: empty merchant code", IDC_OK, kMerchantCode, IDC_CONFIG_MERCHANT_CODE, "", codeTakes},
      {"Test: empty URL", IDC_CONFIG_TEST, kUrl, IDC_CONFIG_URL, "", ""},
      {"Test: empty terminal id", IDC_CONFIG_TEST, kTerminal, IDC_CONFIG_TERMINAL_ID, "", ""},
      {"Test: batch 0", IDC_CONFIG_TEST, kBatch, IDC_CONFIG_BATCH_NUMBER, "0", batchTakes},
      {"Test: merchant code abc", IDC_CONFIG_TEST, kMerchantCode, IDC_CONFIG_MERCHANT_CODE, "abc",
       codeTakes},
      {"Test: empty merchant id", IDC_CONFIG_TEST, kMerchant, IDC_CONFIG_MERCHANT_ID, "", ""},
      {"Test: empty account number", IDC_CONFIG_TEST, kCard, IDC_CONFIG_ACCOUNT_NUMBER, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    OpenAndType();
    window.texts[row.field] = row.bad;
    window.log.clear();

    EXPECT_EQ(0, Press(row.command));
    EXPECT_EQ(row.box.empty() ? 1u : 0u, window.Lines("beep").size()) << "a box sounds itself";
    EXPECT_EQ(row.field, window.focus);
    EXPECT_EQ("focus " + std::to_string(row.field), window.log.back());
    EXPECT_FALSE(window.ended);
    if (row.box.empty()) {
      EXPECT_TRUE(window.messageBoxes.empty());
    } else {
      ASSERT_EQ(1u, window.messageBoxes.size());
      EXPECT_EQ(row.box, window.messageBoxes[0].text);
      EXPECT_EQ("Error", window.messageBoxes[0].caption);
      EXPECT_EQ(row.bad, window.texts[row.field]) << "what was typed stays for mending";
    }
    EXPECT_TRUE(window.Lines("wait").empty());
    EXPECT_TRUE(fake::profileWriteLog.empty()) << "nothing written, no sequence number used";
    EXPECT_TRUE(SentRequests().empty());
    EXPECT_TRUE(fake::httpsCalls.empty());
    EXPECT_EQ(kLoaded.url, CurrentSettings.URL) << "nothing takes effect before a Save";
    EXPECT_EQ(kLoaded.merchantCode, std::to_string(CurrentSettings.MerchantCode));

    // The steps before the failing one took what was typed into the dialog's copy; the
    // failing one and those after it left the copy as it was.
    const PluginSettings& copy = state.Edited;
    auto expect = [&](Step step, const std::string& typed, const std::string& loaded,
                      const std::string& actual) {
      EXPECT_EQ(step < row.step ? typed : loaded, actual) << "step " << step;
    };
    expect(kUrl, kTyped.url, kLoaded.url, copy.URL);
    expect(kTerminal, kTyped.terminalId, kLoaded.terminalId, copy.TerminalID);
    expect(kBatch, kTyped.batch, kLoaded.batch, std::to_string(copy.BatchNumber));
    expect(kMerchantCode, kTyped.merchantCode, kLoaded.merchantCode, std::to_string(copy.MerchantCode));
    expect(kPrefix, kTyped.prefix, kLoaded.prefix, copy.PrefixMatch);
    expect(kMerchant, kTyped.merchantId, kLoaded.merchantId, copy.MerchantID);
    expect(kCard, kAccount, "", state.Record.CardNumber);
  }
}

// Every field's check, one row per typed value: whether it is refused, and the value
// the dialog's copy then holds. A Save puts that copy into effect; a refused value never
// reaches it, and a Test leaves the settings in effect alone.
TEST_F(ConfigureDialogTest, EachFieldTakesAValueThatPassesAndKeepsItsOwnOtherwise) {
  const std::string longUrl = "https://127.0.0.2/" + std::string(300, 'p');
  using Settings = const PluginSettings&;
  auto url = [](Settings s) { return std::string(s.URL); };
  auto terminal = [](Settings s) { return std::string(s.TerminalID); };
  auto batch = [](Settings s) { return std::to_string(s.BatchNumber); };
  auto merchantCode = [](Settings s) { return std::to_string(s.MerchantCode); };
  auto prefix = [](Settings s) { return std::string(s.PrefixMatch); };
  auto merchant = [](Settings s) { return std::string(s.MerchantID); };
  auto account = [this](Settings) { return std::string(state.Record.CardNumber); };
  struct Row {
    int field;
    std::string typed;
    bool refused;
    std::string inEffect;
    std::function<std::string(Settings)> value;
  };
  const Row rows[] = {
      {IDC_CONFIG_URL, "", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "http://127.0.0.2/ipsx/gateway", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "HTTPS://127.0.0.2/ipsx/gateway", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "https:/", true, kLoaded.url, url},
      {IDC_CONFIG_URL, " https://127.0.0.2/ipsx/gateway", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "https://", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "https://127.0.0.2", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "https:///ipsx/gateway", true, kLoaded.url, url},
      {IDC_CONFIG_URL, "https://127.0.0.2/", false, "https://127.0.0.2/", url},
      {IDC_CONFIG_URL, "https://127.0.0.2/ipsx/gateway", false, "https://127.0.0.2/ipsx/gateway", url},
      {IDC_CONFIG_URL, longUrl, false, longUrl.substr(0, 254), url},
      {IDC_CONFIG_TERMINAL_ID, "", true, kLoaded.terminalId, terminal},
      {IDC_CONFIG_TERMINAL_ID, std::string(35, 'T'), false, std::string(28, 'T'), terminal},
      {IDC_CONFIG_BATCH_NUMBER, "0", true, kLoaded.batch, batch},
      {IDC_CONFIG_BATCH_NUMBER, "", true, kLoaded.batch, batch},
      {IDC_CONFIG_BATCH_NUMBER, "   ", true, kLoaded.batch, batch},
      {IDC_CONFIG_BATCH_NUMBER, "abc", true, kLoaded.batch, batch},
      {IDC_CONFIG_BATCH_NUMBER, "00", true, kLoaded.batch, batch},
      {IDC_CONFIG_BATCH_NUMBER, "12", false, "12", batch},
      {IDC_CONFIG_BATCH_NUMBER, "999999", false, "999999", batch},
      {IDC_CONFIG_BATCH_NUMBER, "1000000", true, kLoaded.batch, batch},
      {IDC_CONFIG_MERCHANT_CODE, "", true, kLoaded.merchantCode, merchantCode},
      {IDC_CONFIG_MERCHANT_CODE, "abc", true, kLoaded.merchantCode, merchantCode},
      {IDC_CONFIG_MERCHANT_CODE, "0", false, "0", merchantCode},
      {IDC_CONFIG_MERCHANT_CODE, "9999", false, "9999", merchantCode},
      {IDC_CONFIG_MERCHANT_CODE, "10000", true, kLoaded.merchantCode, merchantCode},
      {IDC_CONFIG_PREFIX_MATCH, "", false, "", prefix},
      {IDC_CONFIG_MERCHANT_ID, "", true, kLoaded.merchantId, merchant},
      {IDC_CONFIG_MERCHANT_ID, "MERCH02", false, "MERCH02", merchant},
      {IDC_CONFIG_ACCOUNT_NUMBER, "", true, "", account},
  };
  for (const Row& row : rows) {
    // Save reads the settings fields; only a Test checks the merchant id and the account.
    const bool testOnly = row.field == IDC_CONFIG_MERCHANT_ID || row.field == IDC_CONFIG_ACCOUNT_NUMBER;
    const int command = testOnly ? IDC_CONFIG_TEST : IDC_OK;
    SCOPED_TRACE("field " + std::to_string(row.field) + " \"" + row.typed + "\"");
    SetUp();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    OpenAndType();
    window.texts[row.field] = row.typed;
    fake::https.body = Reply("00", "OK");

    EXPECT_EQ(row.refused || testOnly ? 0 : 1, Press(command));
    if (row.refused) {
      EXPECT_EQ(1u, window.beeps + window.messageBoxes.size());
      EXPECT_EQ(row.field, window.focus);
      EXPECT_TRUE(fake::profileWriteLog.empty()) << "nothing written, no sequence number used";
      EXPECT_TRUE(SentRequests().empty());
    }
    EXPECT_EQ(row.inEffect, row.value(state.Edited));
    if (testOnly) {
      EXPECT_EQ(kLoaded.merchantId, CurrentSettings.MerchantID) << "a Test changes nothing in effect";
    } else {
      EXPECT_EQ(row.inEffect, row.value(CurrentSettings));
    }
  }
}

TEST_F(ConfigureDialogTest, TheCutUrlIsWhatATestPostsTo) {
  const std::string longUrl = "https://127.0.0.2/" + std::string(300, 'p');
  OpenAndType();
  window.texts[IDC_CONFIG_URL] = longUrl;
  fake::https.body = Reply("00", "APPROVED");
  Press(IDC_CONFIG_TEST);
  const std::vector<Sent> sent = SentRequests();
  ASSERT_EQ(1u, sent.size());
  EXPECT_EQ("127.0.0.2", sent[0].host);
  EXPECT_EQ(longUrl.substr(18, 254 - 18), sent[0].objectName);
}

TEST_F(ConfigureDialogTest, SaveWritesTheSettingsInOrderAndEndsWithOne) {
  Put("StrictCertificates", "1");  // edited by hand only: Save leaves it alone
  LoadPlugin();
  OpenAndType();
  EXPECT_EQ(1, Press(IDC_OK));
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(kConfigSavedEndCode, window.endCode);
  const std::vector<std::string> expected = {
      "Settings/URL=" + kTyped.url,
      "Settings/MerchantID=" + kTyped.merchantId,
      "Settings/TerminalID=" + kTyped.terminalId,
      "Settings/BatchNumber=" + kTyped.batch,
      "Settings/MerchantCode=" + kTyped.merchantCode,
      "Settings/PrefixMatch=" + kTyped.prefix,
  };
  EXPECT_EQ(expected, SettingsWrites());
  EXPECT_EQ(expected.size(), fake::profileWriteLog.size()) << "Save uses no sequence number";
  EXPECT_TRUE(SentRequests().empty());
  EXPECT_TRUE(window.messageBoxes.empty());
  EXPECT_EQ("Campus card", fake::profiles[kIni]["Text"]["TitlePrompt"]);
}

// An empty text field is a value; an empty number field is not, and is never saved as 0:
// the file's refused MerchantCode=abc shows as an empty field, and a Save with it left
// empty keeps the refusal.
TEST_F(ConfigureDialogTest, EmptyTextFieldsAreSavedAsTheyAreAnEmptyNumberIsRefused) {
  Put("MerchantCode", "abc");
  LoadPlugin();
  Values v = kTyped;
  v.merchantCode = "";
  v.prefix = "";
  v.merchantId = "";
  OpenAndType(v, "");
  EXPECT_EQ(0, Press(IDC_OK));
  EXPECT_FALSE(window.ended);
  EXPECT_TRUE(fake::profileWriteLog.empty());
  EXPECT_EQ("abc", fake::profiles[kIni]["Settings"]["MerchantCode"]);
  char refusal[512];
  EXPECT_TRUE(SettingsRefuseSending(refusal, sizeof refusal)) << "still refused";

  window.texts[IDC_CONFIG_MERCHANT_CODE] = "0";
  EXPECT_EQ(1, Press(IDC_OK));
  EXPECT_EQ("0", fake::profiles[kIni]["Settings"]["MerchantCode"]);
  EXPECT_EQ("", fake::profiles[kIni]["Settings"]["PrefixMatch"]);
  EXPECT_EQ("", fake::profiles[kIni]["Settings"]["MerchantID"]);
  EXPECT_FALSE(SettingsRefuseSending(refusal, sizeof refusal));
}

TEST_F(ConfigureDialogTest, SaveThenAFreshLoadGivesBackWhatWasSaved) {
  Values v = kTyped;
  v.merchantId = std::string(35, 'M');  // cut to 28 when read
  v.terminalId = std::string(30, 'T');
  v.batch = "999999";
  v.merchantCode = "742";
  v.prefix = std::string(70, '6');  // cut to 63
  OpenAndType(v);
  ASSERT_EQ(1, Press(IDC_OK));

  LoadPlugin();
  EXPECT_EQ(kTyped.url, CurrentSettings.URL);
  EXPECT_EQ(std::string(28, 'M'), CurrentSettings.MerchantID);
  EXPECT_EQ(std::string(28, 'T'), CurrentSettings.TerminalID);
  EXPECT_EQ(999999, CurrentSettings.BatchNumber);
  EXPECT_EQ(742, CurrentSettings.MerchantCode);
  EXPECT_EQ(std::string(63, '6'), CurrentSettings.PrefixMatch);
  EXPECT_STREQ("Campus card", CurrentSettings.TitlePrompt);

  // The reopened dialog shows them.
  window = fake::RecordingDialogWindow(fake::Controls::Empty);
  ConfigureOnInit(window, state);
  EXPECT_EQ("999999", window.texts[IDC_CONFIG_BATCH_NUMBER]);
  EXPECT_EQ("742", window.texts[IDC_CONFIG_MERCHANT_CODE]);
}

TEST_F(ConfigureDialogTest, WithoutAUsableSettingsPathSaveSaysSoAndKeepsTheValues) {
  fake::modulePathFails = true;
  LoadPlugin();
  ASSERT_STREQ("", SettingsPath);
  OpenAndType();
  EXPECT_EQ(0, Press(IDC_OK));
  EXPECT_FALSE(window.ended);
  ASSERT_EQ(1u, window.messageBoxes.size());
  EXPECT_EQ("The settings could not be saved (plug-in error 1001: the plug-in's folder path is too "
            "long for a file name beside it).",
            window.messageBoxes[0].text);
  EXPECT_EQ("Error", window.messageBoxes[0].caption);
  EXPECT_EQ(kMessageBoxIconError, window.messageBoxes[0].flags);
  EXPECT_TRUE(fake::profileWriteLog.empty());
  EXPECT_EQ(kTyped.url, window.texts[IDC_CONFIG_URL]);
  EXPECT_STREQ(kDefaultGatewayUrl, CurrentSettings.URL) << "nothing unsaved takes effect";
}

// A write that fails keeps the dialog open and names the file and the system's number;
// what was written before it stays written, and a Save once the file can be written
// again writes everything and closes.
TEST_F(ConfigureDialogTest, AFailedSaveIsReportedAndCanBeRepeated) {
  struct Row {
    const char* name;
    int writesBefore;  // writes that succeed before the failing one
    uint32_t error;
    std::vector<std::string> written;
  };
  const Row rows[] = {
      {"read-only file", 0, 5, {}},
      {"disk full after three values", 3, 112,
       {"Settings/URL=" + kTyped.url, "Settings/MerchantID=" + kTyped.merchantId,
        "Settings/TerminalID=" + kTyped.terminalId}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    OpenAndType();
    fake::writesBeforeFailure = row.writesBefore;
    fake::writeError = row.error;

    EXPECT_EQ(0, Press(IDC_OK));
    EXPECT_FALSE(window.ended);
    ASSERT_EQ(1u, window.messageBoxes.size());
    EXPECT_EQ("The settings could not be saved to C:\\Station\\CSPlugin.INI (error " +
                  std::to_string(row.error) + ").",
              window.messageBoxes[0].text);
    EXPECT_EQ("Error", window.messageBoxes[0].caption);
    EXPECT_EQ(kMessageBoxIconError, window.messageBoxes[0].flags);
    EXPECT_FALSE(window.messageBoxes[0].station);
    EXPECT_EQ(row.written, SettingsWrites()) << "stops at the failing write";
    EXPECT_EQ(kLoaded.prefix, fake::profiles[kIni]["Settings"]["PrefixMatch"]);
    EXPECT_EQ(kLoaded.url, CurrentSettings.URL) << "nothing takes effect before the file has it";

    fake::writesBeforeFailure = -1;
    EXPECT_EQ(1, Press(IDC_OK));
    EXPECT_EQ(kConfigSavedEndCode, window.endCode);
    EXPECT_EQ(kTyped.url, CurrentSettings.URL);
    EXPECT_EQ(1u, window.messageBoxes.size());
    EXPECT_EQ(kTyped.prefix, fake::profiles[kIni]["Settings"]["PrefixMatch"]);
    EXPECT_EQ(kTyped.batch, fake::profiles[kIni]["Settings"]["BatchNumber"]);
  }
}

TEST_F(ConfigureDialogTest, TestOutcomesAreShownInTheSystemMessageBox) {
  struct Row {
    const char* name;
    std::optional<TransportStep> failAt;
    int error;
    unsigned long status;
    std::string reply;
    std::string url;
    std::string text;
    std::string caption;
    unsigned flags;
    bool sent;
  };
  const std::string url = kTyped.url;
  const Row rows[] = {
      {"approved", std::nullopt, 0, 200, Reply("00", "APPROVED THANK YOU"), url,
       "Response Code: 00\nMessage: APPROVED THANK YOU", "Success!", kMessageBoxIconInformation,
       true},
      {"declined", std::nullopt, 0, 200, Reply("05", "DECLINED"), url,
       "Response Code: 05\nMessage: DECLINED", "Error", kMessageBoxIconError, true},
      {"empty reply", std::nullopt, 0, 200, "", url,
       "Response Code: 99\nMessage: Unknown data", "Error", kMessageBoxIconError, true},
      {"reply beginning Error:", std::nullopt, 0, 200, "Error: gateway down", url,
       "Error: gateway down\nThe gateway answered with an error text of its own.", "Error",
       kMessageBoxIconError, true},
      // A transport failure, then the plain line that says what it means.
      {"send fails", TransportStep::Send, 12029, 200, "", url,
       "Error: HTTP Send [12029]\nNothing answers at this address and port.", "Error",
       kMessageBoxIconError, true},
      {"server status 500", std::nullopt, 0, 500, "", url,
       "Error: HTTP Server [500]\nThe gateway's server failed while handling the request (HTTP 500).",
       "Error", kMessageBoxIconError, true},
      {"a number no table knows", TransportStep::Send, 12345, 200, "", url,
       fake::FailureText(TransportStep::Send, 12345), "Error", kMessageBoxIconError, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    fake::https.failingStep = row.failAt;
    fake::https.errorNumber = row.error;
    fake::https.status = row.status;
    fake::https.body = row.reply;
    bool waitCursorDuringSend = false;
    fake::https.duringSend = [&] { waitCursorDuringSend = window.waitCursors == 1; };
    Values v = kTyped;
    v.url = row.url;
    OpenAndType(v);

    EXPECT_EQ(0, Press(IDC_CONFIG_TEST));
    EXPECT_FALSE(window.ended);
    ASSERT_EQ(1u, window.messageBoxes.size());
    EXPECT_EQ(WithVersion(row.text), window.messageBoxes[0].text);
    EXPECT_EQ(row.caption, window.messageBoxes[0].caption);
    EXPECT_EQ(row.flags, window.messageBoxes[0].flags);
    EXPECT_FALSE(window.messageBoxes[0].station);
    EXPECT_EQ(row.sent ? 1u : 0u, SentRequests().size());
    EXPECT_EQ(row.sent, waitCursorDuringSend);
    EXPECT_EQ(0, window.waitCursors);
    const int wait = window.IndexOf("wait");
    const int restore = window.IndexOf("restore");
    EXPECT_LE(0, wait);
    EXPECT_LT(wait, restore);
    EXPECT_EQ(static_cast<size_t>(restore + 2), window.log.size()) << "the box comes last";
    EXPECT_TRUE(SettingsWrites().empty());
    EXPECT_EQ("1", SeqNumber("Batch000012")) << "every test uses up a number";
  }
}

// The certificate the exchange met follows the verdict, whatever the verdict; the
// strict setting reaches the request.
TEST_F(ConfigureDialogTest, TheCertificateFollowsTheVerdict) {
  const GatewayCertificate soon = {true, "gateway.test", "Station Test CA", {2018, 7, 28, 9, 0, 0}};
  const std::string lines =
      "Certificate issued to: gateway.test\nCertificate issued by: Station Test CA\n"
      "Certificate valid until: 2018-07-28\nWarning: the gateway's certificate expires in 10 days.";
  struct Row {
    const char* name;
    bool strict;
    std::optional<TransportStep> failAt;
    int error;
    std::string reply;
    std::optional<GatewayCertificate> certificate;
    std::string text;
  };
  const Row rows[] = {
      {"approved", false, std::nullopt, 0, Reply("00", "APPROVED"), soon,
       "Response Code: 00\nMessage: APPROVED\n" + lines},
      {"declined", false, std::nullopt, 0, Reply("05", "DECLINED"), soon,
       "Response Code: 05\nMessage: DECLINED\n" + lines},
      {"refused by strict checks", true, TransportStep::Send, 12038, "", soon,
       "Error: HTTP Send [12038]\nThe gateway's certificate is made out for another host name.\n" +
           lines},
      {"nothing listens", false, TransportStep::Send, 12029, "", std::nullopt,
       "Error: HTTP Send [12029]\nNothing answers at this address and port."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    Put("StrictCertificates", row.strict ? "1" : "0");
    LoadPlugin();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    fake::https.failingStep = row.failAt;
    fake::https.errorNumber = row.error;
    fake::https.body = row.reply;
    fake::https.certificate = row.certificate;
    OpenAndType();
    Press(IDC_CONFIG_TEST);
    ASSERT_EQ(1u, window.messageBoxes.size());
    EXPECT_EQ(WithVersion(row.text), window.messageBoxes[0].text);
    const std::string request = std::string("request ipsx/gateway") + (row.strict ? " strict" : "");
    EXPECT_NE(fake::httpsCalls.end(), std::find(fake::httpsCalls.begin(), fake::httpsCalls.end(), request));
  }
}

// A charge dialog that its owner destroyed while its worker ran: a Test in the meantime
// would overwrite the request and reply under that worker, so it sends nothing.
TEST_F(ConfigureDialogTest, NoTestWhileAnEarlierWorkerStillRuns) {
  fake::ResetFakeWorker();
  fake::RecordingDialogWindow charge;
  TransactionDialogState chargeState{};
  ChargeDialogStart(charge, chargeState, 150);
  charge.texts[IDC_CARD_ENTRY] = kAccount;
  ChargeDialogCommand(charge, chargeState, IDC_OK);
  ChargeDialogCommand(charge, chargeState, IDC_OK);
  ASSERT_EQ(1, fake::workerStarts);
  fake::startedJob->Status.store(kJobBusy);
  EndTransactionDialog(charge, chargeState);  // destroyed, not closed
  const auto writesBefore = fake::profileWriteLog.size();

  OpenAndType();
  fake::https.body = Reply("00", "APPROVED");
  EXPECT_EQ(0, Press(IDC_CONFIG_TEST));
  ASSERT_EQ(1u, window.messageBoxes.size());
  EXPECT_EQ("Error: An earlier transaction is still running.", window.messageBoxes[0].text);
  EXPECT_EQ("Error", window.messageBoxes[0].caption);
  EXPECT_EQ(kMessageBoxIconError, window.messageBoxes[0].flags);
  EXPECT_TRUE(fake::httpsCalls.empty());
  EXPECT_EQ(writesBefore, fake::profileWriteLog.size()) << "no sequence number used";
  // The card dialogs say the same, and that nothing went out.
  EXPECT_STREQ("Error: An earlier transaction is still running.\nNothing was sent to the gateway.",
               kEarlierWorkerRunningText);

  // Once it has finished, the Test goes ahead.
  RunExchangeJob(*fake::startedJob);
  fake::httpsCalls.clear();
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(1u, SentRequests().size());
  EXPECT_EQ("Success!", window.messageBoxes.back().caption);
}

TEST_F(ConfigureDialogTest, TheTestSendsTransactionCode100AndAmount100ForTheTypedAccount) {
  OpenAndType();
  fake::https.body = Reply("00", "OK");
  Press(IDC_CONFIG_TEST);
  const std::vector<Sent> requests = SentRequests();
  ASSERT_EQ(1u, requests.size());
  const Sent& sent = requests[0];
  EXPECT_EQ("127.0.0.2", sent.host);
  EXPECT_EQ("ipsx/gateway", sent.objectName);
  const std::string expectedStart =
      "Transaction=IPS.123456%1C021000MERCH01%1CTERM7%1CC0000012000001CU00%20D706" + kAccount +
      "%1CH%1CY%1C%1C100%1C%1C%1C%1C5411%1C840%1CU%1CN07182018140509%1C";
  EXPECT_EQ(0u, sent.body.find(expectedStart)) << sent.body;
  EXPECT_EQ(kTestTransactionCode, state.Record.TransactionCode);
  EXPECT_EQ(kTestAmountCents, state.Record.AmountCents);
  EXPECT_EQ(kAccount, state.Record.CardNumber);
}

TEST_F(ConfigureDialogTest, TheAccountNumberIsTakenAsTypedUpTo78Characters) {
  const std::string typed = ";" + std::string(90, '9') + "?";
  OpenAndType(kTyped, typed);
  fake::https.body = Reply("00", "OK");
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(typed.substr(0, 78), state.Record.CardNumber);
}

TEST_F(ConfigureDialogTest, EachTestUsesUpTheNextSequenceNumberOfTheTypedBatch) {
  fake::storeFiles[kSeqIni] = "[Batch000012]\r\nSeqNumber=41\r\n";
  OpenAndType();
  fake::https.body = Reply("05", "DECLINED");
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(42, state.Record.SequenceNumber);
  fake::https.failingStep = TransportStep::Connect;
  fake::https.errorNumber = 12007;
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(43, state.Record.SequenceNumber);
  EXPECT_EQ("43", SeqNumber("Batch000012"));
  EXPECT_EQ(WithVersion(fake::FailureText(TransportStep::Connect, 12007) + FindTransportError(12007)->meaning),
            window.messageBoxes.back().text);

  window.texts[IDC_CONFIG_BATCH_NUMBER] = "7";
  fake::https.failingStep = std::nullopt;
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(1, state.Record.SequenceNumber);
  EXPECT_EQ("1", SeqNumber("Batch000007"));
  EXPECT_EQ(3u, window.messageBoxes.size());
}

// A Test sends with the typed values, leaving the settings in effect alone; Cancel and
// the close box drop the dialog's copy.
TEST_F(ConfigureDialogTest, ATestAndCancelOrCloseLeaveTheSettingsInEffectAlone) {
  for (const bool cancel : {true, false}) {
    SCOPED_TRACE(cancel ? "Cancel" : "close box");
    SetUp();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    OpenAndType();
    fake::https.body = Reply("00", "OK");
    Press(IDC_CONFIG_TEST);
    ASSERT_EQ(1u, SentRequests().size());
    EXPECT_EQ("127.0.0.2", SentRequests()[0].host) << "the Test posts to the typed URL";
    EXPECT_EQ(kLoaded.url, CurrentSettings.URL) << "while the dialog is open";
    if (cancel) {
      Press(IDC_CANCEL);
    } else {
      ConfigureOnClose(window, state);
    }
    EXPECT_EQ(kLoaded.url, CurrentSettings.URL);
    EXPECT_EQ(kLoaded.merchantId, CurrentSettings.MerchantID);
    EXPECT_EQ(kLoaded.terminalId, CurrentSettings.TerminalID);
    EXPECT_EQ(3, CurrentSettings.BatchNumber);
    EXPECT_EQ(5999, CurrentSettings.MerchantCode);
    EXPECT_EQ(kLoaded.prefix, CurrentSettings.PrefixMatch);
    EXPECT_TRUE(SettingsWrites().empty());
  }
}

// A number the file gets wrong stops the Test as it stops a charge, until Save writes a
// good one; a switch it does not understand is named in every Test's box.
TEST_F(ConfigureDialogTest, SettingsFileFaultsReachTheTestsBox) {
  Put("BatchNumber", "abc");
  Put("Journal", "maybe");
  LoadPlugin();
  ASSERT_EQ(1, ConfigureOnInit(window, state));
  EXPECT_EQ("", window.texts[IDC_CONFIG_BATCH_NUMBER]);
  const std::string onOffLine =
      "\nSettings: Journal=maybe is not understood (1/0, yes/no, true/false, on/off); it stays on.";
  const std::string refused = WithVersion(std::string("The settings file ") + kIni +
                                          " has BatchNumber=abc, not a number from 1 to 999999.\nNothing was sent." +
                                          onOffLine);
  // As the dialog opened, the refused number's field empty: the Test says why, no beep.
  window.texts[IDC_CONFIG_MERCHANT_ID] = "887700123";
  window.texts[IDC_CONFIG_ACCOUNT_NUMBER] = kAccount;
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(0, window.beeps);
  ASSERT_EQ(1u, window.messageBoxes.size());
  EXPECT_EQ(refused, window.messageBoxes[0].text);
  OpenAndType();
  Press(IDC_CONFIG_TEST);
  EXPECT_TRUE(SentRequests().empty());
  ASSERT_EQ(2u, window.messageBoxes.size());
  EXPECT_EQ(refused, window.messageBoxes[1].text);
  Press(IDC_OK);
  OpenAndType();
  fake::https.body = Reply("00", "OK");
  Press(IDC_CONFIG_TEST);
  EXPECT_EQ(1u, SentRequests().size());
  EXPECT_EQ(WithVersion("Response Code: 00\nMessage: OK" + onOffLine), window.messageBoxes.back().text);
}

// A data folder the plug-in cannot write in: the Test sends nothing and says so; Save
// saves, says so and names the folder, and ends.
TEST_F(ConfigureDialogTest, ADataFolderThatCannotBeWrittenIsReported) {
  Put("DataFolder", "D:\\Data");
  LoadPlugin();
  fake::folderErrors["D:\\Data\\"] = 3;
  const std::string fault =
      "The data folder D:\\Data\\ does not exist or cannot be written (error 3): nothing can be sent until "
      "every user of the station may create and change files in it (see ADMIN.md, \"Installing\").";
  OpenAndType();
  Press(IDC_CONFIG_TEST);
  EXPECT_TRUE(SentRequests().empty());
  EXPECT_EQ(0, fake::storeReplaces);
  ASSERT_EQ(1u, window.messageBoxes.size());
  EXPECT_EQ(fault + "\nData folder: D:\\Data\\\nPlug-in version " PRODUCT_VERSION_TEXT, window.messageBoxes[0].text);
  EXPECT_EQ(1, Press(IDC_OK));
  ASSERT_EQ(2u, window.messageBoxes.size());
  EXPECT_EQ(std::string("The settings were saved to ") + kIni + ".\n" + fault, window.messageBoxes[1].text);
  EXPECT_EQ(kConfigSavedEndCode, window.endCode);
  EXPECT_EQ(kTyped.url, fake::profiles[kIni]["Settings"]["URL"]);
}

TEST_F(ConfigureDialogTest, TheCloseBoxEndsWithOneAndNeitherReadsNorWrites) {
  OpenAndType();
  window.log.clear();
  EXPECT_EQ(1, ConfigureOnClose(window, state));
  EXPECT_EQ(kConfigClosedEndCode, window.endCode);
  EXPECT_EQ(std::vector<std::string>{"end 1"}, window.log);
  EXPECT_TRUE(fake::profileWriteLog.empty());
  EXPECT_EQ(kLoaded.url, CurrentSettings.URL);
}

TEST_F(ConfigureDialogTest, OtherCommandsDoNothing) {
  OpenAndType();
  window.log.clear();
  for (int id : {0, 3, 100, 110, 119, 999}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(0, Press(id));
  }
  EXPECT_TRUE(window.log.empty());
}

// Closing the dialog, however it closes, takes the test account number with it: from
// its field, the record, and the request and reply that carried it.
TEST_F(ConfigureDialogTest, ClosingErasesTheTestAccountNumber) {
  for (const int way : {IDC_OK, IDC_CANCEL, 0}) {
    SCOPED_TRACE(way);
    SetUp();
    window = fake::RecordingDialogWindow(fake::Controls::Empty);
    OpenAndType();
    fake::https.body = Reply("05", "DECLINED " + kAccount);  // a gateway that echoes it
    Press(IDC_CONFIG_TEST);
    ASSERT_EQ(kAccount, state.Record.CardNumber) << "in effect until the dialog closes";
    if (way == 0) {
      ConfigureOnClose(window, state);
    } else {
      Press(way);
    }
    EXPECT_EQ(0, ConfigureOnDestroy(window, state));
    EXPECT_EQ("", window.Text(IDC_CONFIG_ACCOUNT_NUMBER));
    EXPECT_EQ(1u, window.erased.count(IDC_CONFIG_ACCOUNT_NUMBER));
    for (const auto& [name, data, size] :
         {std::tuple{"card number", state.Record.CardNumber, sizeof state.Record.CardNumber},
          std::tuple{"scratch text", state.ScratchText, sizeof state.ScratchText}}) {
      EXPECT_EQ(std::string(size, '\0'), std::string(data, size)) << name;
    }
  }
}

// The Test obeys the write-ahead rule as a charge does, and names a side file.
TEST_F(ConfigureDialogTest, TestSendsNothingWithoutItsNumberAndNamesASideFile) {
  CurrentSettings.Journal = true;
  const std::string month = "C:\\Station\\CSJournal-2018-07.csv";
  struct Row { const char* what; unsigned long replaceError, monthError; std::string last; size_t sent; };
  const Row rows[] = {
      {"store not written", 5, 0,
       "Not sent: nothing was charged.\nThe sequence number could not be stored in " + std::string(kSeqIni) +
           " (error 5).\nPlease ask staff for help.", 0},
      {"month's journal held", 0, 32,
       "\nJournal: written to C:\\Station\\CSJournal-2018-07-2.csv; the month's file is held by "
       "another program (error 32)", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::storeReplaceError = row.replaceError;
    fake::journalPathErrors.clear();
    if (row.monthError != 0) fake::journalPathErrors[month] = row.monthError;
    fake::https.body = Reply("00", "APPROVED");
    const size_t sentBefore = SentRequests().size();
    OpenAndType();
    Press(IDC_CONFIG_TEST);
    EXPECT_EQ(row.sent, SentRequests().size() - sentBefore);
    const std::string& text = window.messageBoxes.back().text;
    const std::string last = WithVersion(row.last);
    EXPECT_EQ(last, text.substr(text.size() - std::min(text.size(), last.size()))) << text;
  }
}

}  // namespace
