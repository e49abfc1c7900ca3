// Built with ThreadSanitizer, which fails the run on any data race it sees: Save in the
// configuration dialog while the job of a charge, left running by its destroyed dialog,
// is still exchanging. The job posts to its own copy of the URL and certificate checks,
// so Save's writes to the settings race with nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "dialogs/charge_dialog.h"
#include "dialogs/configure_dialog.h"
#include "fakes/fake_dialog_window.h"
#include "fakes/fake_https.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_worker.h"
#include "gateway/exchange_job.h"
#include "gateway/settings_file.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

TEST(OrphanedJob, SaveWhileItRunsRacesWithNothing) {
  fake::ResetPlatformFakes();
  fake::ResetFakeWorker();
  fake::ResetHttps();
  ResetModuleState();
  BuildSettingsPath();
  LoadSettings();
  std::strcpy(CurrentSettings.URL, "https://old.gateway.test/ipsx/gateway");
  CurrentSettings.Journal = true;
  fake::https.body = "reply";

  fake::RecordingDialogWindow charge;
  TransactionDialogState state{};
  ChargeDialogStart(charge, state, 150);
  charge.texts[IDC_CARD_ENTRY] = "6039501234567890";
  ChargeDialogCommand(charge, state, IDC_OK);  // the card
  ChargeDialogCommand(charge, state, IDC_OK);  // confirmed: the job is started
  ASSERT_NE(nullptr, fake::startedJob);
  ExchangeJob* job = fake::startedJob;
  EndTransactionDialog(charge, state);  // destroyed by the station program

  std::thread worker([job] { RunExchangeJob(*job); });
  fake::RecordingDialogWindow configure(fake::Controls::Empty);
  ConfigureDialogState settings{};
  ConfigureOnInit(configure, settings);
  configure.texts[IDC_CONFIG_URL] = "https://new.gateway.test/ipsx/gateway";
  configure.texts[IDC_CONFIG_TERMINAL_ID] = "T1";
  configure.texts[IDC_CONFIG_BATCH_NUMBER] = "1";
  EXPECT_EQ(1, ConfigureOnCommand(configure, settings, IDC_OK));
  worker.join();

  EXPECT_STREQ("https://new.gateway.test/ipsx/gateway", CurrentSettings.URL);
  EXPECT_NE(fake::httpsCalls.end(),
            std::find(fake::httpsCalls.begin(), fake::httpsCalls.end(), "connect old.gateway.test"));
  EXPECT_EQ(job, ClaimExchangeJob()) << "the job saw itself through and was released";
}

}  // namespace
