#include "records/sequence_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "gateway/write_ahead.h"
#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/file_retry.h"
#include "records/journal_scan.h"
#include "records/sequence_text.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

constexpr const char* kFolder = "C:\\Station\\";
constexpr const char* kStoreFile = "C:\\Station\\CSBatchSeq.INI";
constexpr const char* kThisMonth = "CSJournal-2018-07.csv";  // fake::now is in July 2018
constexpr const char* kHeaderLine = "Local time,Kind,Terminal ID,Batch,Sequence,x\r\n";

std::string Line(const char* terminal, const char* batch, const char* sequence) {
  return std::string("2018-07-01 10:00:00,charge,") + terminal + "," + batch + "," + sequence +
         ",1.50,******1234,sending,,,\r\n";
}

// Lines of terminal T0001, batch 1, with the numbers from first to last.
std::string Lines(int first, int last) {
  std::string lines;
  for (int n = first; n <= last; ++n) lines += Line("T0001", "1", std::to_string(n).c_str());
  return lines;
}

class SequenceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    ResetModuleState();
    CurrentSettings.Journal = true;
  }
  static SequenceLookup Stored(int32_t batch) {
    char section[kSequenceSectionSize];
    SequenceSectionName(batch, section);
    const std::string& text = fake::storeFiles[kStoreFile];
    return LookUpSequence(text.data(), text.size(), section);
  }
};

TEST(SequenceText, WhatAStoredValueReadsAs) {
  struct Row { const char* text; bool whole; StoredSequence state; int32_t value; };
  const Row rows[] = {
      {"[Batch000001]\r\nSeqNumber=41\r\n", true, StoredSequence::Valid, 41},
      {"[batch000001]\nseqnumber = 999999 \n", true, StoredSequence::Valid, 999999},
      {"[Batch000001]\r\nSeqNumber=0\r\n", true, StoredSequence::Valid, 0},
      {"[Batch000002]\r\nSeqNumber=4\r\n", true, StoredSequence::Missing, 0},
      {"[Batch000001]\r\nOther=4\r\n[Batch000002]\r\nSeqNumber=4\r\n", true, StoredSequence::Missing, 0},
      {"[Batch000001]\r\nSeqNumber=5\r\n[Batch000001]\r\nSeqNumber=9\r\n", true, StoredSequence::Valid, 5},
      {"[Batch000001]\r\nSeqNumber=abc\r\n", true, StoredSequence::Bad, 0},
      {"[Batch000001]\r\nSeqNumber=-5\r\n", true, StoredSequence::Bad, 0},
      {"[Batch000001]\r\nSeqNumber=7x\r\n", true, StoredSequence::Bad, 0},
      {"[Batch000001]\r\nSeqNumber=1000000\r\n", true, StoredSequence::Bad, 0},
      {"[Batch000001]\r\nSeqNumber=99999999999\r\n", true, StoredSequence::Bad, 0},
      {"[Batch000001]\r\nSeqNumber=\r\n", true, StoredSequence::Bad, 0},
      {"; note\r\n\r\n[Batch000001]\r\nSeqNumber=3\r\n", true, StoredSequence::Valid, 3},
      {"", false, StoredSequence::Missing, 0},
      {"[Batch000001]\r\nSeqNumber=12", false, StoredSequence::Valid, 12},  // cut off
      {"[Batch000001]\r\nSeqNum\r\n", false, StoredSequence::Missing, 0},
      {"\x8f\x01garbage\r\n", false, StoredSequence::Missing, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const size_t length = std::strlen(row.text);
    EXPECT_EQ(row.whole, SequenceTextIsWhole(row.text, length));
    const SequenceLookup found = LookUpSequence(row.text, length, "Batch000001");
    EXPECT_EQ(row.state, found.State);
    EXPECT_EQ(row.value, found.Value);
  }
}

TEST(SequenceText, RewriteKeepsEveryOtherByte) {
  struct Row { const char* before; const char* after; };
  const Row rows[] = {
      {"", "[Batch000001]\r\nSeqNumber=42\r\n"},
      {"[Batch000002]\r\nSeqNumber=7\r\n", "[Batch000002]\r\nSeqNumber=7\r\n[Batch000001]\r\nSeqNumber=42\r\n"},
      {"; kept\n[batch000001]\nSeqNumber = 41 \n[B]\nSeqNumber=1\n",
       "; kept\n[batch000001]\nSeqNumber =42\n[B]\nSeqNumber=1\n"},
      {"[Batch000001]\r\nOther=x\r\n", "[Batch000001]\r\nSeqNumber=42\r\nOther=x\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.before);
    char out[256];
    const size_t length = RewriteSequence(row.before, std::strlen(row.before), "Batch000001", 42, out, sizeof out);
    EXPECT_EQ(row.after, std::string(out, length));
  }
  char small[8];
  EXPECT_EQ(0u, RewriteSequence("", 0, "Batch000001", 42, small, sizeof small));
}

// Where numbering continues: every way the store and the journal can be, and what the
// next number of terminal T0001's batch 1 is, or why there is none.
TEST_F(SequenceStoreTest, NextNumberOrWhyNot) {
  struct Row {
    const char* what;
    bool journal;       // the Journal setting
    const char* store;  // nullptr: no file
    std::map<std::string, std::string> journals;  // file name in kFolder -> its text
    SequenceFailure failure;
    int32_t number;
    const char* failedFile = "CSBatchSeq.INI";
  };
  const std::string theirs = Line("T0002", "1", "90") + Line("T0001", "2", "80");
  const Row rows[] = {
      {"no file, no journal", true, nullptr, {}, SequenceFailure::None, 1},
      {"store ahead of the journal", true, "[Batch000001]\r\nSeqNumber=41\r\n",
       {{kThisMonth, Lines(1, 30)}}, SequenceFailure::None, 42},
      {"store restored behind the journal", true, "[Batch000001]\r\nSeqNumber=5\r\n",
       {{kThisMonth, Lines(1, 70)}}, SequenceFailure::None, 71},
      {"store wraps", true, "[Batch000001]\r\nSeqNumber=999999\r\n", {}, SequenceFailure::None, 1},
      {"journal wrapped, store lost", true, nullptr,
       {{kThisMonth, Lines(999998, 999999) + Lines(1, 2)}}, SequenceFailure::None, 3},
      {"store from before the wrap", true, "[Batch000001]\r\nSeqNumber=999999\r\n",
       {{kThisMonth, Lines(999997, 999999) + Lines(1, 2)}}, SequenceFailure::None, 3},
      {"empty file: no numbers yet", true, "", {{kThisMonth, kHeaderLine + Lines(26, 27) + theirs}},
       SequenceFailure::None, 28},
      {"missing file", true, nullptr, {{kThisMonth, kHeaderLine + Lines(26, 27) + theirs}},
       SequenceFailure::None, 28},
      {"side files: the month's lines in any file and order", true, nullptr,
       {{kThisMonth, Lines(9, 10) + Lines(13, 13)}, {"CSJournal-2018-07-2.csv", Lines(11, 11) + Lines(14, 14)},
        {"CSJournal-2018-07-3.csv", Lines(12, 12)}},
       SequenceFailure::None, 15},
      {"last month and a torn line", true, nullptr,
       {{"CSJournal-2018-06.csv", Lines(30, 31) + "2018-06-30 23:59:59,charge,T0001,1,3"}},
       SequenceFailure::None, 32},
      {"a journal three months old", true, nullptr,
       {{"CSJournal-2018-04.csv", Lines(499, 500)}, {kThisMonth, theirs}, {"CSJournal-2018-06.csv", theirs}},
       SequenceFailure::None, 501},
      {"only other terminals and batches", true, nullptr, {{kThisMonth, theirs}}, SequenceFailure::None, 1},
      {"journal off: the store alone", false, "[Batch000001]\r\nSeqNumber=5\r\n",
       {{kThisMonth, Lines(1, 70)}}, SequenceFailure::None, 6},
      {"journal off, no store: the journal left from before", false, nullptr,
       {{kThisMonth, Lines(1, 70)}}, SequenceFailure::None, 71},
      {"bad value", true, "[Batch000001]\r\nSeqNumber=-5\r\n", {{kThisMonth, Lines(9, 9)}},
       SequenceFailure::Damaged, 0},
      {"cut off", true, "[Batch000002]\r\nSeqNumber=5\r\n[Batch0", {}, SequenceFailure::Damaged, 0},
      {"journal unreadable", true, "[Batch000001]\r\nSeqNumber=5\r\n", {{kThisMonth, "<held>"}},
       SequenceFailure::JournalUnreadable, 0, kThisMonth},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::ResetPlatformFakes();
    ResetModuleState();
    CurrentSettings.Journal = row.journal;
    if (row.store != nullptr) fake::storeFiles[kStoreFile] = row.store;
    for (const auto& [name, text] : row.journals) {
      fake::journalFiles[kFolder + name] = text;
      if (text == "<held>") fake::journalReadErrors[kFolder + name] = 32;
    }
    const std::string before = row.store != nullptr ? row.store : "";
    const SequenceTake take = TakeSequenceNumber("T0001", 1);
    EXPECT_EQ(row.failure, take.Failure);
    EXPECT_EQ(row.number, take.Number);
    EXPECT_EQ(0, fake::storeLocksHeld);
    if (row.failure == SequenceFailure::None) {
      EXPECT_EQ(row.number, Stored(1).Value);
    } else {
      EXPECT_EQ(kFolder + std::string(row.failedFile), take.Path);
      EXPECT_EQ(before, fake::storeFiles[kStoreFile]) << "a store in doubt is left alone";
    }
  }
}

// The journal is read once per load and whenever someone else changed the store; the
// numbers a station sends are in its journal (TakeNumberAndRecordSending writes them).
TEST_F(SequenceStoreTest, TheJournalIsReadAgainWhenSomeoneElseChangedTheStore) {
  const std::string journal = kFolder + std::string(kThisMonth);
  fake::storeFiles[kStoreFile] = "[Batch000001]\r\nSeqNumber=5\r\n";
  fake::journalFiles[journal] = Lines(1, 70);
  TransactionRecord record{};
  std::strcpy(record.TerminalID, "T0001");
  record.BatchNumber = 1;
  JournalEntry entry{};
  entry.Kept = true;  // as a job claims it with the journal on
  auto take = [&] {
    EXPECT_TRUE(TakeNumberAndRecordSending(record, TransactionKind::Charge, entry).MaySend());
    return record.SequenceNumber;
  };
  EXPECT_EQ(71, take());
  const int readsAtLoad = fake::journalReads;
  EXPECT_EQ(72, take());
  EXPECT_EQ(readsAtLoad, fake::journalReads) << "the second number comes from memory";

  // Another station on the folder sends up to 90, then the store is restored to a copy
  // of when it stood at 80: ahead of this station's last number, behind the journal.
  fake::journalFiles[journal] += Lines(73, 90);
  fake::storeFiles[kStoreFile] = "[Batch000001]\r\nSeqNumber=80\r\n";
  EXPECT_EQ(91, take());
}

TEST_F(SequenceStoreTest, FilesThatFailGiveTheirErrorAndNoNumber) {
  struct Row {
    const char* what;
    unsigned long lockError, readError, replaceError;
    bool onNewFile, lost;
    const char* redirected;  // the file Windows opens in the user's VirtualStore, or ""
    SequenceFailure failure;
    unsigned long error;
    const char* file;
  };
  const Row rows[] = {
      {"another station holds the lock", kLockNotGiven, 0, 0, false, false, "", SequenceFailure::Locked,
       kLockNotGiven, "CSBatchSeq.lck"},
      {"read-only folder", 5, 0, 0, false, false, "", SequenceFailure::NotStored, 5, "CSBatchSeq.lck"},
      {"held without sharing", 0, 32, 0, false, false, "", SequenceFailure::NotStored, 32, "CSBatchSeq.INI"},
      {"full disk", 0, 0, 112, false, false, "", SequenceFailure::NotStored, 112, "CSBatchSeq.INI"},
      {"new file held", 0, 0, 32, true, false, "", SequenceFailure::NotStored, 32, "CSBatchSeq.new"},
      {"write reported but lost", 0, 0, 0, false, true, "", SequenceFailure::NotStored, kNotReadBack,
       "CSBatchSeq.INI"},
      {"lock redirected", 0, 0, 0, false, false, "CSBatchSeq.lck", SequenceFailure::NotStored, kRedirected,
       "CSBatchSeq.lck"},
      {"store redirected", 0, 0, 0, false, false, "CSBatchSeq.INI", SequenceFailure::NotStored, kRedirected,
       "CSBatchSeq.INI"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::ResetPlatformFakes();
    fake::storeFiles[kStoreFile] = "[Batch000001]\r\nSeqNumber=500\r\n";
    fake::storeLockError = row.lockError;
    fake::storeReadError = row.readError;
    fake::storeReplaceError = row.replaceError;
    fake::storeReplaceFailsOnNew = row.onNewFile;
    fake::storeReplaceIsLost = row.lost;
    if (row.redirected[0] != '\0') {
      fake::openedPaths[kFolder + std::string(row.redirected)] =
          std::string("C:\\Users\\bob\\AppData\\Local\\VirtualStore\\Station\\") + row.redirected;
    }
    const SequenceTake take = TakeSequenceNumber("T0001", 1);
    EXPECT_EQ(row.failure, take.Failure);
    EXPECT_EQ(row.error, take.Error);
    EXPECT_EQ(kFolder + std::string(row.file), take.Path);
    EXPECT_EQ(0, take.Number);
    EXPECT_EQ(0, fake::storeLocksHeld);
  }
}

// Whether a file was opened in a user's VirtualStore instead of where it was meant to be,
// from the two paths: other differences name the same file.
TEST(OpenedPath, OnlyAVirtualStoreCountsAsRedirected) {
  struct Row { const char* meant; const char* opened; bool redirected; };
  const Row rows[] = {
      {"C:\\Program Files (x86)\\Station\\CSBatchSeq.INI", "\\\\?\\C:\\Program Files (x86)\\Station\\CSBatchSeq.INI", false},
      {"C:\\Program Files (x86)\\Station\\CSBatchSeq.INI",
       "\\\\?\\C:\\Users\\bob\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Station\\CSBatchSeq.INI", true},
      {"C:\\ProgramData\\CardSmith\\CSJournal-2026-12.csv",
       "\\\\?\\C:\\Users\\bob\\AppData\\Local\\virtualstore\\ProgramData\\CardSmith\\CSJournal-2026-12.csv", true},
      {"C:\\PROGRA~2\\Station\\CSBatchSeq.INI", "\\\\?\\C:\\Program Files (x86)\\Station\\csbatchseq.ini", false},
      {"Z:\\Station\\CSBatchSeq.INI", "\\\\?\\UNC\\server\\share\\Station\\CSBatchSeq.INI", false},
      {"C:\\Users\\bob\\AppData\\Local\\VirtualStore\\x\\CSBatchSeq.INI",
       "\\\\?\\C:\\Users\\bob\\AppData\\Local\\VirtualStore\\x\\CSBatchSeq.INI", false},
      {"C:\\Station\\CSBatchSeq.INI", "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.opened);
    EXPECT_EQ(row.redirected, IsRedirected(row.meant, row.opened));
  }
}

TEST_F(SequenceStoreTest, BatchesCountIndependentlyInOneFile) {
  const int32_t batches[] = {1, 2, 1, 1234567, 0, 2};
  const int32_t expected[] = {1, 1, 2, 1, 1, 2};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], TakeSequenceNumber("T0001", batches[i]).Number) << i;
  EXPECT_EQ("[Batch000001]\r\nSeqNumber=2\r\n[Batch000002]\r\nSeqNumber=2\r\n"
            "[Batch1234567]\r\nSeqNumber=1\r\n[Batch000000]\r\nSeqNumber=1\r\n",
            fake::storeFiles[kStoreFile]);
}

TEST_F(SequenceStoreTest, PathIsTheModuleFolderOrNoNumberAtAll) {
  fake::modulePath = "C:\\Program Files\\Station\\CSPlugin.dll";
  EXPECT_EQ(1, TakeSequenceNumber("T0001", 1).Number);
  EXPECT_STREQ("C:\\Program Files\\Station\\CSBatchSeq.INI", BatchSeqPath);
  fake::modulePath = "D:\\Elsewhere\\CSPlugin.dll";
  EXPECT_EQ(2, TakeSequenceNumber("T0001", 1).Number);

  ResetModuleState();
  fake::modulePath = "C:\\" + std::string(250, 'a') + "\\CSPlugin.dll";
  const SequenceTake take = TakeSequenceNumber("T0001", 1);
  EXPECT_EQ(SequenceFailure::NotStored, take.Failure);
  EXPECT_EQ(kPathTooLong, take.Error);
}

// The waits of the Win32 file code, on a clock of the test's own: a pause lasts what the
// row says, as a Sleep lasts what the system makes of it.
unsigned long long clockMs = 0;
unsigned pauseLastsMs = 0;
const RetryClock kTestClock{[] { return clockMs; }, [](unsigned asked) { clockMs += std::max(asked, pauseLastsMs); }};

TEST(FileRetry, TriesUntilTheFileIsFreeOrTheTriesOrTheTimeRunOut) {
  struct Row {
    const char* what;
    RetryPolicy policy;
    std::vector<unsigned long> results;  // of the tries in turn; the last one repeats
    unsigned tryLastsMs, pauseLastsMs;
    int tries;
    unsigned long result;
    unsigned long long elapsedMs;
  };
  const Row rows[] = {
      {"a scanner lets go", kStoreReplaceRetry, {32, 5, 0}, 0, 0, 3, 0, 50},
      {"held throughout: ten tries", kStoreReplaceRetry, {32}, 0, 0, 10, 32, 225},
      {"a full disk is not waited for", kStoreReplaceRetry, {112}, 0, 0, 1, 112, 0},
      {"slow tries: the quarter second", kStoreReplaceRetry, {5}, 100, 0, 3, 5, 350},
      {"Windows' 15.6 ms Sleep: the time, not the count", {0, 200, 2}, {32}, 0, 16, 14, 32, 208},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    clockMs = 1000;
    pauseLastsMs = row.pauseLastsMs;
    int tries = 0;
    const unsigned long result = RetryFileOperation(row.policy, kTestClock, [&] {
      clockMs += row.tryLastsMs;
      return row.results[std::min<size_t>(tries++, row.results.size() - 1)];
    }, IsFileBusyError);
    EXPECT_EQ(row.tries, tries);
    EXPECT_EQ(row.result, result);
    EXPECT_EQ(row.elapsedMs, clockMs - 1000);
  }
}

}  // namespace
