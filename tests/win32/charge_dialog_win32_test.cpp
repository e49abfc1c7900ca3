// The card charge dialog as a station uses it: SPMAccounting opens it on the test's
// thread, a driver thread types the card into it like a keyboard-wedge reader and
// presses its buttons, and the gateway stand-in answers over TLS. What the gateway
// received is read from its journal, the sequence numbers from the file beside the
// plug-in copy.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "card_dialog_session.h"
#include "tools/dialog_driver/dialog_driver_win32.h"

using namespace cardtest;

namespace {

constexpr int32_t kAmountCents = 150;
constexpr const char* kConfirmation =
    "A charge of 1.50 will be made to your account.\n"
    "Press OK to continue, or press Cancel to go back.";
constexpr const char* kInProgress = "Transaction in progress.";
constexpr int32_t kApproved = 1;
constexpr int32_t kNotApproved = 2;
constexpr int32_t kOpeningBalance = 100000;  // of the cards below, dialog_accounts.txt

constexpr const char* kCard = "6039501000001101";
constexpr const char* kPoorCard = "6039501000001151";  // 40 cents on it
constexpr const char* kSlowCard = "6039501000001205";  // answered after 3 s
constexpr const char* kSpareCard = "6039501000001301";  // never gets as far as the gateway

class ChargeDialogWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::ResetHost();
    ASSERT_NE("", testenv::GatewaysDir()) << "run under tests/win32/run_with_gateways.sh";
  }

  static int32_t Charge(StationPlugin& plugin, int32_t cents, const std::function<void(HWND)>& drive) {
    return RunDialog([&] { return plugin.charge(nullptr, 0, cents); }, drive);
  }
};

// Types the card as a reader does and confirms the amount shown; the transaction runs.
void SwipeAndConfirm(HWND dialog, const std::string& card) {
  driver::TypeText(dialog, kEntry, card);
  driver::Click(dialog, IDOK);
  ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, kConfirmation));
  driver::Click(dialog, IDOK);
}

TEST_F(ChargeDialogWin32Test, ApprovedChargeSendsTheRecordAndLowersTheCardBalance) {
  StationPlugin plugin("charge-approved", kDialogGateway);
  const int32_t balanceBefore = CardBalance(kDialogGateway, MaskedCard(kCard), kOpeningBalance);
  const size_t sent = JournalSize(kDialogGateway);
  // Track 1 carries another number, so the journal shows which track was taken.
  const std::string swipe = "%B6039509999999999^CARDHOLDER/TEST^4912101000000000000?;" +
                            std::string(kCard) + "=4912101?";

  const int32_t endCode = Charge(plugin, kAmountCents, [&](HWND dialog) {
    EXPECT_EQ(kTemplateCaption, driver::WindowText(dialog));
    EXPECT_EQ(kTemplatePrompt, driver::ItemText(dialog, kMessageLine));
    EXPECT_TRUE(ItemStyle(dialog, kEntry) & ES_PASSWORD);
    EXPECT_FALSE(driver::IsItemVisible(dialog, kMiniIcon));
    EXPECT_FALSE(driver::IsItemVisible(dialog, kExitIcon));
    SaveShot(dialog, "charge-card-entry");

    driver::TypeText(dialog, kEntry, swipe);
    driver::Click(dialog, IDOK);
    ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, kConfirmation));
    EXPECT_EQ("&OK", driver::ItemText(dialog, IDOK));
    EXPECT_FALSE(driver::IsItemVisible(dialog, kEntry));
    SaveShot(dialog, "charge-confirm");
    driver::Click(dialog, IDOK);
  });

  EXPECT_EQ(kApproved, endCode);
  ASSERT_EQ(sent + 1, JournalSize(kDialogGateway));
  const std::string line = LastJournalLine(kDialogGateway);
  const struct {
    const char* key;
    std::string expected;
  } fields[] = {
      {"tc", "200"},
      {"merchant", kMerchantId},
      {"terminal", kTerminalId},
      {"batch", SixDigits(kBatchNumber)},
      {"seq", SixDigits(kSeededSequence + 1)},
      {"zone", ZoneCodeHere()},
      {"card", MaskedCard(kCard)},
      {"track", "yes"},
      {"amount", std::to_string(kAmountCents)},
      {"rc", "00"},
      {"balance", std::to_string(balanceBefore - kAmountCents)},
      {"reason", "-"},
  };
  for (const auto& field : fields) {
    SCOPED_TRACE(field.key);
    EXPECT_EQ(field.expected, testenv::JournalValue(line, field.key)) << line;
  }
  EXPECT_EQ(kSeededSequence + 1, plugin.StoredSequence());
}

TEST_F(ChargeDialogWin32Test, FailedTransactionIsShownUntilCancel) {
  const struct {
    const char* name;
    const char* gateway;
    const char* card;
    std::string shown;
    size_t journaled;  // lines the dialog's gateway adds
    const char* shot;
  } rows[] = {
      {"declined", kDialogGateway, kPoorCard, "Transaction error:\n[51] INSUFFICIENT FUNDS", 1,
       "charge-declined"},
      // A transport failure is shown exactly as the transport words it.
      {"no listener", kNoListener, kCard, testenv::FailureText(TransportStep::Send, 12029), 0, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testenv::ResetHost();
    StationPlugin plugin(std::string("charge-") + row.name, row.gateway);
    const size_t sent = JournalSize(row.gateway);

    const int32_t endCode = Charge(plugin, kAmountCents, [&](HWND dialog) {
      SwipeAndConfirm(dialog, row.card);
      ASSERT_TRUE(WaitForCaption(dialog, kErrorCaption));
      EXPECT_EQ(row.shown, driver::ItemText(dialog, kMessageLine));
      EXPECT_FALSE(driver::IsItemEnabled(dialog, IDOK));
      EXPECT_TRUE(driver::IsItemEnabled(dialog, IDCANCEL));
      if (row.shot != nullptr) SaveShot(dialog, row.shot);
      PressCancel(dialog);
    });

    EXPECT_EQ(kNotApproved, endCode);
    EXPECT_EQ(sent + row.journaled, JournalSize(row.gateway));
    if (row.journaled != 0) {
      const std::string line = LastJournalLine(row.gateway);
      EXPECT_EQ("51", testenv::JournalValue(line, "rc")) << line;
      EXPECT_EQ("40", testenv::JournalValue(line, "balance")) << line;
    }
    // The confirm step used up a number, whatever came of it.
    EXPECT_EQ(kSeededSequence + 1, plugin.StoredSequence());
  }
}

TEST_F(ChargeDialogWin32Test, LeavingBeforeTheConfirmStepSendsNothing) {
  const struct {
    const char* name;
    const char* typed;
    const char* shown;
    void (*leave)(HWND);
  } rows[] = {
      {"refused prefix, Cancel", "5039501000000301", "Invalid card number.", PressCancel},
      {"shorter than the prefix, close box", "6039", "Invalid card number.", PressCloseBox},
      {"confirmation, Cancel", kSpareCard, kConfirmation, PressCancel},
      {"confirmation, Escape", kSpareCard, kConfirmation, PressEscape},
      {"confirmation, close box", kSpareCard, kConfirmation, PressCloseBox},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StationPlugin plugin("charge-leave", kDialogGateway);
    const std::string storeBefore = plugin.SequenceStore();
    const size_t sent = JournalSize(kDialogGateway);
    const bool refused = std::string(row.shown) != kConfirmation;

    const int32_t endCode = Charge(plugin, kAmountCents, [&](HWND dialog) {
      driver::TypeText(dialog, kEntry, row.typed);
      driver::Click(dialog, IDOK);
      ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, row.shown));
      EXPECT_FALSE(driver::IsItemVisible(dialog, kEntry));
      EXPECT_EQ(!refused, driver::IsItemEnabled(dialog, IDOK));
      EXPECT_TRUE(driver::IsItemEnabled(dialog, IDCANCEL));
      row.leave(dialog);
    });

    EXPECT_EQ(kNotApproved, endCode);
    EXPECT_EQ(sent, JournalSize(kDialogGateway));
    EXPECT_EQ(storeBefore, plugin.SequenceStore());
  }
}

TEST_F(ChargeDialogWin32Test, SlowGatewayShowsProgressAndTheDialogWaitsForTheResult) {
  StationPlugin plugin("charge-slow", kDialogGateway);
  const size_t sent = JournalSize(kDialogGateway);
  const std::string twoDots = std::string(kInProgress) + ".";
  const std::string threeDots = twoDots + ".";

  const int32_t endCode = Charge(plugin, kAmountCents, [&](HWND dialog) {
    SwipeAndConfirm(dialog, kSlowCard);
    ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, twoDots));
    EXPECT_FALSE(driver::IsItemEnabled(dialog, IDOK));
    EXPECT_FALSE(driver::IsItemEnabled(dialog, IDCANCEL));
    SaveShot(dialog, "charge-in-progress");

    // Every way out a user has while the buttons are disabled. The next tick's text
    // comes after all of them have been handled.
    PressEscape(dialog);
    PressCloseBox(dialog);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForExactText(dialog, kMessageLine, threeDots));
    EXPECT_TRUE(IsWindow(dialog)) << "closed while the transaction was running";
  });

  EXPECT_EQ(kApproved, endCode) << "the approval must not be lost to an attempt to close";
  ASSERT_EQ(sent + 1, JournalSize(kDialogGateway));
  EXPECT_EQ("delay:3", testenv::JournalValue(LastJournalLine(kDialogGateway), "behaviour"));
}

TEST_F(ChargeDialogWin32Test, ConfiguredTextsReplaceTheTemplateTexts) {
  // A "\n" in a prompt of the settings file is a line break after a blank.
  StationPlugin plugin("charge-texts", kDialogGateway,
                       "SwipePrompt=Swipe your campus card\\nor type its number.\r\n"
                       "TitlePrompt=Campus Card Payment\r\n"
                       "ValidationPrompt=Pay %.2f for your prints?\\nCancel goes back.\r\n");

  const int32_t endCode = Charge(plugin, 123456, [&](HWND dialog) {
    EXPECT_EQ("Campus Card Payment", driver::WindowText(dialog));
    EXPECT_EQ("Swipe your campus card \nor type its number.", driver::ItemText(dialog, kMessageLine));
    driver::TypeText(dialog, kEntry, kSpareCard);
    driver::Click(dialog, IDOK);
    EXPECT_TRUE(WaitForExactText(dialog, kMessageLine, "Pay 1234.56 for your prints? \nCancel goes back."));
    EXPECT_EQ("Campus Card Payment", driver::WindowText(dialog));
    PressCancel(dialog);
  });

  EXPECT_EQ(kNotApproved, endCode);
}

}  // namespace
