#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dialogs/charge_dialog.h"
#include "fakes/fake_https.h"
#include "fakes/fake_platform.h"
#include "gateway/exchange_job.h"
#include "gateway/transaction_record.h"
#include "card_dialog_fixtures.h"

namespace {

std::string ChargePrompt(const char* amount) {
  return std::string("A charge of ") + amount +
         " will be made to your account.\nPress OK to continue, or press Cancel to go back.";
}

TEST_F(ChargeDialogTest, StartResetsTheDialogAndKeepsTheTemplateTexts) {
  state = TransactionDialogState{{}, DialogStep::Finished, 7, kChargeApproved, nullptr};
  EXPECT_EQ(1, Start(150));
  EXPECT_EQ(DialogStep::CardEntry, state.Step);
  EXPECT_EQ(0, state.TickCount);
  EXPECT_EQ(kChargeNotApproved, state.EndCode);
  EXPECT_EQ(150, state.Record.AmountCents);
  EXPECT_EQ(fake::kTemplatePrompt, window.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(fake::kTemplateCaption, window.caption);
  EXPECT_EQ(IDC_CARD_ENTRY, window.focus);
  EXPECT_TRUE(window.timerRunning);
  EXPECT_FALSE(window.Visible(IDC_CARD_MINI_ICON));
  EXPECT_FALSE(window.Visible(IDC_CARD_EXIT_ICON));
  EXPECT_TRUE(window.Visible(IDC_CARD_ENTRY));
  EXPECT_EQ(0, ChargeDialogPicture(state));
}

TEST_F(ChargeDialogTest, ConfiguredPromptsReplaceTheTemplateTexts) {
  std::strcpy(CurrentSettings.SwipePrompt, "Swipe now.");
  std::strcpy(CurrentSettings.TitlePrompt, "Pay for printing");
  Start(150);
  EXPECT_EQ("Swipe now.", window.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ("Pay for printing", window.caption);
}

TEST_F(ChargeDialogTest, EmptyEntryOnlyGivesTheFocusBack) {
  Start(150);
  window.focus = IDC_OK;
  EXPECT_EQ(0, Enter(""));
  EXPECT_EQ(DialogStep::CardEntry, state.Step);
  EXPECT_EQ(IDC_CARD_ENTRY, window.focus);
  EXPECT_TRUE(window.Visible(IDC_CARD_ENTRY));
  EXPECT_EQ(fake::kTemplatePrompt, window.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(0, window.redraws);
}

TEST_F(ChargeDialogTest, AcceptedCardAsksForConfirmation) {
  Start(150);
  EXPECT_EQ(0, Enter(kSwipe));
  EXPECT_EQ(kEntryReadSize, window.lastReadSize);
  EXPECT_EQ(DialogStep::Confirming, state.Step);
  EXPECT_EQ(1, ChargeDialogPicture(state));
  EXPECT_STREQ("6039501234567890=4912", state.Record.CardNumber);
  EXPECT_EQ(ChargePrompt("1.50"), window.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ("&OK", window.Text(IDC_OK));
  EXPECT_FALSE(window.Visible(IDC_CARD_ENTRY));
  EXPECT_TRUE(window.Enabled(IDC_OK));
  EXPECT_EQ(1, window.redraws);
  EXPECT_EQ(0, SequenceNumbersUsed());
  EXPECT_EQ(0, fake::workerStarts);
}

TEST_F(ChargeDialogTest, CardPrefixDecidesAcceptance) {
  struct Row { const char* prefix; const char* entry; bool accepted; };
  const Row rows[] = {
      {"603950", "6039501234", true},
      {"603950", "6039", false},
      {"603950", "5039501234", false},
      {"603950", ";5039501234?", false},
      {"", "anything", true},
      {"", ";?", true},  // empty after the cut, still accepted
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.prefix) + " / " + row.entry);
    Fresh();
    std::strcpy(CurrentSettings.PrefixMatch, row.prefix);
    Start(150);
    EXPECT_EQ(0, Enter(row.entry));
    EXPECT_FALSE(window.Visible(IDC_CARD_ENTRY));
    EXPECT_EQ(1, window.redraws);
    if (row.accepted) {
      EXPECT_EQ(DialogStep::Confirming, state.Step);
      EXPECT_TRUE(window.Enabled(IDC_OK));
    } else {
      EXPECT_EQ(DialogStep::Finished, state.Step);
      EXPECT_EQ("Invalid card number.", window.Text(IDC_CARD_MESSAGE));
      EXPECT_FALSE(window.Enabled(IDC_OK));
      EXPECT_EQ("&Next >", window.Text(IDC_OK));
      EXPECT_STREQ("", state.Record.CardNumber);
    }
  }
}

TEST_F(ChargeDialogTest, AmountIsShownThroughTheSinglePrecisionFactor) {
  struct Row { int32_t cents; const char* shown; };
  const Row rows[] = {
      {150, "1.50"},           {0, "0.00"},           {-150, "-1.50"},
      {1, "0.01"},             {22369621, "223696.21"}, {22369622, "223696.21"},
      {99999999, "999999.97"}, {-2147483647 - 1, "-21474836.00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cents);
    Fresh();
    Start(row.cents);
    Enter(kSwipe);
    EXPECT_EQ(ChargePrompt(row.shown), window.Text(IDC_CARD_MESSAGE));
  }
}

TEST_F(ChargeDialogTest, ConfiguredValidationPromptFormatsTheAmount) {
  std::strcpy(CurrentSettings.ValidationPrompt, "Pay %8.2f (100%%)?");
  Start(1234);
  Enter(kSwipe);
  EXPECT_EQ("Pay    12.34 (100%)?", window.Text(IDC_CARD_MESSAGE));
}

TEST_F(ChargeDialogTest, ConfirmBuildsTheRequestAndStartsTheWorker) {
  Start(150);
  Enter(kSwipe);
  EXPECT_EQ(0, Ok());
  EXPECT_EQ(kChargeTransactionCode, state.Record.TransactionCode);
  EXPECT_EQ(1, state.Record.SequenceNumber);
  EXPECT_EQ(kCurrencyCodeUsd, state.Record.CurrencyCode);
  EXPECT_EQ(150, state.Record.AmountCents);
  EXPECT_EQ(1, SequenceNumbersUsed());
  EXPECT_EQ(1, fake::workerStarts);
  EXPECT_EQ(0, fake::formBodyAtStart.rfind("Transaction=IPS.123456", 0)) << fake::formBodyAtStart;
  EXPECT_EQ(kInProgress, window.Text(IDC_CARD_MESSAGE));
  EXPECT_FALSE(window.Enabled(IDC_OK));
  EXPECT_FALSE(window.Enabled(IDC_CANCEL));
  EXPECT_EQ(DialogStep::Running, state.Step);
  EXPECT_TRUE(window.posted.empty());
}

TEST_F(ChargeDialogTest, ApprovalClosesWithEndCodeOne) {
  RunUntilWorkerStarted();
  WorkerFinishes(Reply("00", "APPROVED"));
  EXPECT_EQ(0, Tick());
  EXPECT_EQ(DialogStep::ResultReady, state.Step);
  ASSERT_EQ(1u, window.posted.size());
  EXPECT_EQ(IDC_OK, window.posted.front().command);
  window.posted.clear();
  const int redrawsBefore = window.redraws;
  EXPECT_EQ(1, Ok());
  EXPECT_EQ(redrawsBefore, window.redraws);  // it closes: nothing to repaint
  ASSERT_EQ(1u, window.posted.size());
  EXPECT_TRUE(window.posted.front().close);
  Pump();
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(kChargeApproved, window.endCode);
  EXPECT_FALSE(window.timerRunning);
}

TEST_F(ChargeDialogTest, RefusedCardEndsWithTwoAndIgnoresOk) {
  Start(150);
  Enter("5039501234");
  EXPECT_EQ(0, Ok());
  EXPECT_EQ(0, Tick());
  EXPECT_TRUE(window.posted.empty());
  EXPECT_EQ(0, fake::workerStarts);
  Command(IDC_CANCEL);
  Pump();
  EXPECT_EQ(kChargeNotApproved, window.endCode);
}

// A batch number nobody chose must not reach the gateway, nor use up a sequence number.
TEST_F(ChargeDialogTest, ARefusedSettingsNumberSendsNothing) {
  fake::profiles[SettingsPath]["Settings"]["BatchNumber"] = "-5";
  LoadSettings();
  Start(150);
  Enter(kSwipe);
  EXPECT_EQ(0, Ok());
  EXPECT_EQ(0, fake::workerStarts);
  EXPECT_EQ(0, state.Record.SequenceNumber);
  EXPECT_EQ(std::string("The settings file ") + SettingsPath +
                " has BatchNumber=-5, not a number from 1 to 999999.\nNothing was sent.",
            window.Text(IDC_CARD_MESSAGE));
  EXPECT_FALSE(window.Enabled(IDC_OK));
  EXPECT_NE(nullptr, ClaimExchangeJob()) << "the job is free for the next exchange";
}

TEST_F(ChargeDialogTest, TheCardStepKeepsNoCopyOfWhatWasTyped) {
  for (const char* entry : {kSwipe, "5039501234567890"}) {
    SCOPED_TRACE(entry);
    Fresh();
    Start(150);
    Enter(entry);
    EXPECT_EQ(std::string::npos, std::string(state.ScratchText, sizeof state.ScratchText).find("1234567890"));
    EXPECT_EQ(1u, window.erased.count(IDC_CARD_ENTRY));
  }
}

// Destroyed by its owner while its worker runs: the worker keeps its buffers, is no
// longer watched, and leaves nothing behind when it ends.
TEST_F(ChargeDialogTest, DestroyedWhileItsWorkerRunsLeavesTheWorkersBuffersToIt) {
  fake::https.body = Reply("00", "APPROVED");
  RunUntilWorkerStarted();
  const std::string sent = Job().Body;
  Destroy();
  EXPECT_TRUE(AllZero(state.Record.CardNumber, sizeof state.Record.CardNumber));
  EXPECT_EQ(sent, Job().Body) << "the running job still owns the request";
  RunExchangeJob(Job());  // it ends now, on this thread
  EXPECT_TRUE(window.posted.empty()) << "no notice for a window that is gone";
  EXPECT_TRUE(CardDataErased());
  EXPECT_FALSE(Job().Claimed) << "released for the next exchange";
}

// A result the station program never saw, its dialog destroyed by its owner: journaled
// once, by whoever holds it then, with a note and no end code.
TEST_F(ChargeDialogTest, AResultTheStationNeverSawIsJournaledOnceWithoutAnEndCode) {
  const std::string approved = Reply("00", "APPROVED");
  struct Row {
    const char* when;
    std::function<void()> play;
  };
  const Row rows[] = {
      {"the worker ends after the dialog",
       [&] {
         fake::https.body = approved;
         RunUntilWorkerStarted();
         Destroy();
         RunExchangeJob(Job());
       }},
      {"the worker's notice was on its way",
       [&] {
         fake::https.body = approved;
         fake::workerRunsInline = true;
         Start(150);
         Enter(kSwipe);
         Ok();
         Destroy();
       }},
      {"the completion was posted",
       [&] {
         RunUntilWorkerStarted();
         WorkerFinishes(approved);
         Tick();
         Destroy();
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.when);
    Fresh();
    CurrentSettings.Journal = true;
    row.play();
    const std::vector<std::string> events = {"sending", "approved"};
    EXPECT_TRUE(CardDataErased());
    ASSERT_EQ(events, JournalEvents());
    const journalcsv::Row outcome = JournalRows().back();
    EXPECT_EQ("APPROVED (the station program closed the dialog before the answer)",
              outcome[journalcsv::kMessage]);
    EXPECT_EQ("", outcome[journalcsv::kEndCode]);
  }
}

}  // namespace

namespace {

// What the user reads when the gate keeps the request back, and what the journal keeps.
TEST_F(ChargeDialogTest, NothingIsSentWithoutAStoredNumberAndItsSendingRecord) {
  constexpr const char* kStore = "C:\\Station\\CSBatchSeq.INI";
  constexpr const char* kJournal = "C:\\Station\\CSJournal-2018-07.csv";
  struct Row {
    const char* what;
    const char* store;
    unsigned long replaceError, journalError;
    std::string shown;
    bool journalled;
  };
  const Row rows[] = {
      {"full disk", "[Batch000001]\r\nSeqNumber=5\r\n", 112, 0,
       "Not sent: nothing was charged.\nThe sequence number could not be stored in "
       "C:\\Station\\CSBatchSeq.INI (error 112).\nPlease ask staff for help.", true},
      {"bad value", "[Batch000001]\r\nSeqNumber=-5\r\n", 0, 0,
       "Not sent: nothing was charged.\nC:\\Station\\CSBatchSeq.INI holds no valid sequence "
       "number for batch 1.\nPlease ask staff for help.", true},
      {"journal full", "[Batch000001]\r\nSeqNumber=5\r\n", 0, 112,
       "Not sent: nothing was charged.\nThe journal C:\\Station\\CSJournal-2018-07.csv could not "
       "be written (error 112).\nPlease ask staff for help.", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    CurrentSettings.Journal = true;
    fake::storeFiles[kStore] = row.store;
    fake::storeReplaceError = row.replaceError;
    fake::journalError = row.journalError;
    Start(150);
    Enter(kSwipe);
    EXPECT_EQ(0, Ok());
    EXPECT_EQ(0, fake::workerStarts);
    EXPECT_EQ(row.shown, window.Text(IDC_CARD_MESSAGE));
    EXPECT_EQ(row.journalled, fake::journalFiles[kJournal].find("transport error") != std::string::npos)
        << fake::journalFiles[kJournal];
    EXPECT_EQ(std::string::npos, fake::journalFiles[kJournal].find("sending"));
    EXPECT_EQ(1, Command(IDC_CANCEL));
    Pump();
    EXPECT_EQ(kChargeNotApproved, window.endCode);
    EXPECT_NE(nullptr, ClaimExchangeJob()) << "the job is free for the next exchange";
  }
}

}  // namespace
