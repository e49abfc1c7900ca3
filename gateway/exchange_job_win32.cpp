#include <windows.h>
#include <process.h>

#include "gateway/exchange_job.h"

namespace {

// The runtime's thread start sets up the C runtime's per-thread data, which the
// formatting in the transport relies on; the thread leaves through the runtime too.
unsigned __stdcall ExchangeThreadEntry(void* job) {
  RunExchangeJob(*static_cast<ExchangeJob*>(job));
  _endthreadex(0);
  return 0;
}

SRWLOCK WatchLock = SRWLOCK_INIT;

}  // namespace

void LockJobWatch() { AcquireSRWLockExclusive(&WatchLock); }
void UnlockJobWatch() { ReleaseSRWLockExclusive(&WatchLock); }

bool StartExchangeJob(ExchangeJob& job) {
  unsigned threadId = 0;
  const uintptr_t thread =
      _beginthreadex(nullptr, kWorkerStackSize, ExchangeThreadEntry, &job, 0, &threadId);
  if (thread == 0) return false;
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}
