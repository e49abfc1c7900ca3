#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/sequence_store.h"
#include "settings/module_state.h"

namespace {

constexpr const char* kStoreFile = "C:\\Station\\CSBatchSeq.INI";

class SequenceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    ResetModuleState();
  }
  static void Store(const char* section, const std::string& value) {
    fake::profiles[kStoreFile][section]["SeqNumber"] = value;
  }
  static std::string Stored(const char* section) {
    return fake::profiles[kStoreFile][section]["SeqNumber"];
  }
};

TEST_F(SequenceStoreTest, NextNumberFollowsTheStoredValue) {
  struct Row { const char* stored; int32_t next; };  // nullptr: no key yet
  const Row rows[] = {
      {nullptr, 1},   {"0", 1},        {"41", 42},      {"999998", 999999},
      {"999999", 1},  {"1000005", 1},  {"abc", 1},      {"", 1},
      {"7x", 8},      {"2147483647", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored != nullptr ? row.stored : "(missing)");
    fake::profiles.clear();
    if (row.stored != nullptr) Store("Batch000001", row.stored);
    EXPECT_EQ(row.next, NextSequenceNumber(1));
    EXPECT_EQ(std::to_string(row.next), Stored("Batch000001"));
  }
}

TEST_F(SequenceStoreTest, WrapsAfterTheLastNumber) {
  Store("Batch000003", "999998");
  EXPECT_EQ(999999, NextSequenceNumber(3));
  EXPECT_EQ(1, NextSequenceNumber(3));
  EXPECT_EQ(2, NextSequenceNumber(3));
  EXPECT_EQ("2", Stored("Batch000003"));
}

TEST_F(SequenceStoreTest, SectionNamesUseSixDigitsAtLeast) {
  struct Row { int32_t batch; const char* section; };
  const Row rows[] = {
      {0, "Batch000000"},         {1, "Batch000001"},   {42, "Batch000042"},
      {999999, "Batch999999"},    {1234567, "Batch1234567"}, {-5, "Batch-00005"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.section);
    fake::profiles.clear();
    EXPECT_EQ(1, NextSequenceNumber(row.batch));
    ASSERT_EQ(1u, fake::profiles[kStoreFile].size());
    EXPECT_EQ("1", Stored(row.section));
  }
}

TEST_F(SequenceStoreTest, BatchesCountIndependently) {
  const int32_t expected[] = {1, 1, 2, 2, 3, 3};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i], NextSequenceNumber(1 + i % 2));
  }
  EXPECT_EQ("3", Stored("Batch000001"));
  EXPECT_EQ("3", Stored("Batch000002"));
}

TEST_F(SequenceStoreTest, TheFileIsReadAfreshEveryTime) {
  Store("Batch000001", "41");
  EXPECT_EQ(42, NextSequenceNumber(1));
  Store("Batch000001", "500");  // edited by hand between two transactions
  EXPECT_EQ(501, NextSequenceNumber(1));
  fake::profiles.clear();       // file deleted
  EXPECT_EQ(1, NextSequenceNumber(1));
}

TEST_F(SequenceStoreTest, PathIsTheModuleFolderAndIsSetOnce) {
  fake::modulePath = "C:\\Program Files\\Station\\CSPlugin.dll";
  NextSequenceNumber(1);
  EXPECT_STREQ("C:\\Program Files\\Station\\CSBatchSeq.INI", BatchSeqPath);
  fake::modulePath = "D:\\Elsewhere\\CSPlugin.dll";
  NextSequenceNumber(1);
  EXPECT_STREQ("C:\\Program Files\\Station\\CSBatchSeq.INI", BatchSeqPath);
  EXPECT_EQ("2", fake::profiles[BatchSeqPath]["Batch000001"]["SeqNumber"]);
}

TEST_F(SequenceStoreTest, PresetPathIsUsed) {
  std::strcpy(BatchSeqPath, "Z:\\tmp\\CSBatchSeq.INI");
  EXPECT_EQ(1, NextSequenceNumber(1));
  EXPECT_EQ("1", fake::profiles["Z:\\tmp\\CSBatchSeq.INI"]["Batch000001"]["SeqNumber"]);
  EXPECT_EQ(0u, fake::profiles.count(kStoreFile));
}

TEST_F(SequenceStoreTest, PathLengthLimit) {
  // The folder and "CSBatchSeq.INI" (14 characters) must fit 255 characters.
  const std::string fits = "C:\\" + std::string(237, 'a') + "\\x.dll";  // folder of 241
  fake::modulePath = fits;
  EXPECT_EQ(1, NextSequenceNumber(1));
  EXPECT_EQ(255u, std::strlen(BatchSeqPath));

  ResetModuleState();
  fake::profiles.clear();
  fake::modulePath = "C:\\" + std::string(238, 'a') + "\\x.dll";  // one more
  EXPECT_EQ(1, NextSequenceNumber(1));
  EXPECT_STREQ("", BatchSeqPath);
  EXPECT_TRUE(fake::profiles.empty());
}

TEST_F(SequenceStoreTest, WithoutAUsableFileNumbersAdvanceInMemory) {
  struct Row { const char* what; std::string modulePath; bool fails; };
  const Row rows[] = {
      {"folder too long", "C:\\" + std::string(250, 'a') + "\\CSPlugin.dll", false},
      {"module path cut", "C:\\" + std::string(300, 'a'), false},
      {"module path fails", "", true},
      {"no backslash", "CSPlugin.dll", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::ResetPlatformFakes();
    ResetModuleState();
    fake::modulePath = row.modulePath;
    fake::modulePathFails = row.fails;
    const int32_t expected[] = {1, 1, 2, 3, 2};
    const int32_t batches[] = {1, 2, 1, 1, 2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], NextSequenceNumber(batches[i])) << i;
    EXPECT_STREQ("", BatchSeqPath);
    EXPECT_EQ(0, fake::profileWrites);
    EXPECT_TRUE(fake::profiles.empty());
  }
}

TEST_F(SequenceStoreTest, InMemoryCountingWraps) {
  fake::modulePathFails = true;
  for (int32_t i = 1; i <= kLastSequenceNumber; ++i) ASSERT_EQ(i, NextSequenceNumber(9));
  EXPECT_EQ(1, NextSequenceNumber(9));
}

TEST_F(SequenceStoreTest, ReadOnlyFileNeverRepeatsANumber) {
  Store("Batch000001", "41");
  fake::readOnlyFiles[kStoreFile] = true;
  EXPECT_EQ(42, NextSequenceNumber(1));
  EXPECT_EQ(43, NextSequenceNumber(1));
  EXPECT_EQ(1, NextSequenceNumber(2));  // a batch that has no section yet
  EXPECT_EQ(44, NextSequenceNumber(1));
  EXPECT_EQ(2, NextSequenceNumber(2));
  EXPECT_EQ("41", Stored("Batch000001"));

  Store("Batch000001", "100");  // edited by hand while still read-only
  EXPECT_EQ(101, NextSequenceNumber(1));
  EXPECT_EQ(102, NextSequenceNumber(1));

  fake::readOnlyFiles[kStoreFile] = false;  // writable again: memory carries over once
  EXPECT_EQ(103, NextSequenceNumber(1));
  EXPECT_EQ("103", Stored("Batch000001"));
  Store("Batch000001", "7");  // from now on the file is the truth again
  EXPECT_EQ(8, NextSequenceNumber(1));
  EXPECT_EQ(3, NextSequenceNumber(2));
  EXPECT_EQ("3", Stored("Batch000002"));
}

TEST_F(SequenceStoreTest, RemembersTheMostRecentlyUsedBatches) {
  fake::modulePathFails = true;
  EXPECT_EQ(1, NextSequenceNumber(1000));
  for (int32_t batch = 1; batch < static_cast<int32_t>(kRememberedBatches); ++batch) {
    EXPECT_EQ(1, NextSequenceNumber(batch));
  }
  EXPECT_EQ(2, NextSequenceNumber(1000));  // table full; batch 1000 is now the freshest
  EXPECT_EQ(1, NextSequenceNumber(2000));  // pushes out batch 1, the least recently used
  EXPECT_EQ(3, NextSequenceNumber(1000));
  EXPECT_EQ(1, NextSequenceNumber(1));
}

}  // namespace
