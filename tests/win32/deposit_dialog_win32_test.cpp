// The deposit dialog as a station uses it: SPMDeposit opens it on the test's thread, a
// driver thread types the card like a keyboard-wedge reader and the amount like a
// user, and the gateway stand-in answers over TLS. The station's deposit and
// message-box functions are this test program's recording ones (testenv::host).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "card_dialog_session.h"
#include "tools/dialog_driver/dialog_driver_win32.h"

using namespace cardtest;
using testenv::host;

namespace {

constexpr int32_t kBalanceCents = 1234;
constexpr const char* kAskForAmount = "Current print balance is 12.34.\nEnter amount to deposit:";
constexpr const char* kAmountRefused = "Amounts of 1 to 21474836 can be deposited.\nEnter amount to deposit:";
constexpr const char* kNoDepositFunction =
    "Deposits are not available at this station.\nPress Cancel to close.";
constexpr int32_t kNotDeposited = 0;
constexpr int32_t kOpeningBalance = 100000;  // of the active cards below, dialog_accounts.txt

constexpr const char* kCard = "6039502000002101";
constexpr const char* kFractionCard = "6039502000002102";
constexpr const char* kUnbookedCard = "6039502000002103";
constexpr const char* kRefusalsCard = "6039502000002104";
constexpr const char* kBlockedCard = "6039502000002105";

class DepositDialogWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::ResetHost();
    ASSERT_NE("", testenv::GatewaysDir()) << "run under tests/win32/run_with_gateways.sh";
  }

  static int32_t Deposit(StationPlugin& plugin, const std::string& user,
                         const std::function<void(HWND)>& drive) {
    return RunDialog([&] { return plugin.deposit(nullptr, user.c_str(), kBalanceCents); }, drive);
  }
};

// The card step: the card typed as a reader does, then the amount step's prompt.
void EnterCard(HWND dialog, const std::string& card) {
  driver::TypeText(dialog, kEntry, card);
  driver::Click(dialog, IDOK);
  ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, kAskForAmount));
}

// Types an amount and presses OK; the dialog takes it once the field is empty again.
void EnterAmount(HWND dialog, const std::string& amount) {
  driver::TypeText(dialog, kEntry, amount);
  EXPECT_EQ(amount, driver::ItemText(dialog, kEntry));
  driver::Click(dialog, IDOK);
}

TEST_F(DepositDialogWin32Test, ApprovedDepositIsBookedWithTheStation) {
  const struct {
    const char* name;
    std::string user;
    const char* card;
    const char* amount;
    int32_t cents;
    std::string booked;  // the user text the station's deposit function receives
  } rows[] = {
      {"whole units", "alice", kCard, "20", 2000, "alice"},
      // Fractions of a unit are dropped.
      {"fraction", "bob", kFractionCard, "12.99", 1200, "bob"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testenv::ResetHost();
    StationPlugin plugin("deposit-approved", kDialogGateway);
    const int32_t cardBefore = CardBalance(kDialogGateway, MaskedCard(row.card), kOpeningBalance);
    const size_t sent = JournalSize(kDialogGateway);
    const bool firstRow = &row == &rows[0];

    const int32_t endCode = Deposit(plugin, row.user, [&](HWND dialog) {
      EXPECT_EQ(kTemplatePrompt, driver::ItemText(dialog, kMessageLine));
      EXPECT_TRUE(ItemStyle(dialog, kEntry) & ES_PASSWORD);
      if (firstRow) SaveShot(dialog, "deposit-card");
      EnterCard(dialog, row.card);
      // The same field takes the amount, empty and in clear text now.
      EXPECT_EQ("", driver::ItemText(dialog, kEntry));
      EXPECT_TRUE(driver::IsItemVisible(dialog, kEntry));
      EXPECT_FALSE(ItemStyle(dialog, kEntry) & ES_PASSWORD);
      EXPECT_EQ("&Next >", driver::ItemText(dialog, IDOK));
      driver::TypeText(dialog, kEntry, row.amount);
      if (firstRow) SaveShot(dialog, "deposit-amount");
      driver::Click(dialog, IDOK);
    });

    EXPECT_EQ(row.cents, endCode);
    ASSERT_EQ(1u, host.depositCalls.size());
    EXPECT_EQ(row.booked, host.depositCalls[0].user);
    EXPECT_EQ(row.cents, host.depositCalls[0].amount);
    EXPECT_EQ(kBalanceCents, host.depositCalls[0].balance);
    EXPECT_TRUE(host.messageBoxes.empty());

    ASSERT_EQ(sent + 1, JournalSize(kDialogGateway));
    const std::string line = LastJournalLine(kDialogGateway);
    EXPECT_EQ("200", testenv::JournalValue(line, "tc")) << line;
    EXPECT_EQ(MaskedCard(row.card), testenv::JournalValue(line, "card")) << line;
    EXPECT_EQ(std::to_string(row.cents), testenv::JournalValue(line, "amount")) << line;
    EXPECT_EQ("00", testenv::JournalValue(line, "rc")) << line;
    EXPECT_EQ(std::to_string(cardBefore - row.cents), testenv::JournalValue(line, "balance")) << line;
    EXPECT_EQ(SixDigits(kSeededSequence + 1), testenv::JournalValue(line, "seq")) << line;
    EXPECT_EQ(kSeededSequence + 1, plugin.StoredSequence());
  }
}

TEST_F(DepositDialogWin32Test, FailedTransactionIsShownAndNothingIsBooked) {
  const struct {
    const char* name;
    const char* gateway;
    const char* card;
    std::string shown;
    size_t journaled;
    const char* shot;
  } rows[] = {
      {"declined", kDialogGateway, kBlockedCard, "Transaction error:\n[05] DECLINED", 1, "deposit-declined"},
      {"no listener", kNoListener, kCard, testenv::FailureText(TransportStep::Send, 12029), 0, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testenv::ResetHost();
    StationPlugin plugin(std::string("deposit-") + row.name, row.gateway);
    const size_t sent = JournalSize(row.gateway);

    const int32_t endCode = Deposit(plugin, "alice", [&](HWND dialog) {
      EnterCard(dialog, row.card);
      EnterAmount(dialog, "5");
      ASSERT_TRUE(WaitForCaption(dialog, kErrorCaption));
      EXPECT_EQ(row.shown, driver::ItemText(dialog, kMessageLine));
      EXPECT_FALSE(driver::IsItemEnabled(dialog, IDOK));
      EXPECT_TRUE(driver::IsItemEnabled(dialog, IDCANCEL));
      EXPECT_FALSE(driver::IsItemVisible(dialog, kEntry));
      if (row.shot != nullptr) SaveShot(dialog, row.shot);
      PressCancel(dialog);
    });

    EXPECT_EQ(kNotDeposited, endCode);
    EXPECT_TRUE(host.depositCalls.empty());
    EXPECT_EQ(sent + row.journaled, JournalSize(row.gateway));
    if (row.journaled != 0) {
      EXPECT_EQ("05", testenv::JournalValue(LastJournalLine(row.gateway), "rc"));
    }
    EXPECT_EQ(kSeededSequence + 1, plugin.StoredSequence());
  }
}

TEST_F(DepositDialogWin32Test, CancelBeforeTheTransactionSendsNothing) {
  const struct {
    const char* name;
    bool afterCard;
    void (*leave)(HWND);
  } rows[] = {
      {"card step, Cancel", false, PressCancel},
      {"amount step, Cancel", true, PressCancel},
      {"amount step, Escape", true, PressEscape},
      {"amount step, close box", true, PressCloseBox},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testenv::ResetHost();
    StationPlugin plugin("deposit-cancel", kDialogGateway);
    const std::string storeBefore = plugin.SequenceStore();
    const size_t sent = JournalSize(kDialogGateway);

    const int32_t endCode = Deposit(plugin, "alice", [&](HWND dialog) {
      if (row.afterCard) {
        EnterCard(dialog, kCard);
        driver::TypeText(dialog, kEntry, "5");
      }
      row.leave(dialog);
    });

    EXPECT_EQ(kNotDeposited, endCode);
    EXPECT_TRUE(host.depositCalls.empty());
    EXPECT_EQ(sent, JournalSize(kDialogGateway));
    EXPECT_EQ(storeBefore, plugin.SequenceStore());
  }
}

TEST_F(DepositDialogWin32Test, RefusedAmountsAreClearedAndTheAmountStepStays) {
  StationPlugin plugin("deposit-refused", kDialogGateway);
  const size_t sent = JournalSize(kDialogGateway);

  const int32_t endCode = Deposit(plugin, "alice", [&](HWND dialog) {
    EnterCard(dialog, kRefusalsCard);
    for (const char* amount : {"0.50", "abc", "21474837"}) {
      SCOPED_TRACE(amount);
      EnterAmount(dialog, amount);
      ASSERT_TRUE(WaitForExactText(dialog, kEntry, "")) << "the refused amount stays in the field";
      EXPECT_EQ(kAmountRefused, driver::ItemText(dialog, kMessageLine));
      EXPECT_TRUE(driver::IsItemVisible(dialog, kEntry));
      EXPECT_TRUE(driver::IsItemEnabled(dialog, IDOK));
      EXPECT_EQ(kTemplateCaption, driver::WindowText(dialog));
    }
    // Still in the amount step: a good amount goes through.
    EnterAmount(dialog, "3");
  });

  EXPECT_EQ(300, endCode);
  ASSERT_EQ(sent + 1, JournalSize(kDialogGateway)) << "a refused amount reached the gateway";
  EXPECT_EQ("300", testenv::JournalValue(LastJournalLine(kDialogGateway), "amount"));
  EXPECT_EQ(kSeededSequence + 1, plugin.StoredSequence()) << "a refused amount used a sequence number";
}

TEST_F(DepositDialogWin32Test, FailedBookingIsReportedThroughTheStation) {
  host.depositResult = 3;
  StationPlugin plugin("deposit-unbooked", kDialogGateway);
  HWND shownOn = nullptr;

  const int32_t endCode = Deposit(plugin, "alice", [&](HWND dialog) {
    shownOn = dialog;
    EnterCard(dialog, kUnbookedCard);
    EnterAmount(dialog, "5");
    HWND box = driver::WaitForMessageBox(GetWindowThreadProcessId(dialog, nullptr));
    ASSERT_NE(nullptr, box) << "no message box";
    EXPECT_EQ("Error", driver::WindowText(box));
    EXPECT_EQ("Error 3 making deposit.", driver::MessageBoxText(box));
    SaveShot(box, "deposit-booking-error");
    driver::Click(box, IDOK);
  });

  EXPECT_EQ(kNotDeposited, endCode);
  ASSERT_EQ(1u, host.depositCalls.size());
  EXPECT_EQ(500, host.depositCalls[0].amount);
  ASSERT_EQ(1u, host.messageBoxes.size());
  EXPECT_EQ(shownOn, host.messageBoxes[0].owner);
  EXPECT_EQ("Error", host.messageBoxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), host.messageBoxes[0].flags);
}

TEST_F(DepositDialogWin32Test, StationWithoutDepositFunctionOffersOnlyCancel) {
  host.fillDeposit = false;
  StationPlugin plugin("deposit-nofunction", kDialogGateway);
  const std::string storeBefore = plugin.SequenceStore();
  const size_t sent = JournalSize(kDialogGateway);

  const int32_t endCode = Deposit(plugin, "alice", [&](HWND dialog) {
    EXPECT_EQ(kNoDepositFunction, driver::ItemText(dialog, kMessageLine));
    EXPECT_FALSE(driver::IsItemEnabled(dialog, IDOK));
    EXPECT_FALSE(driver::IsItemVisible(dialog, kEntry));
    EXPECT_TRUE(driver::IsItemEnabled(dialog, IDCANCEL));
    SaveShot(dialog, "deposit-unavailable");
    PressCancel(dialog);
  });

  EXPECT_EQ(kNotDeposited, endCode);
  EXPECT_EQ(sent, JournalSize(kDialogGateway));
  EXPECT_EQ(storeBefore, plugin.SequenceStore());
}

}  // namespace
