// The Wine the tests run in, checked before anything else (the ctest entry wine_lane):
// faults reach the program as the Windows exceptions they are, and a program can start
// another. Emulated 32-bit Wine gets both wrong without the lane's fixes
// (scripts/wine_lane.sh): qemu's fault numbers, a child started without binfmt_misc.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

EXCEPTION_RECORD seen;

// Records each exception; steps over the two-byte division of the test below.
LONG CALLBACK Record(EXCEPTION_POINTERS* pointers) {
  seen = *pointers->ExceptionRecord;
  if (seen.ExceptionCode != EXCEPTION_INT_DIVIDE_BY_ZERO) return EXCEPTION_CONTINUE_SEARCH;
#ifdef _WIN64
  pointers->ContextRecord->Rip += 2;
#else
  pointers->ContextRecord->Eip += 2;
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(WineLane, FaultsArriveAsTheirWindowsExceptions) {
  void* handler = AddVectoredExceptionHandler(1, Record);
  void* readOnly = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READONLY);
  // These catch access violations only: any other code would end the program.
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<const void*>(16), 4));
  EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, seen.ExceptionCode);
  EXPECT_EQ(0u, seen.ExceptionInformation[0]) << "a read";
  EXPECT_TRUE(IsBadWritePtr(readOnly, 4));
  EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, seen.ExceptionCode);
  EXPECT_EQ(1u, seen.ExceptionInformation[0]) << "a write";
  unsigned quotient = 7;  // div ecx, with ecx 0: two bytes
  asm volatile("xorl %%ecx, %%ecx\n\txorl %%edx, %%edx\n\t.byte 0xf7, 0xf1" : "+a"(quotient) : : "ecx", "edx");
  EXPECT_EQ(EXCEPTION_INT_DIVIDE_BY_ZERO, seen.ExceptionCode);
  VirtualFree(readOnly, 0, MEM_RELEASE);
  RemoveVectoredExceptionHandler(handler);
}

TEST(WineLane, AProgramStartsAnother) {
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION child = {};
  char commandLine[] = "cmd.exe /c exit 7";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &startup, &child))
      << "error " << GetLastError();
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 60000));
  DWORD exitCode = 0;
  GetExitCodeProcess(child.hProcess, &exitCode);
  EXPECT_EQ(7u, exitCode);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
}

}  // namespace
