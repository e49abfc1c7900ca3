#include "records/journal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "fakes/fake_https.h"
#include "fakes/fake_platform.h"
#include "gateway/exchange_journal.h"
#include "gateway/transport_errors.h"
#include "gateway/wire_format.h"
#include "journal_csv.h"
#include "records/file_errors.h"
#include "settings/module_state.h"
#include "settings/settings.h"
#include "worked_example.h"

namespace {

// Where the fake module path puts the journal of the fake clock's month (July 2018).
constexpr const char* kJournalPath = "C:\\Station\\CSJournal-2018-07.csv";

// A gateway reply carrying code (characters 8 and 9 of field 4) and message (field 9).
std::string Reply(const char* code, const char* message) {
  const std::string fs(1, kFieldSeparator);
  return "ID" + fs + "12" + fs + "X" + fs + "ABCDEFG" + code + "HI" + fs + "K" + fs + fs + "Q" + fs +
         "R" + fs + message + fs + "Z";
}

// The gateway answered with reply; an exchange that failed at step with number.
void Answered(const JournalEntry& entry, const std::string& reply, std::optional<int32_t> endCode) {
  JournalOutcome(entry, TransportResult{}, reply.c_str(), endCode);
}
void FailedAt(const JournalEntry& entry, TransportStep step, int number, std::optional<int32_t> endCode) {
  JournalOutcome(entry, fake::Failure(step, number), fake::FailureText(step, number).c_str(), endCode);
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    ResetModuleState();
  }
  static JournalEntry Entry(TransactionKind kind, const char* card, int32_t sequence, int32_t cents) {
    TransactionRecord record = WorkedExampleRecord();
    std::strcpy(record.CardNumber, card);
    record.SequenceNumber = sequence;
    record.AmountCents = cents;
    JournalEntry entry{};
    entry.Kept = true;  // as a job claimed with the journal on
    BeginJournalEntry(entry, record, kind);
    return entry;
  }
};

TEST(JournalCard, MaskedToTheFirstSixAndLastFourAndNeverWhole) {
  const std::string longText(79, '7');
  struct Row {
    std::string card;
    std::string masked;
  };
  const Row rows[] = {
      {"6039501234567890", "603950******7890"},
      {"6039501234567890=49121010000000", "603950******7890"},  // track 2: nothing after '='
      {"%B6039509999999999^CARDHOLDER/TEST^4912", "%B6039********9999"},  // track 1: nor after '^'
      {"6039501234567", "603950***4567"},
      // Shorter than 13: at most the last four, never more than half.
      {"603950123456", "********3456"},
      {"12345678", "****5678"},
      {"12345", "***45"},
      {"123", "**3"},
      {"1", "*"},
      {"", ""},
      {"=4912", ""},
      {longText, "777777" + std::string(69, '*') + "7777"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.card);
    char masked[kMaskedCardSize];
    std::memset(masked, 'x', sizeof masked);
    MaskCardNumber(row.card.c_str(), masked, sizeof masked);
    EXPECT_EQ(row.masked, masked);
  }
}

TEST(JournalCsv, TextsWithCommasQuotesAndLineBreaks) {
  struct Row {
    const char* text;
    std::string field;
  };
  const Row rows[] = {
      {"APPROVED", "APPROVED"},
      {"", ""},
      {"INSUFFICIENT FUNDS, TRY LATER", "\"INSUFFICIENT FUNDS, TRY LATER\""},
      {"CARD \"BLOCKED\"", "\"CARD \"\"BLOCKED\"\"\""},
      {"\"", "\"\"\"\""},
      {"a,\"b\",c", "\"a,\"\"b\"\",c\""},
      // A record stays on one line: breaks become spaces, trailing ones go.
      {"Error: HTTP Send [12029]\n", "Error: HTTP Send [12029]"},
      {"Error: The transaction could not be started.\nNothing was sent to the gateway.",
       "Error: The transaction could not be started. Nothing was sent to the gateway."},
      {"line\r\nbreak, quoted\r\n", "\"line  break, quoted\""},
      {"tab\there", "tab here"},
      // Not a formula in a spreadsheet.
      {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"-5", "'-5"},
      {"+1", "'+1"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\xE9t\xE9", "\xE9t\xE9"},  // ANSI letters stay as they are
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    char field[2 * kJournalMessageLimit + 4];
    EXPECT_EQ(row.field.size(), FormatCsvText(row.text, field, sizeof field));
    EXPECT_EQ(row.field, field);
    // A spreadsheet reads the text back (with the apostrophe that keeps it a text).
    const std::vector<journalcsv::Row> read = journalcsv::Rows(field);
    ASSERT_EQ(row.field.empty() ? 0u : 1u, read.size());
  }

  // Too long a text is cut, and a cut quoted field is still closed.
  const std::string longText(kJournalMessageLimit + 50, 'x');
  char field[2 * kJournalMessageLimit + 4];
  EXPECT_EQ(kJournalMessageLimit, FormatCsvText(longText.c_str(), field, sizeof field));
  char small[8];
  EXPECT_EQ(7u, FormatCsvText("a,\"b\"c,d", small, sizeof small));
  EXPECT_STREQ("\"a,\"\"b\"", small);
}

// The bytes a spreadsheet reads: header, columns, quoting, line ends. One transaction of
// each kind and outcome, in the order the dialogs write them.
TEST_F(JournalTest, RecordsOfEachKindAndOutcome) {
  const JournalEntry charge = Entry(TransactionKind::Charge, "6039501234567890=4912101?", 17, 250);
  JournalSending(charge);
  Answered(charge, Reply("00", "APPROVED THANK YOU"), 1);
  const JournalEntry declined = Entry(TransactionKind::Charge, "6039501234567890", 18, 250);
  JournalSending(declined);
  Answered(declined, Reply("51", "INSUFFICIENT FUNDS, SEE \"HELP\""), 2);
  const JournalEntry lost = Entry(TransactionKind::Charge, "6039501234567890", 19, -150);
  JournalSending(lost);
  FailedAt(lost, TransportStep::Send, 12030, 2);
  const JournalEntry deposit = Entry(TransactionKind::Deposit, "6039502000002101", 20, 2000);
  JournalSending(deposit);
  Answered(deposit, Reply("00", "APPROVED"), std::nullopt);
  JournalBooking(deposit, 3, "Error 3 making deposit.", 0);
  const JournalEntry booked = Entry(TransactionKind::Deposit, "6039502000002101", 21, 500);
  JournalSending(booked);
  Answered(booked, Reply("00", "APPROVED"), std::nullopt);
  JournalBooking(booked, 0, "", 500);
  const JournalEntry test = Entry(TransactionKind::Test, "12345678", 22, 100);
  JournalSending(test);
  FailedAt(test, TransportStep::Send, 12029, std::nullopt);
  const JournalEntry notStarted = Entry(TransactionKind::Charge, "6039501234567890", 23, 250);
  JournalSending(notStarted);
  JournalNotSent(notStarted, "Error: The transaction could not be started.\nNothing was sent.", 2);
  // A body of the gateway's that looks like a failure text is still its answer.
  const JournalEntry mimic = Entry(TransactionKind::Charge, "6039501234567890", 24, 250);
  Answered(mimic, "Error: HTTP Send [12029]\n", 2);

  const std::string expected =
      "Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,End code\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,17,2.50,603950******7890,sending,,,\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,17,2.50,603950******7890,approved,00,APPROVED THANK YOU,1\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,18,2.50,603950******7890,sending,,,\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,18,2.50,603950******7890,declined,51,"
      "\"INSUFFICIENT FUNDS, SEE \"\"HELP\"\"\",2\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,19,-1.50,603950******7890,sending,,,\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,19,-1.50,603950******7890,outcome unknown,,"
      "Error: HTTP Send [12030],2\r\n"
      "2018-07-18 14:05:09,deposit,T0001,1,20,20.00,603950******2101,sending,,,\r\n"
      "2018-07-18 14:05:09,deposit,T0001,1,20,20.00,603950******2101,approved,00,APPROVED,\r\n"
      "2018-07-18 14:05:09,deposit,T0001,1,20,20.00,603950******2101,booking failed,,"
      "Error 3 making deposit.,0\r\n"
      "2018-07-18 14:05:09,deposit,T0001,1,21,5.00,603950******2101,sending,,,\r\n"
      "2018-07-18 14:05:09,deposit,T0001,1,21,5.00,603950******2101,approved,00,APPROVED,\r\n"
      "2018-07-18 14:05:09,deposit,T0001,1,21,5.00,603950******2101,booked,,"
      "Booked by the station program.,500\r\n"
      "2018-07-18 14:05:09,test,T0001,1,22,1.00,****5678,sending,,,\r\n"
      "2018-07-18 14:05:09,test,T0001,1,22,1.00,****5678,transport error,,Error: HTTP Send [12029],\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,23,2.50,603950******7890,sending,,,\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,23,2.50,603950******7890,transport error,,"
      "Error: The transaction could not be started. Nothing was sent.,2\r\n"
      "2018-07-18 14:05:09,charge,T0001,1,24,2.50,603950******7890,outcome unknown,,"
      "Error: HTTP Send [12029],2\r\n";
  ASSERT_EQ(1u, fake::journalFiles.size());
  EXPECT_EQ(expected, fake::journalFiles[kJournalPath]);
  for (const journalcsv::Row& row : journalcsv::Rows(expected)) {
    EXPECT_EQ(static_cast<size_t>(journalcsv::kColumns), row.size());
  }
}

TEST_F(JournalTest, AWriteThatFailsOrIsNotWantedIsReportedNotForced) {
  JournalEntry entry = Entry(TransactionKind::Charge, "6039501234567890", 17, 250);
  struct Row {
    const char* what;
    bool journal;
    unsigned long fileError;
    bool modulePathFails;
    bool failed;
    unsigned long error;
    std::string path;
    std::map<std::string, unsigned long> held;  // files that fail, and how
    bool side;
    bool redirected = false;  // Windows opens the month's file in the user's VirtualStore
  };
  const std::string side2 = "C:\\Station\\CSJournal-2018-07-2.csv";
  const std::string side3 = "C:\\Station\\CSJournal-2018-07-3.csv";
  const Row rows[] = {
      {"written", true, 0, false, false, 0, kJournalPath, {}, false},
      {"journal off", false, 0, false, false, 0, "", {}, false},
      {"every file locked", true, 32, false, true, 32, kJournalPath, {}, false},
      {"no module path", true, 0, true, true, kPathTooLong, "CSJournal-2018-07.csv", {}, false},
      {"month's file held", true, 0, false, false, 32, side2, {{kJournalPath, 32}}, true},
      {"two files denied", true, 0, false, false, 5, side3, {{kJournalPath, 5}, {side2, 33}}, true},
      {"disk full: no side file", true, 0, false, true, 112, kJournalPath, {{kJournalPath, 112}}, false},
      {"redirected: no side file", true, 0, false, true, kRedirected, kJournalPath, {}, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    entry.Kept = row.journal;
    fake::journalError = row.fileError;
    fake::journalPathErrors = row.held;
    fake::modulePathFails = row.modulePathFails;
    if (row.redirected) {
      fake::openedPaths[kJournalPath] = "C:\\Users\\bob\\AppData\\Local\\VirtualStore\\Station\\CSJournal-2018-07.csv";
    }
    const JournalWrite write = JournalSending(entry);
    EXPECT_EQ(row.failed, write.Failed);
    EXPECT_EQ(row.side, write.Side);
    EXPECT_EQ(row.error, write.Error);
    EXPECT_EQ(row.path, write.Path);
    const bool written = !row.failed && row.journal;
    EXPECT_EQ(written ? 1u : 0u, fake::journalFiles.size());
    if (written) {
      EXPECT_EQ(0u, fake::journalFiles[row.path].rfind(kJournalHeader, 0));
    }
  }
}

}  // namespace

namespace {

// The reader is the writer's inverse: a line read back and written again is the same
// line, and a line that is not a record says which column is wrong.
TEST(JournalLineReader, ReadsWhatTheWriterWritesAndNamesTheFaultyColumn) {
  struct Row {
    std::string line;
    JournalFault fault;
    JournalColumn column;
  };
  const std::string good = "2018-07-18 14:05:09,charge,T0001,1,19,-1.50,603950******7890,outcome unknown,,"
                           "\"ERR, \"\"X\"\"\",2";
  const Row rows[] = {
      {good, JournalFault::None, JournalColumn::LocalTime},
      {"2018-07-18 14:05:09,deposit,'-T1,12,999999,20.00,,booked,,'=SUM(A1),", JournalFault::None,
       JournalColumn::LocalTime},
      {"2018-07-18 14:05:09,charge,T0001,1,19,1.50", JournalFault::Columns, JournalColumn::LocalTime},
      {good + ",", JournalFault::Columns, JournalColumn::LocalTime},
      {"2018-7-18 14:05:09,charge,T0001,1,19,1.50,x,sending,,,", JournalFault::Time, JournalColumn::LocalTime},
      {"2018-07-18 14:05:09,refund,T0001,1,19,1.50,x,sending,,,", JournalFault::Kind, JournalColumn::Kind},
      {"2018-07-18 14:05:09,charge,T0001,0x1,19,1.50,x,sending,,,", JournalFault::Number, JournalColumn::Batch},
      {"2018-07-18 14:05:09,charge,T0001,1,1000000,1.50,x,sending,,,", JournalFault::Sequence,
       JournalColumn::Sequence},
      {"2018-07-18 14:05:09,charge,T0001,1,19,1.5,x,sending,,,", JournalFault::Amount, JournalColumn::Amount},
      {"2018-07-18 14:05:09,charge,T0001,1,19,1.50,x,sent,,,", JournalFault::Event, JournalColumn::Event},
      {"2018-07-18 14:05:09,charge,T0001,1,19,1.50,x,sending,,\"ab\"c,", JournalFault::Quoting, JournalColumn::Message},
      {"2018-07-18 14:05:09,charge,T0001,1,19,1.50,x,sending,,a\tb,", JournalFault::Control, JournalColumn::LocalTime},
      {"2018-07-18 14:05:09,charge,T0001,1,19,1.50,x,sending,,,2x", JournalFault::Number, JournalColumn::EndCode},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    JournalLine line{};
    char texts[kJournalRecordSize];
    const JournalLineFault fault = ReadJournalLine(row.line.data(), row.line.size(), &line, texts);
    EXPECT_EQ(row.fault, fault.Fault);
    if (row.fault != JournalFault::None) {
      EXPECT_EQ(row.column, fault.Column);
      continue;
    }
    char written[kJournalRecordSize];
    FormatJournalLine(line, written);
    EXPECT_EQ(row.line + "\r\n", written);
  }
}

TEST(JournalFileNames, MonthAndSideFromTheName) {
  struct Row {
    const char* name;
    std::optional<JournalFileMonth> month;
  };
  const Row rows[] = {
      {"CSJournal-2026-12.csv", JournalFileMonth{2026, 12, 1, false}},
      {"CSJournal-2026-12-3.csv", JournalFileMonth{2026, 12, 3, false}},
      {"csjournal-2027-01.CSV", JournalFileMonth{2027, 1, 1, false}},
      {"CSJournal-2026-12 - Copy.csv", JournalFileMonth{2026, 12, 1, true}},
      {"CSJournal-2026-13.csv", std::nullopt},
      {"CSJournal-26-12.csv", std::nullopt},
      {"Journal-2026-12.csv", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<JournalFileMonth> month = ParseJournalFileName(row.name);
    ASSERT_EQ(row.month.has_value(), month.has_value());
    if (!month) continue;
    EXPECT_EQ(row.month->Year, month->Year);
    EXPECT_EQ(row.month->Month, month->Month);
    EXPECT_EQ(row.month->Side, month->Side);
    EXPECT_EQ(row.month->Renamed, month->Renamed);
  }
}

}  // namespace
