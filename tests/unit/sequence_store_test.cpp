#include "gateway/sequence_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/file_errors.h"
#include "gateway/journal_scan.h"
#include "gateway/sequence_text.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

constexpr const char* kStoreFile = "C:\\Station\\CSBatchSeq.INI";
constexpr const char* kThisMonth = "C:\\Station\\CSJournal-2018-07.csv";
constexpr const char* kLastMonth = "C:\\Station\\CSJournal-2018-06.csv";
constexpr const char* kSideFile = "C:\\Station\\CSJournal-2018-07-2.csv";
constexpr const char* kHeaderLine = "Local time,Kind,Terminal ID,Batch,Sequence,x\r\n";

std::string Line(const char* terminal, const char* batch, const char* sequence) {
  return std::string("2018-07-01 10:00:00,charge,") + terminal + "," + batch + "," + sequence +
         ",1.50,******1234,sending,,,\r\n";
}

class SequenceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    ResetModuleState();
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

// Every way the store can be, and what the next number of batch 1 is, or why there is none.
TEST_F(SequenceStoreTest, NextNumberOrWhyNot) {
  struct Row {
    const char* what;
    const char* store;  // nullptr: no file
    std::string thisMonth, lastMonth, side;
    SequenceFailure failure;
    int32_t number;
  };
  const std::string theirs = Line("T0002", "1", "90") + Line("T0001", "2", "80");
  const Row rows[] = {
      {"no file, no journal", nullptr, "", "", "", SequenceFailure::None, 1},
      {"stored", "[Batch000001]\r\nSeqNumber=41\r\n", "", "", "", SequenceFailure::None, 42},
      {"wraps", "[Batch000001]\r\nSeqNumber=999999\r\n", "", "", "", SequenceFailure::None, 1},
      {"store beats journal", "[Batch000001]\r\nSeqNumber=5\r\n", Line("T0001", "1", "70"), "", "",
       SequenceFailure::None, 6},
      {"deleted store", nullptr, kHeaderLine + Line("T0001", "1", "27") + theirs, "", "",
       SequenceFailure::None, 28},
      {"last month and a torn line", nullptr, "", Line("T0001", "1", "31") + "2018-06-30 23:59:59,charge,T0001,1,3",
       "", SequenceFailure::None, 32},
      {"side file", "[Batch000002]\r\nSeqNumber=5\r\n", Line("T0001", "1", "8"), "",
       Line("T0001", "1", "12"), SequenceFailure::None, 13},
      {"only other terminals and batches", nullptr, theirs, "", "", SequenceFailure::None, 1},
      {"bad value", "[Batch000001]\r\nSeqNumber=-5\r\n", Line("T0001", "1", "9"), "", "",
       SequenceFailure::Damaged, 0},
      {"empty file", "", "", "", "", SequenceFailure::Damaged, 0},
      {"cut off", "[Batch000002]\r\nSeqNumber=5\r\n[Batch0", "", "", "", SequenceFailure::Damaged, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::ResetPlatformFakes();
    if (row.store != nullptr) fake::storeFiles[kStoreFile] = row.store;
    if (!row.thisMonth.empty()) fake::journalFiles[kThisMonth] = row.thisMonth;
    if (!row.lastMonth.empty()) fake::journalFiles[kLastMonth] = row.lastMonth;
    if (!row.side.empty()) fake::journalFiles[kSideFile] = row.side;
    const std::string before = row.store != nullptr ? row.store : "";
    const SequenceTake take = TakeSequenceNumber("T0001", 1);
    EXPECT_EQ(row.failure, take.Failure);
    EXPECT_EQ(row.number, take.Number);
    EXPECT_EQ(0, fake::storeLocksHeld);
    if (row.failure == SequenceFailure::None) {
      EXPECT_EQ(row.number, Stored(1).Value);
    } else {
      EXPECT_STREQ(kStoreFile, take.Path);
      EXPECT_EQ(before, fake::storeFiles[kStoreFile]) << "a store in doubt is left alone";
    }
  }
}

TEST_F(SequenceStoreTest, FilesThatFailGiveTheirErrorAndNoNumber) {
  struct Row {
    const char* what;
    unsigned long lockError, readError, replaceError;
    bool lost;
    SequenceFailure failure;
    unsigned long error;
  };
  const Row rows[] = {
      {"another station holds the lock", kLockNotGiven, 0, 0, false, SequenceFailure::Locked,
       kLockNotGiven},
      {"read-only folder", 5, 0, 0, false, SequenceFailure::NotStored, 5},
      {"held without sharing", 0, 32, 0, false, SequenceFailure::NotStored, 32},
      {"full disk", 0, 0, 112, false, SequenceFailure::NotStored, 112},
      {"write reported but lost", 0, 0, 0, true, SequenceFailure::NotStored, kNotReadBack},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::ResetPlatformFakes();
    fake::storeFiles[kStoreFile] = "[Batch000001]\r\nSeqNumber=500\r\n";
    fake::storeLockError = row.lockError;
    fake::storeReadError = row.readError;
    fake::storeReplaceError = row.replaceError;
    fake::storeReplaceIsLost = row.lost;
    const SequenceTake take = TakeSequenceNumber("T0001", 1);
    EXPECT_EQ(row.failure, take.Failure);
    EXPECT_EQ(row.error, take.Error);
    EXPECT_EQ(0, take.Number);
    EXPECT_EQ(0, fake::storeLocksHeld);
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

}  // namespace
