// What the charge and the deposit dialog share, tested once for both.
#include <gtest/gtest.h>

#include "card_dialog_fixtures.h"
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
