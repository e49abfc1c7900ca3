#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tools/gateway_sim/journal.h"
#include "tools/gateway_sim/settlement.h"

namespace {

TEST(JournalTest, ValuesNeverHoldBlanksOrLookEmpty) {
  struct Row {
    std::string value;
    const char* written;
  };
  const Row rows[] = {
      {"T0001", "T0001"},
      {"", "-"},
      {"-", "%2D"},
      {"--", "--"},
      {"a b", "a%20b"},
      {"100%", "100%25"},
      {"x\x1Cy", "x%1Cy"},
      {"\xE9\x7F", "%E9%7F"},
      {"field4:zone_code", "field4:zone_code"},
      {"a=b", "a=b"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.written);
    EXPECT_EQ(row.written, gwsim::EscapeJournalValue(row.value));
  }
}

TEST(JournalTest, LineHasEveryKeyInOrder) {
  gwsim::JournalEntry entry;
  entry.counter = 12;
  entry.time = "2018-07-18T14:05:09";
  entry.path = "/ipsx/gateway";
  entry.merchantId = "M 1";
  entry.responseCode = "00";
  EXPECT_EQ(
      "n=12 time=2018-07-18T14:05:09 peer=- method=- path=/ipsx/gateway status=- tc=- "
      "merchant=M%201 terminal=- batch=- seq=- zone=- card=- track=- amount=- rc=00 balance=- "
      "behaviour=- reason=-\n",
      gwsim::FormatJournalLine(entry));
}

TEST(JournalTest, FileGetsWholeLinesAppended) {
  char path[] = "/tmp/gateway_sim_journal_XXXXXX";
  const int descriptor = mkstemp(path);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(6, write(descriptor, "old=1\n", 6));
  close(descriptor);
  {
    gwsim::JournalFile journal;
    std::string error;
    ASSERT_TRUE(journal.Open(path, error)) << error;
    EXPECT_TRUE(journal.Append("n=1\n"));
    // Visible at once, before the journal is closed.
    std::ifstream early(path);
    std::stringstream seen;
    seen << early.rdbuf();
    EXPECT_EQ("old=1\nn=1\n", seen.str());
    EXPECT_TRUE(journal.Append("n=2\n"));
  }
  std::ifstream stream(path);
  std::stringstream text;
  text << stream.rdbuf();
  EXPECT_EQ("old=1\nn=1\nn=2\n", text.str());
  unlink(path);

  gwsim::JournalFile unusable;
  std::string error;
  EXPECT_FALSE(unusable.Open("/nonexistent-dir/journal.log", error));
  EXPECT_NE(std::string::npos, error.find("/nonexistent-dir/journal.log"));
}

}  // namespace

namespace {

TEST(SettlementTest, ARowForEachChargeAnsweredWithACode) {
  gwsim::JournalEntry charge;
  charge.time = "2026-12-18T14:05:09";
  charge.transactionCode = "200";
  charge.terminalId = "T,1";
  charge.batch = "000001";
  charge.sequence = "000017";
  charge.maskedCard = "603950******7890";
  charge.amount = "-250";
  charge.responseCode = "00";
  EXPECT_EQ("2026-12-18 14:05:09,\"T,1\",000001,000017,603950******7890,-2.50,00\r\n",
            gwsim::FormatSettlementRow(charge));
  gwsim::JournalEntry test = charge;
  test.transactionCode = "100";
  EXPECT_EQ("", gwsim::FormatSettlementRow(test));
  gwsim::JournalEntry lost = charge;
  lost.responseCode = "";
  EXPECT_EQ("", gwsim::FormatSettlementRow(lost));
}

}  // namespace
