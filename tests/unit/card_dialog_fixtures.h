#pragma once
// The charge and the deposit dialog under test, each over TransactionDialogFixture, so
// that what they share is tested once for both (transaction_dialog_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/charge_dialog.h"
#include "dialogs/deposit_dialog.h"
#include "fakes/fake_station_deposit.h"
#include "transaction_dialog_fixture.h"

inline constexpr const char* kSwipe = "%B6039501234567890^NAME^4912?;6039501234567890=4912?";
inline constexpr const char* kCard = ";6039501234567890=4912?";
inline constexpr const char* kUser = "jsmith";
inline const std::string kInProgress = "Transaction in progress.";

class ChargeDialogTest : public TransactionDialogFixture {
 protected:
  TransactionDialogState& State() override { return state; }
  void ResetState() override { state = TransactionDialogState{}; }
  int Start(int32_t amount) { return ChargeDialogStart(window, state, amount); }
  int Command(int id) override { return ChargeDialogCommand(window, state, id); }
  void Open() override { Start(150); }
  void EnterCard() override { Enter(kSwipe); }
  void StartTransaction() override { Ok(); }
  int32_t NothingMadeEndCode() const override { return kChargeNotApproved; }
  int32_t ApprovedEndCode() const override { return kChargeApproved; }
  std::vector<WayOut> OwnWaysOut() override {
    return {{"card refused", [this] { Enter("5039501234567890"); }}};
  }
  // Opens the dialog, takes the card and confirms: the worker is started.
  void RunUntilWorkerStarted(int32_t amount = 150) {
    Start(amount);
    Enter(kSwipe);
    ASSERT_EQ(DialogStep::Confirming, state.Step);
    Ok();
    ASSERT_EQ(1, fake::workerStarts);
    Job().Status.store(kJobBusy);
  }

  TransactionDialogState state{};
};

class DepositDialogTest : public TransactionDialogFixture {
 protected:
  void SetUp() override {
    TransactionDialogFixture::SetUp();
    fake::ResetFakeStationDeposit();
  }
  TransactionDialogState& State() override { return state; }
  void ResetState() override { state = DepositDialogState{}; }
  int Start(int32_t balance, const char* user = kUser) {
    KeepDepositUser(state, user);
    return DepositDialogStart(window, state, balance);
  }
  int Command(int id) override { return DepositDialogCommand(window, state, id); }
  void Open() override { Start(1234); }
  void EnterCard() override { Enter(kCard); }
  void StartTransaction() override { Enter("20"); }
  int32_t NothingMadeEndCode() const override { return kDepositNotMade; }
  int32_t ApprovedEndCode() const override { return 2000; }
  std::vector<WayOut> OwnWaysOut() override {
    return {
        {"amount refused", [this] { Enter(kCard); Enter("0"); }},
        {"not booked", [this] { fake::stationDepositResult = 3; LaunchBusy(); FinishWith(Reply("00", "OK")); }},
        {"no deposit function", [this] { Fresh(); fake::stationDepositPresent = false; Open(); }},
    };
  }
  void RunUntilWorkerStarted(const char* amount = "20", const char* user = kUser) {
    Start(1234, user);
    Enter(kCard);
    ASSERT_EQ(DialogStep::AmountEntry, state.Step);
    Enter(amount);
    ASSERT_EQ(1, fake::workerStarts);
    Job().Status.store(kJobBusy);
  }

  DepositDialogState state{};
};
