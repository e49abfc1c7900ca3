// The transaction journal of the real plug-in under Wine: charges, deposits and
// configuration Tests run through a copy of the DLL against the gateway stand-ins
// (tests/win32/run_with_gateways.sh), and the CSJournal-*.csv files beside the copy are
// read back as a spreadsheet reads them. The file seam, the month's file and two
// appenders at once are tried on real files through the code linked into this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "product_version.h"
#include "card_dialog_session.h"
#include "gateway/exchange_journal.h"
#include "host/process_attach_win32.h"
#include "records/journal.h"
#include "records/journal_file.h"
#include "settings/module_state.h"
#include "tests/unit/journal_csv.h"
#include "tools/dialog_driver/dialog_driver_win32.h"

using namespace cardtest;
using journalcsv::Row;
using testenv::host;

namespace {

constexpr const char* kHeader =
    "Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,End code";
constexpr const char* kNeverAnswers = "127.0.0.9";
constexpr const char* kResetsAfterRequest = "127.0.0.10";
constexpr const char* kConfirmation =
    "A charge of 1.50 will be made to your account.\n"
    "Press OK to continue, or press Cancel to go back.";
constexpr const char* kAskForAmount = "Current print balance is 12.34.\nEnter amount to deposit:";
constexpr int kAccountNumberField = IDC_CONFIG_ACCOUNT_NUMBER;
constexpr int kTestButton = IDC_CONFIG_TEST;
// Beyond the transport's 30 s receive time-out.
constexpr DWORD kSlowOutcomeMs = 60000;
constexpr int kPollMs = 50;

constexpr const char* kCard = "6039501000001401";
constexpr const char* kPoorCard = "6039501000001451";  // 40 cents on it
constexpr const char* kBlockedJournalCard = "6039501000001409";
constexpr const char* kTestCard = "6039501000001408";
constexpr const char* kDepositCard = "6039502000002401";
constexpr const char* kUnbookedCard = "6039502000002403";

// The current month's journal file name, as the plug-in forms it from the local time.
std::string ThisMonthsFile() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char name[kJournalFileNameSize];
  JournalFileName(LocalDateTime{now.wYear, now.wMonth, 1, 0, 0, 0}, name, sizeof name);
  return name;
}

// Every CSJournal-*.csv of folder, oldest month first, as one text per file.
std::vector<std::string> JournalFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "CSJournal-*.csv").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> texts;
  for (const std::string& name : names) texts.push_back(testenv::ReadTextFile(folder + name));
  return texts;
}

// The records of every journal file of folder, each file's header checked and left out.
std::vector<Row> Records(const std::string& folder) {
  std::vector<Row> records;
  for (const std::string& text : JournalFiles(folder)) {
    // A file whose first write failed stays empty; the next write gives it its header.
    std::vector<Row> rows = journalcsv::Rows(text);
    if (rows.empty()) continue;
    EXPECT_EQ(journalcsv::Rows(kHeader)[0], rows[0]);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(rows.size()))
        << "a record over more than one line, or a line end without CR:\n" << text;
    for (size_t i = 1; i < rows.size(); ++i) {
      EXPECT_EQ(static_cast<size_t>(journalcsv::kColumns), rows[i].size()) << text;
      records.push_back(rows[i]);
    }
  }
  return records;
}

std::vector<std::string> Events(const std::vector<Row>& records) {
  std::vector<std::string> events;
  for (const Row& record : records) events.push_back(record.at(journalcsv::kEvent));
  return events;
}

// What every record of one transaction repeats.
void ExpectTransaction(const std::vector<Row>& records, const char* kind, int32_t sequence,
                       const char* amount, const std::string& card) {
  for (const Row& record : records) {
    SCOPED_TRACE(record.at(journalcsv::kEvent));
    EXPECT_EQ(kind, record[journalcsv::kKind]);
    EXPECT_EQ(kTerminalId, record[journalcsv::kTerminal]);
    EXPECT_EQ(std::to_string(kBatchNumber), record[journalcsv::kBatch]);
    EXPECT_EQ(std::to_string(sequence), record[journalcsv::kSequence]);
    EXPECT_EQ(amount, record[journalcsv::kAmount]);
    EXPECT_EQ(MaskedCard(card), record[journalcsv::kCard]);
    // "2026-12-18 14:05:09"
    const std::string& time = record[journalcsv::kTime];
    EXPECT_EQ(19u, time.size()) << time;
    EXPECT_EQ(std::string("-- ::"), time.substr(4, 1) + time.substr(7, 1) + time.substr(10, 1) +
                                        time.substr(13, 1) + time.substr(16, 1))
        << time;
  }
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

// The card typed as a reader types it, then the amount confirmed: the charge runs.
void SwipeAndConfirm(HWND dialog, const std::string& entry) {
  driver::TypeText(dialog, kEntry, entry);
  driver::Click(dialog, IDOK);
  ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, kConfirmation));
  driver::Click(dialog, IDOK);
}

// A charge's result as the user sees it, then the way out: Cancel after an error.
void FinishCharge(HWND dialog) {
  if (!WaitFor([&] { return !IsWindow(dialog) || driver::WindowText(dialog) == "Transaction error"; },
               kSlowOutcomeMs)) {
    ADD_FAILURE() << "no outcome: \"" << driver::ItemText(dialog, kMessageLine) << "\"";
  }
  if (IsWindow(dialog)) PressCancel(dialog);
}

// What holds a journal file so that it cannot be written.
enum class Blocker { None, Spreadsheet, Folder };

// Puts blocker in the place of this month's journal beside folder; the returned handle
// (a spreadsheet's) is to be closed by the caller.
HANDLE Block(const std::string& folder, Blocker blocker) {
  const std::string path = folder + ThisMonthsFile();
  switch (blocker) {
    case Blocker::Spreadsheet:
      // A spreadsheet reads the file and lets nobody else write it meanwhile.
      return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    case Blocker::Folder:
      EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
      break;
    case Blocker::None:
      break;
  }
  return INVALID_HANDLE_VALUE;
}

class JournalWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::ResetHost();
    ASSERT_NE("", testenv::GatewaysDir()) << "run under tests/win32/run_with_gateways.sh";
  }
};

TEST_F(JournalWin32Test, EachChargeIsRecordedBeforeItIsSentAndWithItsOutcome) {
  // Track 1 carries another number and the holder's name; track 2 the expiry after '='.
  const std::string swipe = "%B6039509999999999^CARDHOLDER/TEST^4912101000000000000?;" +
                            std::string(kCard) + "=4912101?";
  struct Outcome {
    const char* name;
    const char* gateway;
    std::string entry;
    std::string card;
    int32_t endCode;
    size_t received;  // requests the gateway journals: did it reach the gateway?
    const char* event;
    const char* code;
    std::vector<std::string> messages;  // any of them
  };
  const Outcome rows[] = {
      {"approved, swiped", kDialogGateway, swipe, kCard, 1, 1, "approved", "00", {"APPROVED"}},
      {"declined", kDialogGateway, kPoorCard, kPoorCard, 2, 1, "declined", "51", {"INSUFFICIENT FUNDS"}},
      {"nothing listens", kNoListener, kCard, kCard, 2, 0, "transport error", "",
       {"Error: HTTP Send [12029]"}},
      // WinINet either reads no status line or loses the connection reading it, as the
      // reset happens to fall.
      {"reset after the request", kResetsAfterRequest, kCard, kCard, 2, 1, "outcome unknown", "",
       {"Error: HTTP Server [0]", "Error: HTTP Send [12030]"}},
      {"no answer in time", kNeverAnswers, kCard, kCard, 2, 1, "outcome unknown", "",
       {"Error: HTTP Send [12030]"}},
  };
  for (const Outcome& row : rows) {
    SCOPED_TRACE(row.name);
    StationPlugin plugin("journal-charge", row.gateway);
    const size_t requestsBefore = JournalSize(row.gateway);
    const int32_t endCode = RunDialog([&] { return plugin.charge(nullptr, 0, 150); }, [&](HWND dialog) {
      SwipeAndConfirm(dialog, row.entry);
      if (std::strcmp(row.gateway, kNeverAnswers) == 0) {
        // While the gateway holds a request it has received, the record of it is on disk.
        EXPECT_TRUE(WaitFor([&] { return JournalSize(row.gateway) > requestsBefore; }, 10000));
        EXPECT_EQ(std::vector<std::string>{"sending"}, Events(Records(plugin.Folder())));
      }
      FinishCharge(dialog);
    });
    EXPECT_EQ(row.endCode, endCode);
    EXPECT_EQ(requestsBefore + row.received, JournalSize(row.gateway));

    const std::vector<Row> records = Records(plugin.Folder());
    ASSERT_EQ((std::vector<std::string>{"sending", row.event}), Events(records));
    ExpectTransaction(records, "charge", kSeededSequence + 1, "1.50", row.card);
    EXPECT_EQ("", records[0][journalcsv::kCode]);
    EXPECT_EQ("", records[0][journalcsv::kMessage]);
    EXPECT_EQ("", records[0][journalcsv::kEndCode]);
    EXPECT_EQ(row.code, records[1][journalcsv::kCode]);
    EXPECT_NE(row.messages.end(),
              std::find(row.messages.begin(), row.messages.end(), records[1][journalcsv::kMessage]))
        << records[1][journalcsv::kMessage];
    EXPECT_EQ(std::to_string(row.endCode), records[1][journalcsv::kEndCode]);
    EXPECT_LE(records[0][journalcsv::kTime], records[1][journalcsv::kTime]);

    // Nothing of the card beyond its masked number reaches the file: not the number, not
    // the other track's, not the holder's name, no track separator.
    std::string files;
    for (const std::string& text : JournalFiles(plugin.Folder())) files += text;
    for (const char* secret : {kCard, kPoorCard, "6039509999999999", "CARDHOLDER", "4912101", "="}) {
      EXPECT_EQ(std::string::npos, files.find(secret)) << secret << " in\n" << files;
    }
  }
}

// The station program closes its window while a charge waits for a gateway that never
// answers, and frees the plug-in. The job left running holds the plug-in's module until
// it has journaled its outcome, then lets it go; the station program lives on.
TEST_F(JournalWin32Test, AJobOutlivesThePluginItsStationFreed) {
  StationPlugin plugin("journal-unload", kNeverAnswers);
  const std::string folder = plugin.Folder();
  const std::string path = plugin.path();
  HWND owner = nullptr;
  const int32_t endCode = RunDialog(
      [&] {
        owner = CreateWindowExA(0, "STATIC", "station", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
        return plugin.charge(owner, 0, 150);
      },
      [&](HWND dialog) {
        SwipeAndConfirm(dialog, kCard);
        EXPECT_TRUE(WaitFor([&] { return JournalSize(kNeverAnswers) > 0 && !Records(folder).empty(); },
                            10000));
        PostMessageA(owner, WM_CLOSE, 0, 0);  // which destroys the dialog it owns
      });
  EXPECT_NE(1, endCode);
  EXPECT_FALSE(IsWindow(owner));
  plugin.Unload();
  EXPECT_NE(nullptr, GetModuleHandleA(path.c_str())) << "the job holds the plug-in";

  // Past the exchange's time-out the job journals its outcome, then lets the module go.
  EXPECT_TRUE(WaitFor([&] { return Records(folder).size() == 2; }, kSlowOutcomeMs));
  EXPECT_TRUE(WaitFor([&] { return GetModuleHandleA(path.c_str()) == nullptr; }, 5000));
  const std::vector<Row> records = Records(folder);
  ASSERT_EQ((std::vector<std::string>{"sending", "outcome unknown"}), Events(records));
  EXPECT_NE(std::string::npos, records[1][journalcsv::kMessage].find("closed the dialog before the answer"))
      << records[1][journalcsv::kMessage];
  EXPECT_EQ("", records[1][journalcsv::kEndCode]) << "the station was told nothing";
}

TEST_F(JournalWin32Test, ADepositIsRecordedWithItsBookingByTheStation) {
  struct Booking {
    const char* name;
    const char* card;
    int32_t stationResult;
    int32_t endCode;
    const char* event;
    const char* message;
  };
  const Booking rows[] = {
      {"booked", kDepositCard, 0, 500, "booked", "Booked by the station program."},
      {"refused by the station", kUnbookedCard, 3, 0, "booking failed", "Error 3 making deposit."},
  };
  for (const Booking& row : rows) {
    SCOPED_TRACE(row.name);
    testenv::ResetHost();
    host.depositResult = row.stationResult;
    StationPlugin plugin("journal-deposit", kDialogGateway);
    const int32_t endCode =
        RunDialog([&] { return plugin.deposit(nullptr, "alice", 1234); }, [&](HWND dialog) {
          driver::TypeText(dialog, kEntry, row.card);
          driver::Click(dialog, IDOK);
          ASSERT_TRUE(WaitForExactText(dialog, kMessageLine, kAskForAmount));
          driver::TypeText(dialog, kEntry, "5");
          driver::Click(dialog, IDOK);
          if (row.stationResult == 0) return;
          HWND box = driver::WaitForMessageBox(GetWindowThreadProcessId(dialog, nullptr));
          ASSERT_NE(nullptr, box);
          // The record is on disk while the user reads the box.
          EXPECT_EQ(row.event, Events(Records(plugin.Folder())).back());
          driver::Click(box, IDOK);
        });
    EXPECT_EQ(row.endCode, endCode);
    ASSERT_EQ(1u, host.depositCalls.size());

    const std::vector<Row> records = Records(plugin.Folder());
    ASSERT_EQ((std::vector<std::string>{"sending", "approved", row.event}), Events(records));
    ExpectTransaction(records, "deposit", kSeededSequence + 1, "5.00", row.card);
    EXPECT_EQ("00", records[1][journalcsv::kCode]);
    EXPECT_EQ("", records[1][journalcsv::kEndCode]) << "settled only by the booking";
    EXPECT_EQ(row.message, records[2][journalcsv::kMessage]);
    EXPECT_EQ(std::to_string(row.endCode), records[2][journalcsv::kEndCode]);
  }
}

// The Test's box names the side file when the month's file is held, on a last line; the
// Test itself goes the same way.
TEST_F(JournalWin32Test, ConfigurationTestIsRecordedAndASideFileIsNamed) {
  struct TestRow {
    const char* name;
    const char* gateway;
    Blocker blocker;
    std::string box;  // how the box begins (the verdict; certificate lines may follow)
    const char* event;
    int error;  // what the month's file gave; 0: written there
  };
  const TestRow rows[] = {
      {"approved", kDialogGateway, Blocker::None, "Response Code: 00\nMessage: APPROVED\n", "approved", 0},
      {"nothing listens", kNoListener, Blocker::None, testenv::FailureText(TransportStep::Send, 12029),
       "transport error", 0},
      {"approved, journal open in a spreadsheet", kDialogGateway, Blocker::Spreadsheet,
       "Response Code: 00\nMessage: APPROVED\n", "approved", ERROR_SHARING_VIOLATION},
      {"nothing listens, a folder in the journal's place", kNoListener, Blocker::Folder,
       testenv::FailureText(TransportStep::Send, 12029), "transport error", ERROR_ACCESS_DENIED},
  };
  for (const TestRow& row : rows) {
    SCOPED_TRACE(row.name);
    StationPlugin plugin("journal-test", row.gateway);
    HANDLE spreadsheet = Block(plugin.Folder(), row.blocker);
    std::string shown;
    const int32_t endCode = RunDialog([&] { return plugin.config(nullptr); }, [&](HWND dialog) {
      driver::TypeText(dialog, kAccountNumberField, kTestCard);
      driver::Click(dialog, kTestButton);
      HWND box = driver::WaitForMessageBox(GetWindowThreadProcessId(dialog, nullptr));
      ASSERT_NE(nullptr, box);
      shown = driver::MessageBoxText(box);
      if (row.blocker == Blocker::Spreadsheet) SaveShot(box, "configure-test-journal-blocked");
      driver::Click(box, IDOK);
      ASSERT_TRUE(driver::WaitUntilClosed(box));
      driver::Click(dialog, IDCANCEL);
    });
    if (spreadsheet != INVALID_HANDLE_VALUE) CloseHandle(spreadsheet);
    EXPECT_EQ(0, endCode);
    EXPECT_EQ(kSeededSequence + 1, plugin.StoredSequence());
    EXPECT_EQ(0u, shown.rfind(row.box, 0)) << shown;
    if (row.error != 0) {
      std::string side = ThisMonthsFile();
      side.insert(side.size() - 4, "-2");
      const std::string last = "\nJournal: written to " + plugin.Folder() + side +
                               "; the month's file is held by another program (error " +
                               std::to_string(row.error) + ")\nData folder: " + plugin.Folder() +
                               "\nPlug-in version " PRODUCT_VERSION_TEXT;
      EXPECT_EQ(last, shown.substr(shown.size() - std::min(shown.size(), last.size())))
          << "the journal's line comes last before the version: " << shown;
    } else {
      EXPECT_EQ(std::string::npos, shown.find("Journal:")) << shown;
    }
    const std::vector<Row> records = Records(plugin.Folder());
    ASSERT_EQ((std::vector<std::string>{"sending", row.event}), Events(records));
    ExpectTransaction(records, "test", kSeededSequence + 1, "1.00", kTestCard);
    EXPECT_EQ("", records[1][journalcsv::kEndCode]) << "a Test returns nothing to the station";
  }
}

// A month's file that is held goes to a side file; a journal turned off is no condition.
TEST_F(JournalWin32Test, AChargeGoesThroughWithTheJournalInASideFileOrOff) {
  struct Journal {
    const char* name;
    Blocker blocker;
    const char* setting;
  };
  const Journal rows[] = {
      {"open in a spreadsheet", Blocker::Spreadsheet, ""},
      {"a folder in its place", Blocker::Folder, ""},
      {"turned off", Blocker::None, "Journal=0\r\n"},
  };
  for (const Journal& row : rows) {
    SCOPED_TRACE(row.name);
    StationPlugin plugin("journal-blocked", kDialogGateway, "", row.setting);
    HANDLE spreadsheet = Block(plugin.Folder(), row.blocker);
    const size_t requestsBefore = JournalSize(kDialogGateway);
    const DWORD start = GetTickCount();
    const int32_t endCode = RunDialog([&] { return plugin.charge(nullptr, 0, 150); },
                                      [&](HWND dialog) { SwipeAndConfirm(dialog, kBlockedJournalCard); });
    const DWORD tookMs = GetTickCount() - start;
    if (spreadsheet != INVALID_HANDLE_VALUE) CloseHandle(spreadsheet);
    std::printf("figure: charge with the journal %s: %lu ms\n", row.name, tookMs);
    EXPECT_EQ(1, endCode);
    ASSERT_EQ(requestsBefore + 1, JournalSize(kDialogGateway));
    EXPECT_EQ("00", testenv::JournalValue(LastJournalLine(kDialogGateway), "rc"));
    const std::vector<std::string> expected =
        row.blocker == Blocker::None ? std::vector<std::string>() : std::vector<std::string>({"sending", "approved"});
    EXPECT_EQ(expected, Events(Records(plugin.Folder())));
  }
}

// The code linked into this program, on real files in a folder of their own: the
// module's folder is that of a loaded copy of the plug-in.
class JournalFileWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_.emplace(testenv::MakeScratchDir("journal-files"));
    savedInstance_ = ModuleInstance;
    ResetModuleState();  // the module handle included
    ModuleInstance = plugin_->module();
    folder_ = plugin_->path().substr(0, plugin_->path().find_last_of('\\') + 1);
  }
  void TearDown() override {
    ResetModuleState();
    ModuleInstance = savedInstance_;
    plugin_.reset();
  }
  static JournalEntry Entry(int32_t sequence) {
    TransactionRecord record{};
    std::strcpy(record.TerminalID, kTerminalId);
    std::strcpy(record.CardNumber, "6039501234567890=4912");
    record.BatchNumber = kBatchNumber;
    record.SequenceNumber = sequence;
    record.AmountCents = 150;
    JournalEntry entry{};
    entry.Kept = true;  // as a job claims it with the journal on
    BeginJournalEntry(entry, record, TransactionKind::Charge);
    return entry;
  }

  std::optional<testenv::LoadedPlugin> plugin_;
  HINSTANCE savedInstance_ = nullptr;
  std::string folder_;
};

// Each line goes to the file of the month of its own time: a charge sent in the last
// second of a year has its outcome in the next year's first file.
TEST_F(JournalFileWin32Test, TheMonthOfEachLineNamesItsFile) {
  const JournalEntry entry = Entry(41);
  const JournalRecord sending{JournalEvent::Sending, "", "", std::nullopt};
  const JournalRecord approved{JournalEvent::Approved, "00", "APPROVED", 1};
  const LocalDateTime lastSecond{2026, 12, 31, 23, 59, 59};
  const LocalDateTime firstSecond{2027, 1, 1, 0, 0, 0};
  EXPECT_FALSE(WriteJournalRecord(entry, sending, lastSecond).Failed);
  const JournalWrite outcome = WriteJournalRecord(entry, approved, firstSecond);
  EXPECT_FALSE(outcome.Failed);
  EXPECT_EQ(folder_ + "CSJournal-2027-01.csv", outcome.Path);

  const std::string header = std::string(kHeader) + "\r\n";
  EXPECT_EQ(header + "2026-12-31 23:59:59,charge,T0042,7,41,1.50,603950******7890,sending,,,\r\n",
            testenv::ReadTextFile(folder_ + "CSJournal-2026-12.csv"));
  EXPECT_EQ(header + "2027-01-01 00:00:00,charge,T0042,7,41,1.50,603950******7890,approved,00,APPROVED,1\r\n",
            testenv::ReadTextFile(folder_ + "CSJournal-2027-01.csv"));
  EXPECT_EQ(2u, JournalFiles(folder_).size());
}

// Two station programs appending to one file at once: each record whole on its own
// line, one header at the top of the file they create between them.
TEST_F(JournalFileWin32Test, AppendersAtOnceNeverSplitALine) {
  constexpr int kAppenders = 2;
  constexpr int kRecordsEach = 150;
  const std::string path = folder_ + "CSJournal-2026-12.csv";
  const std::string header = std::string(kHeader) + "\r\n";
  // Longer than one small write, so that a split would show.
  const std::string filler(400, 'x');
  unsigned long errors[kAppenders] = {};
  const DWORD start = GetTickCount();
  std::vector<std::thread> appenders;
  for (int a = 0; a < kAppenders; ++a) {
    appenders.emplace_back([&, a] {
      for (int i = 0; i < kRecordsEach; ++i) {
        const std::string record = "appender " + std::to_string(a) + " record " + std::to_string(i) +
                                   "," + filler + "\r\n";
        const unsigned long error = AppendJournalRecord(path.c_str(), header.c_str(), record.c_str());
        if (error != 0) errors[a] = error;
      }
    });
  }
  for (std::thread& appender : appenders) appender.join();
  const DWORD tookMs = GetTickCount() - start;
  std::printf("figure: %d records appended and flushed by %d appenders at once in %lu ms, %.2f ms each\n",
              kAppenders * kRecordsEach, kAppenders, tookMs,
              static_cast<double>(tookMs) / (kAppenders * kRecordsEach));
  for (unsigned long error : errors) EXPECT_EQ(0u, error);

  const std::vector<Row> rows = journalcsv::Rows(testenv::ReadTextFile(path));
  ASSERT_EQ(static_cast<size_t>(1 + kAppenders * kRecordsEach), rows.size());
  EXPECT_EQ(journalcsv::Rows(kHeader)[0], rows[0]);
  int next[kAppenders] = {};
  for (size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(2u, rows[i].size()) << "line " << i;
    EXPECT_EQ(filler, rows[i][1]) << "line " << i;
    int appender = -1;
    int record = -1;
    ASSERT_EQ(2, std::sscanf(rows[i][0].c_str(), "appender %d record %d", &appender, &record)) << rows[i][0];
    ASSERT_TRUE(appender >= 0 && appender < kAppenders);
    EXPECT_EQ(next[appender]++, record) << "an appender's records out of order";
  }
}

}  // namespace
