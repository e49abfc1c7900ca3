#pragma once
// What the charge and deposit dialog tests share: every module-wide state back to load
// time, the default settings loaded, a recording window, and the worker played by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/transaction_dialog.h"
#include "fakes/fake_dialog_window.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_worker.h"
#include "gateway/exchange_job.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/settings_file.h"
#include "gateway/transport.h"
#include "gateway/wire_format.h"
#include "journal_csv.h"
#include "records/sequence_store.h"
#include "settings/module_state.h"
#include "settings/settings.h"

class TransactionDialogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    fake::ResetFakeWorker();
    ResetModuleState();
    ResetState();
    BuildSettingsPath();
    LoadSettings();
  }

  // Everything back to load time and a new window, for one row of a table.
  void Fresh() {
    SetUp();
    window = fake::RecordingDialogWindow();
  }

  // A gateway reply carrying code (characters 8 and 9 of field 4) and message (field 9).
  static std::string Reply(const char* code, const char* message) {
    const std::string fs(1, kFieldSeparator);
    return "ID" + fs + "12" + fs + "X" + fs + "ABCDEFG" + code + "HI" + fs + "K" + fs + fs + "Q" +
           fs + "R" + fs + message + fs + "Z";
  }

  // The job the dialog started last.
  static ExchangeJob& Job() { return *fake::startedJob; }
  // The gateway has answered with reply and the worker says it has finished.
  static void WorkerFinishes(const std::string& reply) {
    std::strcpy(Job().Reply, reply.c_str());
    Job().Result = TransportResult{};
    Job().Status.store(kJobFinished);
  }

  // Sequence numbers handed out so far (each is written to the batch store).
  static int SequenceNumbersUsed() { return fake::storeReplaces; }

  // The dialog under test: its state and its WM_COMMAND handler.
  virtual TransactionDialogState& State() = 0;
  virtual void ResetState() = 0;  // a new dialog's state
  virtual void Open() = 0;
  virtual void EnterCard() = 0;         // the card step, accepted
  virtual void StartTransaction() = 0;  // the step after it, which starts the transaction
  virtual int32_t NothingMadeEndCode() const = 0;
  virtual int32_t ApprovedEndCode() const = 0;  // after a "00" for the transaction Launch starts
  // The ways out of the dialog only it has, for the erasure test.
  struct WayOut {
    const char* way;
    std::function<void()> play;
  };
  virtual std::vector<WayOut> OwnWaysOut() = 0;
  // Opens the dialog and goes through the steps that start the transaction.
  void Launch() {
    Open();
    EnterCard();
    StartTransaction();
  }
  // Launch, and the worker has begun.
  void LaunchBusy() {
    Launch();
    ASSERT_EQ(1, fake::workerStarts);
    Job().Status.store(kJobBusy);
  }
  virtual int Command(int id) = 0;
  int Close() { return CloseTransactionDialog(window, State()); }
  int WorkerFinished(const ExchangeJob* job) { return TransactionJobFinished(window, State(), job); }
  int Destroy() { return EndTransactionDialog(window, State()); }

  int Ok() { return Command(IDC_OK); }
  int Tick() { return TransactionTick(window, State()); }
  // Types text into the edit control and presses OK.
  int Enter(const std::string& text) {
    window.texts[IDC_CARD_ENTRY] = text;
    return Ok();
  }
  // Delivers what the dialog posted to itself, as its message loop would.
  void Pump() {
    window.Pump([this](int id) { return Command(id); }, [this] { return Close(); },
                [this](const ExchangeJob* job) { return WorkerFinished(job); });
  }
  // The tick that sees the worker finished, and the completion it posts.
  void FinishWith(const std::string& reply) {
    WorkerFinishes(reply);
    EXPECT_EQ(0, Tick());
    Pump();
  }
  // The worker finishes and its notice arrives, as the watch posts it; no tick.
  void FinishWithNotice(const std::string& reply) {
    WorkerFinishes(reply);
    window.posted.push_back({false, 0, true, window.watched});
    Pump();
  }

  // The journal's records so far (the fake clock's month, beside the fake module), header
  // left out.
  static std::vector<journalcsv::Row> JournalRows() {
    std::vector<journalcsv::Row> rows =
        journalcsv::Rows(fake::journalFiles["C:\\Station\\CSJournal-2018-07.csv"]);
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
  }
  // The Event column of each record so far.
  static std::vector<std::string> JournalEvents() {
    std::vector<std::string> events;
    for (const journalcsv::Row& row : JournalRows()) events.push_back(row.at(journalcsv::kEvent));
    return events;
  }

  // Every copy of the card data the dialogs and their job keep, all zero.
  bool CardDataErased() {
    const bool job = fake::startedJob == nullptr ||
                     (AllZero(Job().Body, sizeof Job().Body) && AllZero(Job().Reply, sizeof Job().Reply));
    return job && AllZero(State().Record.CardNumber, sizeof State().Record.CardNumber) &&
           AllZero(State().ScratchText, sizeof State().ScratchText);
  }
  static bool AllZero(const char* data, size_t size) {
    return std::all_of(data, data + size, [](char c) { return c == '\0'; });
  }

  fake::RecordingDialogWindow window;
};
