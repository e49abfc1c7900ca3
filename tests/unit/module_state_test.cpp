// ResetModuleState must reach every part of the module-wide state that changes while
// the station runs, so that a test starts from a freshly loaded library whichever file
// keeps what. (The ctest entry module_globals keeps the list of such state complete.)
#include <gtest/gtest.h>

#include <cstring>

#include "gateway/exchange_job.h"
#include "gateway/request_message.h"
#include "records/sequence_store.h"
#include "settings/module_state.h"
#include "settings/setting_checks.h"
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
  std::strcpy(CurrentSettings.URL, "https://x/y");
  std::strcpy(SettingsPath, "C:\\x.INI");
  std::strcpy(BatchSeqPath, "C:\\CSBatchSeq.INI");
  CurrentSettingFaults.Count = 1;
  ExchangeJob* job = ClaimExchangeJob();
  ASSERT_NE(nullptr, job);
  std::strcpy(job->Body, "Transaction=x");
  std::strcpy(job->Reply, "reply");
  job->Status.store(kJobFinished);

  ResetModuleState();

  EXPECT_TRUE(AllZero(&CurrentSettings, sizeof CurrentSettings));
  EXPECT_TRUE(AllZero(SettingsPath, sizeof SettingsPath));
  EXPECT_TRUE(AllZero(BatchSeqPath, sizeof BatchSeqPath));
  EXPECT_TRUE(AllZero(&CurrentSettingFaults, sizeof CurrentSettingFaults));
  // The job is free again, and nothing of the last exchange is in it.
  ASSERT_EQ(job, ClaimExchangeJob());
  EXPECT_TRUE(AllZero(job->Body, sizeof job->Body));
  EXPECT_TRUE(AllZero(job->Reply, sizeof job->Reply));
  EXPECT_EQ(kJobIdle, job->Status.load());
}

}  // namespace
