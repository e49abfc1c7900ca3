// The sequence store on real files: what it writes must read back through the
// private-profile API as the layout promises, and it finds its folder from
// ModuleInstance as the plug-in does. Hostile folders and disks are tried end to end by
// tests/win32/write_ahead_attacks.sh.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/process_attach_win32.h"
#include "records/data_file_security_win32.h"
#include "records/sequence_store.h"
#include "settings/module_state.h"

namespace {

TEST(SequenceStoreFile, WhatItWritesTheIniFunctionsReadAndOtherKeysStay) {
  char temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
  char folder[MAX_PATH];
  std::snprintf(folder, sizeof folder, "%sseqstore_%lu", temp, GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(folder, nullptr)) << folder << " error " << GetLastError();
  const std::string path = std::string(folder) + "\\CSBatchSeq.INI";
  ASSERT_TRUE(WritePrivateProfileStringA("Batch000001", "SeqNumber", "41", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Batch000001", "Note", "kept", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Other", "Key", "x", path.c_str()));
  ResetModuleState();
  std::strcpy(BatchSeqPath, path.c_str());

  struct Row { int32_t batch; const char* section; int32_t number; };
  const Row rows[] = {{1, "Batch000001", 42}, {1234567, "Batch1234567", 1}, {0, "Batch000000", 1},
                      {1, "Batch000001", 43}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.section);
    const SequenceTake take = TakeSequenceNumber("T0001", row.batch);
    EXPECT_EQ(SequenceFailure::None, take.Failure) << take.Path << " error " << take.Error;
    EXPECT_EQ(row.number, take.Number);
    EXPECT_EQ(static_cast<UINT>(row.number), GetPrivateProfileIntA(row.section, "SeqNumber", -1, path.c_str()));
  }
  char value[16];
  GetPrivateProfileStringA("Batch000001", "Note", "", value, sizeof value, path.c_str());
  EXPECT_STREQ("kept", value);
  GetPrivateProfileStringA("Other", "Key", "", value, sizeof value, path.c_str());
  EXPECT_STREQ("x", value);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((std::string(folder) + "\\CSBatchSeq.new").c_str()));

  ResetModuleState();
  DeleteFileA(path.c_str());
  DeleteFileA((std::string(folder) + "\\CSBatchSeq.lck").c_str());
  EXPECT_TRUE(RemoveDirectoryA(folder)) << "files left behind, error " << GetLastError();
}

// The rights every file of the data folder is created with, as Windows reads them back:
// Users may modify, and the list is not protected ("D:P..."), so that the folder's
// inheritable rights are merged in. Wine keeps no rights on files, so only the
// descriptor itself can be seen here.
TEST(DataFileSecurity, UsersModifyOverTheFoldersInheritedRights) {
  DataFileSecurity security;
  const SECURITY_ATTRIBUTES* attributes = MakeDataFileSecurity(security);
  ASSERT_NE(nullptr, attributes);
  EXPECT_FALSE(attributes->bInheritHandle);
  char* sddl = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
      attributes->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl, nullptr))
      << "error " << GetLastError();
  EXPECT_STREQ("D:(A;;0x1301bf;;;BU)", sddl);
  LocalFree(sddl);
}

TEST(SequenceStorePath, FolderOfTheModule) {
  char module[MAX_PATH];
  const HINSTANCE savedInstance = ModuleInstance;
  ModuleInstance = GetModuleHandleA(nullptr);
  const DWORD length = GetModuleFileNameA(ModuleInstance, module, sizeof module);
  ASSERT_GT(length, 0u);
  std::string folder(module, length);
  folder = folder.substr(0, folder.rfind('\\') + 1);
  const std::string expected = folder + "CSBatchSeq.INI";
  const bool existed = GetFileAttributesA(expected.c_str()) != INVALID_FILE_ATTRIBUTES;

  ResetModuleState();
  const SequenceTake take = TakeSequenceNumber("T0001", 987654);
  EXPECT_EQ(SequenceFailure::None, take.Failure) << take.Path << " error " << take.Error;
  EXPECT_EQ(expected, std::string(BatchSeqPath));
  EXPECT_EQ(static_cast<UINT>(take.Number), GetPrivateProfileIntA("Batch987654", "SeqNumber", 0, expected.c_str()));

  // Leave the folder as it was.
  WritePrivateProfileStringA("Batch987654", nullptr, nullptr, expected.c_str());
  if (!existed) {
    DeleteFileA(expected.c_str());
    DeleteFileA((folder + "CSBatchSeq.lck").c_str());
  }
  ResetModuleState();
  ModuleInstance = savedInstance;
}

}  // namespace
