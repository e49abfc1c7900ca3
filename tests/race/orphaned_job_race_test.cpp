// Built with ThreadSanitizer, which fails the run on any data race it sees. A charge's
// job starts on a thread of its own; while that thread is still starting, the station
// program destroys the charge's dialog (the hand-off of the job to itself), and an
// administrator cancels one configuration and saves another. The job works from what
// it copied when it was claimed; a read of the settings in effect, which Save
// replaces, is a race.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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

// Opens the configuration dialog, types new settings and presses command.
int Configure(int command) {
  fake::RecordingDialogWindow window(fake::Controls::Empty);
  ConfigureDialogState state{};
  ConfigureOnInit(window, state);
  window.texts[IDC_CONFIG_URL] = "https://new.gateway.test/ipsx/gateway";
  window.texts[IDC_CONFIG_TERMINAL_ID] = "T1";
  window.texts[IDC_CONFIG_BATCH_NUMBER] = "1";
  window.texts[IDC_CONFIG_MERCHANT_CODE] = "5999";
  return ConfigureOnCommand(window, state, command);
}

TEST(OrphanedJob, SaveAndCancelWhileItsThreadStartsRaceWithNothing) {
  fake::ResetPlatformFakes();
  fake::ResetFakeWorker();
  fake::ResetHttps();
  ResetModuleState();
  BuildSettingsPath();
  LoadSettings();
  std::strcpy(CurrentSettings.URL, "https://old.gateway.test/ipsx/gateway");
  CurrentSettings.Journal = true;
  fake::https.body = "reply";
  // The gateway answers only once the dialog has gone, so that the job is left to see
  // itself through while the configuration runs.
  std::atomic<bool> dialogGone{false};
  fake::https.duringSend = [&dialogGone] {
    while (!dialogGone.load()) std::this_thread::yield();
  };
  fake::workerRunsOnThread = true;

  fake::RecordingDialogWindow charge;
  TransactionDialogState state{};
  ChargeDialogStart(charge, state, 150);
  charge.texts[IDC_CARD_ENTRY] = "6039501234567890";
  ChargeDialogCommand(charge, state, IDC_OK);  // the card
  ChargeDialogCommand(charge, state, IDC_OK);  // confirmed: the job's thread starts
  ASSERT_NE(nullptr, fake::startedJob);
  ExchangeJob* job = fake::startedJob;
  EndTransactionDialog(charge, state);  // destroyed by the station program
  dialogGone.store(true);

  EXPECT_EQ(1, Configure(IDC_CANCEL));
  EXPECT_EQ(1, Configure(IDC_OK));
  fake::workerThread.join();

  EXPECT_STREQ("https://new.gateway.test/ipsx/gateway", CurrentSettings.URL);
  EXPECT_NE(fake::httpsCalls.end(),
            std::find(fake::httpsCalls.begin(), fake::httpsCalls.end(), "connect old.gateway.test"));
  ASSERT_EQ(1u, fake::journalFiles.size());
  EXPECT_NE(std::string::npos, fake::journalFiles.begin()->second.find("closed the dialog before the answer"))
      << "the job journaled its own outcome:\n" << fake::journalFiles.begin()->second;
  EXPECT_EQ(job, ClaimExchangeJob()) << "the job saw itself through and was released";
}

}  // namespace
