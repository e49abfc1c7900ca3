// What the charge and the deposit dialog share, tested once for both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card_dialog_fixtures.h"
#include "fakes/fake_https.h"
#include "gateway/exchange_job.h"

namespace {

template <typename Dialog>
class TransactionDialogTest : public Dialog {};

using CardDialogs = ::testing::Types<ChargeDialogTest, DepositDialogTest>;
TYPED_TEST_SUITE(TransactionDialogTest, CardDialogs);

// Nothing is sent, the job is given back for the next exchange, and only Cancel is left.
TYPED_TEST(TransactionDialogTest, AJobThatCannotStartLeavesOnlyCancel) {
  fake::workerStartFails = true;
  this->Launch();
  const fake::RecordingDialogWindow& shown = this->window;
  EXPECT_EQ(0, shown.Text(IDC_CARD_MESSAGE).rfind("Error:", 0)) << shown.Text(IDC_CARD_MESSAGE);
  EXPECT_EQ("Transaction error", shown.caption);
  EXPECT_TRUE(shown.Enabled(IDC_CANCEL));
  EXPECT_FALSE(shown.Enabled(IDC_OK));
  EXPECT_EQ(DialogStep::Finished, this->State().Step);
  EXPECT_NE(nullptr, ClaimExchangeJob()) << "the job is free again";
  EXPECT_EQ(0, this->Ok());
  this->Tick();
  EXPECT_TRUE(shown.posted.empty());
  this->Command(IDC_CANCEL);
  this->Pump();
  EXPECT_TRUE(shown.ended);
  EXPECT_EQ(this->NothingMadeEndCode(), shown.endCode);
  EXPECT_TRUE(fake::stationDeposits.empty());
}

}  // namespace

namespace {

TYPED_TEST(TransactionDialogTest, FailuresAreShownAndEndWithNothingMade) {
  const std::string approved = this->Reply("00", "APPROVED");
  struct Row { std::string reply; std::string shown; };
  const Row rows[] = {
      {fake::FailureText(TransportStep::Send, 12029), fake::FailureText(TransportStep::Send, 12029)},
      {fake::FailureText(TransportStep::SplitUrl, 0), fake::FailureText(TransportStep::SplitUrl, 0)},
      {fake::FailureText(TransportStep::CheckStatus, 500),
       fake::FailureText(TransportStep::CheckStatus, 500)},
      {"Error:" + approved, "Error:" + approved},
      {this->Reply("51", "INSUFFICIENT FUNDS"), "Transaction error:\n[51] INSUFFICIENT FUNDS"},
      {"", "Transaction error:\n[99] Unknown data"},
      {"Error", "Transaction error:\n[99] Unknown data"},  // no colon: a gateway reply
  };
  const fake::RecordingDialogWindow& shown = this->window;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reply);
    this->Fresh();
    this->LaunchBusy();
    this->FinishWith(row.reply);
    EXPECT_FALSE(shown.ended);
    EXPECT_EQ("Transaction error", shown.caption);
    EXPECT_EQ(row.shown, shown.Text(IDC_CARD_MESSAGE));
    EXPECT_TRUE(shown.Enabled(IDC_CANCEL));
    EXPECT_FALSE(shown.Enabled(IDC_OK));
    EXPECT_EQ(CardPicture::RedDisc, PictureFor(this->State().Step));
    EXPECT_EQ("redraw", shown.log.back());  // the red disc painted with the text
    EXPECT_TRUE(fake::stationDeposits.empty());
    EXPECT_EQ(0, this->Ok());  // OK stays dead after the error
    EXPECT_TRUE(shown.posted.empty());
    EXPECT_EQ(1, this->Command(IDC_CANCEL));
    this->Pump();
    EXPECT_TRUE(shown.ended);
    EXPECT_EQ(this->NothingMadeEndCode(), shown.endCode);
  }
}

TYPED_TEST(TransactionDialogTest, CancelBeforeTheTransactionUsesNoSequenceNumber) {
  const fake::RecordingDialogWindow& shown = this->window;
  for (int cardsEntered = 0; cardsEntered <= 1; ++cardsEntered) {
    SCOPED_TRACE(cardsEntered);
    this->Fresh();
    this->Open();
    if (cardsEntered == 1) this->EnterCard();
    EXPECT_EQ(1, this->Command(IDC_CANCEL));
    this->Pump();
    EXPECT_TRUE(shown.ended);
    EXPECT_EQ(this->NothingMadeEndCode(), shown.endCode);
    EXPECT_FALSE(shown.timerRunning);
    EXPECT_EQ(0, this->SequenceNumbersUsed());
    EXPECT_EQ(0, fake::workerStarts);
  }
}

// Neither OK, Cancel (Escape) nor the close box ends or repeats a transaction under way,
// not even a close queued ahead of the completion.
TYPED_TEST(TransactionDialogTest, NoWayOutAndNoOkWhileTheTransactionRuns) {
  const fake::RecordingDialogWindow& shown = this->window;
  this->LaunchBusy();
  this->WorkerFinishes(this->Reply("05", "DECLINED"));
  this->Job().Status.store(kJobBusy);  // the reply is there, but the worker is not done
  EXPECT_EQ(0, this->Ok());
  EXPECT_EQ(1, this->Command(IDC_CANCEL));
  EXPECT_EQ(1, this->Close());
  this->Pump();
  EXPECT_FALSE(shown.ended);
  EXPECT_TRUE(shown.timerRunning);
  EXPECT_EQ(2, shown.beeps);
  EXPECT_EQ(1, fake::workerStarts);
  EXPECT_EQ(1, this->SequenceNumbersUsed());
  EXPECT_EQ(kInProgressText, shown.Text(IDC_CARD_MESSAGE));

  this->Job().Status.store(kJobFinished);
  this->Tick();
  EXPECT_EQ(1, this->Close());
  EXPECT_FALSE(shown.ended);
  this->Pump();
  EXPECT_EQ("Transaction error:\n[05] DECLINED", shown.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(1, this->Close());
  EXPECT_TRUE(shown.ended);
  EXPECT_EQ(this->NothingMadeEndCode(), shown.endCode);
}

TYPED_TEST(TransactionDialogTest, BusyTicksAdvanceTheProgressDots) {
  const fake::RecordingDialogWindow& shown = this->window;
  this->LaunchBusy();
  // The thread is created but has not begun: nothing moves.
  this->Job().Status.store(kJobIdle);
  EXPECT_EQ(0, this->Tick());
  EXPECT_EQ(0, this->State().TickCount);
  EXPECT_EQ(kInProgressText, shown.Text(IDC_CARD_MESSAGE));
  this->Job().Status.store(kJobBusy);
  struct Row { int tick; int extraDots; };
  const Row rows[] = {{1, 1}, {2, 2}, {9, 9}, {10, 0}, {11, 1}, {12, 2}, {20, 0}, {23, 3}};
  int ticks = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tick);
    while (ticks < row.tick) {
      EXPECT_EQ(0, this->Tick());
      ++ticks;
    }
    EXPECT_EQ(kInProgressText + std::string(row.extraDots, '.'), shown.Text(IDC_CARD_MESSAGE));
  }
  EXPECT_EQ(DialogStep::Running, this->State().Step);
  EXPECT_TRUE(shown.posted.empty());
}

// The watched worker's own notice completes the dialog at once: no tick is needed.
TYPED_TEST(TransactionDialogTest, TheWorkersNoticeCompletesAnApprovalWithoutATick) {
  fake::workerRunsInline = true;
  fake::https.body = this->Reply("00", "APPROVED");
  this->Launch();  // the worker runs here, to its end, and posts its notice
  const fake::RecordingDialogWindow& shown = this->window;
  ASSERT_EQ(1u, shown.posted.size());
  EXPECT_TRUE(shown.posted.front().notice);
  this->Pump();
  EXPECT_TRUE(shown.ended);
  EXPECT_EQ(this->ApprovedEndCode(), shown.endCode);
  EXPECT_EQ(0, this->State().TickCount);
}

TYPED_TEST(TransactionDialogTest, OnlyTheNoticeOfItsOwnFinishedWorkerCompletes) {
  const fake::RecordingDialogWindow& shown = this->window;
  this->LaunchBusy();
  const ExchangeJob* job = shown.watched;
  ASSERT_EQ(&this->Job(), job);
  EXPECT_EQ(0, this->WorkerFinished(job));  // still busy: nothing to take
  this->WorkerFinishes(this->Reply("05", "DECLINED"));
  static ExchangeJob another{};
  EXPECT_EQ(0, this->WorkerFinished(&another));  // not this dialog's
  EXPECT_TRUE(shown.posted.empty());
  EXPECT_EQ(0, this->WorkerFinished(job));
  this->Pump();
  EXPECT_EQ("Transaction error:\n[05] DECLINED", shown.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(0, this->Tick());  // the tick that comes after it finds nothing to do
  EXPECT_EQ(0, this->WorkerFinished(job));
  EXPECT_TRUE(shown.posted.empty());
  EXPECT_EQ(0, this->State().TickCount);
}

// A dialog destroyed by its owner while its job runs: the next dialog refuses to start
// another, and the late result reaches no dialog.
TYPED_TEST(TransactionDialogTest, LateResultOfAVanishedDialogIsNeverTaken) {
  fake::https.body = this->Reply("00", "APPROVED");
  this->LaunchBusy();
  ExchangeJob& orphan = this->Job();
  this->Destroy();  // no WM_CLOSE, no poll

  this->window = fake::RecordingDialogWindow();
  this->ResetState();
  this->Launch();
  const fake::RecordingDialogWindow& shown = this->window;
  EXPECT_EQ(kEarlierWorkerRunningText, shown.Text(IDC_CARD_MESSAGE));
  EXPECT_EQ(1, fake::workerStarts);
  EXPECT_EQ(1, this->SequenceNumbersUsed());
  EXPECT_TRUE(shown.Enabled(IDC_CANCEL));
  this->Command(IDC_CANCEL);
  this->Pump();
  EXPECT_EQ(this->NothingMadeEndCode(), shown.endCode);

  // Once it has finished, its approval is journaled by the job and shown by no dialog.
  RunExchangeJob(orphan);
  EXPECT_TRUE(shown.posted.empty());
  this->window = fake::RecordingDialogWindow();
  this->ResetState();
  this->Open();
  this->Tick();
  EXPECT_TRUE(shown.posted.empty());
  this->EnterCard();
  this->StartTransaction();
  EXPECT_EQ(2, fake::workerStarts);
  this->Tick();
  EXPECT_TRUE(shown.posted.empty());
  EXPECT_FALSE(shown.ended);
  EXPECT_EQ(DialogStep::Running, this->State().Step);
  EXPECT_TRUE(fake::stationDeposits.empty());
}

// However the dialog ends, nothing of the card stays behind once it is destroyed.
TYPED_TEST(TransactionDialogTest, CardDataIsErasedOnEveryWayOut) {
  const std::string card = "6039501234567890";
  using Way = typename TypeParam::WayOut;
  std::vector<Way> ways = {
      {"cancelled while typing", [&] { this->window.texts[IDC_CARD_ENTRY] = card; }},
      {"cancelled after the card step", [&] { this->EnterCard(); }},
      {"approved", [&] { this->LaunchBusy(); this->FinishWithNotice(this->Reply("00", "OK")); }},
      {"declined", [&] { this->LaunchBusy(); this->FinishWith(this->Reply("05", ("DECLINED " + card).c_str())); }},
      {"transport error", [&] { this->LaunchBusy(); this->FinishWith("Error: HTTP Read [12030]\n"); }},
      {"worker not started", [&] { fake::workerStartFails = true; this->EnterCard(); this->StartTransaction(); }},
  };
  for (Way& own : this->OwnWaysOut()) ways.push_back(own);
  for (const Way& row : ways) {
    SCOPED_TRACE(row.way);
    this->Fresh();
    this->Open();
    row.play();
    const DialogStep step = this->State().Step;
    if (step == DialogStep::Confirming || step == DialogStep::AmountEntry) {
      // The card is gone before the next step: from the entry and from the text.
      EXPECT_EQ(1u, this->window.erased.count(IDC_CARD_ENTRY));
      const std::string text(this->State().ScratchText, sizeof this->State().ScratchText);
      EXPECT_EQ(std::string::npos, text.find(card));
    }
    this->Command(IDC_CANCEL);
    this->Pump();
    EXPECT_EQ(0, this->Destroy());  // WM_DESTROY
    EXPECT_TRUE(this->CardDataErased());
    EXPECT_EQ(1u, this->window.erased.count(IDC_CARD_ENTRY));
    EXPECT_EQ("", this->window.Text(IDC_CARD_ENTRY));
  }
}

}  // namespace
