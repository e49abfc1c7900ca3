// The batch sequence store on real INI files through the private-profile API. Each
// test points the store at CSBatchSeq.INI in a fresh temporary folder by filling
// BatchSeqPath before the first number is taken; one test lets the store find its
// folder from ModuleInstance as the plug-in does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "gateway/sequence_store.h"
#include "host/process_attach_win32.h"
#include "settings/module_state.h"

namespace {

class SequenceStoreFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static unsigned serial = 0;
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
    std::snprintf(folder_, sizeof folder_, "%sseqstore_%lu_%u", temp, GetCurrentProcessId(),
                  ++serial);
    ASSERT_TRUE(CreateDirectoryA(folder_, nullptr)) << folder_ << " error " << GetLastError();
    std::snprintf(path_, sizeof path_, "%s\\CSBatchSeq.INI", folder_);
    ResetModuleState();
    std::strcpy(BatchSeqPath, path_);
  }

  void TearDown() override {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
    DeleteFileA(path_);
    RemoveDirectoryA(folder_);
    ResetModuleState();
  }

  void Store(const char* section, const char* text) {
    ASSERT_TRUE(WritePrivateProfileStringA(section, "SeqNumber", text, path_));
  }

  std::string Stored(const char* section) {
    char value[64];
    GetPrivateProfileStringA(section, "SeqNumber", "(missing)", value, sizeof value, path_);
    return value;
  }

  // Replaces the whole file, as an administrator's editor would.
  void EditByHand(const char* text) {
    HANDLE file = CreateFileA(path_, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "error " << GetLastError();
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(std::strlen(text), written);
  }

  // Makes the file unwritable while it stays readable. The read-only attribute alone
  // would do on Windows, but Wine running as root writes read-only files anyway; an
  // open handle that shares reading only makes every write fail on both.
  void LockAgainstWriting() {
    SetFileAttributesA(path_, FILE_ATTRIBUTE_READONLY);
    lock_ = CreateFileA(path_, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock_) << "error " << GetLastError();
    SetLastError(0xdeadbeef);
    ASSERT_FALSE(WritePrivateProfileStringA("Probe", "Key", "1", path_))
        << "the file can still be written";
  }

  void Unlock() {
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
    SetFileAttributesA(path_, FILE_ATTRIBUTE_NORMAL);
  }

  char folder_[MAX_PATH];
  char path_[MAX_PATH];
  HANDLE lock_ = INVALID_HANDLE_VALUE;
};

TEST_F(SequenceStoreFileTest, NewBatchStartsAtOneAndCreatesTheFile) {
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path_));
  EXPECT_EQ(1, NextSequenceNumber(1));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path_));
  EXPECT_EQ("1", Stored("Batch000001"));
  EXPECT_EQ(2, NextSequenceNumber(1));
  EXPECT_EQ("2", Stored("Batch000001"));
}

TEST_F(SequenceStoreFileTest, StoredValues) {
  struct Row { const char* stored; int32_t next; const char* after; };
  const Row rows[] = {
      {"41", 42, "42"}, {"999998", 999999, "999999"}, {"999999", 1, "1"},
      {"abc", 1, "1"},  {"7x", 8, "8"},              {"", 1, "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored);
    Store("Batch000005", row.stored);
    EXPECT_EQ(row.next, NextSequenceNumber(5));
    EXPECT_EQ(row.after, Stored("Batch000005"));
  }
}

TEST_F(SequenceStoreFileTest, WrapsFrom999998Through999999ToOne) {
  Store("Batch000001", "999998");
  EXPECT_EQ(999999, NextSequenceNumber(1));
  EXPECT_EQ(1, NextSequenceNumber(1));
  EXPECT_EQ(2, NextSequenceNumber(1));
  EXPECT_EQ("2", Stored("Batch000001"));
}

TEST_F(SequenceStoreFileTest, TwoBatchesAlternate) {
  const int32_t expected[] = {1, 1, 2, 2, 3, 3};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i], NextSequenceNumber(1 + i % 2));
  }
  EXPECT_EQ("3", Stored("Batch000001"));
  EXPECT_EQ("3", Stored("Batch000002"));
}

TEST_F(SequenceStoreFileTest, SectionNames) {
  EXPECT_EQ(1, NextSequenceNumber(0));
  EXPECT_EQ(1, NextSequenceNumber(1234567));
  char names[256] = {};
  const DWORD length = GetPrivateProfileSectionNamesA(names, sizeof names, path_);
  // Double-NUL-terminated list, in the order written.
  EXPECT_EQ(std::string("Batch000000\0Batch1234567\0", 25), std::string(names, length));
}

TEST_F(SequenceStoreFileTest, FileEditedByHandBetweenCalls) {
  Store("Batch000001", "41");
  EXPECT_EQ(42, NextSequenceNumber(1));
  EditByHand("[Batch000001]\r\nSeqNumber=500\r\n");
  EXPECT_EQ(501, NextSequenceNumber(1));
  EXPECT_EQ("501", Stored("Batch000001"));
  EditByHand("[Batch000001]\r\nSeqNumber=7\r\n");
  EXPECT_EQ(8, NextSequenceNumber(1));
}

TEST_F(SequenceStoreFileTest, UnwritableFileNeverRepeatsANumber) {
  Store("Batch000001", "41");
  LockAgainstWriting();
  EXPECT_EQ(42, NextSequenceNumber(1));
  EXPECT_EQ(43, NextSequenceNumber(1));
  EXPECT_EQ(44, NextSequenceNumber(1));
  EXPECT_EQ("41", Stored("Batch000001"));
  Unlock();
  EXPECT_EQ(45, NextSequenceNumber(1));
  EXPECT_EQ("45", Stored("Batch000001"));
}

TEST(SequenceStorePath, FolderOfTheModule) {
  char module[MAX_PATH];
  const HINSTANCE savedInstance = ModuleInstance;
  ModuleInstance = GetModuleHandleA(nullptr);
  const DWORD length = GetModuleFileNameA(ModuleInstance, module, sizeof module);
  ASSERT_GT(length, 0u);
  std::string expected(module, length);
  expected = expected.substr(0, expected.rfind('\\') + 1) + "CSBatchSeq.INI";
  const bool existed = GetFileAttributesA(expected.c_str()) != INVALID_FILE_ATTRIBUTES;

  ResetModuleState();
  const int32_t batch = 987654;
  EXPECT_GE(NextSequenceNumber(batch), 1);
  EXPECT_EQ(expected, std::string(BatchSeqPath));
  char stored[16];
  GetPrivateProfileStringA("Batch987654", "SeqNumber", "", stored, sizeof stored, expected.c_str());
  EXPECT_STRNE("", stored);

  // Leave the folder as it was.
  WritePrivateProfileStringA("Batch987654", nullptr, nullptr, expected.c_str());
  if (!existed) DeleteFileA(expected.c_str());
  ResetModuleState();
  ModuleInstance = savedInstance;
}

}  // namespace
