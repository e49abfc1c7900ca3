#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dialogs/deposit_dialog.h"
#include "fakes/fake_https.h"
#include "fakes/fake_station_deposit.h"
#include "card_dialog_fixtures.h"

namespace {

const std::string kAmountRefused =
    "Amounts of 1 to 21474836 can be deposited.\nEnter amount to deposit:";

TEST_F(DepositDialogTest, StartResetsTheDialogAndLeavesTheIcons) {
  static_cast<TransactionDialogState&>(state) = TransactionDialogState{{}, DialogStep::Finished, 4, 500, nullptr};
  EXPECT_EQ(1, Start(1234));
  EXPECT_EQ(DialogStep::CardEntry, state.Step);
  EXPECT_EQ(0, state.TickCount);
  EXPECT_EQ(0, state.EndCode);
  EXPECT_EQ(1234, state.Balance);
  EXPECT_EQ(1234, state.Record.AmountCents);
  EXPECT_EQ(fake::kTemplatePrompt, window.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(IDC_CARD_ENTRY, window.focus);
  EXPECT_TRUE(window.timerRunning);
  EXPECT_TRUE(window.Visible(IDC_CARD_MINI_ICON));
  EXPECT_TRUE(window.Visible(IDC_CARD_EXIT_ICON));
  EXPECT_TRUE(window.Enabled(IDC_OK));
}

TEST_F(DepositDialogTest, CardStepTakesAnyCardAndAsksForTheAmount) {
  struct Row { int32_t balance; const char* entry; const char* card; const char* shown; };
  const Row rows[] = {
      {1234, kCard, "6039501234567890=4912", "12.34"},
      {5, "5039501234", "5039501234", "0.05"},  // no prefix check
      {0, ";?", "", "0.00"},
      {-250, "x", "x", "-2.50"},
      {99999999, "1", "1", "999999.97"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    Fresh();
    window.texts[IDC_CARD_ENTRY] = "typed";
    Start(row.balance);
    EXPECT_EQ(0, Enter(row.entry));
    EXPECT_EQ(DialogStep::AmountEntry, state.Step);
    EXPECT_EQ(3, static_cast<int32_t>(PictureFor(state.Step)));
    EXPECT_STREQ(row.card, state.Record.CardNumber);
    EXPECT_EQ(std::string("Current print balance is ") + row.shown +
                  ".\nEnter amount to deposit:",
              window.Text(IDC_CARD_MESSAGE));
    EXPECT_EQ("", window.Text(IDC_CARD_ENTRY));
    EXPECT_TRUE(window.unmasked.count(IDC_CARD_ENTRY));
    EXPECT_TRUE(window.Visible(IDC_CARD_ENTRY));
    EXPECT_EQ(IDC_CARD_ENTRY, window.focus);
    EXPECT_EQ("&Next >", window.Text(IDC_OK));
    EXPECT_EQ(1, window.redraws);
  }
}

TEST_F(DepositDialogTest, AcceptedAmountsStartTheTransaction) {
  struct Row { const char* text; int32_t cents; };
  const Row rows[] = {
      {"20", 2000},      {"12.99", 1200}, {" 15", 1500},         {"7 dollars", 700},
      {"1", 100},        {"1.0", 100},    {"21474836", 2147483600}, {"\t3e2", 30000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    Fresh();
    Start(1234);
    Enter(kCard);
    EXPECT_EQ(0, Enter(row.text));
    EXPECT_EQ(row.cents, state.Record.AmountCents);
    EXPECT_EQ(DialogStep::Running, state.Step);
    EXPECT_EQ(1, fake::workerStarts);
    EXPECT_EQ(1, SequenceNumbersUsed());
    EXPECT_EQ(kChargeTransactionCode, state.Record.TransactionCode);
    EXPECT_EQ(kInProgress, window.Text(IDC_CARD_MESSAGE));
    EXPECT_FALSE(window.Visible(IDC_CARD_ENTRY));
    EXPECT_FALSE(window.Enabled(IDC_OK));
    EXPECT_FALSE(window.Enabled(IDC_CANCEL));
    EXPECT_EQ(2, window.redraws);
  }
}

TEST_F(DepositDialogTest, RefusedAmountsSendNothing) {
  const char* rows[] = {"0.50", "-3.7", "abc", "21474837", "0", " ", "-0", "nan", "inf",
                        "1e10", ".", "$5"};
  for (const char* text : rows) {
    SCOPED_TRACE(text);
    Fresh();
    Start(1234);
    Enter(kCard);
    window.focus = IDC_OK;
    EXPECT_EQ(0, Enter(text));
    EXPECT_EQ(kAmountRefused, window.Text(IDC_CARD_MESSAGE));
    EXPECT_EQ("", window.Text(IDC_CARD_ENTRY));
    EXPECT_EQ(IDC_CARD_ENTRY, window.focus);
    EXPECT_TRUE(window.Visible(IDC_CARD_ENTRY));
    EXPECT_EQ(DialogStep::AmountEntry, state.Step);
    EXPECT_EQ(0, fake::workerStarts);
    EXPECT_EQ(0, SequenceNumbersUsed());
    EXPECT_EQ(1234, state.Record.AmountCents);
  }
  // The field takes a corrected amount after a refusal.
  Enter("5");
  EXPECT_EQ(500, state.Record.AmountCents);
  EXPECT_EQ(1, fake::workerStarts);
}

TEST_F(DepositDialogTest, EmptyAmountOnlyGivesTheFocusBack) {
  Start(1234);
  Enter(kCard);
  const std::string prompt = window.Text(IDC_CARD_MESSAGE);
  window.focus = IDC_OK;
  EXPECT_EQ(0, Enter(""));
  EXPECT_EQ(IDC_CARD_ENTRY, window.focus);
  EXPECT_EQ(prompt, window.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(DialogStep::AmountEntry, state.Step);
}

TEST_F(DepositDialogTest, ApprovedDepositIsBookedAndEndsWithTheAmount) {
  const std::string user(300, 'u');
  RunUntilWorkerStarted("20", user.c_str());
  FinishWith(Reply("00", "APPROVED"));
  ASSERT_EQ(1u, fake::stationDeposits.size());
  EXPECT_EQ(user, fake::stationDeposits[0].user);
  EXPECT_EQ(2000, fake::stationDeposits[0].amountCents);
  EXPECT_EQ(1234, fake::stationDeposits[0].balanceCents);
  EXPECT_TRUE(window.messageBoxes.empty());
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(2000, window.endCode);
  EXPECT_FALSE(window.timerRunning);
}

TEST_F(DepositDialogTest, FailedStationDepositIsReportedAndEndsWithZero) {
  fake::stationDepositResult = 3;
  RunUntilWorkerStarted();
  FinishWith(Reply("00", "APPROVED"));
  ASSERT_EQ(1u, fake::stationDeposits.size());
  ASSERT_EQ(1u, window.messageBoxes.size());
  EXPECT_EQ("Error 3 making deposit.", window.messageBoxes[0].text);
  EXPECT_EQ("Error", window.messageBoxes[0].caption);
  EXPECT_EQ(0x10u, window.messageBoxes[0].flags);
  EXPECT_TRUE(window.messageBoxes[0].station);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(0, window.endCode);
}

TEST_F(DepositDialogTest, StationWithoutDepositFunctionOffersOnlyCancel) {
  fake::stationDepositPresent = false;
  EXPECT_EQ(0, Start(1234));
  EXPECT_EQ(kNoDepositText, window.Text(IDC_CARD_MESSAGE));
  EXPECT_FALSE(window.Enabled(IDC_OK));
  EXPECT_TRUE(window.Enabled(IDC_CANCEL));
  EXPECT_FALSE(window.Visible(IDC_CARD_ENTRY));
  EXPECT_EQ(IDC_CANCEL, window.focus);
  window.texts[IDC_CARD_ENTRY] = kCard;
  EXPECT_EQ(0, Ok());
  Tick();
  EXPECT_EQ(0, fake::workerStarts);
  EXPECT_EQ(0, SequenceNumbersUsed());
  Command(IDC_CANCEL);
  Pump();
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(0, window.endCode);
}

// An approved deposit whose dialog the station program destroyed: nobody booked it.
TEST_F(DepositDialogTest, AnApprovalNobodyBookedIsJournaledAsNotBooked) {
  CurrentSettings.Journal = true;
  fake::https.body = Reply("00", "APPROVED");
  RunUntilWorkerStarted("20");
  Destroy();
  RunExchangeJob(Job());
  EXPECT_TRUE(fake::stationDeposits.empty());
  const std::vector<std::string> events = {"sending", "approved", "booking failed"};
  ASSERT_EQ(events, JournalEvents());
  EXPECT_EQ("Not booked: the station program closed the dialog before the answer.",
            JournalRows().back()[journalcsv::kMessage]);
}

}  // namespace
