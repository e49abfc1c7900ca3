// ResetModuleState must reach every part of the module-wide state, so that a test
// starts from a freshly loaded library whichever file keeps what.
#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/charge_dialog.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/scratch_text.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/sequence_store.h"
#include "gateway/transaction_record.h"
#include "gateway/transport.h"
#include "gateway/worker.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

bool AllZero(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(ModuleState, ResetPutsEveryPartBackToLoadTime) {
  std::strcpy(CurrentRecord.CardNumber, "6039501234567890");
  CurrentRecord.BatchNumber = 7;
  std::strcpy(CurrentSettings.URL, "https://x/y");
  std::strcpy(SettingsPath, "C:\\x.INI");
  std::strcpy(BatchSeqPath, "C:\\CSBatchSeq.INI");
  std::strcpy(FormBody, "Transaction=x");
  std::strcpy(ReplyBuffer, "reply");
  std::strcpy(CurrentResponse.ResponseCode, "00");
  WorkerStatus.store(kWorkerFinished);
  std::strcpy(ScratchText, "text");
  ChargeState.EndCode = kChargeApproved;
  DepositState.TickCount = 3;
  DepositBalance = 500;
  KeepDepositUser("alice");

  ResetModuleState();

  EXPECT_TRUE(AllZero(&CurrentRecord, sizeof CurrentRecord));
  EXPECT_TRUE(AllZero(&CurrentSettings, sizeof CurrentSettings));
  EXPECT_TRUE(AllZero(SettingsPath, sizeof SettingsPath));
  EXPECT_TRUE(AllZero(BatchSeqPath, sizeof BatchSeqPath));
  EXPECT_TRUE(AllZero(FormBody, sizeof FormBody));
  EXPECT_TRUE(AllZero(ReplyBuffer, sizeof ReplyBuffer));
  EXPECT_STREQ(kDefaultResponseCode, CurrentResponse.ResponseCode);
  EXPECT_EQ(kWorkerIdle, WorkerStatus.load());
  EXPECT_TRUE(AllZero(ScratchText, sizeof ScratchText));
  EXPECT_TRUE(AllZero(&ChargeState, sizeof ChargeState));
  EXPECT_TRUE(AllZero(&DepositState, sizeof DepositState));
  EXPECT_EQ(0, DepositBalance);
  EXPECT_EQ(nullptr, DepositUser);
}

}  // namespace
