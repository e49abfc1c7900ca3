// What the tests take from the Wine they run in, checked before anything else (the
// ctest entry wine_lane): faults reach the program as the Windows exceptions they are,
// and a program can start another. Emulated 32-bit Wine gets both wrong without the
// lane's fixes (scripts/wine_lane.sh): qemu's fault numbers, and a child started
// without the binfmt registration.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

namespace {

struct Seen {
  DWORD code;
  ULONG_PTR access;  // ExceptionInformation[0] of an access violation: 0 read, 1 write
};
Seen seen;

// Records every exception; steps over the two-byte division this file raises itself.
LONG CALLBACK RecordException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  seen.code = record->ExceptionCode;
  seen.access = record->NumberParameters > 0 ? record->ExceptionInformation[0] : ~ULONG_PTR{0};
  if (record->ExceptionCode == EXCEPTION_INT_DIVIDE_BY_ZERO) {
#ifdef _WIN64
    pointers->ContextRecord->Rip += 2;
#else
    pointers->ContextRecord->Eip += 2;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

class WineLane : public ::testing::Test {
 protected:
  void SetUp() override {
    seen = {0, 0};
    handler_ = AddVectoredExceptionHandler(1, RecordException);
  }
  void TearDown() override { RemoveVectoredExceptionHandler(handler_); }

 private:
  void* handler_ = nullptr;
};

TEST_F(WineLane, FaultsArriveAsTheirWindowsExceptions) {
  // IsBadReadPtr and IsBadWritePtr catch access violations only: any other code kills
  // the program.
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<const void*>(16), 4));
  EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), seen.code);
  EXPECT_EQ(0u, seen.access) << "a read";

  void* readOnly = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READONLY);
  ASSERT_NE(nullptr, readOnly);
  seen = {0, 0};
  EXPECT_TRUE(IsBadWritePtr(readOnly, 4));
  EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), seen.code);
  EXPECT_EQ(1u, seen.access) << "a write";
  VirtualFree(readOnly, 0, MEM_RELEASE);

  // div ecx with ecx = 0, two bytes that RecordException steps over.
  seen = {0, 0};
  uint32_t quotient = 7;
  asm volatile("xorl %%ecx, %%ecx\n\txorl %%edx, %%edx\n\t.byte 0xf7, 0xf1" : "+a"(quotient) : : "ecx", "edx");
  EXPECT_EQ(static_cast<DWORD>(EXCEPTION_INT_DIVIDE_BY_ZERO), seen.code);
}

TEST_F(WineLane, AProgramStartsAnother) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char commandLine[] = "cmd.exe /c exit 7";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &startup, &process))
      << "error " << GetLastError();
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(7u, exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

}  // namespace
