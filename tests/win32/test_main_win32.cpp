#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

namespace {

// A fault on any thread ends the run with the fault's code, so that ctest sees it: Wine's
// debugger, which would otherwise take over, ends a process whose second thread faulted
// with exit code 0.
LONG WINAPI EndRunOnFault(EXCEPTION_POINTERS* fault) {
  const EXCEPTION_RECORD* record = fault->ExceptionRecord;
  std::fprintf(stderr, "win32_tests: unhandled exception %08lx at %p on thread %lu\n",
               static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress,
               static_cast<unsigned long>(GetCurrentThreadId()));
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
  // Keep system error boxes from blocking an unattended run.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndRunOnFault);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
