#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tools/reconcile/ledger.h"
#include "tools/reconcile/reconcile.h"
#include "tools/reconcile/settlement.h"

namespace {

// Feeds each sequence number as a charge sent and approved, a second apart.
Findings Numbered(const std::vector<int>& sequences, std::set<UseKey>* reused = nullptr) {
  Findings findings;
  findings.Files = {"CSJournal-2026-12.csv"};
  TerminalNames terminals;
  Ledger ledger(findings, terminals, nullptr, 0, {}, nullptr);
  int second = 0;
  for (int sequence : sequences) {
    for (const char* event : {"sending", "approved"}) {
      char text[160];
      std::snprintf(text, sizeof text, "2026-12-01 10:%02d:%02d,charge,T1,1,%d,1.00,card,%s,,,", second / 60,
                    second % 60, sequence, event);
      ++second;
      JournalLine line{};
      char texts[kJournalRecordSize];
      EXPECT_EQ(JournalFault::None, ReadJournalLine(text, std::strlen(text), &line, texts).Fault) << text;
      ledger.Record({0, second}, line);
    }
  }
  ledger.Finish();
  if (reused != nullptr) *reused = ledger.Reused();
  return findings;
}

TEST(ReconcileNumbering, WrapsGapsBackwardsAndNumbersUsedTwice) {
  struct Row {
    const char* what;
    std::vector<int> sequences;
    size_t backwards;
    int64_t gaps;
    int64_t skipped;
    int64_t wraps;
    size_t reused;
  };
  const Row rows[] = {
      {"in order", {1, 2, 3}, 0, 0, 0, 0, 0},
      {"a gap", {1, 2, 5, 6}, 0, 1, 2, 0, 0},
      {"the wrap is no step back and no reuse", {2, 999998, 999999, 1, 2}, 0, 1, 999995, 1, 0},
      {"numbers unused at the wrap", {999997, 2}, 0, 1, 3, 1, 0},
      {"a restored store goes back and repeats", {3, 4, 5, 6, 7, 3, 4, 8}, 1, 0, 0, 0, 2},
      {"back to a number never used is no reuse", {10, 11, 12, 9, 13}, 1, 0, 0, 0, 0},
      {"the same number again", {4, 4}, 0, 0, 0, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::set<UseKey> reused;
    const Findings findings = Numbered(row.sequences, &reused);
    EXPECT_EQ(row.backwards, findings.Backwards.size());
    ASSERT_EQ(1u, findings.Runs.size());
    EXPECT_EQ(row.gaps, findings.Runs[0].Gaps);
    EXPECT_EQ(row.skipped, findings.Runs[0].Skipped);
    EXPECT_EQ(row.wraps, findings.Runs[0].Wraps);
    EXPECT_EQ(row.reused, reused.size());
    EXPECT_TRUE(findings.Doubts.empty());
  }
}

TEST(ReconcileVerdict, TheExitCodeAndTheSummarySayTheSame) {
  Findings clean = Numbered({1, 2});
  Findings doubt = clean;
  doubt.Doubts.push_back({DoubtKind::NoOutcome, {}, JournalKind::Charge, {"T1", 1, 3}, 150, "", "", {}, {}});
  Findings unread = doubt;
  unread.UnreadLines = 1;
  Findings backwards = clean;
  backwards.Backwards.push_back({{"T1", 1, 1}, 2, {}, {}});
  struct Row {
    const Findings* findings;
    size_t settlementProblems;
    int code;
    const char* begins;
  };
  const Row rows[] = {
      {&clean, 0, kNothingInDoubt, "nothing in doubt: 4 records"},
      {&doubt, 0, kItemsInDoubt, "items in doubt: 1 transaction with money in doubt (1.50)"},
      {&backwards, 0, kItemsInDoubt, "items in doubt: 0 transactions"},
      {&unread, 0, kInputNotRead, "input it could not read: 1 journal line"},
      {&clean, 2, kInputNotRead, "input it could not read: 2 problems with the settlement"},
  };
  for (const Row& row : rows) {
    std::string summary;
    EXPECT_EQ(row.code, Verdict(*row.findings, row.settlementProblems, summary));
    EXPECT_EQ(0u, summary.rfind(row.begins, 0)) << summary;
  }
}

TEST(ReconcileSettlement, ColumnsByNameAndEveryRowItCannotRead) {
  const std::string path = ::testing::TempDir() + "settlement.csv";
  struct Row {
    const char* what;
    std::string text;
    std::string columns;
    std::vector<std::string> problems;  // each after the path
  };
  const Row rows[] = {
      {"default names, any case", "terminal id,BATCH,Sequence,Amount,Response code\r\nT1,000001,000002,4,00\r\n", "", {}},
      {"mapped names", "TID,Batch,Seq,Amount,RC\nT1,1,2,\"4.5\",00\n", "terminal=TID,sequence=Seq,code=RC", {}},
      {"a missing column is named",
       "TID,Batch,Seq,Amount,RC\r\n",
       "terminal=TID,code=RC",
       {": no column \"Sequence\" (the sequence); the header has \"TID\", \"Batch\", \"Seq\", \"Amount\", \"RC\". "
        "Name it with --gateway-columns sequence=NAME"}},
      {"rows it cannot read, each",
       "Terminal ID,Batch,Sequence,Amount,Response code\r\nT1,1,2,4.505,00\r\nT1,x,2,4,00\r\nT1,1,3,4,00\r\n",
       "",
       {":2: column \"Amount\": '4.505' is not an amount in currency units",
        ":3: column \"Batch\": 'x' is not a whole number"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::ofstream(path, std::ios::binary) << row.text;
    SettlementColumns columns;
    std::string error;
    ASSERT_TRUE(row.columns.empty() || ParseSettlementColumns(row.columns, columns, error)) << error;
    TerminalNames terminals;
    Settlement settlement(terminals);
    std::vector<std::string> problems;
    settlement.Load(path, columns, problems);
    ASSERT_EQ(row.problems.size(), problems.size());
    for (size_t i = 0; i < problems.size(); ++i) EXPECT_EQ(path + row.problems[i], problems[i]);
  }
  SettlementColumns columns;
  std::string error;
  EXPECT_FALSE(ParseSettlementColumns("terminal=TID,seq=Seq", columns, error));
  EXPECT_NE(std::string::npos, error.find("'seq=Seq'")) << error;
}

}  // namespace
