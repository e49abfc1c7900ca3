#include <windows.h>
#include <process.h>

#include "gateway/exchange_job.h"

namespace {

// The module whose code the worker runs: the plug-in, or the program a test links it
// into. The handle only: the reference count is left as it is.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

// Started through the runtime's thread start, which sets up the C runtime's per-thread
// data that the formatting in the transport relies on; msvcrt.dll frees that data when
// the thread detaches, however it ends. The thread holds a reference to the module,
// taken for it by StartExchangeJob, so that the station program may free the plug-in
// while a job whose dialog has gone still waits for the gateway. Giving it back is the
// thread's last act and happens in the system's code, since the module may go with it.
unsigned __stdcall ExchangeThreadEntry(void* job) {
  RunExchangeJob(*static_cast<ExchangeJob*>(job));
  FreeLibraryAndExitThread(ThisModule(), 0);
}

SRWLOCK WatchLock = SRWLOCK_INIT;

}  // namespace

void LockJobWatch() { AcquireSRWLockExclusive(&WatchLock); }
void UnlockJobWatch() { ReleaseSRWLockExclusive(&WatchLock); }

bool StartExchangeJob(ExchangeJob& job) {
  // The thread's reference, taken before the thread can run.
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThisModule),
                          &module)) {
    return false;
  }
  unsigned threadId = 0;
  const uintptr_t thread =
      _beginthreadex(nullptr, kWorkerStackSize, ExchangeThreadEntry, &job, 0, &threadId);
  if (thread == 0) {
    FreeLibrary(module);
    return false;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}
